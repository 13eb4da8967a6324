#pragma once

#include <cstddef>
#include <string>

namespace kumoden::test {

// A one-page PDF (a blue square) that readers and Ghostscript take without
// complaint; padding makes it that many bytes bigger (a comment after the
// header, so that the offsets still hold).
std::string tinyPdf(std::size_t padding = 0);

// An A4 PDF of that many pages, each a black bar of its own place and width
// on white, so that pages rendered coarsely still tell each other apart.
std::string pagesPdf(int pages);

} // namespace kumoden::test
