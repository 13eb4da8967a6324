#pragma once

#include <QFont>

namespace kumoden {

// The forms' font family as their designs name it; Linux has no such font,
// so the substitutes below stand in.
inline constexpr const char* kFormFontFamily = "ＭＳ Ｐゴシック";

// Maps the forms' fonts to the ones this platform has. Safe to call again.
void installFontSubstitutes();

// The forms' font in the given size; installs the substitutes first.
QFont formFont(double pointSize, bool bold = false);

} // namespace kumoden
