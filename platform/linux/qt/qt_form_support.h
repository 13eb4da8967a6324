#pragma once

#include "platform/form_design.h"
#include "platform/linux/qt/qt_fonts.h"

#include <QColor>
#include <QPalette>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace kumoden {

// Form designs give positions in twips; Qt's logical pixels count 15 each,
// whatever the screen (Qt scales logical pixels on high-dpi screens).
inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return twips / kTwipsPerPixel;
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

inline QRect twipsRect(const TwipsBox& box)
{
    return twipsRect(box.left, box.top, box.width, box.height);
}

inline QSize twipsSize(int width, int height)
{
    return {twipsToPixels(width), twipsToPixels(height)};
}

// Gives the widget the control's name, box, font and text colour as
// designed; a control without a font of its own keeps the widget's.
template <typename Widget> Widget* designed(Widget* widget, const ControlDesign& design)
{
    widget->setObjectName(QString::fromUtf8(design.name.data(), static_cast<qsizetype>(design.name.size())));
    widget->setGeometry(twipsRect(design.box));
    if (design.font.points > 0) {
        widget->setFont(formFont(design.font.points, design.font.bold));
    }
    if (design.foreColor != 0) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, QColor::fromRgb(design.foreColor));
        widget->setPalette(palette);
    }
    widget->setEnabled(design.enabled);
    return widget;
}

inline QString captionOf(std::string_view caption)
{
    return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
}

// A fixed-size window with a title and nothing to resize, minimize or
// maximize it with; dialogs add the close button.
inline constexpr Qt::WindowFlags kFixedWindowFlags =
    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint;
inline constexpr Qt::WindowFlags kFixedDialogFlags = kFixedWindowFlags | Qt::WindowCloseButtonHint;

// A dialog that runs modally but leaves the tray icon live: its menu must
// still open (and 終了 still end the program) while the dialog is up. A
// window-modal dialog without a parent blocks no other window; the program
// keeps a second window from opening itself.
inline void keepIconLive(QWidget& dialog)
{
    dialog.setWindowModality(Qt::WindowModal);
}

} // namespace kumoden
