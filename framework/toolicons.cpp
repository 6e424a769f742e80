#include "toolicons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <map>

#include "ids.h"

namespace fw {

namespace {
const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 255);

void page(QPainter& p, QRectF r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 3, r.top());
    path.lineTo(r.right(), r.top() + 3);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setBrush(kPaper);
    p.setPen(QPen(kInk, 1));
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 3, r.top()), QPointF(r.right() - 3, r.top() + 3));
    p.drawLine(QPointF(r.right() - 3, r.top() + 3), QPointF(r.right(), r.top() + 3));
}

void icon_new(QPainter& p) { page(p, QRectF(3.5, 1.5, 9, 12)); }

void icon_open(QPainter& p) {
    p.setPen(QPen(QColor(120, 90, 20), 1));
    p.setBrush(QColor(240, 200, 90));
    p.drawRect(QRectF(1.5, 4.5, 12, 8));
    p.setBrush(QColor(250, 225, 130));
    QPolygonF flap;
    flap << QPointF(1.5, 12.5) << QPointF(4.5, 7.5) << QPointF(15.5, 7.5) << QPointF(13.5, 12.5);
    p.drawPolygon(flap);
}

void icon_save(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(60, 90, 170));
    p.drawRect(QRectF(1.5, 1.5, 13, 12));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(4.5, 9.5, 7, 4));
}

void icon_cut(QPainter& p) {
    p.setPen(QPen(kInk, 1.2));
    p.drawLine(QPointF(4, 1), QPointF(10, 10));
    p.drawLine(QPointF(12, 1), QPointF(6, 10));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.5, 11.5), 2.2, 2.2);
    p.drawEllipse(QPointF(11.5, 11.5), 2.2, 2.2);
}

void icon_copy(QPainter& p) {
    page(p, QRectF(1.5, 1.5, 8, 9));
    page(p, QRectF(6.5, 4.5, 8, 9));
}

void icon_paste(QPainter& p) {
    p.setPen(QPen(QColor(110, 80, 30), 1));
    p.setBrush(QColor(200, 160, 90));
    p.drawRect(QRectF(1.5, 2.5, 10, 11));
    p.setBrush(QColor(180, 180, 180));
    p.drawRect(QRectF(4.5, 1.5, 4, 2));
    page(p, QRectF(7.5, 6.5, 7, 8));
}

void icon_print(QPainter& p) {
    page(p, QRectF(4.5, 0.5, 7, 6));
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(170, 170, 170));
    p.drawRect(QRectF(1.5, 6.5, 13, 5));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.setPen(QPen(QColor(0, 160, 0), 1));
    p.drawPoint(QPointF(12.5, 8.5));
}

void icon_about(QPainter& p) {
    p.setPen(QPen(QColor(20, 60, 150), 1));
    p.setBrush(QColor(90, 140, 230));
    p.drawEllipse(QRectF(1.5, 1, 13, 13));
    QFont f;
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(1.5, 1, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
}

void icon_plain(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(210, 210, 210));
    p.drawRect(QRectF(3.5, 3.5, 9, 8));
}

std::map<int, IconPainter>& registry() {
    static std::map<int, IconPainter> r{
        {ids::kFileNew, icon_new},     {ids::kFileOpen, icon_open},  {ids::kFileSave, icon_save},
        {ids::kEditCut, icon_cut},     {ids::kEditCopy, icon_copy},  {ids::kEditPaste, icon_paste},
        {ids::kFilePrint, icon_print}, {ids::kAppAbout, icon_about}, {ids::kHelp, icon_about},
    };
    return r;
}

QPixmap render(IconPainter painter, int scale) {
    QPixmap pm(16 * scale, 15 * scale);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(scale, scale);
    painter(p);
    return pm;
}
}  // namespace

void register_tool_icon(int commandId, IconPainter painter) { registry()[commandId] = painter; }

bool has_tool_icon(int commandId) { return registry().count(commandId) != 0; }

QIcon tool_icon(int commandId) {
    auto it = registry().find(commandId);
    const IconPainter painter = it == registry().end() ? icon_plain : it->second;
    QIcon icon;
    icon.addPixmap(render(painter, 1));
    icon.addPixmap(render(painter, 2));
    return icon;
}

}  // namespace fw
