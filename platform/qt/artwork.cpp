#include "platform/qt/artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace kumoden {
namespace {

const QColor kInk(40, 48, 60);
const QColor kPaper(252, 252, 248);
const QColor kAccent(200, 48, 40);
const QColor kBody(92, 104, 120);
const QColor kLamp(64, 200, 96);

// A sheet with its top-right corner folded over, a red band and grey lines
// of text, in the given box.
void drawSheet(QPainter& p, const QRectF& r)
{
    const qreal fold = r.width() * 0.32;
    QPainterPath sheet;
    sheet.moveTo(r.topLeft());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.bottomRight());
    sheet.lineTo(r.bottomLeft());
    sheet.closeSubpath();
    p.setPen(QPen(kInk, r.width() / 14.0));
    p.setBrush(kPaper);
    p.drawPath(sheet);

    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    corner.closeSubpath();
    p.setBrush(QColor(214, 218, 226));
    p.drawPath(corner);

    const qreal margin = r.width() * 0.16;
    const qreal band = r.height() * 0.16;
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRect(QRectF(r.left() + margin, r.top() + fold + band * 0.2, r.width() - 2 * margin, band));
    p.setBrush(QColor(150, 158, 170));
    const qreal line = r.height() * 0.06;
    for (int i = 0; i < 2; ++i) {
        const qreal y = r.top() + fold + band * (1.6 + 1.1 * i);
        p.drawRect(QRectF(r.left() + margin, y, (r.width() - 2 * margin) * (i == 0 ? 1.0 : 0.7), line));
    }
}

// A printer whose top edge the sheet comes out of, in the given box.
void drawPrinter(QPainter& p, const QRectF& r)
{
    QLinearGradient shade(r.topLeft(), r.bottomLeft());
    shade.setColorAt(0, kBody.lighter(135));
    shade.setColorAt(1, kBody.darker(115));
    p.setPen(QPen(kInk, r.height() / 9.0));
    p.setBrush(shade);
    const qreal radius = r.height() * 0.18;
    p.drawRoundedRect(r, radius, radius);

    const QRectF slot(r.left() + r.width() * 0.18, r.top() + r.height() * 0.62, r.width() * 0.64,
                      r.height() * 0.14);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRect(slot);
    const qreal lamp = r.height() * 0.2;
    p.setBrush(kLamp);
    p.drawEllipse(QRectF(r.right() - r.width() * 0.14 - lamp / 2, r.top() + r.height() * 0.22, lamp, lamp));
}

// The icon's scene filling a square.
void drawScene(QPainter& p, const QRectF& square)
{
    const qreal s = square.width();
    const QRectF sheet(square.left() + s * 0.24, square.top() + s * 0.04, s * 0.52, s * 0.62);
    const QRectF printer(square.left() + s * 0.06, square.top() + s * 0.52, s * 0.88, s * 0.42);
    drawSheet(p, sheet);
    drawPrinter(p, printer);
}

QPixmap sceneOfSize(int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawScene(p, QRectF(0, 0, side, side));
    return pixmap;
}

} // namespace

QIcon trayIcon()
{
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48}) {
        icon.addPixmap(sceneOfSize(side));
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

    QLinearGradient sky(0, 0, 0, 88);
    sky.setColorAt(0, QColor(228, 238, 250));
    sky.setColorAt(1, QColor(190, 210, 236));
    p.setPen(QPen(kInk.lighter(160), 1));
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(0.5, 0.5, 111, 87), 8, 8);

    drawScene(p, QRectF(30, 2, 52, 52));

    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(17);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRectF(0, 56, 112, 28), Qt::AlignCenter, QStringLiteral("Kumoden"));
    return pixmap;
}

} // namespace kumoden
