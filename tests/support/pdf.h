#pragma once

#include <string>

namespace kumoden::test {

// A one-page PDF (a blue square) that readers and Ghostscript take without
// complaint.
std::string tinyPdf();

} // namespace kumoden::test
