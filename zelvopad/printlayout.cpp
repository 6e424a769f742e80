#include "printlayout.h"

#include <algorithm>

namespace zpad {

namespace {

constexpr qsizetype kTabColumns = 8;

bool is_line_break(QChar c) { return c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator; }

QString expand_tabs(QStringView line) {
    QString out;
    out.reserve(line.size());
    for (const QChar c : line) {
        if (c == u'\t')
            out.append(QString(kTabColumns - out.size() % kTabColumns, u' '));
        else
            out.append(c);
    }
    return out;
}

}  // namespace

std::vector<PrintedPage> paginate(QStringView text, int columns, int rows) {
    const qsizetype width = std::max(columns, 1);
    const std::size_t height = static_cast<std::size_t>(std::max(rows, 1));
    std::vector<PrintedPage> pages(1);
    const auto put = [&](QString line) {
        if (pages.back().size() == height) pages.emplace_back();
        pages.back().push_back(std::move(line));
    };
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && !is_line_break(text[end])) ++end;
        const QString line = expand_tabs(text.sliced(start, end - start));
        if (line.isEmpty()) put(QString());
        for (qsizetype at = 0; at < line.size(); at += width) put(line.mid(at, width));
        start = end + 1;
    }
    return pages;
}

}  // namespace zpad
