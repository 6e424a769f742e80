#include "drawingview.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimerEvent>

#include "qtdc.h"

namespace fw {

void DrawingClient::eraseBackground(Dc& dc, const Rect& area) { dc.fillRect(area, Brush::solid(0xFFFFFF)); }

DrawingView::DrawingView(DrawingClient& client, QWidget* parent) : QAbstractScrollArea(parent), client_(client) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

DrawingView::~DrawingView() = default;

void DrawingView::setScrollSizes(Size total, Size page, Size line) {
    total_ = total;
    page_ = {page.cx > 0 ? page.cx : total.cx / 10, page.cy > 0 ? page.cy : total.cy / 10};
    line_ = {line.cx > 0 ? line.cx : page_.cx / 10, line.cy > 0 ? line.cy : page_.cy / 10};
    updateScrollBars();
}

void DrawingView::updateScrollBars() {
    const QSize vp = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, total_.cx - vp.width()));
    verticalScrollBar()->setRange(0, std::max(0, total_.cy - vp.height()));
    horizontalScrollBar()->setPageStep(std::max(1, page_.cx));
    verticalScrollBar()->setPageStep(std::max(1, page_.cy));
    horizontalScrollBar()->setSingleStep(std::max(1, line_.cx));
    verticalScrollBar()->setSingleStep(std::max(1, line_.cy));
}

Point DrawingView::scrollPosition() const { return {horizontalScrollBar()->value(), verticalScrollBar()->value()}; }

Size DrawingView::clientSize() const { return {viewport()->width(), viewport()->height()}; }

DeviceInfo DrawingView::deviceInfo() const {
    return {viewport()->width(), viewport()->height(), static_cast<double>(logicalDpiX()),
            static_cast<double>(logicalDpiY())};
}

void DrawingView::invalidate(bool erase) {
    erase_ = erase_ || erase;
    dirty_ = true;
    viewport()->update();
}

void DrawingView::updateWindow() {
    if (dirty_) render();
    viewport()->repaint();
}

void DrawingView::setTimer(int id, int ms) {
    killTimer(id);
    timers_[id] = startTimer(std::max(0, ms));
}

void DrawingView::killTimer(int id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    QObject::killTimer(it->second);
    timers_.erase(it);
}

void DrawingView::render() {
    dirty_ = false;
    const QSize vp = viewport()->size();
    if (picture_.size() != vp) {
        picture_ = QImage(vp.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        picture_.fill(Qt::white);
        erase_ = true;
    }
    QtDc dc(&picture_);
    if (erase_) {
        erase_ = false;
        dc.saveDC();
        client_.eraseBackground(dc, {0, 0, vp.width(), vp.height()});
        dc.restoreDC(-1);
    }
    const Point s = scrollPosition();
    dc.setViewportOrg(-s.x, -s.y);
    client_.paint(dc);
}

void DrawingView::paintEvent(QPaintEvent*) {
    if (dirty_ || picture_.size() != viewport()->size()) render();
    QPainter(viewport()).drawImage(0, 0, picture_);
}

void DrawingView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    erase_ = true;
    dirty_ = true;
    client_.resized(viewport()->width(), viewport()->height());
}

void DrawingView::scrollContentsBy(int, int) { invalidate(true); }

namespace {
bool button_of(Qt::MouseButton b, MouseButton& out) {
    switch (b) {
        case Qt::LeftButton:
            out = MouseButton::Left;
            return true;
        case Qt::RightButton:
            out = MouseButton::Right;
            return true;
        case Qt::MiddleButton:
            out = MouseButton::Middle;
            return true;
        default:
            return false;
    }
}
}  // namespace

void DrawingView::mousePressEvent(QMouseEvent* event) {
    MouseButton b;
    if (button_of(event->button(), b))
        client_.buttonDown(b, {event->position().toPoint().x(), event->position().toPoint().y()});
}

void DrawingView::mouseReleaseEvent(QMouseEvent* event) {
    MouseButton b;
    if (button_of(event->button(), b))
        client_.buttonUp(b, {event->position().toPoint().x(), event->position().toPoint().y()});
}

void DrawingView::timerEvent(QTimerEvent* event) {
    for (const auto& [id, qt] : timers_)
        if (qt == event->timerId()) {
            client_.timer(id);
            return;
        }
    QAbstractScrollArea::timerEvent(event);
}

void DrawingView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    client_.focusChanged(true);
}

void DrawingView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    client_.focusChanged(false);
}

}  // namespace fw
