// The one write routine of the platform layer (framework/binfile.h) and the
// files of the main program that go through it, under the write-fault shim
// of the library's tests (zelvomat/faults.h, a full disk): a failed write
// leaves the old file whole and no file beside it, and the message names the
// file and the reason.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "framework/binfile.h"
#include "framework/document.h"
#include "framework/messages.h"
#include "framework/plotsettings.h"
#include "zelvo/app/occonfig.h"
#include "zelvo/observations/ocwindows.h"
#include "zelvomat/faults.h"
#include "zelvomat/support.h"

namespace {

namespace fs = std::filesystem;
using zeltest::FullDisk;
using zeltest::ScopedWorkDir;

std::string read_text(const fs::path& p) {
    const std::vector<std::uint8_t> b = zeltest::read_bytes(p);
    return std::string(b.begin(), b.end());
}

// The names in a directory: a failed write leaves nothing beside the file.
std::vector<std::string> names_in(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

std::string disk_full_message(const fs::path& p) {
    return "Cannot write the file " + p.string() + ".\nNo space left on device";
}

TEST(WriteFile, AFullDiskLeavesTheOldFileWholeAndSaysWhy) {
    ScopedWorkDir dir;
    const fs::path p = dir.path() / "list.oc";
    const std::string old = "the user's lines\r\n";
    const std::string big(10000, 'n');
    struct Case {
        std::int64_t room;  // bytes the disk takes
        bool written;
    };
    for (const Case c : {Case{0, false}, Case{1, false}, Case{4096, false}, Case{9999, false}, Case{10000, true}}) {
        SCOPED_TRACE(c.room);
        zeltest::write_text(p, old);
        fw::WriteStatus s;
        {
            FullDisk full("list.oc", c.room);
            s = fw::write_file(p.string(), big);
        }
        EXPECT_EQ(static_cast<bool>(s), c.written);
        EXPECT_EQ(read_text(p), c.written ? big : old);
        EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"list.oc"});
        if (!c.written) {
            EXPECT_EQ(s.error, disk_full_message(p));
            EXPECT_EQ(s.reason, "No space left on device");
        }
    }
    // A writer given up before its commit leaves the old file as it was.
    zeltest::write_text(p, old);
    {
        fw::FileWriter w(p.string());
        ASSERT_TRUE(w.append(std::string_view(big)));
    }
    EXPECT_EQ(read_text(p), old);
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"list.oc"});
}

TEST(WriteFile, KeepsLinksAndPermissionsAndRefusesWhatIsNoFile) {
    ScopedWorkDir dir;
    const fs::path target = dir.path() / "real.cfg";
    zeltest::write_text(target, "old");
    ::chmod(target.c_str(), 0600);
    fs::create_symlink(target, dir.path() / "link.cfg");
    ASSERT_TRUE(fw::write_file((dir.path() / "link.cfg").string(), std::string_view("new")));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.cfg"));
    EXPECT_EQ(read_text(target), "new");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    fs::create_directory(dir.path() / "folder");
    zeltest::write_text(dir.path() / "fifo", "");
    zeltest::replace_by_fifo(dir.path() / "fifo");
    zeltest::write_text(dir.path() / "device", "");
    zeltest::replace_by_device(dir.path() / "device", "/dev/null");
    struct Case {
        const char* name;
        const char* reason;
    };
    for (const Case c : {Case{"folder", "It is a directory."}, Case{"fifo", "It is not a regular file."},
                         Case{"device", "It is not a regular file."}, Case{"missing/x", nullptr}}) {
        SCOPED_TRACE(c.name);
        const fw::WriteStatus s = fw::write_file((dir.path() / c.name).string(), std::string_view("data"));
        ASSERT_FALSE(s);
        EXPECT_EQ(s.error.rfind("Cannot write the file " + (dir.path() / c.name).string() + ".\n", 0), 0u);
        if (c.reason != nullptr) {
            EXPECT_EQ(s.reason, c.reason);
        }
    }
    EXPECT_TRUE(fs::is_fifo(dir.path() / "fifo"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "device"));
}

// A line document that the user may save.
struct EditedLines : fw::LineDocument {
    bool savable() const override { return true; }
};

TEST(WriteFaults, EveryWritePathKeepsTheOldFileAndShowsTheFileAndTheReason) {
    ScopedWorkDir dir;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use(boxes);
    const std::string old(300, 'o');

    // Each write path of the main program, with the file it writes.
    struct Path {
        const char* what;
        const char* file;
        std::function<bool(const std::string&)> write;
    };
    EditedLines doc;
    const std::vector<Path> paths = {
        {"a document's File|Save", "obs.oc",
         [&](const std::string& p) {
             EXPECT_TRUE(doc.onOpenDocument(p));
             doc.lines = std::vector<std::string>(20, std::string(78, 'x'));
             doc.setModified();
             const bool ok = doc.doFileSave();
             EXPECT_NE(doc.isModified(), ok);  // the edits stay to be saved again
             return ok;
         }},
        {"an export of the O-C and identification windows", "out.ocr",
         [](const std::string& p) { return zelvo::saveTextFile(p, std::string(5000, 'r')); }},
        {"the O-C set-up", "OC1.cfg",
         [&](const std::string&) { return zelvo::writeOcConfig(dir.dir_slash(), zelvo::OcConfigRecord{}); }},
        {"a plot's settings", "plot.cfg",
         [](const std::string& p) {
             std::int32_t values[64] = {};
             fw::SettingsFile f;
             for (std::int32_t& v : values) f.int32(v);
             return f.write(p);
         }},
        {"the write routine with its message", "orlast.cfg",
         [](const std::string& p) { return fw::write_file_or_warn(p, std::string(400, 'l')); }},
    };
    for (const Path& w : paths) {
        SCOPED_TRACE(w.what);
        const fs::path p = dir.path() / w.file;
        zeltest::write_text(p, old);
        boxes.shown.clear();
        {
            FullDisk full(w.file, 10);
            EXPECT_FALSE(w.write(p.string()));
            EXPECT_TRUE(full.hit());
        }
        EXPECT_EQ(read_text(p), old);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, disk_full_message(p));
        // With room on the disk the same write goes through, silently.
        boxes.shown.clear();
        EXPECT_TRUE(w.write(p.string()));
        EXPECT_NE(read_text(p), old);
        EXPECT_TRUE(boxes.shown.empty());
        fs::remove(p);
    }
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{});
}

}  // namespace
