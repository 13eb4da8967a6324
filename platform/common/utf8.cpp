#include "platform/common/utf8.h"

namespace kumoden {

std::optional<Utf8Char> DecodeUtf8(std::string_view text, std::size_t pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        return Utf8Char{lead, 1};
    }
    // Leading byte: length of the sequence, its bits of the value, the
    // smallest value a sequence of that length may carry.
    std::size_t length = 4;
    std::uint32_t value = lead & 0x07;
    std::uint32_t minimum = 0x10000;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if (lead < 0xF0 || lead > 0xF4) {
        return std::nullopt;
    }
    if (text.size() - pos < length) {
        return std::nullopt;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[pos + k]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    return Utf8Char{value, length};
}

bool IsValidUtf8(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const auto decoded = DecodeUtf8(text, pos);
        if (!decoded) {
            return false;
        }
        pos += decoded->length;
    }
    return true;
}

} // namespace kumoden
