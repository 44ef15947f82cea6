#include "resources/images.h"

#include "resources/resource_ids.h"

#include <QPainter>
#include <QPainterPath>

namespace res {
namespace {

// A database drum with a pen: the program's icon; the result windows get the
// drum over a grid. Drawn into an image, which needs no display.
QImage DrawIcon(int size, bool resultWindow) {
    QImage pm(size, size, QImage::Format_ARGB32_Premultiplied);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    qreal s = size / 32.0;
    p.scale(s, s);
    QColor body = resultWindow ? QColor(0x2e, 0x7d, 0x32) : QColor(0x1e, 0x5a, 0xa8);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(body);
    QPainterPath drum;
    drum.moveTo(4, 8);
    drum.lineTo(4, 24);
    drum.arcTo(QRectF(4, 20, 20, 8), 180, 180);
    drum.lineTo(24, 8);
    drum.closeSubpath();
    p.drawPath(drum);
    p.setBrush(body.lighter(150));
    p.drawEllipse(QRectF(4, 4, 20, 8));
    if (resultWindow) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(16, 16, 14, 13));
        p.setPen(QPen(Qt::black, 0.8));
        for (int y = 20; y < 29; y += 4) p.drawLine(QPointF(16, y), QPointF(30, y));
        p.drawLine(QPointF(21, 16), QPointF(21, 29));
    } else {
        p.setPen(QPen(QColor(0xf9, 0xa8, 0x25), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(18, 28), QPointF(29, 17));
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(QPointF(16, 30), QPointF(18, 28));
    }
    return pm;
}

// Two overlapping sheets: the copy button.
QPixmap DrawCopyBitmap() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(1, 1, 8, 10);
    p.drawRect(6, 4, 8, 10);
    for (int y = 7; y <= 11; y += 2) p.drawLine(8, y, 12, y);
    return pm;
}

// White arrow with a black outline pointing up and to the right, its tip in
// the top-right corner, which is the hot spot.
QCursor DrawLineSelectCursor() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    QPolygon arrow;
    arrow << QPoint(31, 0) << QPoint(31, 12) << QPoint(27, 8) << QPoint(19, 16) << QPoint(15, 12)
          << QPoint(23, 4) << QPoint(19, 0);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(arrow);
    return QCursor(pm, 31, 0);
}

}  // namespace

QIcon LoadIcon(int id) {
    QIcon icon;
    for (int size : {16, 32}) icon.addPixmap(QPixmap::fromImage(DrawIcon(size, id == IDI_RESULT)));
    return icon;
}

QImage RenderIcon(int id, int size) {
    return DrawIcon(size, id == IDI_RESULT);
}

QPixmap LoadBitmap(int id) {
    if (id == IDB_COPY) return DrawCopyBitmap();
    return {};
}

QCursor LoadCursor(int id) {
    if (id == IDC_LINE_SELECT) return DrawLineSelectCursor();
    return QCursor(Qt::ArrowCursor);
}

}  // namespace res
