#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kumoden::profile {

// How the bytes of a profile file are to be read. Files carried over from
// Windows are CP932; files this program makes are UTF-8.
enum class TextEncoding { Utf8, Cp932 };

bool isAscii(std::string_view text);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text);

// UTF-8 when the text is valid UTF-8 (plain ASCII included), else CP932.
TextEncoding detectEncoding(std::string_view text);

// Bytes taken by the character at `pos`: 2 for a CP932 lead byte followed
// by a trail byte, else 1. Only meaningful at a character boundary.
std::size_t cp932CharLength(std::string_view text, std::size_t pos);

// The longest prefix of at most `limit` bytes that ends at a character
// boundary. `text` must start at a boundary.
std::size_t cutAtCharBoundary(std::string_view text, std::size_t limit, TextEncoding encoding);

// Never fails: bytes CP932 cannot decode become U+FFFD.
std::string cp932ToUtf8(std::string_view text);

// The characters Windows writes as another one in code page 932 (its best
// fit, which the profile functions have always applied), and what they
// read back as: the yen sign is the byte 5C, the backslash. No other
// character changes on its way into a CP932 file.
struct Cp932Fit {
    std::string_view written;
    std::string_view readsAs;
};
inline constexpr std::array<Cp932Fit, 9> kCp932BestFit{{
    {"\u00A5", "\\"},     // ¥ -> 5C
    {"\u203E", "~"},      // ‾ -> 7E
    {"\u301C", "\uFF5E"}, // 〜 -> ～ 8160
    {"\u2016", "\u2225"}, // ‖ -> ∥ 8161
    {"\u2212", "\uFF0D"}, // − -> － 817C
    {"\u00A2", "\uFFE0"}, // ¢ -> ￠ 8191
    {"\u00A3", "\uFFE1"}, // £ -> ￡ 8192
    {"\u00AC", "\uFFE2"}, // ¬ -> ￢ 81CA
    {"\u2014", "\u2015"}, // — -> ― 815C
}};

// UTF-8 text as a CP932 file gives it back once written: kCp932BestFit applied.
std::string cp932ReadBack(std::string_view text);

// Nothing when the text is not valid UTF-8 or holds a character CP932
// cannot represent; the characters of kCp932BestFit take their fit.
std::optional<std::string> utf8ToCp932(std::string_view text);

// The file's bytes as UTF-8.
std::string toUtf8(std::string_view text, TextEncoding encoding);

// UTF-8 text in the file's encoding; nothing when it cannot be represented.
std::optional<std::string> fromUtf8(std::string_view text, TextEncoding encoding);

} // namespace kumoden::profile
