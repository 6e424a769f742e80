#include "textfile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>

#include "framework/binfile.h"
#include "framework/cp1252.h"

namespace zpad {

namespace {

bool is_line_break(QChar c) { return c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator; }

// The lines of an editor text; one (empty) line for an empty text.
std::vector<QStringView> split_lines(QStringView text) {
    std::vector<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (is_line_break(text[i])) {
            lines.push_back(text.sliced(start, i - start));
            start = i + 1;
        }
    lines.push_back(text.sliced(start));
    return lines;
}

constexpr std::string_view line_end_bytes(LineEnd e) {
    switch (e) {
        case LineEnd::Lf:
            return "\n";
        case LineEnd::Cr:
            return "\r";
        case LineEnd::CrLf:
            break;
    }
    return "\r\n";
}

}  // namespace

TextFile::TextFile(std::string_view bytes) {
    // Every byte is one character; the line ends are then taken out in place.
    text_ = fw::fromCp1252(bytes);
    QChar* d = text_.data();
    const qsizetype n = text_.size();
    std::array<std::size_t, 3> counts{};
    qsizetype w = 0;
    for (qsizetype r = 0; r < n; ++r) {
        const QChar c = d[r];
        if (c != u'\r' && c != u'\n') {
            d[w++] = c;
            continue;
        }
        LineEnd end = LineEnd::Lf;
        if (c == u'\r') {
            end = LineEnd::Cr;
            if (r + 1 < n && d[r + 1] == u'\n') {
                end = LineEnd::CrLf;
                ++r;
            }
        }
        ends_.push_back(end);
        ++counts[static_cast<std::size_t>(end)];
        d[w++] = u'\n';
    }
    text_.truncate(w);
    // The most frequent end; on a tie the first of CR LF, LF, CR.
    const auto most = std::max_element(counts.begin(), counts.end());
    if (*most > 0) usual_ = static_cast<LineEnd>(most - counts.begin());
}

TextFile::Bytes TextFile::bytesOf(QStringView edited) const {
    const std::vector<QStringView> was = split_lines(text_);
    const std::vector<QStringView> now = split_lines(edited);
    const std::size_t n = was.size();
    const std::size_t m = now.size();

    // The end that follows line j of the edited text.
    std::size_t prefix = 0;
    std::size_t suffix = 0;
    if (m != n) {
        const std::size_t common = std::min(n, m);
        while (prefix < common && was[prefix] == now[prefix]) ++prefix;
        while (suffix < common - prefix && was[n - 1 - suffix] == now[m - 1 - suffix]) ++suffix;
    }
    const auto end_after = [&](std::size_t j) {
        if (m == n) return ends_[j];
        if (j < prefix && j + 1 < n) return ends_[j];
        // Line j + 1 is in the unchanged tail: the end before it is that of
        // the same place in the old text, when the old text has one there.
        if (j + 1 >= m - suffix && j + 1 + n >= m + 1) {
            const std::size_t k = j + n - m;
            if (k + 1 < n) return ends_[k];
        }
        return usual_;
    };

    Bytes out;
    out.bytes.reserve(static_cast<std::size_t>(edited.size()) + m);
    for (std::size_t j = 0; j < m; ++j) {
        const std::string line = fw::toCp1252(now[j].toString());
        for (std::size_t i = 0; i < line.size(); ++i)
            if (line[i] == '?' && now[j][static_cast<qsizetype>(i)] != u'?') ++out.unwritable;
        out.bytes += line;
        if (j + 1 < m) out.bytes += line_end_bytes(end_after(j));
    }
    return out;
}

std::optional<std::string> read_file(const QString& path, QString* error) {
    if (QFileInfo(path).isDir()) {
        *error = QStringLiteral("It is a directory.");
        return std::nullopt;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = f.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        *error = f.errorString();
        return std::nullopt;
    }
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool write_file(const QString& path, std::string_view bytes, QString* error) {
    const fw::WriteStatus s = fw::write_file(QFile::encodeName(path).toStdString(), bytes);
    if (!s) *error = QString::fromStdString(s.reason);
    return static_cast<bool>(s);
}

}  // namespace zpad
