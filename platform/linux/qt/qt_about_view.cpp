#include "platform/linux/qt/qt_about_view.h"

#include "platform/linux/qt/artwork.h"
#include "platform/linux/qt/qt_form_support.h"

#include <QDialog>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace kumoden {
namespace {

// An etched rule: a grey line with a white one a pixel below it.
QPixmap etchedLine(int width)
{
    QPixmap pixmap(width, 2);
    QPainter p(&pixmap);
    p.setPen(QColor(128, 128, 128));
    p.drawLine(0, 0, width - 1, 0);
    p.setPen(Qt::white);
    p.drawLine(0, 1, width - 1, 1);
    return pixmap;
}

} // namespace

void QtAboutView::showModal()
{
    QDialog frmAbout(nullptr, kFixedDialogFlags);
    frmAbout.setObjectName(captionOf(m_design.name));
    frmAbout.setWindowTitle(captionOf(m_design.caption));
    frmAbout.setFixedSize(twipsSize(m_design.clientWidth, m_design.clientHeight));
    frmAbout.setFont(formFont(m_design.font.points, m_design.font.bold));

    for (const ControlDesign& control : m_design.controls) {
        switch (control.kind) {
        case ControlKind::Picture: {
            auto* picture = designed(new QLabel(&frmAbout), control);
            picture->setPixmap(productPicture());
            picture->setScaledContents(true);
            break;
        }
        case ControlKind::Label: {
            QString caption = captionOf(control.caption());
            // The version the build was made as.
            if (control.name == "Label4") {
                caption += QStringLiteral(KUMODEN_VERSION);
            }
            designed(new QLabel(caption, &frmAbout), control);
            break;
        }
        case ControlKind::Line: {
            const QRect line = twipsRect(control.box);
            auto* rule = designed(new QLabel(&frmAbout), control);
            rule->setGeometry(line.left(), line.top(), line.width(), 2);
            rule->setPixmap(etchedLine(line.width()));
            break;
        }
        case ControlKind::Button: {
            auto* button = designed(new QPushButton(captionOf(control.caption()), &frmAbout), control);
            button->setDefault(control.isDefault);
            button->setFocus();
            QObject::connect(button, &QPushButton::clicked, &frmAbout, &QDialog::accept);
            break;
        }
        default:
            break;
        }
    }

    // Enter presses the default button and Esc rejects: both close the box.
    keepIconLive(frmAbout);
    frmAbout.exec();
}

} // namespace kumoden
