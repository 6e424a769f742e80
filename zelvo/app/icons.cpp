#include "zelvo/app/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zelvo {

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64, 128};

// The orbit, the Sun and the minor planet in the square r.
void drawOrbit(QPainter& p, const QRectF& r) {
    const double s = r.width();
    const QPointF c = r.center();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(140, 170, 235), std::max(1.0, s / 20)));
    p.drawEllipse(c, s * 0.42, s * 0.25);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 210, 80));
    p.drawEllipse(c - QPointF(s * 0.12, 0), s * 0.13, s * 0.13);
    p.setBrush(QColor(235, 235, 245));
    p.drawEllipse(c + QPointF(s * 0.36, s * 0.13), s * 0.07, s * 0.07);
}

QPixmap programPixmap(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, size - 1.0, size - 1.0);
    p.setPen(QPen(QColor(30, 45, 90), 1));
    p.setBrush(QColor(12, 20, 48));
    p.drawRoundedRect(r, size / 6.0, size / 6.0);
    drawOrbit(p, r.adjusted(size * 0.04, size * 0.04, -size * 0.04, -size * 0.04));
    return pm;
}

QPixmap documentPixmap(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    const double l = s * 0.14, t = s * 0.04, rgt = s * 0.86, b = s * 0.96, fold = s * 0.22;
    QPainterPath page;
    page.moveTo(l, t);
    page.lineTo(rgt - fold, t);
    page.lineTo(rgt, t + fold);
    page.lineTo(rgt, b);
    page.lineTo(l, b);
    page.closeSubpath();
    p.setPen(QPen(QColor(90, 100, 120), std::max(1.0, s / 32)));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawLine(QPointF(rgt - fold, t), QPointF(rgt - fold, t + fold));
    p.drawLine(QPointF(rgt - fold, t + fold), QPointF(rgt, t + fold));
    // The lines of a result list.
    p.setPen(QPen(QColor(60, 70, 90), std::max(1.0, s / 24)));
    for (int i = 0; i < 4; ++i) {
        const double y = t + s * (0.36 + 0.13 * i);
        p.drawLine(QPointF(l + s * 0.08, y), QPointF(rgt - s * (i % 2 == 0 ? 0.08 : 0.22), y));
    }
    // The program's orbit in the upper left corner.
    const double d = s * 0.34;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(12, 20, 48));
    p.drawRoundedRect(QRectF(l + s * 0.04, t + s * 0.04, d, d), d / 6, d / 6);
    drawOrbit(p, QRectF(l + s * 0.04, t + s * 0.04, d, d));
    return pm;
}

QIcon makeIcon(QPixmap (*draw)(int)) {
    QIcon icon;
    for (int size : kSizes) icon.addPixmap(draw(size));
    return icon;
}

}  // namespace

QIcon program_icon() { return makeIcon(programPixmap); }

QIcon documentIcon() { return makeIcon(documentPixmap); }

}  // namespace zelvo
