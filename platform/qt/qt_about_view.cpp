#include "platform/qt/qt_about_view.h"

#include "platform/qt/artwork.h"
#include "platform/qt/qt_fonts.h"
#include "platform/qt/qt_form_support.h"

#include <QDialog>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace kumoden {
namespace {

QLabel* addLabel(QDialog& form, const char* name, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, &form);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

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
    frmAbout.setObjectName(QStringLiteral("frmAbout"));
    frmAbout.setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    frmAbout.setFixedSize(twipsSize(5340, 1995));
    frmAbout.setFont(formFont(9));

    auto* image1 = addLabel(frmAbout, "Image1", QString(), twipsRect(0, 0, 1755, 1395));
    image1->setPixmap(productPicture());
    image1->setScaledContents(true);

    addLabel(frmAbout, "Label1", QStringLiteral("Kumoden"), twipsRect(1800, 0, 2535, 255));
    addLabel(frmAbout, "Label2", QStringLiteral("Copyright (C) 2026 Kumoden authors"),
             twipsRect(1800, 240, 3375, 255));
    addLabel(frmAbout, "Label3", QStringLiteral("All rights reserved."), twipsRect(1800, 480, 3375, 255));
    // The version the build was made as.
    addLabel(frmAbout, "Label4", QStringLiteral("バージョン　") + QStringLiteral(KUMODEN_VERSION),
             twipsRect(1800, 840, 3375, 255));

    // Line1 runs from x 120 to 5280 at y 1440.
    const QRect line = twipsRect(120, 1440, 5280 - 120, 0);
    auto* line1 = addLabel(frmAbout, "Line1", QString(), QRect(line.left(), line.top(), line.width(), 2));
    line1->setPixmap(etchedLine(line.width()));

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), &frmAbout);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRect(3840, 1560, 1380, 345));
    cmdOK->setDefault(true);
    cmdOK->setFocus();
    QObject::connect(cmdOK, &QPushButton::clicked, &frmAbout, &QDialog::accept);

    // Enter presses the default button and Esc rejects: both close the box.
    keepIconLive(frmAbout);
    frmAbout.exec();
}

} // namespace kumoden
