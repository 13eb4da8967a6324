#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kumoden {

// Reads a setting's text as a whole number the way the settings have
// always been read: blanks around it are ignored, a sign may lead, commas
// may group the digits, and a fraction is rounded to the nearest whole
// number with halves going to the even neighbour (12.5 -> 12, 13.5 -> 14).
// Nothing when the text is not such a number or the result lies outside
// [minimum, maximum].
std::optional<std::int64_t> TextToWhole(std::string_view text, std::int64_t minimum, std::int64_t maximum);

// The 32-bit and 16-bit signed ranges the settings use.
std::optional<std::int32_t> TextToLong(std::string_view text);
std::optional<std::int16_t> TextToInteger(std::string_view text);

} // namespace kumoden
