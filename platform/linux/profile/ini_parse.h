#pragma once

#include "platform/linux/profile/text_encoding.h"

#include <cstddef>
#include <string_view>

namespace kumoden::profile {

enum class LineKind { Blank, Comment, Section, Key, Other };

// One line of a profile file. Offsets count from the start of the file.
struct IniLine {
    std::size_t begin = 0; // first byte of the line
    std::size_t end = 0;   // past its content, before the line end
    std::size_t next = 0;  // first byte of the next line (end of file at the last)
    LineKind kind = LineKind::Other;
    // Section: the text between the brackets; Key: the text before '='.
    // Blanks around it are not part of it.
    std::size_t nameBegin = 0;
    std::size_t nameEnd = 0;
    std::size_t equals = 0; // Key: where its '=' is, or end when it has none
    bool hasEquals = false;
};

// Where the lines start: past a UTF-8 byte order mark, if any.
std::size_t bodyStart(std::string_view file);

// Splits off and classifies the line starting at `pos` (< file.size()).
// Line ends are "\r\n", "\n" or a lone "\r".
IniLine readLine(std::string_view file, std::size_t pos, TextEncoding encoding);

// The line end the file uses: "\r\n" when its first line end is one,
// else "\n" (also for a file without line ends).
std::string_view lineEndStyle(std::string_view file);

// A key line's value: blanks around it dropped, then one pair of enclosing
// quotes ('...' or "..."). A key line without '=' has the empty value.
std::string_view keyValue(std::string_view file, const IniLine& line);

// Blanks (space, tab) around the text dropped. The result lies within the
// text: an all-blank text gives the empty view at its end.
std::string_view trimBlanks(std::string_view text);

// Whether a name in the file is the wanted UTF-8 name, ignoring the case
// of ASCII letters.
bool nameMatches(std::string_view fileName, TextEncoding encoding, std::string_view wanted);

// Where a key is, found the way Windows finds it: the first section of the
// name, then the first key of the name in it. In a CP932 file a name with
// a character of kCp932BestFit is the name spelt with its fit. The lines before the first
// section header make up the section with the empty name.
struct KeyLookup {
    bool sectionFound = false;
    bool keyFound = false;
    IniLine key;         // the key's line, when found
    IniLine lastContent; // the section's last non-blank line (its header at least)
};

KeyLookup findKey(std::string_view file, TextEncoding encoding, std::string_view section,
                  std::string_view key);

} // namespace kumoden::profile
