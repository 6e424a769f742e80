#include "help.h"

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

bool show_help(const std::string& book, unsigned context) {
    const std::string page = help_page(book, context);
    if (page.empty()) {
        message(missing_help_message(book), Buttons::Ok, Icon::Warning);
        return false;
    }
    QPointer<QTextBrowser>& w = window_ptr();
    if (w.isNull()) {
        w = new QTextBrowser;
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->setOpenExternalLinks(false);
        w->resize(720, 560);
    }
    w->setWindowTitle(QString::fromStdString(messageTitle()) + QStringLiteral(" Help"));
    w->setSource(QUrl::fromLocalFile(QString::fromStdString(page)));
    w->show();
    w->raise();
    w->activateWindow();
    return true;
}

QWidget* help_window() { return window_ptr().data(); }

}  // namespace fw
