// The platform layer's dialogs, file dialogs, progress with its pump and
// busy guard, and the start of other programs.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "framework/application.h"
#include "framework/dialog.h"
#include "framework/filedialogs.h"
#include "framework/ids.h"
#include "framework/mainframe.h"
#include "framework/messages.h"
#include "framework/pageddialog.h"
#include "framework/process.h"
#include "framework/progress.h"
#include "zelvomat/support.h"

namespace {

// A dialog with one field of each kind.
class FieldsDlg : public fw::Dialog {
public:
    std::string name = "Ceres";
    int count = 7, flag = 1, choice = 2;
    QLineEdit* nameEdit = new QLineEdit;
    QLineEdit* countEdit = new QLineEdit;
    QCheckBox* flagBox = new QCheckBox;
    std::vector<QRadioButton*> radios{new QRadioButton, new QRadioButton, new QRadioButton};
    int inits = 0;

    FieldsDlg() {
        auto* l = new QVBoxLayout(this);
        l->addWidget(nameEdit);
        l->addWidget(countEdit);
        l->addWidget(flagBox);
        for (auto* r : radios) l->addWidget(r);
        l->addWidget(fw::ok_cancel_buttons(this));
    }
    bool onInitDialog() override {
        ++inits;
        return fw::Dialog::onInitDialog();
    }

protected:
    void doDataExchange(fw::DataExchange& dx) override {
        fw::ddx_text(dx, nameEdit, name);
        fw::ddx_int(dx, countEdit, count);
        fw::ddx_check(dx, flagBox, flag);
        fw::ddx_radio(dx, radios, choice);
    }
};

TEST(Dialogs, DataExchangeBothWaysAndARefusedValueKeepsTheDialogOpen) {
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use(boxes);
    FieldsDlg dlg;
    // OK pressed by the user once the dialog is up: first with a bad number,
    // then with a good one.
    QTimer::singleShot(0, &dlg, [&] {
        EXPECT_EQ(dlg.nameEdit->text(), QStringLiteral("Ceres"));
        EXPECT_EQ(dlg.countEdit->text(), QStringLiteral("7"));
        EXPECT_TRUE(dlg.flagBox->isChecked());
        EXPECT_TRUE(dlg.radios[2]->isChecked());
        dlg.nameEdit->setText(QStringLiteral("Pallas"));
        dlg.countEdit->setText(QStringLiteral("x"));
        dlg.onOK();
        EXPECT_TRUE(dlg.isVisible());
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, "Please enter an integer.");
        dlg.countEdit->setText(QStringLiteral(" 12 "));
        dlg.flagBox->setChecked(false);
        dlg.radios[0]->setChecked(true);
        dlg.onOK();
    });
    EXPECT_EQ(dlg.doModal(), fw::kIdOk);
    EXPECT_EQ(dlg.inits, 1);
    EXPECT_EQ(dlg.name, "Pallas");
    EXPECT_EQ(dlg.count, 12);
    EXPECT_EQ(dlg.flag, 0);
    EXPECT_EQ(dlg.choice, 0);
}

TEST(Dialogs, CancelAndEscapeLeaveTheMembersAndModelessDialogsDoNotBlock) {
    FieldsDlg dlg;
    QTimer::singleShot(0, &dlg, [&] {
        dlg.nameEdit->setText(QStringLiteral("Vesta"));
        dlg.reject();  // Esc
    });
    EXPECT_EQ(dlg.doModal(), fw::kIdCancel);
    EXPECT_EQ(dlg.name, "Ceres");

    FieldsDlg modeless;
    ASSERT_TRUE(modeless.createModeless());
    EXPECT_TRUE(modeless.isVisible());
    EXPECT_FALSE(modeless.isModal());
    modeless.destroyWindow();
    EXPECT_FALSE(modeless.isVisible());
}

class Paged : public fw::PagedDialog {
public:
    bool refuseLeaving = false;
    using fw::PagedDialog::PagedDialog;

protected:
    bool onSelChanging(QTreeWidgetItem*, QTreeWidgetItem*) override { return !refuseLeaving; }
};

TEST(Dialogs, PagedDialogShowsThePageOfTheSelectedItem) {
    Paged dlg;
    auto* p1 = new QLabel(QStringLiteral("one"));
    auto* p2 = new QLabel(QStringLiteral("two"));
    QTreeWidgetItem* root = dlg.addItem(QStringLiteral("OC"), nullptr);
    QTreeWidgetItem* a = dlg.addItem(QStringLiteral("Accuracy"), p1, root);
    QTreeWidgetItem* b = dlg.addItem(QStringLiteral("Other"), p2, root);
    dlg.selectItem(b);
    EXPECT_EQ(dlg.currentPage(), p2);
    dlg.selectItem(root);  // no page: the last one stays
    EXPECT_EQ(dlg.currentPage(), p2);
    dlg.selectItem(a);
    EXPECT_EQ(dlg.currentPage(), p1);
    dlg.refuseLeaving = true;
    dlg.selectItem(b);
    EXPECT_EQ(dlg.currentPage(), p1);
    EXPECT_EQ(dlg.tree()->currentItem(), a);
}

TEST(Dialogs, PagedDialogTreeIsWideEnoughForItsTexts) {
    Paged dlg(nullptr, 0, 60);
    QTreeWidgetItem* root = dlg.addItem(QStringLiteral("OC"), nullptr);
    QTreeWidgetItem* item = dlg.addItem(QStringLiteral("Accuracy"), new QLabel(QStringLiteral("page")), root);
    root->setExpanded(true);
    dlg.selectItem(item);
    dlg.show();
    QTreeWidget* tree = dlg.tree();
    const QRect text = tree->visualItemRect(item);
    const int textWidth = tree->fontMetrics().horizontalAdvance(QStringLiteral("Accuracy"));
    EXPECT_GE(tree->viewport()->width() - text.left(), textWidth);
    dlg.hide();
}

// Dialogs keep the size their layout asks for (window managers then offer
// no resizing and draw no resize handle along the bottom edge), at least as
// wide as their title bar, and follow the layout when fields are shown or
// hidden; a paged dialog as well.
TEST(Dialogs, KeepTheSizeOfTheirLayoutAndTheirTitleBar) {
    FieldsDlg dlg;
    dlg.setWindowTitle(QStringLiteral("A rather long title for so small a dialog as this one"));
    ASSERT_TRUE(dlg.createModeless());
    QCoreApplication::processEvents();
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    EXPECT_GE(dlg.width(), fw::title_bar_width(dlg.windowTitle()));
    const int height = dlg.height();
    auto* extra = new QLabel(QStringLiteral("one more line\nand another"), &dlg);
    dlg.layout()->addWidget(extra);
    QCoreApplication::processEvents();
    dlg.layout()->activate();
    EXPECT_GT(dlg.height(), height);
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    dlg.destroyWindow();

    Paged paged;
    paged.addItem(QStringLiteral("Page"), new QLabel(QStringLiteral("page")));
    ASSERT_TRUE(paged.createModeless());
    QCoreApplication::processEvents();
    EXPECT_EQ(paged.minimumSize(), paged.maximumSize());
    paged.destroyWindow();
}

TEST(FileDialogs, FiltersAndScriptedAnswers) {
    EXPECT_EQ(fw::qt_name_filters("Plate files (*.plt)|*.plt|All files (*.*)|*.*||"),
              (std::vector<std::string>{"Plate files (*.plt)", "All files (*.*)"}));
    EXPECT_EQ(fw::qt_name_filters("Text|*.txt;*.lst||"), (std::vector<std::string>{"Text (*.txt *.lst)"}));
    EXPECT_TRUE(fw::qt_name_filters("").empty());

    fw::ScriptedFileDialogService files;
    fw::ScopedFileDialogService use(files);
    files.answers.push_back(std::string("/tmp/a.oc"));
    fw::FileDialogRequest desc;
    desc.defaultExt = "oc";
    EXPECT_EQ(fw::fileDialogs().ask(desc), std::optional<std::string>("/tmp/a.oc"));
    EXPECT_EQ(fw::fileDialogs().ask(desc), std::nullopt);  // empty queue: Cancel
    ASSERT_EQ(files.asked.size(), 2u);
    EXPECT_EQ(files.asked[0].defaultExt, "oc");
}

// A progress window that records what it was told.
struct RecordingWindow : fw::ProgressWindow {
    std::vector<std::string> log;
    void open(int lo, int hi, int pos) override {
        log.push_back("open " + std::to_string(lo) + ".." + std::to_string(hi) + " at " + std::to_string(pos));
    }
    void setPosition(int pos) override { log.push_back("pos " + std::to_string(pos)); }
    void close() override { log.push_back("close"); }
};

TEST(ProgressRuns, StepsPumpAndCancelStopsTheRun) {
    fw::Progress p;
    RecordingWindow w;
    p.setWindow(&w);
    int pumped = 0;
    fw::set_pump_hook([&] {
        ++pumped;
        if (pumped == 2) p.requestCancel();  // the user presses Cancel during the second pump
    });
    ASSERT_TRUE(p.begin(1, 25, 1, 10));
    EXPECT_TRUE(fw::library_busy());
    EXPECT_EQ(p.stepIt(), 0);
    EXPECT_EQ(p.position(), 11);
    EXPECT_EQ(p.stepIt(), 1);
    EXPECT_EQ(p.position(), 21);
    EXPECT_EQ(p.stepIt(), 1);
    EXPECT_EQ(p.position(), 25);  // the bar stops at its end
    p.end();
    fw::set_pump_hook({});
    EXPECT_FALSE(fw::library_busy());
    EXPECT_EQ(pumped, 3);
    EXPECT_EQ(w.log, (std::vector<std::string>{"open 1..25 at 1", "pos 11", "pos 21", "close"}));
    // The flag stays after the run and the next run clears it.
    EXPECT_EQ(p.cancelRequested(), 1);
    ASSERT_TRUE(p.begin(1, 100, 40, 1));
    EXPECT_EQ(p.cancelRequested(), 0);
    EXPECT_EQ(p.stepBy(7), 0);
    EXPECT_EQ(p.position(), 47);
    EXPECT_EQ(p.step(), 7);
    p.end();
}

TEST(ProgressRuns, NoSecondRunWhileOneIsInProgress) {
    fw::Progress p, q;
    ASSERT_TRUE(p.begin(1, 10, 1, 1));
    EXPECT_FALSE(q.begin(1, 10, 1, 1));
    EXPECT_FALSE(p.begin(1, 10, 1, 1));
    {
        fw::BusyGuard g;
        EXPECT_FALSE(g.acquired());
    }
    EXPECT_TRUE(fw::library_busy());
    p.end();
    {
        fw::BusyGuard g;
        EXPECT_TRUE(g.acquired());
        EXPECT_TRUE(fw::library_busy());
        EXPECT_FALSE(q.begin(1, 10, 1, 1));
    }
    EXPECT_FALSE(fw::library_busy());
}

class BusyApp : public fw::Application {
public:
    int runs = 0, other = 0;
    bool initInstance() override {
        resources().menus[128] = {{"&Tasks", 0, {{"Run", 500, {}}, {"Other", 501, {}}}}};
        resources().toolbars[128] = {{fw::ids::kFileNew, "New"}};
        auto frame = std::make_unique<fw::MainFrame>(*this);
        if (!frame->loadFrame(128)) return false;
        setMainFrame(std::move(frame));
        onCommandId(500, [this] { ++runs; });
        onCommandId(501, [this] { ++other; });
        addLibraryCommand(500);
        return true;
    }
};

TEST(BusyGuards, LibraryCommandsAndClosingAreRefusedDuringARun) {
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use(boxes);
    BusyApp app;
    ASSERT_TRUE(app.initInstance());
    fw::MainFrame& mf = *app.mainFrame();
    mf.show();
    fw::Progress& p = fw::progress();
    ASSERT_TRUE(p.begin(1, 10, 1, 1));
    // During the run: the library command is disabled and not run, the
    // other one works.
    EXPECT_FALSE(app.queryCommand(500).enabled);
    EXPECT_FALSE(app.routeCommand(500));
    EXPECT_TRUE(app.routeCommand(501));
    // Closing the main window asks to stop the run; No keeps it going.
    boxes.answers = {fw::Answer::No, fw::Answer::Yes};
    EXPECT_FALSE(mf.close());
    EXPECT_EQ(p.cancelRequested(), 0);
    EXPECT_FALSE(mf.close());
    EXPECT_EQ(p.cancelRequested(), 1);
    EXPECT_TRUE(mf.isVisible());
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].buttons, fw::Buttons::YesNo);
    p.end();
    EXPECT_TRUE(app.queryCommand(500).enabled);
    EXPECT_TRUE(app.routeCommand(500));
    EXPECT_EQ(app.runs, 1);
    EXPECT_EQ(app.other, 1);
    EXPECT_TRUE(mf.close());
}

TEST(Processes, TheEditorGetsAFileThatExists) {
    zeltest::ScopedWorkDir dir;
    const std::string path = dir.dir_slash() + "new list.txt";
    ASSERT_TRUE(fw::start_editor("/bin/true", path));
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use(boxes);
    EXPECT_FALSE(fw::start_editor(dir.dir_slash() + "no-such-editor", path));
    ASSERT_EQ(boxes.shown.size(), 1u);
}

}  // namespace
