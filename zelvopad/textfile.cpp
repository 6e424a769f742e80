#include "textfile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <utility>

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

constexpr qint64 kReadStep = 1 << 16;

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

constexpr std::size_t line_end_size(LineEnd e) { return e == LineEnd::CrLf ? 2 : 1; }

// A line of the file and one of the editor are the same text.
bool same_line(std::string_view bytes, QStringView text) {
    if (bytes.size() != static_cast<std::size_t>(text.size())) return false;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (fw::cp1252Char(static_cast<unsigned char>(bytes[i])) != text[static_cast<qsizetype>(i)].unicode())
            return false;
    return true;
}

}  // namespace

TextFile::TextFile(std::string bytes) : bytes_(std::move(bytes)) {
    const std::string_view b = bytes_;
    const std::size_t n = b.size();
    std::array<std::size_t, 3> counts{};
    starts_.reserve(static_cast<std::size_t>(std::count(b.begin(), b.end(), '\n')) + 1);
    starts_.push_back(0);
    for (std::size_t r = 0; r < n; ++r) {
        const char c = b[r];
        if (c != '\r' && c != '\n') continue;
        LineEnd end = LineEnd::Lf;
        if (c == '\r') {
            end = LineEnd::Cr;
            if (r + 1 < n && b[r + 1] == '\n') {
                end = LineEnd::CrLf;
                ++r;
            }
        }
        ends_.push_back(end);
        ++counts[static_cast<std::size_t>(end)];
        starts_.push_back(r + 1);
    }
    // The most frequent end; on a tie the first of CR LF, LF, CR.
    const auto most = std::max_element(counts.begin(), counts.end());
    if (*most > 0) usual_ = static_cast<LineEnd>(most - counts.begin());
}

std::string_view TextFile::line(std::size_t i) const {
    const std::size_t end = i + 1 < starts_.size() ? starts_[i + 1] - line_end_size(ends_[i]) : bytes_.size();
    return std::string_view(bytes_).substr(starts_[i], end - starts_[i]);
}

QString TextFile::text(std::size_t first, std::size_t count) const {
    const std::size_t last = std::min(first + count, lines());
    if (first >= last) return {};
    const std::size_t from = starts_[first];
    const std::size_t to = last < lines() ? starts_[last] : bytes_.size();
    QString s(static_cast<qsizetype>(to - from), Qt::Uninitialized);
    QChar* d = s.data();
    qsizetype w = 0;
    for (std::size_t i = first; i < last; ++i) {
        for (const char c : line(i)) d[w++] = QChar(fw::cp1252Char(static_cast<unsigned char>(c)));
        if (i + 1 < lines()) d[w++] = u'\n';
    }
    s.truncate(w);
    return s;
}

TextFile::Bytes TextFile::bytesOf(QStringView edited) const {
    const std::vector<QStringView> now = split_lines(edited);
    const std::size_t n = lines();
    const std::size_t m = now.size();

    // The end that follows line j of the edited text.
    std::size_t prefix = 0;
    std::size_t suffix = 0;
    if (m != n) {
        const std::size_t common = std::min(n, m);
        while (prefix < common && same_line(line(prefix), now[prefix])) ++prefix;
        while (suffix < common - prefix && same_line(line(n - 1 - suffix), now[m - 1 - suffix])) ++suffix;
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
        out.unwritable += static_cast<qsizetype>(fw::appendCp1252(out.bytes, now[j]));
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
    // Read straight into the string, the size the file has now; a file that
    // grows meanwhile is read on to its end.
    std::string bytes(static_cast<std::size_t>(std::max<qint64>(f.size(), 0)), '\0');
    std::size_t have = 0;
    std::array<char, kReadStep> more{};
    for (;;) {
        const bool room = have < bytes.size();
        char* into = room ? bytes.data() + have : more.data();
        const qint64 got = f.read(into, room ? static_cast<qint64>(bytes.size() - have) : kReadStep);
        if (got < 0) {
            *error = f.errorString();
            return std::nullopt;
        }
        if (got == 0) break;
        if (!room) {
            bytes.resize(have);
            bytes.append(more.data(), static_cast<std::size_t>(got));
        }
        have += static_cast<std::size_t>(got);
    }
    bytes.resize(have);
    return bytes;
}

bool write_file(const QString& path, std::string_view bytes, QString* error) {
    const fw::WriteStatus s = fw::write_file(QFile::encodeName(path).toStdString(), bytes);
    if (!s) *error = QString::fromStdString(s.reason);
    return static_cast<bool>(s);
}

}  // namespace zpad
