// Find and Replace on tables of cases: direction, wrapping at the ends,
// case, whole words, and replacements that contain what they replace.
#include <gtest/gtest.h>

#include "search.h"

namespace {

using zpad::FindOptions;
using zpad::Found;

FindOptions opts(bool matchCase, bool wholeWord, bool down) { return {matchCase, wholeWord, down}; }

TEST(Find, NextMatchFromAPosition) {
    const FindOptions down = opts(false, false, true);
    const FindOptions up = opts(false, false, false);
    const struct {
        const char* name;
        QString text;
        QString what;
        qsizetype from;
        FindOptions options;
        qsizetype pos;  // -1: not found
    } cases[] = {
        {"down from the start", QStringLiteral("abc abc"), QStringLiteral("abc"), 0, down, 0},
        {"down after the first", QStringLiteral("abc abc"), QStringLiteral("abc"), 1, down, 4},
        {"down past the last wraps to the first", QStringLiteral("abc abc"), QStringLiteral("abc"), 5, down, 0},
        {"down from the end wraps", QStringLiteral("xx abc"), QStringLiteral("abc"), 6, down, 3},
        {"up finds the match ending before", QStringLiteral("abc abc"), QStringLiteral("abc"), 7, up, 4},
        {"up skips a match that ends after", QStringLiteral("abc abc"), QStringLiteral("abc"), 6, up, 0},
        {"up before the first wraps to the last", QStringLiteral("abc abc"), QStringLiteral("abc"), 2, up, 4},
        {"up from the start wraps", QStringLiteral("abc x"), QStringLiteral("abc"), 0, up, 0},
        {"case ignored", QStringLiteral("Vesta VESTA"), QStringLiteral("vesta"), 1, down, 6},
        {"case ignored in Windows-1252 letters", QStringLiteral("\u0160koda"), QStringLiteral("\u0161KODA"), 0, down,
         0},
        {"case matched", QStringLiteral("Vesta VESTA vesta"), QStringLiteral("vesta"), 0, opts(true, false, true), 12},
        {"case matched, none", QStringLiteral("Vesta"), QStringLiteral("vesta"), 0, opts(true, false, true), -1},
        {"whole word skips a part of a word", QStringLiteral("Ceres1 Ceres"), QStringLiteral("Ceres"), 0,
         opts(false, true, true), 7},
        {"whole word: underscore joins words", QStringLiteral("a_b b"), QStringLiteral("b"), 0, opts(false, true, true),
         4},
        {"whole word: punctuation breaks words", QStringLiteral("(12)"), QStringLiteral("12"), 0,
         opts(false, true, true), 1},
        {"whole word: a text that begins with a blank", QStringLiteral("x1 22"), QStringLiteral(" 22"), 0,
         opts(false, true, true), 2},
        {"whole word up", QStringLiteral("ab ab abc"), QStringLiteral("ab"), 9, opts(false, true, false), 3},
        {"whole word, none", QStringLiteral("abc"), QStringLiteral("ab"), 0, opts(false, true, true), -1},
        {"across a line break", QStringLiteral("12\u2029 34"), QStringLiteral("34"), 0, down, 4},
        {"no match at all", QStringLiteral("abc"), QStringLiteral("x"), 0, down, -1},
        {"nothing to find", QStringLiteral("abc"), QString(), 0, down, -1},
        {"longer than the text", QStringLiteral("ab"), QStringLiteral("abc"), 0, up, -1},
        {"a start beyond the text", QStringLiteral("ab"), QStringLiteral("b"), 99, up, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Found f = zpad::find_next(c.text, c.what, c.from, c.options);
        EXPECT_EQ(f.pos, c.pos);
        if (f.found()) {
            EXPECT_EQ(f.length, c.what.size());
        }
    }
}

TEST(Find, MatchAtAPosition) {
    const QString text = QStringLiteral("Ceres ceresX");
    EXPECT_TRUE(zpad::matches_at(text, 0, QStringLiteral("CERES"), opts(false, false, true)));
    EXPECT_FALSE(zpad::matches_at(text, 0, QStringLiteral("CERES"), opts(true, false, true)));
    EXPECT_TRUE(zpad::matches_at(text, 6, QStringLiteral("ceres"), opts(true, false, true)));
    EXPECT_FALSE(zpad::matches_at(text, 6, QStringLiteral("ceres"), opts(true, true, true)));
    EXPECT_FALSE(zpad::matches_at(text, 10, QStringLiteral("sX?"), opts(false, false, true)));
    EXPECT_FALSE(zpad::matches_at(text, -1, QStringLiteral("C"), opts(false, false, true)));
}

TEST(Replace, AllMatchesReplaced) {
    const struct {
        const char* name;
        QString text;
        QString what;
        QString with;
        FindOptions options;
        QString result;
        std::size_t count;
    } cases[] = {
        {"every one",
         QStringLiteral("a-b-c"),
         QStringLiteral("-"),
         QStringLiteral("+"),
         {},
         QStringLiteral("a+b+c"),
         2},
        {"no overlapping matches",
         QStringLiteral("aaaaa"),
         QStringLiteral("aa"),
         QStringLiteral("b"),
         {},
         QStringLiteral("bba"),
         2},
        {"a replacement containing the text",
         QStringLiteral("a a"),
         QStringLiteral("a"),
         QStringLiteral("aa"),
         {},
         QStringLiteral("aa aa"),
         2},
        {"deleting", QStringLiteral("1 2  3"), QStringLiteral(" "), QString(), {}, QStringLiteral("123"), 3},
        {"whole words only", QStringLiteral("an ant an"), QStringLiteral("an"), QStringLiteral("a"),
         opts(false, true, true), QStringLiteral("a ant a"), 2},
        {"case matched", QStringLiteral("Obs obs OBS"), QStringLiteral("obs"), QStringLiteral("568"),
         opts(true, false, true), QStringLiteral("Obs 568 OBS"), 1},
        {"case ignored",
         QStringLiteral("Obs obs OBS"),
         QStringLiteral("obs"),
         QStringLiteral("568"),
         {},
         QStringLiteral("568 568 568"),
         3},
        {"none", QStringLiteral("abc"), QStringLiteral("x"), QStringLiteral("y"), {}, QStringLiteral("abc"), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Found> all = zpad::find_all(c.text, c.what, c.options);
        EXPECT_EQ(all.size(), c.count);
        EXPECT_EQ(zpad::replace_matches(c.text, all, c.with), c.result);
    }
}

}  // namespace
