// Files come back byte for byte: the code page, every line's own line end,
// a missing last line end; edits change only what the user changed.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>

#include "pad_support.h"
#include "textfile.h"

namespace {

using zpad::LineEnd;
using zpad::TextFile;

TEST(TextFile, UneditedTextGivesTheFileBack) {
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"CR LF lines", "line 1\r\nline 2\r\n"},
        {"LF lines", "line 1\nline 2\n"},
        {"CR lines", "line 1\rline 2\r"},
        {"no line end after the last line", "line 1\r\nline 2"},
        {"mixed line ends, a lone CR inside a CR LF file", "a\r\nb\nc\rd\r\r\ne"},
        {"empty lines and a blank line", "\r\n\r\n   \r\n"},
        {"empty file", ""},
        {"one line end", "\r\n"},
        {"every byte value", padtest::all_byte_values()},
        {"Windows-1252 letters, tab, trailing blanks",
         "K\x8A\x9Aoda \xE9t\xE9\t\x80 1\xA0\x32  \r\n\x81\x8D\x8F\x90\x9D\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TextFile file(c.bytes);
        const TextFile::Bytes out = file.bytesOf(file.text());
        EXPECT_EQ(out.bytes, c.bytes);
        EXPECT_EQ(out.unwritable, 0);
    }
}

TEST(TextFile, TextShowsLinesJoinedByNewline) {
    const TextFile file(std::string("A\xE9\r\nB\rC\nD"));
    EXPECT_EQ(file.text(), QStringLiteral("A\u00E9\nB\nC\nD"));
    EXPECT_EQ(TextFile(std::string("x\r\n")).text(), QStringLiteral("x\n"));
}

TEST(TextFile, TheTextInPiecesIsTheWholeText) {
    const std::string bytes = "a\r\nbb\nccc\rdddd\r\n\r\n" + padtest::all_byte_values();
    const TextFile file(bytes);
    ASSERT_EQ(file.lines(), 8u);  // the byte values hold a LF and a CR
    for (const std::size_t step : {1u, 2u, 3u, 7u, 8u, 100u}) {
        SCOPED_TRACE(step);
        QString joined;
        for (std::size_t first = 0; first < file.lines(); first += step) joined += file.text(first, step);
        EXPECT_EQ(joined, file.text());
    }
    EXPECT_EQ(file.text(1, 2), QStringLiteral("bb\nccc\n"));
    EXPECT_EQ(file.text(8, 1), QString());
    EXPECT_EQ(TextFile().lines(), 1u);
    EXPECT_EQ(TextFile().text(), QString());
}

TEST(TextFile, UsualLineEndIsTheMostFrequentOne) {
    const struct {
        std::string bytes;
        LineEnd usual;
    } cases[] = {
        {"a\nb\nc\r\nd", LineEnd::Lf}, {"a\r\nb\r\nc\n", LineEnd::CrLf},
        {"a\rb\rc\n", LineEnd::Cr},    {"a\nb\r\n", LineEnd::CrLf},  // a tie: CR LF
        {"one line", LineEnd::CrLf},   {"", LineEnd::CrLf},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(TextFile(c.bytes).usualLineEnd(), c.usual);
    }
}

TEST(TextFile, EditsKeepTheLineEndsOfTheLinesAroundThem) {
    const struct {
        const char* name;
        std::string before;
        QString edited;
        std::string after;
    } cases[] = {
        {"one character changed", "ab\r\ncd\r\n", QStringLiteral("ab\ncD\n"), "ab\r\ncD\r\n"},
        {"a line added to an LF file gets LF", "a\nb\n", QStringLiteral("a\nnew\nb\n"), "a\nnew\nb\n"},
        {"a line added to a mixed file", "a\r\nb\nc", QStringLiteral("a\nx\nb\nc"), "a\r\nx\r\nb\nc"},
        {"a line removed from a mixed file", "a\r\nb\nc\rd", QStringLiteral("a\nc\nd"), "a\r\nc\rd"},
        {"same number of lines: each keeps its end", "a\nb\r\nc\rd", QStringLiteral("A\nB\nC\nD"), "A\nB\r\nC\rD"},
        {"text added after a last line without end", "a\r\nb", QStringLiteral("a\nb\nc"), "a\r\nb\r\nc"},
        {"the last line end removed", "a\r\nb\r\n", QStringLiteral("a\nb"), "a\r\nb"},
        {"paragraph and line separators of the editor", "a\nb\n", QStringLiteral("a\u2029b\u2028c\u2029"), "a\nb\nc\n"},
        {"a new file ends its lines with CR LF", "", QStringLiteral("x\ny\n"), "x\r\ny\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextFile(c.before).bytesOf(c.edited).bytes, c.after);
    }
}

TEST(TextFile, CharactersOutsideTheCodePageAreCountedAndWrittenAsQuestionMarks) {
    const TextFile::Bytes out = TextFile().bytesOf(QStringLiteral("\u20AC \u2264 ? \u0160 \u4E2D"));
    EXPECT_EQ(out.bytes, "\x80 ? ? \x8A ?");
    EXPECT_EQ(out.unwritable, 2);
}

TEST(TextFileIo, WritesReadsAndReportsFailures) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("obs list.oc"));
    QString error;
    const std::string bytes = padtest::all_byte_values();
    ASSERT_TRUE(zpad::write_file(path, bytes, &error)) << error.toStdString();
    EXPECT_EQ(padtest::read_bytes(path), bytes);
    EXPECT_EQ(zpad::read_file(path, &error), bytes);

    // Replacing a file keeps its permissions.
    namespace fs = std::filesystem;
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(path.toStdString(), mode);
    ASSERT_TRUE(zpad::write_file(path, "new", &error));
    EXPECT_EQ(padtest::read_bytes(path), "new");
    EXPECT_EQ(fs::status(path.toStdString()).permissions(), mode);

    // A file inside a file, a missing file and a directory fail with a reason.
    error.clear();
    EXPECT_FALSE(zpad::write_file(path + QStringLiteral("/x"), "data", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(padtest::read_bytes(path), "new");
    for (const QString& bad : {dir.filePath(QStringLiteral("missing")), dir.path()}) {
        error.clear();
        EXPECT_FALSE(zpad::read_file(bad, &error));
        EXPECT_FALSE(error.isEmpty());
    }
}

}  // namespace
