#include "tools/kumoden-print/print_args.h"

#include <array>
#include <cstdint>

namespace kumoden {

namespace {

// A switch is "/" and one character; anything longer starting with "/" is
// an absolute path.
bool isSwitch(const std::string& arg)
{
    return arg.size() == 2 && arg[0] == '/';
}

bool isKnownSwitch(char letter)
{
    switch (letter) {
    case 't':
    case 'T':
    case 'n':
    case 'N':
    case 's':
    case 'S':
    case 'h':
    case 'H':
        return true;
    default:
        return false;
    }
}

// Length of the well-formed UTF-8 sequence at text[at], 0 when the bytes
// there are not one (stray continuation, overlong form, surrogate, beyond
// U+10FFFF, cut short).
std::size_t utf8Length(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(at);
    std::size_t length = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    // Only the second byte has a narrower range; the rest are 80..BF.
    if (byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";
constexpr std::size_t maxTitleBytes = 255;

} // namespace

PrintArgs parsePrintArgs(const std::vector<std::string>& args)
{
    PrintArgs result;
    std::size_t next = 0;
    for (; next < args.size() && isSwitch(args[next]); ++next) {
        if (!isKnownSwitch(args[next][1])) {
            result.error = "unknown switch " + args[next];
            return result;
        }
    }
    const std::size_t positional = args.size() - next;
    if (positional == 0) {
        result.error = "no file given";
        return result;
    }
    if (positional > 4) {
        result.error = "too many arguments (file, printer, driver and port at most)";
        return result;
    }
    const std::array<std::string*, 4> targets{&result.file, &result.printer, &result.driver, &result.port};
    for (std::size_t i = 0; i < positional; ++i) {
        *targets[i] = args[next + i];
    }
    if (result.file.empty()) {
        result.error = "no file given";
    }
    return result;
}

std::string jobTitle(std::string_view file)
{
    // Base name: whatever follows the last separator.
    const auto slash = file.find_last_of('/');
    const std::string_view base = slash == std::string_view::npos ? file : file.substr(slash + 1);

    std::string title;
    for (std::size_t at = 0; at < base.size();) {
        const std::size_t length = utf8Length(base, at);
        std::string_view piece;
        if (length == 0) {
            piece = replacementCharacter;
            at += 1;
        } else {
            piece = base.substr(at, length);
            const auto first = static_cast<std::uint8_t>(piece[0]);
            if (length == 1 && (first < 0x20 || first == 0x7F)) {
                piece = replacementCharacter;
            }
            at += length;
        }
        if (title.size() + piece.size() > maxTitleBytes) {
            break;
        }
        title += piece;
    }
    return title;
}

bool isQueueName(std::string_view name)
{
    if (name.empty() || name.size() > 127) {
        return false;
    }
    for (const char c : name) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte <= 0x20 || byte == 0x7F) {
            return false;
        }
        if (c == '/' || c == '\\' || c == '?' || c == '\'' || c == '"' || c == '#') {
            return false;
        }
    }
    return true;
}

bool hasPdfHeader(std::string_view head)
{
    return head.substr(0, 1024).find("%PDF-") != std::string_view::npos;
}

} // namespace kumoden
