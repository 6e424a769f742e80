// Direct-access record files, little-endian fields, text lines and file lookup.
#include <gtest/gtest.h>

#include <filesystem>

#include "io/bytes.h"
#include "io/files.h"
#include "io/recfile.h"
#include "io/textfile.h"
#include "support.h"

using namespace zelvomat;
using namespace zelvomat::io;

TEST(LittleEndian, FieldsHaveTheirByteOrder) {
    std::uint8_t rec[16] = {};
    put_f64(rec, 0, 1.0);
    put_i32(rec, 8, -2);
    put_i16(rec, 12, 0x1234);
    const std::uint8_t expected[16] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0xFE, 0xFF, 0xFF, 0xFF, 0x34, 0x12, 0, 0};
    EXPECT_EQ(0, std::memcmp(rec, expected, 16));
    EXPECT_EQ(get_f64(rec, 0), 1.0);
    EXPECT_EQ(get_i32(rec, 8), -2);
    EXPECT_EQ(get_i16(rec, 12), 0x1234);
    // Unaligned offsets are fine: records are packed.
    put_f64(rec, 3, -2.5);
    EXPECT_EQ(get_f64(rec, 3), -2.5);
    put_text(rec, 0, 6, "ab");
    EXPECT_EQ(get_text(rec, 0, 6), "ab    ");
}

TEST(RecordFile, WritesAndReadsRecordsByNumber) {
    zeltest::ScopedWorkDir wd;
    auto f = RecordFile::open("recs", 8, OpenMode::Create);
    ASSERT_TRUE(f.ok()) << f.message();
    std::uint8_t r[8];
    for (int n : {1, 3, 2}) {
        put_f64(r, 0, n * 1.5);
        ASSERT_TRUE(f->write(n, r).ok());
    }
    EXPECT_EQ(*f->record_count(), 3);
    for (int n = 1; n <= 3; ++n) {
        ASSERT_TRUE(f->read(n, r).ok());
        EXPECT_EQ(get_f64(r, 0), n * 1.5);
    }
    // A read past the end, or of record 0, is an error the caller sees.
    Status past = f->read(4, r);
    EXPECT_FALSE(past.ok());
    EXPECT_NE(past.message().find("beyond the end"), std::string::npos);
    EXPECT_FALSE(f->read(0, r).ok());
    // A partial last record is not a record.
    f->close();
    zeltest::write_bytes("short", std::vector<std::uint8_t>(12, 1));
    auto g = RecordFile::open("short", 8, OpenMode::Read);
    ASSERT_TRUE(g.ok());
    EXPECT_EQ(*g->record_count(), 1);
    EXPECT_TRUE(g->read(1, r).ok());
    EXPECT_FALSE(g->read(2, r).ok());
    // Truncation drops later records.
    auto h = RecordFile::open("recs", 8, OpenMode::ReadWrite);
    ASSERT_TRUE(h->truncate(1).ok());
    EXPECT_EQ(*h->record_count(), 1);
}

TEST(RecordFile, OpenModes) {
    zeltest::ScopedWorkDir wd;
    EXPECT_FALSE(RecordFile::open("missing", 4, OpenMode::Read).ok());
    EXPECT_FALSE(RecordFile::open("missing", 4, OpenMode::ReadWrite).ok());
    auto u = RecordFile::open("upd", 4, OpenMode::Update);
    ASSERT_TRUE(u.ok());
    std::uint8_t r[4] = {1, 2, 3, 4};
    ASSERT_TRUE(u->write(2, r).ok());
    u->close();
    // Update keeps what is there; the gap before record 2 reads as zeros.
    auto again = RecordFile::open("upd", 4, OpenMode::Update);
    EXPECT_EQ(*again->record_count(), 2);
    auto first = again->read(1);
    ASSERT_TRUE(first.ok());
    EXPECT_EQ((*first)[0], 0);
    auto c = RecordFile::open("upd", 4, OpenMode::Create);
    EXPECT_EQ(*c->record_count(), 0);
    auto bad = RecordFile::open("/nonexistent-dir/x", 4, OpenMode::Create);
    EXPECT_FALSE(bad.ok());
    EXPECT_NE(bad.message().find("/nonexistent-dir/x"), std::string::npos);
}

TEST(TextFiles, LineEndsInAndOut) {
    EXPECT_EQ(split_lines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(split_lines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_TRUE(split_lines("").empty());
    zeltest::ScopedWorkDir wd;
    {
        auto w = TextWriter::create("out.txt");
        ASSERT_TRUE(w.ok());
        w->line("first");
        w->line("");
        w->line("third ");
        ASSERT_TRUE(w->close().ok());
    }
    const auto bytes = zeltest::read_bytes("out.txt");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "first\r\n\r\nthird \r\n");
    {
        auto w = TextWriter::create("out.txt", true);
        w->line("more");
    }
    auto lines = read_lines("out.txt");
    ASSERT_TRUE(lines.ok());
    EXPECT_EQ(*lines, (std::vector<std::string>{"first", "", "third ", "more"}));
    EXPECT_FALSE(read_lines("missing.txt").ok());
}

TEST(Files, DataFilesAreFoundWhateverTheirCase) {
    zeltest::ScopedWorkDir wd;
    zeltest::write_text("EphCorr", "x");
    const std::string dir = wd.dir_slash();
    EXPECT_EQ(find_file(dir, "ephcorr"), dir + "EphCorr");
    EXPECT_EQ(find_file(dir + "  ", "ephcorr  "), dir + "EphCorr");  // blank padding trimmed
    EXPECT_EQ(find_file(dir, "absent"), dir + "absent");
    EXPECT_EQ(file_size(dir + "EphCorr"), 1);
    EXPECT_EQ(file_size(dir + "absent"), -1);
}
