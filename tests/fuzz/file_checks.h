#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kumoden::fuzz {

// Stops the run so that libFuzzer keeps the input that got here.
[[noreturn]] void Fault(const char* what);

// What a reader gets back for a value that was written: blanks around it
// dropped, then one pair of enclosing quotes.
std::string ReaderView(std::string_view value);

// The file's lines, each with its line end ("\r\n", "\n", a lone "\r" or
// none at the end of the file).
std::vector<std::string_view> SplitLines(std::string_view file);

// How a rewrite changed a file, line by line: the lines both versions
// share at the start and at the end, and what lies between them.
struct LineChange {
    std::vector<std::string_view> removed; // old lines not kept
    std::vector<std::string_view> added;   // new lines in their place
    bool keptAscii = true;                 // the lines kept are plain ASCII (byte order mark aside)
};

LineChange CompareLines(std::string_view before, std::string_view after);

} // namespace kumoden::fuzz
