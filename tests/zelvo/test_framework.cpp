// The platform layer: routing, documents, templates, line lists, child
// frames, main frame panes and message boxes.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMdiArea>
#include <QToolBar>
#include <QTreeView>
#include <filesystem>
#include <fstream>

#include "framework/application.h"
#include "framework/childframe.h"
#include "framework/document.h"
#include "framework/help.h"
#include "framework/ids.h"
#include "framework/linelist.h"
#include "framework/mainframe.h"
#include "framework/messages.h"
#include "zelvomat/support.h"

namespace {

using fw::CommandUI;

struct Target : fw::CommandTarget {
    std::vector<std::string>* log;
    std::string name;
    Target(std::vector<std::string>* l, std::string n) : log(l), name(std::move(n)) {}
    void handle(int id) {
        onCommandId(id, [this, id] { log->push_back(name + ":" + std::to_string(id)); });
    }
    void update(int id, bool enabled, const char* text = nullptr) {
        onUpdateId(id, [enabled, text](CommandUI& ui) {
            ui.enable(enabled);
            if (text != nullptr) ui.setText(text);
        });
    }
};

TEST(CommandRouting, FirstTargetWithHandlerTakesTheCommand) {
    std::vector<std::string> log;
    Target view(&log, "view"), doc(&log, "doc"), frame(&log, "frame"), app(&log, "app");
    view.handle(1);
    doc.handle(1);
    doc.handle(2);
    app.handle(3);
    fw::CommandRouter r({&view, &doc, nullptr, &frame, &app});
    EXPECT_TRUE(r.dispatch(1));
    EXPECT_TRUE(r.dispatch(2));
    EXPECT_TRUE(r.dispatch(3));
    EXPECT_FALSE(r.dispatch(4));
    EXPECT_EQ(log, (std::vector<std::string>{"view:1", "doc:2", "app:3"}));
}

TEST(CommandRouting, UpdateHandlersDecideAndUnknownIdsAreDisabled) {
    std::vector<std::string> log;
    Target doc(&log, "doc"), app(&log, "app");
    doc.update(10, false);
    doc.update(59138, true, "Num 12");
    app.handle(10);  // the document's update handler comes first in the chain
    app.handle(11);
    fw::CommandRouter r({&doc, &app});
    EXPECT_FALSE(r.query(10).enabled);
    EXPECT_TRUE(r.query(11).enabled);
    EXPECT_FALSE(r.query(12).enabled);
    const CommandUI pane = r.query(59138);
    EXPECT_TRUE(pane.enabled);
    ASSERT_TRUE(pane.text.has_value());
    EXPECT_EQ(*pane.text, "Num 12");
}

TEST(DocumentStrings, SevenFieldsSplitAtLineFeeds) {
    const auto s =
        fw::DocString::parse("\nObserv1\nObserv2\nObservatory Files (*.obs)\n.obs\nZelvo.Document\nZelvo Document");
    EXPECT_EQ(s.windowTitle, "");
    EXPECT_EQ(s.docName, "Observ1");
    EXPECT_EQ(s.fileNewName, "Observ2");
    EXPECT_EQ(s.filterName, "Observatory Files (*.obs)");
    EXPECT_EQ(s.filterExt, ".obs");
    EXPECT_EQ(s.fileTypeId, "Zelvo.Document");
    EXPECT_EQ(s.fileTypeName, "Zelvo Document");
    const auto shortOne = fw::DocString::parse("\nPict\nPict2");
    EXPECT_EQ(shortOne.docName, "Pict");
    EXPECT_EQ(shortOne.filterExt, "");
}

TEST(LineDocuments, ReadAnyLineEndAndWriteCrLf) {
    zeltest::ScopedWorkDir dir;
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"CR LF", "ab\r\ncd\r\n", {"ab", "cd"}},
        {"LF", "ab\ncd\n", {"ab", "cd"}},
        {"no final end", "ab\r\ncd", {"ab", "cd"}},
        {"empty line kept", "ab\r\n\r\ncd\r\n", {"ab", "", "cd"}},
        {"empty file", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        zeltest::write_text("in.txt", c.bytes);
        fw::LineDocument d;
        d.setModified();
        ASSERT_TRUE(d.onOpenDocument("in.txt"));
        EXPECT_EQ(d.lines, c.lines);
        EXPECT_FALSE(d.isModified());
        EXPECT_EQ(d.title(), "in.txt");
    }
    fw::LineDocument d;
    d.lines = {"x y", "", "z"};
    d.setModified();
    ASSERT_TRUE(d.onSaveDocument((dir.path() / "out.txt").string()));
    EXPECT_FALSE(d.isModified());
    const auto bytes = zeltest::read_bytes(dir.path() / "out.txt");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "x y\r\n\r\nz\r\n");
    fw::LineDocument missing;
    EXPECT_FALSE(missing.onOpenDocument("no-such-file"));
}

TEST(LineLists, ModelShowsTheDocumentLinesWithoutCopyingThem) {
    std::vector<std::string> lines = {std::string(80, 'a') + "tail", "short", "caf\xe9 \x80"};
    fw::LineListModel m;
    m.setLines(&lines, 80);
    m.setRuler("  hh mm.mm");
    EXPECT_EQ(m.rowCount(), 3);
    EXPECT_EQ(m.columnCount(), 1);
    EXPECT_EQ(m.data(m.index(0, 0)).toString(), QString(80, QLatin1Char('a')));
    EXPECT_EQ(m.data(m.index(1, 0)).toString(), QStringLiteral("short"));
    EXPECT_EQ(m.data(m.index(2, 0)).toString(), QString::fromUtf8("café €"));  // Windows-1252
    EXPECT_EQ(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral("  hh mm.mm"));
    EXPECT_TRUE(m.data(m.index(0, 0), Qt::FontRole).value<QFont>().fixedPitch());
    // The model reads the document's array: a changed line shows at once and
    // a refresh picks up added rows.
    lines[1] = "changed";
    EXPECT_EQ(m.data(m.index(1, 0)).toString(), QStringLiteral("changed"));
    lines.push_back("new");
    m.refresh();
    EXPECT_EQ(m.rowCount(), 4);
    EXPECT_FALSE(m.index(4, 0).isValid());
}

TEST(LineLists, LargeDocumentCostsNoObjectPerRow) {
    std::vector<std::string> lines(200000, std::string(80, 'x'));
    fw::LineListModel m;
    m.setLines(&lines, 80);
    EXPECT_EQ(m.rowCount(), 200000);
    EXPECT_EQ(m.lineText(199999).size(), 80);
    EXPECT_TRUE(m.lineText(200000).isEmpty());
}

TEST(MessageBoxes, ScriptedServiceRecordsCaptionTextAndAnswers) {
    fw::ScriptedMessageService s;
    fw::ScopedMessageService use(s);
    fw::setMessageTitle("ZELVO-21");
    s.answers.push_back(fw::Answer::Yes);
    EXPECT_EQ(fw::message("first", fw::Buttons::YesNo), fw::Answer::Yes);
    EXPECT_EQ(fw::message("second", fw::Buttons::RetryCancel), fw::Answer::Cancel);  // nobody answers
    EXPECT_EQ(fw::message("third"), fw::Answer::Ok);
    ASSERT_EQ(s.shown.size(), 3u);
    EXPECT_EQ(s.shown[0].title, "ZELVO-21");
    EXPECT_EQ(s.shown[1].text, "second");
    EXPECT_EQ(s.shown[1].buttons, fw::Buttons::RetryCancel);
}

TEST(Help, ContextPagesFallBackToTheFirstPageAndAMissingBookIsReported) {
    zeltest::ScopedWorkDir dir;
    std::filesystem::create_directories("book");
    zeltest::write_text("book/index.html", "<p>index</p>");
    zeltest::write_text("book/ctx20080.html", "<p>main</p>");
    const std::string book = (dir.path() / "book/index.html").string();
    EXPECT_EQ(fw::help_page(book, 0), book);
    EXPECT_EQ(fw::help_page(book, 0x20080), (dir.path() / "book/ctx20080.html").string());
    EXPECT_EQ(fw::help_page(book, 0x2009C), book);
    EXPECT_EQ(fw::help_page((dir.path() / "none/index.html").string(), 0), "");

    fw::ScriptedMessageService s;
    fw::ScopedMessageService use(s);
    EXPECT_FALSE(fw::show_help((dir.path() / "none/index.html").string(), 0x20080));
    ASSERT_EQ(s.shown.size(), 1u);
    EXPECT_NE(s.shown[0].text.find("none/index.html"), std::string::npos);
    EXPECT_TRUE(fw::show_help(book, 0x20080));
    ASSERT_NE(fw::help_window(), nullptr);
    delete fw::help_window();
}

// A small program on the framework: one template of line documents shown in
// a frame with a caption bar above and a header below.
class CaptionFrame : public fw::ChildFrame {
protected:
    std::vector<fw::BarLayout> barLayouts() override {
        return {
            {117, fw::Dock::Bottom, fw::BarLayout::Kind::Header, {{1311, "line one\r\nline two"}}, true},
            {153, fw::Dock::Top, fw::BarLayout::Kind::Captions, {{1074, "  caption 1"}, {1059, "  caption 2"}}, true}};
    }
};

class TestDoc : public fw::LineDocument {
public:
    TestDoc() {
        onUpdateId(fw::ids::kIndicatorCaps,
                   [this](CommandUI& ui) { ui.setText("Num " + std::to_string(lines.size())); });
    }
};

class TestApp : public fw::Application {
public:
    bool initInstance() override {
        resources().menus[128] = {{"&Tasks", 0, {{"Run", 500, {}}, {}, {"Other", 501, {}}}}};
        resources().toolbars[128] = {{fw::ids::kFileNew, "New"}, {0, ""}, {fw::ids::kAppAbout, "About"}};
        resources().accelerators[128] = {{"Ctrl+N", fw::ids::kFileNew}};
        resources().strings[fw::ids::kIndicatorCaps] = std::string(22, ' ');
        resources().strings[fw::ids::kIndicatorRec] = std::string(22, ' ');
        addDocTemplate(std::make_unique<fw::DocTemplate>(
            147, "\nEph\nEph2\nEphemerides files (*.eph)\n.eph\nEph.Document\nEph Document",
            [] { return std::make_unique<TestDoc>(); }, [] { return new CaptionFrame; },
            [] { return std::make_unique<fw::LineListView>(); }));
        auto frame = std::make_unique<fw::MainFrame>(*this);
        if (!frame->loadFrame(128)) return false;
        setMainFrame(std::move(frame));
        onCommandId(500, [this] { ++runs; });
        return true;
    }
    int runs = 0;
};

TEST(MainFrames, PanesFollowIndicatorSetsAndUpdateHandlers) {
    zeltest::ScopedWorkDir dir;
    TestApp app;
    ASSERT_TRUE(app.initInstance());
    fw::MainFrame& mf = *app.mainFrame();
    EXPECT_EQ(mf.statusPanes().ids(), std::vector<int>{0});
    EXPECT_TRUE(mf.toolBar()->isHidden());
    // A pane without a string resource is refused and the old set stays.
    EXPECT_FALSE(mf.setIndicators({0, fw::ids::kIndicatorNum}));
    EXPECT_EQ(mf.statusPanes().count(), 1);
    ASSERT_TRUE(mf.setIndicators({0, fw::ids::kIndicatorRec, fw::ids::kIndicatorCaps}));
    EXPECT_EQ(mf.statusPanes().widthChars(fw::ids::kIndicatorRec), 22);

    zeltest::write_text("a.eph", "one\r\ntwo\r\nthree\r\n");
    fw::DocTemplate* t = app.findTemplate("Eph");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(app.findTemplate("eph"), nullptr);  // names compare exactly
    fw::Document* d = app.openDocumentFile(*t, (dir.path() / "a.eph").string());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(t->documents().size(), 1u);
    fw::ChildFrame* f = mf.activeChildFrame();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->document(), d);

    app.runIdle();
    EXPECT_EQ(mf.paneText(fw::ids::kIndicatorCaps), QStringLiteral("Num 3"));
    EXPECT_EQ(mf.paneText(fw::ids::kIndicatorRec), QString());  // no handler: blank

    // The application's command is reached through the whole chain.
    EXPECT_TRUE(app.routeCommand(500));
    EXPECT_EQ(app.runs, 1);
    EXPECT_FALSE(app.queryCommand(501).enabled);
    mf.updateMenuUI();
    ASSERT_NE(mf.action(501), nullptr);
    EXPECT_FALSE(mf.action(501)->isEnabled());
    EXPECT_TRUE(mf.action(500)->isEnabled());

    // Bars above and below the view.
    EXPECT_EQ(f->controlText(1074), QStringLiteral("  caption 1"));
    EXPECT_EQ(f->controlText(1059), QStringLiteral("  caption 2"));
    EXPECT_EQ(f->controlText(1311), QStringLiteral("line one\nline two"));
    EXPECT_TRUE(f->controlText(9999).isEmpty());
    auto* list = dynamic_cast<fw::LineListView*>(f->view());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->model().rowCount(), 3);
    list->selectRow(2);
    list->selectRow(0, true);
    EXPECT_EQ(list->selectedRows(), (std::vector<int>{0, 2}));
    EXPECT_EQ(list->nextSelected(0), 2);
    EXPECT_EQ(list->nextSelected(2), -1);

    // Closing the window releases the document.
    f->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(t->documents().empty());
    EXPECT_EQ(mf.activeChildFrame(), nullptr);
}

}  // namespace
