#include "CertificateLogo.h"

#include <QLinearGradient>
#include <QPainter>

namespace certificate {

QPixmap paintCertificateLogo()
{
    constexpr int kWidth = 106;
    constexpr int kHeight = 142;
    QPixmap pixmap(kWidth, kHeight);
    pixmap.fill(Qt::white);

    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient panel(0, 0, 0, kHeight);
    panel.setColorAt(0.0, QColor(0x2f, 0x6f, 0xb5));
    panel.setColorAt(1.0, QColor(0x17, 0x3f, 0x73));
    painter.setPen(Qt::NoPen);
    painter.setBrush(panel);
    painter.drawRoundedRect(QRectF(2, 2, kWidth - 4, kHeight - 4), 10, 10);

    // The cross: two bars in a white circle.
    const QPointF centre(kWidth / 2.0, 50);
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, 32, 32);
    painter.setBrush(QColor(0xc6, 0x28, 0x28));
    painter.drawRoundedRect(QRectF(centre.x() - 8, centre.y() - 22, 16, 44), 3, 3);
    painter.drawRoundedRect(QRectF(centre.x() - 22, centre.y() - 8, 44, 16), 3, 3);

    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(13);
    painter.setFont(font);
    painter.drawText(QRectF(0, 90, kWidth, 18), Qt::AlignCenter, QStringLiteral("Invalidità"));
    painter.drawText(QRectF(0, 108, kWidth, 18), Qt::AlignCenter, QStringLiteral("civile"));
    return pixmap;
}

} // namespace certificate
