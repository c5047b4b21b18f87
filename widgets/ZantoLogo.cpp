#include "ZantoLogo.h"

#include "Fonts.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace widgets {

QPixmap zantoLogo(QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF panel = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(6, 6, -6, -6);
    QLinearGradient background(panel.topLeft(), panel.bottomLeft());
    background.setColorAt(0.0, QColor(0x1f, 0x4e, 0x9a));
    background.setColorAt(1.0, QColor(0x0b, 0x2a, 0x5c));
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRoundedRect(panel, 10, 10);

    // A white "Z" whose diagonal is a red stroke.
    const qreal w = panel.width();
    const QRectF mark(panel.left() + w * 0.2, panel.top() + 14, w * 0.6, w * 0.6);
    QPen white(Qt::white, w * 0.11, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    painter.setPen(white);
    painter.drawLine(mark.topLeft(), mark.topRight());
    painter.drawLine(mark.bottomLeft(), mark.bottomRight());
    painter.setPen(QPen(QColor(0xd6, 0x1f, 0x26), w * 0.11, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(mark.topRight(), mark.bottomLeft());

    painter.setPen(Qt::white);
    painter.setFont(verdana(qMax(10, size.width() / 7), true));
    const QRectF nameBox(panel.left(), mark.bottom() + 8, panel.width(), 20);
    painter.drawText(nameBox, Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("ZANTO"));
    painter.setFont(verdana(qMax(8, size.width() / 11)));
    const QRectF tagBox(panel.left(), nameBox.bottom() + 2, panel.width(), 16);
    painter.drawText(tagBox, Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("INPS"));
    return pixmap;
}

} // namespace widgets
