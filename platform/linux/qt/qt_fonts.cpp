#include "platform/linux/qt/qt_fonts.h"

namespace kumoden {

void installFontSubstitutes()
{
    // Package fonts-ipafont-gothic: the proportional Gothic, as the original is.
    QFont::insertSubstitution(QString::fromUtf8(kFormFontFamily), QStringLiteral("IPAPGothic"));
}

QFont formFont(double pointSize, bool bold)
{
    installFontSubstitutes();
    QFont font(QString::fromUtf8(kFormFontFamily));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace kumoden
