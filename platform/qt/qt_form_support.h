#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>

namespace kumoden {

// Form designs give positions in twips; Qt's logical pixels count 15 each.
constexpr int twipsToPixels(int twips)
{
    return twips / 15;
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

inline QSize twipsSize(int width, int height)
{
    return {twipsToPixels(width), twipsToPixels(height)};
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
