#include "AppIcon.h"

#include <QPainter>
#include <QPixmap>

namespace vantor::app {

namespace {

// A joystick on an arcade-cabinet blue: readable from 16 to 64 pixels.
QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x4e, 0x9a));
    painter.drawRoundedRect(QRectF(0, 0, s, s), s * 0.18, s * 0.18);
    painter.setBrush(QColor(0xe8, 0xe8, 0xe8));
    painter.drawRoundedRect(QRectF(s * 0.18, s * 0.68, s * 0.64, s * 0.16), s * 0.05, s * 0.05);
    painter.drawRect(QRectF(s * 0.46, s * 0.34, s * 0.08, s * 0.36));
    painter.setBrush(QColor(0xe0, 0x30, 0x30));
    painter.drawEllipse(QPointF(s * 0.5, s * 0.3), s * 0.16, s * 0.16);
    return pixmap;
}

}  // namespace

QIcon AppIcon() {
    static const QIcon icon = [] {
        QIcon made;
        for (int size : {16, 24, 32, 48, 64}) made.addPixmap(DrawIcon(size));
        return made;
    }();
    return icon;
}

}  // namespace vantor::app
