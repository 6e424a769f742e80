#include "search.h"

#include <algorithm>

namespace zpad {

namespace {

bool is_word_char(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// A word ends or begins between pos - 1 and pos.
bool word_break_at(QStringView text, qsizetype pos) {
    if (pos <= 0 || pos >= text.size()) return true;
    return !(is_word_char(text[pos - 1]) && is_word_char(text[pos]));
}

Qt::CaseSensitivity sensitivity(const FindOptions& o) { return o.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive; }

bool whole_word_ok(QStringView text, qsizetype pos, qsizetype length, const FindOptions& o) {
    return !o.wholeWord || (word_break_at(text, pos) && word_break_at(text, pos + length));
}

// First match starting in [from, text.size()).
qsizetype first_from(QStringView text, QStringView what, qsizetype from, const FindOptions& o) {
    for (qsizetype pos = text.indexOf(what, from, sensitivity(o)); pos >= 0;
         pos = text.indexOf(what, pos + 1, sensitivity(o)))
        if (whole_word_ok(text, pos, what.size(), o)) return pos;
    return -1;
}

// Last match starting at or before last.
qsizetype last_until(QStringView text, QStringView what, qsizetype last, const FindOptions& o) {
    for (qsizetype pos = last; pos >= 0; --pos) {
        // A negative start would count from the end of the text.
        pos = text.lastIndexOf(what, pos, sensitivity(o));
        if (pos < 0) return -1;
        if (whole_word_ok(text, pos, what.size(), o)) return pos;
    }
    return -1;
}

}  // namespace

bool matches_at(QStringView text, qsizetype pos, QStringView what, const FindOptions& options) {
    if (what.isEmpty() || pos < 0 || pos + what.size() > text.size()) return false;
    return text.sliced(pos, what.size()).compare(what, sensitivity(options)) == 0 &&
           whole_word_ok(text, pos, what.size(), options);
}

Found find_next(QStringView text, QStringView what, qsizetype from, const FindOptions& options) {
    if (what.isEmpty() || what.size() > text.size()) return {};
    from = std::clamp<qsizetype>(from, 0, text.size());
    const qsizetype lastStart = text.size() - what.size();
    qsizetype pos = -1;
    if (options.down) {
        pos = first_from(text, what, from, options);
        if (pos < 0) pos = first_from(text, what, 0, options);
    } else {
        if (from - what.size() >= 0) pos = last_until(text, what, from - what.size(), options);
        if (pos < 0) pos = last_until(text, what, lastStart, options);
    }
    if (pos < 0) return {};
    return {pos, what.size()};
}

std::vector<Found> find_all(QStringView text, QStringView what, const FindOptions& options) {
    std::vector<Found> all;
    if (what.isEmpty()) return all;
    for (qsizetype pos = first_from(text, what, 0, options); pos >= 0;
         pos = first_from(text, what, pos + what.size(), options))
        all.push_back({pos, what.size()});
    return all;
}

QString replace_matches(QStringView text, const std::vector<Found>& matches, QStringView with) {
    QString out;
    out.reserve(text.size());
    qsizetype at = 0;
    for (const Found& f : matches) {
        out.append(text.sliced(at, f.pos - at));
        out.append(with);
        at = f.pos + f.length;
    }
    out.append(text.sliced(at));
    return out;
}

}  // namespace zpad
