#include "ZantoLogo.h"

#include "Fonts.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace widgets {

namespace {

// The blue panel the logo is drawn on.
void paintPanel(QPainter& painter, const QRectF& panel, qreal radius)
{
    QLinearGradient background(panel.topLeft(), panel.bottomLeft());
    background.setColorAt(0.0, QColor(0x1f, 0x4e, 0x9a));
    background.setColorAt(1.0, QColor(0x0b, 0x2a, 0x5c));
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRoundedRect(panel, radius, radius);
}

// A white "Z" whose diagonal is a red stroke.
void paintMark(QPainter& painter, const QRectF& mark, qreal stroke)
{
    const QPen white(Qt::white, stroke, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    painter.setPen(white);
    painter.drawLine(mark.topLeft(), mark.topRight());
    painter.drawLine(mark.bottomLeft(), mark.bottomRight());
    painter.setPen(QPen(QColor(0xd6, 0x1f, 0x26), stroke, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(mark.topRight(), mark.bottomLeft());
}

} // namespace

QPixmap zantoLogo(QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF panel = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(6, 6, -6, -6);
    paintPanel(painter, panel, 10);
    const qreal w = panel.width();
    const QRectF mark(panel.left() + w * 0.2, panel.top() + 14, w * 0.6, w * 0.6);
    paintMark(painter, mark, w * 0.11);

    painter.setPen(Qt::white);
    painter.setFont(verdana(qMax(10, size.width() / 7), true));
    const QRectF nameBox(panel.left(), mark.bottom() + 8, panel.width(), 20);
    painter.drawText(nameBox, Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("ZANTO"));
    painter.setFont(verdana(qMax(8, size.width() / 11)));
    const QRectF tagBox(panel.left(), nameBox.bottom() + 2, panel.width(), 16);
    painter.drawText(tagBox, Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("INPS"));
    return pixmap;
}

QImage zantoEmblem(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (side <= 0)
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The logo's proportions, by the side instead of in pixels: the panel fills the square but for a
    // hair of margin, the "Z" its middle three fifths, with strokes thick enough to show at 16 pixels.
    const qreal s = side;
    const QRectF panel(s * 0.03, s * 0.03, s * 0.94, s * 0.94);
    paintPanel(painter, panel, s * 0.16);
    const qreal markSide = s * 0.56;
    const QRectF mark((s - markSide) / 2, (s - markSide) / 2, markSide, markSide);
    paintMark(painter, mark, qMax(1.5, s * 0.12));
    return image;
}

QList<int> zantoIconSizes()
{
    return {16, 20, 24, 32, 40, 48, 64, 256};
}

QIcon zantoIcon()
{
    QIcon icon;
    for (const int side : zantoIconSizes())
        icon.addPixmap(QPixmap::fromImage(zantoEmblem(side)));
    return icon;
}

} // namespace widgets
