// The wait cursor of a long operation: shown while the object lives, over
// every window of the program. Does nothing without an application object
// (the library's tools and some tests run without one).
#pragma once

#include <QApplication>

namespace fw {

class WaitCursor {
public:
    WaitCursor() {
        if (QApplication::instance() != nullptr) QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor() {
        if (QApplication::instance() != nullptr) QApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace fw
