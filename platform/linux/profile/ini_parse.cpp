#include "platform/linux/profile/ini_parse.h"

namespace kumoden::profile {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// What surrounds a name or a value without being part of it.
constexpr std::string_view kBlanks = " \t";

char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// The first ']' in [from, end), or end. In CP932 a trail byte can be 0x5D,
// so the search steps over whole characters there.
std::size_t findClosingBracket(std::string_view file, std::size_t from, std::size_t end,
                               TextEncoding encoding)
{
    const std::string_view text = file.substr(0, end);
    if (encoding == TextEncoding::Utf8) {
        const std::size_t found = text.find(']', from);
        return found == std::string_view::npos ? end : found;
    }
    std::size_t pos = from;
    while (pos < end && text[pos] != ']') {
        pos += cp932CharLength(text, pos);
    }
    return pos;
}

// Narrows [begin, end) to leave out blanks at both sides.
void trimRange(std::string_view file, std::size_t& begin, std::size_t& end)
{
    const std::string_view trimmed = trimBlanks(file.substr(begin, end - begin));
    begin = static_cast<std::size_t>(trimmed.data() - file.data());
    end = begin + trimmed.size();
}

} // namespace

std::size_t bodyStart(std::string_view file)
{
    return file.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
}

IniLine readLine(std::string_view file, std::size_t pos, TextEncoding encoding)
{
    IniLine line;
    line.begin = pos;
    // '\r' and '\n' are below every CP932 trail byte, so a byte search is safe.
    const std::size_t lineEnd = file.find_first_of("\r\n", pos);
    if (lineEnd == std::string_view::npos) {
        line.end = line.next = file.size();
    } else {
        line.end = lineEnd;
        line.next = lineEnd + 1;
        if (file[lineEnd] == '\r' && line.next < file.size() && file[line.next] == '\n') {
            ++line.next;
        }
    }

    std::size_t start = pos;
    std::size_t contentEnd = line.end;
    trimRange(file, start, contentEnd);
    if (start == contentEnd) {
        line.kind = LineKind::Blank;
        return line;
    }
    if (file[start] == ';') {
        line.kind = LineKind::Comment;
        return line;
    }
    if (file[start] == '[') {
        const std::size_t close = findClosingBracket(file, start + 1, line.end, encoding);
        if (close < line.end) {
            line.kind = LineKind::Section;
            line.nameBegin = start + 1;
            line.nameEnd = close;
            trimRange(file, line.nameBegin, line.nameEnd);
            return line;
        }
    }
    // A line without '=' is a key too, one without a value.
    const std::size_t equals = file.substr(0, line.end).find('=', start);
    line.kind = LineKind::Key;
    line.hasEquals = equals != std::string_view::npos;
    line.equals = line.hasEquals ? equals : line.end;
    line.nameBegin = start;
    line.nameEnd = line.equals;
    trimRange(file, line.nameBegin, line.nameEnd);
    return line;
}

std::string_view lineEndStyle(std::string_view file)
{
    const std::size_t found = file.find_first_of("\r\n");
    if (found != std::string_view::npos && file.substr(found, 2) == "\r\n") {
        return "\r\n";
    }
    return "\n";
}

std::string_view keyValue(std::string_view file, const IniLine& line)
{
    if (!line.hasEquals) {
        return {};
    }
    std::string_view value = trimBlanks(file.substr(line.equals + 1, line.end - line.equals - 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

std::string_view trimBlanks(std::string_view text)
{
    const std::size_t begin = text.find_first_not_of(kBlanks);
    if (begin == std::string_view::npos) {
        return text.substr(text.size()); // empty, where the blanks end
    }
    return text.substr(begin, text.find_last_not_of(kBlanks) - begin + 1);
}

bool nameMatches(std::string_view fileName, TextEncoding encoding, std::string_view wanted)
{
    if (encoding == TextEncoding::Cp932 && !isAscii(fileName)) {
        return equalsIgnoringAsciiCase(cp932ToUtf8(fileName), wanted);
    }
    return equalsIgnoringAsciiCase(fileName, wanted);
}

KeyLookup findKey(std::string_view file, TextEncoding encoding, std::string_view section,
                  std::string_view key)
{
    // A CP932 file holds the names as Windows wrote them, best fit applied.
    std::string heldSection;
    std::string heldKey;
    if (encoding == TextEncoding::Cp932) {
        heldSection = cp932ReadBack(section);
        heldKey = cp932ReadBack(key);
        section = heldSection;
        key = heldKey;
    }
    KeyLookup result;
    bool inSection = section.empty();
    std::size_t pos = bodyStart(file);
    while (pos < file.size()) {
        const IniLine line = readLine(file, pos, encoding);
        pos = line.next;
        const std::string_view name = file.substr(line.nameBegin, line.nameEnd - line.nameBegin);
        if (line.kind == LineKind::Section) {
            if (inSection) {
                break; // the section ends; a later one of the same name is not looked at
            }
            if (nameMatches(name, encoding, section)) {
                inSection = true;
                result.sectionFound = true;
                result.lastContent = line;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (line.kind != LineKind::Blank) {
            result.lastContent = line;
        }
        if (line.kind == LineKind::Key && nameMatches(name, encoding, key)) {
            result.keyFound = true;
            result.key = line;
            break;
        }
    }
    return result;
}

} // namespace kumoden::profile
