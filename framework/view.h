// Views: the widget that shows a document inside a child frame. A view is a
// command target (first in the routing chain) and creates its widget once.
#pragma once

#include "command.h"

class QWidget;

namespace fw {

class Document;
class ChildFrame;

class View : public CommandTarget {
public:
    ~View() override = default;

    // Creates the view's widget as a child of parent (the frame owns it).
    virtual QWidget* createWidget(QWidget* parent) = 0;
    // Called once the document is loaded and the widget exists.
    virtual void onInitialUpdate() {}
    // Called when the document's data changed.
    virtual void onUpdate() {}
    // The view's window became the active one (true) or gave that up.
    virtual void onActivateView(bool /*active*/) {}
    // False while the view cannot let its window close (a run it started is
    // in progress).
    virtual bool canClose() const { return true; }

    Document* document() const { return document_; }
    ChildFrame* frame() const { return frame_; }
    void attach(Document* d, ChildFrame* f) {
        document_ = d;
        frame_ = f;
    }

private:
    Document* document_ = nullptr;
    ChildFrame* frame_ = nullptr;
};

}  // namespace fw
