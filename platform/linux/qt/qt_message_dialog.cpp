#include "platform/linux/qt/qt_message_dialog.h"

#include <QApplication>
#include <QMessageBox>

namespace kumoden {

void QtMessageDialog::show(const std::string& text, const std::string& title, MessageButtons buttons)
{
    // Over the modal window in front, when there is one, so that it comes
    // up above it.
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::NoButton, QApplication::activeModalWidget());
    if (buttons == MessageButtons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    // Without a window manager nobody else gives the focus back.
    if (QWidget* owner = box.parentWidget()) {
        owner->activateWindow();
    }
}

} // namespace kumoden
