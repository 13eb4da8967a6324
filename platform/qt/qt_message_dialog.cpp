#include "platform/qt/qt_message_dialog.h"

#include <QMessageBox>

namespace kumoden {

void QtMessageDialog::show(const std::string& text, const std::string& title, MessageButtons buttons)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text));
    if (buttons == MessageButtons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

} // namespace kumoden
