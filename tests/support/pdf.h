#pragma once

#include <cstddef>
#include <string>

namespace kumoden::test {

// A one-page PDF (a blue square) that readers and Ghostscript take without
// complaint; padding makes it that many bytes bigger (a comment after the
// header, so that the offsets still hold).
std::string tinyPdf(std::size_t padding = 0);

} // namespace kumoden::test
