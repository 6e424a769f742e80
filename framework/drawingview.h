// The window of a plot: a scrolling view that paints through the drawing
// interface (framework/dc.h) into a memory picture of the window's size and
// shows it.
//
// The view keeps its picture between paints, as a window of the original
// platform keeps its pixels: invalidate(false) repaints over what is there,
// invalidate(true) has the client erase the background first. Scrolling
// follows the scroll sizes in MM_TEXT units (pixels): the drawing context
// handed to paint() has its viewport origin moved by the scroll position;
// mouse positions are given in the window's own pixels.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <map>

#include "dc.h"

namespace fw {

enum class MouseButton { Left, Right, Middle };

// What a plot does when its window asks (the window's messages).
class DrawingClient {
public:
    virtual ~DrawingClient() = default;
    // Erases the area (window pixels) before a paint that asked for it.
    // The default fills it white.
    virtual void eraseBackground(Dc& dc, const Rect& area);
    // Paints the picture (the context is prepared for the scroll position).
    virtual void paint(Dc& dc) = 0;
    virtual void buttonDown(MouseButton, Point) {}
    virtual void buttonUp(MouseButton, Point) {}
    // The window's client area has a new size.
    virtual void resized(int /*width*/, int /*height*/) {}
    virtual void timer(int /*id*/) {}
    virtual void focusChanged(bool /*gained*/) {}
};

class DrawingView : public QAbstractScrollArea {
public:
    explicit DrawingView(DrawingClient& client, QWidget* parent = nullptr);
    ~DrawingView() override;

    // The size of the whole picture and the steps of a page and a line of
    // scrolling (0: a tenth of the size above). A picture no larger than
    // the window does not scroll.
    void setScrollSizes(Size total, Size page = {}, Size line = {});
    Size scrollSizes() const { return total_; }
    Point scrollPosition() const;
    // The client area (the part of the window the picture is shown in).
    Size clientSize() const;

    // Asks for a repaint, with the background erased first or not.
    void invalidate(bool erase = true);
    // Paints now what is waiting to be painted (into the picture even while
    // the window is not on the screen).
    void updateWindow();
    // Timer id of the view, every ms milliseconds (set again: restarted).
    void setTimer(int id, int ms);
    void killTimer(int id);
    bool hasTimer(int id) const { return timers_.count(id) != 0; }

    // The picture as the window shows it.
    const QImage& picture() const { return picture_; }
    DeviceInfo deviceInfo() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void updateScrollBars();
    void render();

    DrawingClient& client_;
    QImage picture_;
    bool erase_ = true;
    bool dirty_ = true;  // a paint is waiting
    Size total_{0, 0};
    Size page_{0, 0};
    Size line_{0, 0};
    std::map<int, int> timers_;  // view's id -> Qt's id
};

}  // namespace fw
