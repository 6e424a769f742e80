// The file layer under faults of the file system: a disk that fills in the
// middle of a write, files cut, FIFOs and endless devices in the place of
// files, files too large to read whole.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "faults.h"
#include "io/recfile.h"
#include "io/textfile.h"
#include "support.h"

namespace {

namespace fs = std::filesystem;
namespace zio = zelvomat::io;

std::vector<std::uint8_t> bytes_of(const std::string& s) { return {s.begin(), s.end()}; }

// The names in the working directory: nothing is left behind by a write
// that failed.
std::vector<std::string> names_here() {
    std::vector<std::string> v;
    for (const auto& e : fs::directory_iterator(".")) v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
}

TEST(FullDisk, AFailedRewriteLeavesTheOldFileWhole) {
    zeltest::ScopedWorkDir wd;
    const std::string old_text(300, 'o');
    zeltest::write_text("list.dat", old_text);
    ::chmod("list.dat", 0640);
    for (std::int64_t after : {0, 1, 299, 599}) {
        SCOPED_TRACE(after);
        zeltest::FullDisk disk("list.dat", after);
        const zelvomat::Status s = zio::write_file_bytes("list.dat", bytes_of(std::string(600, 'n')));
        EXPECT_FALSE(s.ok());
        EXPECT_NE(s.message().find("list.dat"), std::string::npos) << s.message();
        EXPECT_TRUE(disk.hit());
        EXPECT_EQ(zeltest::read_bytes("list.dat"), bytes_of(old_text));
        EXPECT_EQ(names_here(), std::vector<std::string>{"list.dat"});
    }
    // With room the file is replaced, its permissions kept.
    ASSERT_TRUE(zio::write_file_bytes("list.dat", bytes_of("new")).ok());
    EXPECT_EQ(zeltest::read_bytes("list.dat"), bytes_of("new"));
    struct stat st {};
    ASSERT_EQ(::stat("list.dat", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(names_here(), std::vector<std::string>{"list.dat"});

    // Through a symbolic link the target is replaced and the link stays.
    fs::create_directory("real");
    zeltest::write_text("real/target.dat", "old");
    fs::create_symlink("real/target.dat", "link.dat");
    ASSERT_TRUE(zio::write_file_bytes("link.dat", bytes_of("via link")).ok());
    EXPECT_TRUE(fs::is_symlink("link.dat"));
    EXPECT_EQ(zeltest::read_bytes("real/target.dat"), bytes_of("via link"));
}

TEST(FullDisk, ARecordFileKeepsItsWholeRecords) {
    zeltest::ScopedWorkDir wd;
    auto f = zio::RecordFile::open("records.dat", 10, zio::OpenMode::Create);
    ASSERT_TRUE(f.ok()) << f.message();
    const auto rec = bytes_of("0123456789");
    ASSERT_TRUE(f->write(1, rec).ok());
    ASSERT_TRUE(f->write(2, rec).ok());
    {
        zeltest::FullDisk disk("records.dat", 4);  // room for 4 bytes of record 3
        const zelvomat::Status s = f->write(3, rec);
        EXPECT_FALSE(s.ok());
        EXPECT_NE(s.message().find("record 3"), std::string::npos) << s.message();
        EXPECT_EQ(disk.written(), 4);
    }
    // The four bytes of record 3 are gone: two whole records, and record 3
    // written again later is whole.
    EXPECT_EQ(fs::file_size("records.dat"), 20u);
    ASSERT_TRUE(f->write(3, rec).ok());
    EXPECT_EQ(fs::file_size("records.dat"), 30u);
}

TEST(FullDisk, ATextFileReportsTheFailedWriteWhenItIsClosed) {
    zeltest::ScopedWorkDir wd;
    auto w = zio::TextWriter::create("notes.txt");
    ASSERT_TRUE(w.ok());
    zeltest::FullDisk disk("notes.txt", 10);
    for (int i = 0; i < 100; ++i) w->line("a line of the notes");
    const zelvomat::Status s = w->close();
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message().find("notes.txt"), std::string::npos) << s.message();
    EXPECT_FALSE(w->close().ok());  // asked again, the answer stays
    EXPECT_LE(fs::file_size("notes.txt"), 10u);
}

// Files that are no regular files are refused when they are opened: nothing
// waits for a FIFO's writer, nothing reads an endless device to its end.
TEST(OddFiles, FifosAndDevicesAreRefusedAtOnce) {
    zeltest::ScopedWorkDir wd;
    zeltest::write_text("fifo", "x");
    zeltest::replace_by_fifo("fifo");
    zeltest::write_text("zero", "x");
    zeltest::replace_by_device("zero", "/dev/zero");
    zeltest::write_text("null", "x");
    zeltest::replace_by_device("null", "/dev/null");
    for (const char* name : {"fifo", "zero", "null"}) {
        SCOPED_TRACE(name);
        auto all = zio::read_file_bytes(name);
        ASSERT_FALSE(all.ok());
        EXPECT_NE(all.message().find("not a regular file"), std::string::npos) << all.message();
        EXPECT_FALSE(zio::read_lines(name).ok());
        for (auto mode : {zio::OpenMode::Read, zio::OpenMode::ReadWrite, zio::OpenMode::Update, zio::OpenMode::Create})
            EXPECT_FALSE(zio::RecordFile::open(name, 8, mode).ok());
        EXPECT_FALSE(zio::TextWriter::create(name).ok());
        EXPECT_FALSE(zio::TextWriter::create(name, true).ok());
        EXPECT_FALSE(zio::write_file_bytes(name, bytes_of("x")).ok());
    }
    EXPECT_TRUE(fs::is_fifo("fifo"));
    EXPECT_TRUE(fs::is_symlink("zero"));
}

TEST(OddFiles, SizesAreBounded) {
    zeltest::ScopedWorkDir wd;
    zeltest::write_text("big", std::string(1000, 'b'));
    EXPECT_TRUE(zio::read_file_bytes("big", 1000).ok());
    auto r = zio::read_file_bytes("big", 999);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.message().find("too large"), std::string::npos) << r.message();
}

// A record file cut while it is open: the records past the cut are errors,
// those before it read as they are.
TEST(CutFiles, RecordsPastTheCutAreErrors) {
    zeltest::ScopedWorkDir wd;
    zeltest::write_text("r.dat", std::string(40, 'r'));
    auto f = zio::RecordFile::open("r.dat", 8, zio::OpenMode::Read);
    ASSERT_TRUE(f.ok());
    std::vector<std::uint8_t> run(16);
    ASSERT_TRUE(f->read_run(4, run).ok());
    zeltest::cut_file("r.dat", 28);
    EXPECT_FALSE(f->read(4).ok());
    EXPECT_FALSE(f->read_run(3, run).ok());
    EXPECT_TRUE(f->read(3).ok());
    EXPECT_EQ(*f->record_count(), 3);
}

}  // namespace
