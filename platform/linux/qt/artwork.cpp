#include "platform/linux/qt/artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

namespace kumoden {
namespace {

const QColor kInk(40, 48, 60);

// The icon in the size closest to side, from the files made from its one
// drawing (resources/icons).
QPixmap iconOfSize(int side)
{
    return QPixmap(QStringLiteral(":/icons/kumoden-%1.png").arg(side));
}

} // namespace

QIcon trayIcon()
{
    QIcon icon;
    for (int side : {16, 24, 32, 48, 256}) {
        icon.addPixmap(iconOfSize(side));
    }
    return icon;
}

QPixmap productPicture()
{
    QPixmap pixmap(112, 88);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);

    QLinearGradient sky(0, 0, 0, 88);
    sky.setColorAt(0, QColor(228, 238, 250));
    sky.setColorAt(1, QColor(190, 210, 236));
    p.setPen(QPen(kInk.lighter(160), 1));
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(0.5, 0.5, 111, 87), 8, 8);

    p.drawPixmap(QRect(30, 2, 52, 52), iconOfSize(256));

    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(17);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRectF(0, 56, 112, 28), Qt::AlignCenter, QStringLiteral("Kumoden"));
    return pixmap;
}

} // namespace kumoden
