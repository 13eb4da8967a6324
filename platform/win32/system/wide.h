#pragma once

#include <string>
#include <string_view>

namespace kumoden {

// UTF-8 (the program's text) to UTF-16 (the wide Windows API) and back.
// Ill-formed input is not refused: each bad sequence becomes U+FFFD, so a
// name always reaches the system as something rather than vanishing.
std::wstring ToWide(std::string_view text);
std::string ToUtf8(std::wstring_view text);

} // namespace kumoden
