// Find and Replace over the editor's text. Positions count the characters
// of the text (a line break counts one), as the editor's cursor does.
#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace zpad {

struct FindOptions {
    bool matchCase = false;
    // The match must not continue a word on either side (letters, digits
    // and '_' make words).
    bool wholeWord = false;
    bool down = true;
};

struct Found {
    qsizetype pos = -1;
    qsizetype length = 0;
    bool found() const { return pos >= 0; }
    friend bool operator==(const Found&, const Found&) = default;
};

// True when what stands at pos of text under the options.
bool matches_at(QStringView text, qsizetype pos, QStringView what, const FindOptions& options);

// The next match from position from: searching down, the first one that
// starts at or after from; searching up, the last one that ends at or before
// from. When there is none on that side the search goes on from the other
// end of the text. Nothing for an empty what.
Found find_next(QStringView text, QStringView what, qsizetype from, const FindOptions& options);

// Every match from the start of the text, left to right, none overlapping
// the one before.
std::vector<Found> find_all(QStringView text, QStringView what, const FindOptions& options);

// text with each of the matches (as find_all gives them) replaced by with.
QString replace_matches(QStringView text, const std::vector<Found>& matches, QStringView with);

}  // namespace zpad
