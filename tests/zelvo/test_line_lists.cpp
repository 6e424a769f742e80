// The line documents and the line editors of the observation lists: loading
// and storing each record format byte for byte, the editing loop with a
// scripted String Editor and line check (accept, retry, cancel) and what it
// leaves in the lines, the counts and the modified flag, the row
// bookkeeping of Delete block, Copy and Paste, and the printed page.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "task_support.h"
#include "zelvo/app/lineedit.h"
#include "zelvo/app/listprint.h"
#include "zelvo/observations/linedoc.h"
#include "zelvo/observations/lineview.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo;
using namespace zeltest;
using fw::Answer;

// A list control as plain state: the selection by row, the focused row and
// the item count, moving with deleted rows as the owner-data list does.
struct FakeList final : ListControl {
    std::vector<int> selected;
    int count = 0, focus = -1, visible = -1;
    bool refuseDelete = false;
    std::vector<int> selectedRows() const override { return selected; }
    int itemCount() const override { return count; }
    void setItemCount(int n) override { count = n; }
    bool deleteItem(int row) override {
        if (refuseDelete) return false;
        std::vector<int> s;
        for (int r : selected)
            if (r != row) s.push_back(r > row ? r - 1 : r);
        selected = s;
        --count;
        return true;
    }
    void deselect(int row) override {
        std::erase(selected, row);
        if (focus == row) focus = -1;
    }
    void clearSelection() override { selected.clear(); }
    void setFocusRow(int row) override { focus = row; }
    void ensureVisible(int row) override { visible = row; }
};

std::string bytes_of(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string record(const std::string& text) { return formatLine(text, 1); }

TEST(LineDocuments, LoadAndStoreEachFormatByteForByte) {
    zeltest::ScopedWorkDir work;
    AppContext ctx;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use{boxes};
    const std::string line80 = obs_line("a");
    const std::string pad10 = std::string("0123456789") + std::string(70, ' ') + "\r\n";
    struct Case {
        const char* what;
        std::string file;
        std::vector<std::string> lines;
    } cases[] = {
        {"CR LF", line80 + "\r\n" + line80 + "\r\n", {line80 + "\r\n", line80 + "\r\n"}},
        {"LF and a last line without its end", line80 + "\n" + line80, {line80 + "\n", line80 + "\r\n"}},
        {"a long line is kept whole, a short and an empty one padded",
         line80 + "extra\r\n0123456789\r\n\r\n",
         {line80 + "extra\r\n", pad10, std::string(80, ' ') + "\r\n"}},
        {"a line of 10,000 bytes is kept whole",
         std::string(10000, 'y') + "\r\n" + line80 + "\r\n",
         {std::string(10000, 'y') + "\r\n", line80 + "\r\n"}},
        {"a lone CR ends a line, as in the editor", line80 + "\r" + line80 + "\r\n", {line80 + "\r", line80 + "\r\n"}},
        {"each line keeps its own end",
         line80 + "\n" + line80 + "\r\n" + line80 + "\r" + line80 + "\n",
         {line80 + "\n", line80 + "\r\n", line80 + "\r", line80 + "\n"}},
        {"an empty file", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        zeltest::write_text(work.path() / "in.oc", c.file);
        LineListDocument doc(LineDocKind::Observations, 1, ctx);
        ASSERT_TRUE(doc.onOpenDocument((work.path() / "in.oc").string()));
        EXPECT_EQ(doc.lines, c.lines);
        ASSERT_TRUE(doc.onSaveDocument((work.path() / "out.oc").string()));
        std::string stored;
        for (const std::string& l : c.lines) stored += l;
        EXPECT_EQ(bytes_of(work.path() / "out.oc"), stored);
    }

    // A damaged file of gigabytes (sparse here) is refused before it is read.
    {
        const fs::path big = work.path() / "big.oc";
        zeltest::write_text(big, line80 + "\r\n");
        fs::resize_file(big, std::uintmax_t{1} << 30);
        LineListDocument doc(LineDocKind::Observations, 1, ctx);
        EXPECT_FALSE(doc.onOpenDocument(big.string()));
        EXPECT_TRUE(doc.lines.empty());
        EXPECT_EQ(doc.loadError(), "The file " + big.string() +
                                       " is too large for a list window (1073741824 bytes; at most 268435456).");
        fs::remove(big);
    }

    // An edit of one line of a file of mixed ends: the other lines keep theirs.
    {
        zeltest::write_text(work.path() / "mixed.oc", line80 + "\n" + line80 + "\r" + line80 + "\n");
        LineListDocument doc(LineDocKind::Observations, 1, ctx);
        ASSERT_TRUE(doc.onOpenDocument((work.path() / "mixed.oc").string()));
        ASSERT_EQ(doc.lines.size(), 3u);
        doc.lines[1] = formatLine(obs_line("edited"), 1);
        ASSERT_TRUE(doc.onSaveDocument((work.path() / "mixed.oc").string()));
        EXPECT_EQ(bytes_of(work.path() / "mixed.oc"), line80 + "\n" + obs_line("edited") + "\r\n" + line80 + "\n");
    }

    // Observatory records: 200 bytes are two records of 79; the last 42
    // bytes are dropped; storing writes the two records back unchanged.
    std::string obs(200, 'x');
    for (std::size_t i = 0; i < obs.size(); ++i) obs[i] = static_cast<char>('A' + i % 26);
    zeltest::write_text(work.path() / "list.obs", obs);
    LineListDocument list(LineDocKind::Observatories, 200, ctx);
    ASSERT_TRUE(list.onOpenDocument((work.path() / "list.obs").string()));
    ASSERT_EQ(list.lines.size(), 2u);
    EXPECT_EQ(list.lines[1], obs.substr(79, 79));
    ASSERT_TRUE(list.onSaveDocument((work.path() / "list2.obs").string()));
    EXPECT_EQ(bytes_of(work.path() / "list2.obs"), obs.substr(0, 158));

    // A key missing from the record formats: the message, an empty
    // document, nothing stored.
    LineListDocument none(LineDocKind::Observations, 999, ctx);
    ASSERT_TRUE(none.onOpenDocument((work.path() / "in.oc").string()));
    EXPECT_TRUE(none.lines.empty());
    EXPECT_EQ(boxes.shown.back().text, "Output error!No format");
    EXPECT_FALSE(none.onSaveDocument((work.path() / "none.oc").string()));
    EXPECT_FALSE(fs::exists(work.path() / "none.oc"));

    // Results of fixed records without line ends (an identification result
    // ends its records with two blanks, a plate object list with two zero
    // bytes): one line per record, never one long line.
    const std::string id = std::string(80, 'i') + "  " + std::string(80, 'j') + "  " + "partial";
    zeltest::write_text(work.path() / "result.id4", id);
    RecordResultDocument ids(40);
    ASSERT_TRUE(ids.onOpenDocument((work.path() / "result.id4").string()));
    EXPECT_EQ(ids.lines, (std::vector<std::string>{std::string(80, 'i'), std::string(80, 'j')}));
    zeltest::write_text(work.path() / "result.pl4", std::string("No objects") + std::string(72, '\0'));
    RecordResultDocument plates(400);
    ASSERT_TRUE(plates.onOpenDocument((work.path() / "result.pl4").string()));
    EXPECT_EQ(plates.lines, std::vector<std::string>{"No objects"});
}

// A document and editor of the O-C lines with a scripted library and
// dialogs.
struct Editing {
    AppContext ctx;
    zeltest::FakeLibrary lib;
    ScriptedDialogs dialogs;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use{boxes};
    LineListDocument doc{LineDocKind::Observations, 1, ctx};
    FakeList list;
    LineEditor editor{ctx, lib, dialogs, doc, list, ocEditorFormat(1)};
    explicit Editing(int n) {
        for (int i = 0; i < n; ++i) doc.lines.push_back(record(obs_line(std::to_string(i))));
        list.count = n;
        ctx.RowCount = n;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& s : boxes.shown) t.push_back(s.text);
        return t;
    }
};

TEST(LineEditor, AddAndInsertAcceptRetryAndCancel) {
    {
        SCOPED_TRACE("Add, accepted: a line of the document's length at the end");
        Editing e(3);
        e.ctx.CurrentRow = 1;
        e.dialogs.editAnswers = {obs_line("new")};
        e.editor.add();
        ASSERT_EQ(e.doc.lines.size(), 4u);
        EXPECT_EQ(e.doc.lines[3], record(obs_line("new")));
        EXPECT_EQ(e.dialogs.edits[0].lineText, std::string(80, ' '));
        EXPECT_EQ(e.ctx.RowCount, 4);
        EXPECT_EQ(e.ctx.CurrentRow, 3);
        EXPECT_EQ(e.list.count, 4);
        EXPECT_TRUE(e.doc.isModified());
        EXPECT_EQ(e.lib.checkLengths, std::vector<int>{82});
    }
    {
        SCOPED_TRACE("Add, Cancel in the String Editor: nothing changed");
        Editing e(3);
        e.ctx.CurrentRow = 1;
        e.editor.add();
        EXPECT_EQ(e.doc.lines.size(), 3u);
        EXPECT_EQ(e.ctx.RowCount, 3);
        EXPECT_EQ(e.ctx.CurrentRow, 1);
        EXPECT_EQ(e.list.count, 3);
        EXPECT_FALSE(e.doc.isModified());
    }
    {
        SCOPED_TRACE("Add with a blank code: Geocenter? Yes stores 500");
        Editing e(1);
        e.lib.checks = {{3, 78, 80}};
        e.boxes.answers = {Answer::Yes};
        e.dialogs.editAnswers = {obs_line("new", "   ")};
        e.editor.add();
        ASSERT_EQ(e.doc.lines.size(), 2u);
        EXPECT_EQ(e.doc.lines[1].substr(77), "500\r\n");
        EXPECT_EQ(e.texts(), std::vector<std::string>{"Observatory code is absent in line 2. \n Geocenter?"});
    }
    {
        SCOPED_TRACE("Add refused with its column, Retry, corrected: accepted");
        Editing e(1);
        e.lib.checks = {{2, 16, 31}, {}};
        e.boxes.answers = {Answer::Ok, Answer::Retry};
        std::string bad = obs_line("new");
        bad.replace(15, 4, "1799");
        e.dialogs.editAnswers = {bad, obs_line("new")};
        e.editor.add();
        ASSERT_EQ(e.dialogs.edits.size(), 2u);
        EXPECT_EQ(e.dialogs.edits[1].message, "After the error: Data out of range");
        EXPECT_EQ(e.dialogs.edits[1].caret, 15);
        EXPECT_EQ(e.dialogs.edits[1].lineText, bad);
        EXPECT_EQ(e.doc.lines[1], record(obs_line("new")));
        EXPECT_EQ(e.editor.session().check[0], 0);
    }
    {
        SCOPED_TRACE("Insert refused, Cancel: the inserted line goes");
        Editing e(3);
        e.list.selected = {1};
        e.lib.checks = {{1, 26, 26}};
        e.boxes.answers = {Answer::Ok, Answer::Cancel};
        e.dialogs.editAnswers = {obs_line("new")};
        e.editor.insert();
        EXPECT_EQ(e.doc.lines.size(), 3u);
        EXPECT_EQ(e.doc.lines[1], record(obs_line("1")));
        EXPECT_EQ(e.ctx.RowCount, 3);
        EXPECT_EQ(e.texts(), (std::vector<std::string>{"Format error in line 2", "Try to correct or cancel"}));
    }
    {
        SCOPED_TRACE("Insert, accepted: before the selected line");
        Editing e(3);
        e.list.selected = {1};
        e.dialogs.editAnswers = {obs_line("new")};
        e.editor.insert();
        ASSERT_EQ(e.doc.lines.size(), 4u);
        EXPECT_EQ(e.doc.lines[1], record(obs_line("new")));
        EXPECT_EQ(e.doc.lines[2], record(obs_line("1")));
        EXPECT_TRUE(e.list.selected.empty());
    }
    {
        SCOPED_TRACE("Insert without a selected row");
        Editing e(2);
        e.editor.insert();
        EXPECT_EQ(e.texts(), std::vector<std::string>{"No string selected to insert before"});
        EXPECT_EQ(e.doc.lines.size(), 2u);
        EXPECT_EQ(e.editor.session().newLine, 0);
    }
}

TEST(LineEditor, EditRetryThenCancelRestoresTheLine) {
    Editing e(3);
    e.list.selected = {1};
    const std::string before = e.doc.lines[1];
    e.lib.checks = {{1, 26, 26}};
    e.boxes.answers = {Answer::Ok, Answer::Retry};
    std::string faulty = obs_line("1");
    faulty[25] = 'x';
    e.dialogs.editAnswers = {faulty};  // then Cancel in the String Editor
    e.editor.edit();
    EXPECT_EQ(e.doc.lines[1], before);
    EXPECT_FALSE(e.doc.isModified());
    EXPECT_TRUE(e.list.selected.empty());
    ASSERT_EQ(e.dialogs.edits.size(), 2u);
    EXPECT_EQ(e.dialogs.edits[1].lineText, faulty);

    // Accepted: the document holds the edited line with CR LF.
    e.list.selected = {2};
    e.dialogs.editAnswers = {obs_line("edited")};
    e.editor.edit();
    EXPECT_EQ(e.doc.lines[2], record(obs_line("edited")));
    EXPECT_TRUE(e.doc.isModified());

    // Nothing selected.
    e.boxes.shown.clear();
    e.editor.edit();
    EXPECT_EQ(e.texts(), std::vector<std::string>{"No string selected to edit"});
}

TEST(LineEditor, DeleteBlockCopyAndPaste) {
    {
        SCOPED_TRACE("rows 3, 4, 5 and 8: the block 3-5 goes, the focus on the new row 3");
        Editing e(10);
        e.list.selected = {3, 4, 5, 8};
        e.editor.deleteBlock();
        ASSERT_EQ(e.doc.lines.size(), 7u);
        EXPECT_EQ(e.doc.lines[3], record(obs_line("6")));
        EXPECT_EQ(e.doc.lines[5], record(obs_line("8")));
        EXPECT_TRUE(e.list.selected.empty());
        EXPECT_EQ(e.list.focus, 3);
        EXPECT_EQ(e.ctx.CurrentRow, 3);
        EXPECT_EQ(e.ctx.RowCount, 7);
        EXPECT_TRUE(e.doc.isModified());
    }
    {
        SCOPED_TRACE("a block that ends the list: the new last row is current");
        Editing e(5);
        e.list.selected = {3, 4};
        e.editor.deleteBlock();
        EXPECT_EQ(e.doc.lines.size(), 3u);
        EXPECT_EQ(e.ctx.CurrentRow, 2);
    }
    {
        SCOPED_TRACE("nothing selected, or the list refuses: the document is not marked");
        Editing e(3);
        e.editor.deleteBlock();
        EXPECT_EQ(e.texts(), std::vector<std::string>{"No string selected to delete"});
        e.list.selected = {0};
        e.list.refuseDelete = true;
        e.editor.deleteBlock();
        EXPECT_EQ(e.texts().back(), "Fail: OCView, Delete Item ");
        EXPECT_EQ(e.doc.lines.size(), 3u);
        EXPECT_FALSE(e.doc.isModified());
    }
    {
        SCOPED_TRACE("Copy rows 2 and 3, Paste before row 0 twice: the second inserts nothing");
        Editing e(5);
        e.list.selected = {2, 3};
        e.editor.copy();
        EXPECT_TRUE(e.list.selected.empty());
        EXPECT_EQ(e.list.focus, 3);
        e.list.selected = {0};
        e.editor.paste();
        ASSERT_EQ(e.doc.lines.size(), 7u);
        EXPECT_EQ(e.doc.lines[0], record(obs_line("2")));
        EXPECT_EQ(e.doc.lines[1], record(obs_line("3")));
        EXPECT_EQ(e.ctx.RowCount, 7);
        EXPECT_TRUE(e.doc.isModified());
        e.doc.setModified(false);
        e.list.selected = {0};
        e.editor.paste();
        EXPECT_EQ(e.doc.lines.size(), 7u);
        EXPECT_FALSE(e.doc.isModified());
    }
    {
        SCOPED_TRACE("lines pasted into another format take its record length");
        Editing e(1);
        e.ctx.LineClipboard = {std::string(79, 'o')};
        e.list.selected = {0};
        e.editor.paste();
        EXPECT_EQ(e.doc.lines[0], std::string(79, 'o') + " \r\n");
    }
    {
        SCOPED_TRACE("an empty new document takes the lines with no row selected; a full one asks for a row");
        Editing e(0);
        e.ctx.LineClipboard = {record(obs_line("x")), record(obs_line("y"))};
        e.editor.paste();
        EXPECT_TRUE(e.texts().empty());
        EXPECT_EQ(e.doc.lines, (std::vector<std::string>{record(obs_line("x")), record(obs_line("y"))}));
        EXPECT_EQ(e.ctx.RowCount, 2);
        EXPECT_EQ(e.list.count, 2);
        EXPECT_TRUE(e.doc.isModified());
        e.ctx.LineClipboard = {record(obs_line("z"))};
        e.editor.paste();
        EXPECT_EQ(e.texts(), std::vector<std::string>{"No string selected to insert before"});
        EXPECT_EQ(e.doc.lines.size(), 2u);
    }
}

TEST(LinePrinting, PagesOfAnEditorWithItsHead) {
    std::vector<std::string> lines;
    for (int i = 0; i < 100; ++i) lines.push_back(record(obs_line(std::to_string(i))));
    fw::PrintInfo info;
    info.paper = fw::PaperKind::A4;
    info.portrait = true;
    const int perPage = beginListPrinting(info, 100);
    EXPECT_EQ(perPage, 45);
    EXPECT_EQ(info.maxPage, 3);
    const EditorFormat shape = ocEditorFormat(2);
    EXPECT_EQ(shape.headSkip, 7);
    const std::vector<std::string> head(7, "head");
    // A4 at 600 dpi: 4760 x 6736 pixels; h = 6736 / (45 + 7 + 4) = 120,
    // c = 4760 / 85 = 56.
    const PrintPage p3 = layoutEditorPage(3, 4760, 6736, perPage, head, shape.print, lines, 100);
    ASSERT_EQ(p3.items.size(), 7u + 10u + 1u);
    EXPECT_EQ(p3.items[0], (PrintItem{112, 120, "head"}));
    EXPECT_EQ(p3.items[7], (PrintItem{112, 132 + 7 * 120, obs_line("90")}));
    EXPECT_EQ(p3.items.back(), (PrintItem{4760 / 2 - 168, 6736 - 240, "3"}));
    // Without the head file the lines of the O-C window of the ecliptic
    // begin 7 line heights lower than the top.
    const PrintPage bare = layoutEditorPage(1, 4760, 6736, perPage, std::nullopt, shape.print, lines, 100);
    EXPECT_EQ(bare.items.front().y, 132 + 7 * 120);
    EXPECT_EQ(bare.items.size(), 45u + 1u);
}

}  // namespace
