// MDI child frames. A frame holds one view of one document and may carry
// dialog bars above the view (caption lines of fixed-column lists) and below
// it (a read-only header text). What the bars show is decided by the frame
// class when the frame is created (a plain BarLayout list that tests can read);
// the widgets only show it. The caption lines follow the columns of a view
// that tells where they lie (TextColumns, as the line lists do), so every
// caption stands over its column whatever the window's size and scrolling.
#pragma once

#include <QMdiSubWindow>
#include <memory>
#include <string>
#include <vector>

#include "command.h"

class QWidget;
class QVBoxLayout;

namespace fw {

class Document;
class View;

enum class Dock { Top, Bottom };

// One text control of a bar: its control id and its text (bytes shown as
// Windows-1252; "\r\n" breaks the lines of a header).
struct BarControl {
    int id = 0;
    std::string text;
};

struct BarLayout {
    enum class Kind { Captions, Header };
    int id = 0;  // the bar's template id, also its control id
    Dock dock = Dock::Top;
    Kind kind = Kind::Captions;
    std::vector<BarControl> controls;  // top to bottom; separators between
    bool disabled = false;             // takes no input
};

// A frame deletes itself when closed; a frame class that must act when its
// window goes does so in onFrameClosed() (the document is still there).
class ChildFrame : public QMdiSubWindow, public CommandTarget {
public:
    ChildFrame();
    ~ChildFrame() override;

    // Takes the document and its view and builds the client area: the bars
    // of barLayouts() around the view's widget. False when that fails.
    bool create(std::unique_ptr<Document> document, std::unique_ptr<View> view);

    Document* document() const { return document_.get(); }
    View* view() const { return view_.get(); }
    const std::vector<BarLayout>& bars() const { return bars_; }
    // The text a bar control shows, as the widget holds it; empty when the
    // frame has no such control.
    QString controlText(int controlId) const;
    // Shows text (bytes shown as Windows-1252) in a bar control.
    void setControlText(int controlId, const std::string& text);
    // The bar widget of id, null when none.
    QWidget* barWidget(int barId) const;

    // The title of the document; the window's title adds ":1", ":2", ...
    // while other windows show documents of the same title (MainFrame).
    std::string baseTitle() const;
    // The status panes of the window: the set in force when it was opened,
    // put back whenever it becomes the active window.
    const std::vector<int>& paneIds() const { return paneIds_; }
    void setPaneIds(std::vector<int> ids) { paneIds_ = std::move(ids); }
    // True once the window has accepted to close (it goes soon after).
    bool closing() const { return closing_; }

protected:
    // The bars of this frame class, decided when the frame is created.
    virtual std::vector<BarLayout> barLayouts() { return {}; }
    // The user closes the window: false keeps it open (the default accepts).
    virtual bool onCloseRequest() { return true; }
    // The window has been closed (the frame object goes soon after).
    virtual void onFrameClosed() {}

    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makeBar(const BarLayout& desc);

    std::unique_ptr<Document> document_;
    std::unique_ptr<View> view_;
    std::vector<BarLayout> bars_;
    std::vector<std::pair<int, QWidget*>> controls_;
    std::vector<std::pair<int, QWidget*>> barWidgets_;
    std::vector<int> paneIds_;
    bool closing_ = false;
};

}  // namespace fw
