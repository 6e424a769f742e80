#include "help.h"

#include <QEvent>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <cstdio>
#include <filesystem>

#include "messages.h"

namespace fw {

namespace {
QPointer<QTextBrowser>& window_ptr() {
    static QPointer<QTextBrowser> w;
    return w;
}

// The help window belongs to the window that asked for it (so that it
// stands above it and a modal dialog does not block it); when that window
// hides, the help window becomes a window of its own again. It is a
// dialog-type window, which window managers keep above the window it
// belongs to, with the buttons of a main window.
constexpr Qt::WindowFlags kHelpWindowFlags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                             Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;

class OwnerWatch final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        QTextBrowser* w = window_ptr().data();
        // A window closed by the program (not one the window manager
        // minimises).
        if (event->type() == QEvent::Hide && !event->spontaneous() && w != nullptr && w->parent() == watched) {
            const bool shown = w->isVisible();
            const QRect g = w->geometry();
            w->setParent(nullptr, kHelpWindowFlags);
            w->setGeometry(g);
            if (shown) w->show();
        }
        return false;
    }
};

OwnerWatch& owner_watch() {
    static OwnerWatch watch;
    return watch;
}

void set_owner(QTextBrowser* w, QWidget* owner) {
    if (w->parentWidget() == owner) return;
    // A window on screen keeps its place; a new one is placed by the
    // window manager.
    const bool placed = w->isVisible();
    const QRect g = w->geometry();
    if (QWidget* old = w->parentWidget()) old->removeEventFilter(&owner_watch());
    w->setParent(owner, kHelpWindowFlags);
    if (placed) w->setGeometry(g);
    if (owner != nullptr) owner->installEventFilter(&owner_watch());
}
}  // namespace

std::string help_page(const std::string& book, unsigned context) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(book, ec)) return {};
    if (context == 0) return book;
    char name[32];
    std::snprintf(name, sizeof name, "ctx%x.html", context);
    const std::filesystem::path page = std::filesystem::path(book).parent_path() / name;
    return std::filesystem::is_regular_file(page, ec) ? page.string() : book;
}

std::string missing_help_message(const std::string& book) { return "Cannot open the help file\n" + book; }

bool show_help(const std::string& book, unsigned context, QWidget* owner) {
    const std::string page = help_page(book, context);
    if (page.empty()) {
        message(missing_help_message(book), Buttons::Ok, Icon::Warning);
        return false;
    }
    QPointer<QTextBrowser>& w = window_ptr();
    if (w.isNull()) {
        w = new QTextBrowser;
        w->setWindowFlags(kHelpWindowFlags);
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->setOpenExternalLinks(false);
        w->resize(720, 560);
    }
    set_owner(w, owner != nullptr ? owner->window() : nullptr);
    w->setWindowTitle(QString::fromStdString(messageTitle()) + QStringLiteral(" Help"));
    w->setSource(QUrl::fromLocalFile(QString::fromStdString(page)));
    w->show();
    w->raise();
    w->activateWindow();
    return true;
}

QWidget* help_window() { return window_ptr().data(); }

}  // namespace fw
