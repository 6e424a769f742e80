#include "zelvo/graphics/plottoolbars.h"

#include <QPainter>
#include <QPainterPath>

#include "framework/ids.h"
#include "framework/toolicons.h"

namespace zelvo {

namespace {
const QColor kInk(30, 30, 30);
const QColor kBlue(40, 90, 200);
const QColor kGreen(20, 140, 60);
const QColor kRed(200, 40, 40);

void sign(QPainter& p, QPointF c, bool plus) {
    p.setPen(QPen(kRed, 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(c.x() - 2.5, c.y()), QPointF(c.x() + 2.5, c.y()));
    if (plus) p.drawLine(QPointF(c.x(), c.y() - 2.5), QPointF(c.x(), c.y() + 2.5));
}

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& c) {
    p.setPen(QPen(c, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF n(-d.y(), d.x());
    QPolygonF head;
    head << to + d * 1.5 << to - d * 2.5 + n * 2.5 << to - d * 2.5 - n * 2.5;
    p.setBrush(c);
    p.setPen(Qt::NoPen);
    p.drawPolygon(head);
}

// An orbit around the Sun with a body on it.
void orbit(QPainter& p) {
    p.setPen(QPen(kBlue, 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(1.5, 3.5, 10, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 190, 40));
    p.drawEllipse(QPointF(5, 7), 1.8, 1.8);
}

void backMotion(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    QPolygonF a, b;
    a << QPointF(1, 7.5) << QPointF(8, 2.5) << QPointF(8, 12.5);
    b << QPointF(8, 7.5) << QPointF(15, 2.5) << QPointF(15, 12.5);
    p.drawPolygon(a);
    p.drawPolygon(b);
}

void velocity(QPainter& p, bool plus) {
    orbit(p);
    arrow(p, QPointF(9, 12.5), QPointF(14, 9), kGreen);
    sign(p, QPointF(12.5, 3), plus);
}
void velocityMinus(QPainter& p) { velocity(p, false); }
void velocityPlus(QPainter& p) { velocity(p, true); }

// A globe with its meridian and equator, turned as the arrow shows.
void globe(QPainter& p) {
    p.setPen(QPen(kBlue, 1));
    p.setBrush(QColor(190, 215, 250));
    p.drawEllipse(QRectF(1.5, 2.5, 10, 10));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(4.5, 2.5, 4, 10));
    p.drawLine(QPointF(1.5, 7.5), QPointF(11.5, 7.5));
}
void longitude(QPainter& p, bool plus) {
    globe(p);
    if (plus)
        arrow(p, QPointF(3, 14), QPointF(11, 14), kGreen);
    else
        arrow(p, QPointF(11, 14), QPointF(3, 14), kGreen);
    sign(p, QPointF(13.5, 3), plus);
}
void longitudeMinus(QPainter& p) { longitude(p, false); }
void longitudePlus(QPainter& p) { longitude(p, true); }
void latitude(QPainter& p, bool plus) {
    globe(p);
    if (plus)
        arrow(p, QPointF(14, 12), QPointF(14, 5), kGreen);
    else
        arrow(p, QPointF(14, 5), QPointF(14, 12), kGreen);
    sign(p, QPointF(13, 1.8), plus);
}
void latitudeMinus(QPainter& p) { latitude(p, false); }
void latitudePlus(QPainter& p) { latitude(p, true); }

void magnifier(QPainter& p, bool plus) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(230, 240, 255));
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14, 13.5));
    sign(p, QPointF(6, 6), plus);
}
void scaleMinus(QPainter& p) { magnifier(p, false); }
void scalePlus(QPainter& p) { magnifier(p, true); }

void stop(QPainter& p) {
    p.setPen(QPen(QColor(120, 0, 0), 1));
    p.setBrush(kRed);
    p.drawRect(QRectF(3.5, 3, 9, 9));
}

// The track view: a window of the sky with a track, the Sun, the Moon and
// the time arrows.
void changeScale(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(40, 60, 170));
    p.drawRect(QRectF(0.5, 1.5, 14, 12));
    p.setPen(QPen(Qt::white, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(4.5, 4.5, 6, 6));
    p.setPen(QPen(QColor(250, 220, 60), 1.2));
    QPainterPath track;
    track.moveTo(1.5, 11);
    track.cubicTo(5, 6, 9, 9, 14, 3);
    p.drawPath(track);
}

void sun(QPainter& p) {
    p.setPen(QPen(QColor(230, 150, 0), 1.2, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        const double a = i * 3.14159265 / 4;
        p.drawLine(QPointF(8 + 4.5 * std::cos(a), 7.5 + 4.5 * std::sin(a)),
                   QPointF(8 + 6.8 * std::cos(a), 7.5 + 6.8 * std::sin(a)));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 200, 50));
    p.drawEllipse(QPointF(8, 7.5), 3.5, 3.5);
}

void moon(QPainter& p) {
    QPainterPath disc, bite;
    disc.addEllipse(QPointF(8, 7.5), 6, 6);
    bite.addEllipse(QPointF(11, 6), 5.5, 5.5);
    p.setPen(QPen(QColor(110, 110, 90), 1));
    p.setBrush(QColor(240, 235, 190));
    p.drawPath(disc.subtracted(bite));
}

void timeArrow(QPainter& p, bool forward) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(forward ? 1.5 : 6.5, 1.5, 8, 8));
    p.drawLine(QPointF(forward ? 5.5 : 10.5, 5.5), QPointF(forward ? 5.5 : 10.5, 3));
    p.drawLine(QPointF(forward ? 5.5 : 10.5, 5.5), QPointF(forward ? 7.5 : 12.5, 5.5));
    if (forward)
        arrow(p, QPointF(3, 12.5), QPointF(13.5, 12.5), kGreen);
    else
        arrow(p, QPointF(13, 12.5), QPointF(2.5, 12.5), kGreen);
}
void timeBackward(QPainter& p) { timeArrow(p, false); }
void timeForward(QPainter& p) { timeArrow(p, true); }
}  // namespace

void addPlotToolbars(fw::ResourceTables& r) {
    using namespace cmd;
    r.toolbars[kOrbitToolbar] = {{kOrbitBackMotion, "Back motion"},
                                 {kOrbitVelocityMinus, "Velocity -"},
                                 {kOrbitVelocityPlus, "Velocity +"},
                                 {0, ""},
                                 {kOrbitLongitudeMinus, "Longitude -"},
                                 {kOrbitLongitudePlus, "Longitude +"},
                                 {kOrbitLatitudeMinus, "Latitude -"},
                                 {kOrbitLatitudePlus, "Latitude +"},
                                 {0, ""},
                                 {kOrbitScaleMinus, "Scale -"},
                                 {kOrbitScalePlus, "Scale +"},
                                 {0, ""},
                                 {kOrbitStop, "Stop"},
                                 {0, ""},
                                 {fw::ids::kAppAbout, "About"},
                                 {fw::ids::kFilePrint, "Print"}};
    r.toolbars[kTraceToolbar] = {
        {kTraceChangeScale, "Change current scale"},  {0, ""}, {kTraceShowSun, "Display or hide Sun"},
        {kTraceShowMoon, "Display or hide Moon"},     {0, ""}, {kTraceTimeBackward, "Go backward by the time"},
        {kTraceTimeForward, "Go forward by the time"}};
    fw::register_tool_icon(kOrbitBackMotion, backMotion);
    fw::register_tool_icon(kOrbitVelocityMinus, velocityMinus);
    fw::register_tool_icon(kOrbitVelocityPlus, velocityPlus);
    fw::register_tool_icon(kOrbitLongitudeMinus, longitudeMinus);
    fw::register_tool_icon(kOrbitLongitudePlus, longitudePlus);
    fw::register_tool_icon(kOrbitLatitudeMinus, latitudeMinus);
    fw::register_tool_icon(kOrbitLatitudePlus, latitudePlus);
    fw::register_tool_icon(kOrbitScaleMinus, scaleMinus);
    fw::register_tool_icon(kOrbitScalePlus, scalePlus);
    fw::register_tool_icon(kOrbitStop, stop);
    fw::register_tool_icon(kTraceChangeScale, changeScale);
    fw::register_tool_icon(kTraceShowSun, sun);
    fw::register_tool_icon(kTraceShowMoon, moon);
    fw::register_tool_icon(kTraceTimeBackward, timeBackward);
    fw::register_tool_icon(kTraceTimeForward, timeForward);
}

}  // namespace zelvo
