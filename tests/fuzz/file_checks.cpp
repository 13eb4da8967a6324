#include "tests/fuzz/file_checks.h"

#include <cstdio>
#include <cstdlib>

namespace kumoden::fuzz {

namespace {

bool isAscii(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

void Fault(const char* what)
{
    std::fprintf(stderr, "profile fuzz: %s\n", what);
    std::abort();
}

std::string ReaderView(std::string_view value)
{
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
        value.remove_prefix(1);
    }
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
        value.remove_suffix(1);
    }
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

std::vector<std::string_view> SplitLines(std::string_view file)
{
    std::vector<std::string_view> lines;
    std::size_t begin = 0;
    while (begin < file.size()) {
        std::size_t end = file.find_first_of("\r\n", begin);
        if (end == std::string_view::npos) {
            end = file.size();
        } else if (file[end] == '\r' && end + 1 < file.size() && file[end + 1] == '\n') {
            end += 2;
        } else {
            end += 1;
        }
        lines.push_back(file.substr(begin, end - begin));
        begin = end;
    }
    return lines;
}

LineChange CompareLines(std::string_view before, std::string_view after)
{
    const auto oldLines = SplitLines(before);
    const auto newLines = SplitLines(after);
    std::size_t head = 0;
    while (head < oldLines.size() && head < newLines.size() && oldLines[head] == newLines[head]) {
        ++head;
    }
    std::size_t tail = 0;
    while (tail < oldLines.size() - head && tail < newLines.size() - head &&
           oldLines[oldLines.size() - 1 - tail] == newLines[newLines.size() - 1 - tail]) {
        ++tail;
    }
    LineChange change;
    change.removed.assign(oldLines.begin() + head, oldLines.end() - tail);
    change.added.assign(newLines.begin() + head, newLines.end() - tail);
    for (std::size_t i = 0; i < oldLines.size(); ++i) {
        std::string_view line = oldLines[i];
        if (i == 0 && line.starts_with("\xEF\xBB\xBF")) {
            line.remove_prefix(3); // a byte order mark reads the same in both encodings
        }
        if ((i < head || i >= oldLines.size() - tail) && !isAscii(line)) {
            change.keptAscii = false;
        }
    }
    return change;
}

} // namespace kumoden::fuzz
