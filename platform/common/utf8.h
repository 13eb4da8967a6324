#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kumoden {

// One character read from UTF-8 text: its code point and how many bytes
// it takes.
struct Utf8Char {
    std::uint32_t codePoint;
    std::size_t length;
};

// The character that starts at text[pos] (pos < text.size()); nothing when
// the bytes there start no well-formed sequence: a stray continuation byte,
// an overlong form, a surrogate, a value past U+10FFFF, or a sequence cut
// short.
std::optional<Utf8Char> DecodeUtf8(std::string_view text, std::size_t pos);

// Whether the whole text is well-formed UTF-8 in that sense.
bool IsValidUtf8(std::string_view text);

} // namespace kumoden
