// Printed pages: tabs, lines longer than the page, page breaks, the end of
// the text.
#include <gtest/gtest.h>

#include "printlayout.h"

namespace {

using Pages = std::vector<zpad::PrintedPage>;

TEST(PrintLayout, LinesCutIntoPages) {
    const struct {
        const char* name;
        QString text;
        int columns;
        int rows;
        Pages pages;
    } cases[] = {
        {"empty text: one empty page", QString(), 10, 3, {{}}},
        {"a final line end adds no line", QStringLiteral("a\nb\n"), 10, 3, {{"a", "b"}}},
        {"empty lines are kept", QStringLiteral("a\n\n\nb"), 10, 5, {{"a", "", "", "b"}}},
        {"page break after rows lines", QStringLiteral("1\n2\n3\n4\n5"), 10, 2, {{"1", "2"}, {"3", "4"}, {"5"}}},
        {"a long line continues", QStringLiteral("abcdefg\nh"), 3, 10, {{"abc", "def", "g", "h"}}},
        {"a continued line across a page", QStringLiteral("abcdef"), 2, 2, {{"ab", "cd"}, {"ef"}}},
        {"tabs to columns of 8",
         QStringLiteral("a\tb\n\tc\nabcdefgh\ti"),
         40,
         5,
         {{"a       b", "        c", "abcdefgh        i"}}},
        {"editor separators", QStringLiteral("a\u2029b\u2028c"), 10, 5, {{"a", "b", "c"}}},
        {"at least one column and row", QStringLiteral("ab"), 0, 0, {{"a"}, {"b"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(zpad::paginate(c.text, c.columns, c.rows), c.pages);
    }
}

}  // namespace
