// The ephemeris task from end to end on the small data package, through the
// real computing library: Tasks|Ephemerides with a new default record, the
// set-up of 4 Vesta seen from Greenwich (chosen in the observatory search
// dialog), the run stopped at its first progress report, the result window,
// its Continue, Task Info, Save As, and the set-up that comes back when the
// window closes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "framework/childframe.h"
#include "framework/document.h"
#include "framework/filedialogs.h"
#include "framework/ids.h"
#include "framework/messages.h"
#include "framework/progress.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/library.h"
#include "zelvo/ephemeris/ephdialog.h"
#include "zelvo/ephemeris/ephresult.h"
#include "zelvo/ephemeris/obsdlg.h"
#include "zelvo/shell/app.h"
#include "zelvomat/small_package.h"
#include "zelvomat/support.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo;
using namespace zelvo::eph;

constexpr int kDays = 300;  // 2001-01-01 .. 2001-10-27, one line a day

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Types text into a tested field of the set-up the way the user does: the
// field takes the focus (checking the field edited before), then the text.
void type(CEphTaskDlg& dlg, int page, int field, const char* text) {
    ASSERT_FALSE(dlg.setup().fieldFocused(page, field)) << "page " << page << " field " << field;
    QLineEdit* e = dlg.field(page, field);
    ASSERT_NE(e, nullptr);
    e->setText(QString::fromLatin1(text));
    emit e->textEdited(e->text());
}

// The calendar date of day k of the run (0: 2001-01-01) as columns 1-16 of
// an ephemeris line show it: year in 4, month in 3, day with 5 decimals in 9.
std::string date_columns(int k) {
    using namespace std::chrono;
    const year_month_day d{sys_days{year{2001} / January / 1} + days{k}};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%4d%3u%9.5f", static_cast<int>(d.year()), static_cast<unsigned>(d.month()),
                  static_cast<double>(static_cast<unsigned>(d.day())));
    return buf;
}

TEST(EphemerisEndToEnd, VestaFromGreenwichStoppedContinuedAndSaved) {
    const std::string pkg = zeltest::small_package_dir();
    // The test program depends on the package tools: a package that cannot be
    // built is a failure, not a skip.
    ASSERT_FALSE(pkg.empty()) << "the small data package cannot be built (see package-small/build.log)";
    zeltest::ScopedWorkDir work;
    for (const char* f : {"setpar", "setpath"})
        fs::copy_file(fs::path(pkg) / "work" / f, work.path() / f, fs::copy_options::overwrite_existing);

    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    fw::ScriptedFileDialogService files;
    fw::ScopedFileDialogService useFiles{files};
    ZelvomatLibrary lib;
    TaskApp app{lib, work.dir_slash() + "bin/"};
    ASSERT_TRUE(app.initInstance());
    // No "eph.cfg" yet: a new record is made.
    boxes.answers = {fw::Answer::Yes};

    // The user stops the run at its first progress report.
    bool stop = true;
    int reports = 0;
    fw::set_pump_hook([&] {
        ++reports;
        if (stop) fw::progress().requestCancel();
    });

    std::string searchFirstMatch, chosenCode, chosenPlace;
    QTimer::singleShot(0, [&] {
        auto* dlg = dynamic_cast<CEphTaskDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        dlg->selectItem(dlg->item(kObjectPage));
        type(*dlg, kObjectPage, 0, "4");
        type(*dlg, kObjectPage, 1, "4");

        // Centre: topocentric, the place found by the search dialog.
        dlg->selectItem(dlg->item(kCentrePage));
        dlg->findChild<QRadioButton*>(QStringLiteral("ctl1056"))->click();
        dlg->findChild<QRadioButton*>(QStringLiteral("ctl1188"))->click();
        QTimer::singleShot(0, [&] {
            auto* search = dynamic_cast<CObsSearchDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(search, nullptr);
            search->fragmentEdit()->setText(QStringLiteral("greenwich"));
            search->onSearch();
            ASSERT_GE(search->matchList()->count(), 1);
            searchFirstMatch = search->matchList()->itemText(0).toStdString();
            search->matchList()->setCurrentIndex(0);
            search->onOK();
        });
        auto* select = dlg->findChild<QPushButton*>(QStringLiteral("ctl1141"));
        ASSERT_TRUE(select->isEnabled());
        select->click();
        chosenCode = dlg->field(kCentrePage, 0)->text().toStdString();
        chosenPlace = dlg->setup().centre.place;

        // Interval: 300 days from 2001 January 1.
        dlg->selectItem(dlg->item(kIntervalPage));
        dlg->findChild<QRadioButton*>(QStringLiteral("ctl1077"))->click();
        type(*dlg, kIntervalPage, 2, "20010101.00000");
        type(*dlg, kIntervalPage, 3, "20011027.00000");
        type(*dlg, kIntervalPage, 4, "1.0000000");
        dlg->selectItem(dlg->item(kDescriptionPage));
        dlg->runPressed();
    });
    ASSERT_TRUE(app.routeCommand(cmd::kTasksEphemerides));
    fw::set_pump_hook({});

    EXPECT_EQ(searchFirstMatch.substr(0, 13), "000 Greenwich");
    EXPECT_EQ(chosenCode, "000");
    EXPECT_EQ(chosenPlace.substr(0, 9), "Greenwich");
    // The only message was the question for a new record.
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "No configuration file or it's wrong. Create new?");

    // The stopped run's window.
    fw::ChildFrame* frame = app.frame()->activeChildFrame();
    ASSERT_NE(frame, nullptr);
    auto* view = dynamic_cast<CEphView*>(frame->view());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(app.context().CalcInterrupted, 1);
    const int held = view->model().rowCount();
    EXPECT_GE(held, 4);  // the object heading and at least the first date
    EXPECT_LT(held, 3 + kDays);
    EXPECT_TRUE(app.queryCommand(cmd::kEphContinue).enabled);
    // The caption bar below the list names the observer.
    EXPECT_NE(frame->controlText(1311).toStdString().find("000 Greenwich"), std::string::npos)
        << frame->controlText(1311).toStdString();

    // Continue: the rest of the run, appended.
    ASSERT_TRUE(app.routeCommand(cmd::kEphContinue));
    EXPECT_EQ(app.context().CalcInterrupted, 0);
    EXPECT_FALSE(app.queryCommand(cmd::kEphContinue).enabled);
    // Three records of the object heading (blank, name, blank), then one
    // line a day.
    ASSERT_EQ(view->model().rowCount(), 3 + kDays);
    const auto* doc = dynamic_cast<const fw::LineDocument*>(frame->document());
    ASSERT_NE(doc, nullptr);
    const std::vector<std::string>* lines = &doc->lines;
    EXPECT_EQ((*lines)[0].find_first_not_of(' '), std::string::npos);
    EXPECT_EQ((*lines)[1].substr(0, 17), "         4 Vesta ");
    EXPECT_EQ((*lines)[2].find_first_not_of(' '), std::string::npos);
    for (int k = 0; k < kDays; ++k) {
        SCOPED_TRACE(k);
        const std::string& l = (*lines)[static_cast<std::size_t>(3 + k)];
        ASSERT_EQ(l.size(), 80u);
        EXPECT_EQ(l.substr(0, 16), date_columns(k));
    }
    EXPECT_EQ(app.queryCommand(fw::ids::kIndicatorCaps).text.value_or(""), "Num " + std::to_string(3 + kDays));

    // Task Info shows the task description of the set-up.
    std::string info;
    QTimer::singleShot(0, [&] {
        auto* dlg = dynamic_cast<CTaskInfoDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        info = dlg->text;
        dlg->onOK();
    });
    ASSERT_TRUE(app.routeCommand(cmd::kEphTaskInfo));
    EXPECT_EQ(info, app.context().TaskInfoText);
    EXPECT_NE(info.find("Greenwich"), std::string::npos) << info;

    // Save As: the title, the seven header records and the 303 lines.
    const fs::path saved = work.path() / "vesta.epr";
    files.answers.push_back(saved.string());
    ASSERT_TRUE(app.routeCommand(fw::ids::kFileSaveAs));
    const std::string text = read_file(saved);
    std::vector<std::string> out;
    for (std::size_t p = 0; p < text.size();) {
        const std::size_t e = text.find("\r\n", p);
        ASSERT_NE(e, std::string::npos) << "every line ends with CR LF";
        out.push_back(text.substr(p, e - p));
        p = e + 2;
    }
    ASSERT_EQ(out.size(), 1u + 2 + 1 + 5 + 3 + kDays);
    EXPECT_EQ(out[0], "                      EPHEMERIDES");
    EXPECT_NE(out[2].find("000 Greenwich"), std::string::npos) << out[2];
    EXPECT_EQ(out[3], " ");  // no restrictions
    EXPECT_EQ(out[9 + 1].substr(0, 17), "         4 Vesta ");
    EXPECT_EQ(out[9 + 3].substr(0, 16), date_columns(0));
    EXPECT_EQ(out.back().substr(0, 16), date_columns(kDays - 1));
    EXPECT_EQ(boxes.shown.size(), 1u);

    // Closing the window brings the set-up back once the window has gone,
    // with the saved task, which runs again as it stands.
    bool reopened = false;
    int reopenedResult = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dlg = dynamic_cast<CEphTaskDlg*>(QApplication::activeModalWidget());
        if (dlg == nullptr) return;
        poll.stop();
        reopened = true;
        EXPECT_TRUE(app.frame()->childFrames().empty());
        EXPECT_EQ(dlg->field(kCentrePage, 0)->text(), QStringLiteral("000"));
        dlg->runPressed();
        reopenedResult = dlg->result();
        if (dlg->isVisible()) dlg->onCancel();
    });
    poll.start(5);
    ASSERT_TRUE(frame->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (int i = 0; i < 200 && !reopened; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(reopened);
    EXPECT_EQ(reopenedResult, fw::kIdOk);
    EXPECT_EQ(boxes.shown.size(), 1u);
    ASSERT_EQ(app.frame()->childFrames().size(), 1u);
    auto* again = dynamic_cast<CEphView*>(app.frame()->childFrames().front()->view());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->model().rowCount(), 3 + kDays);
    fw::setMessageTitle("ZELVO-21");
}

}  // namespace
