// The help books as the build lays them out beside the program: a page of
// its own for every context the program asks for, in both editions' books;
// every link of the books (help and user guides) leads to a page that
// exists; the pages of the ephemeris set-up and of the accuracy dialog answer
// F1 with their own contexts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "framework/dialog.h"
#include "framework/doctemplate.h"
#include "framework/help.h"
#include "framework/ids.h"
#include "framework/messages.h"
#include "shell_support.h"
#include "zelvo/app/accuracy.h"
#include "zelvo/app/colorsfonts.h"
#include "zelvo/app/dialogs.h"
#include "zelvo/app/helpcontexts.h"
#include "zelvo/app/progressdlg.h"
#include "zelvo/app/tables.h"
#include "zelvo/ephemeris/ephdialog.h"
#include "zelvo/ephemeris/obsdlg.h"
#include "zelvo/ephemeris/orbitinput.h"
#include "zelvo/graphics/elplotwindows.h"
#include "zelvo/graphics/elwindows.h"
#include "zelvo/graphics/orbitview.h"
#include "zelvo/graphics/trackview.h"
#include "zelvo/observations/obsdialogs.h"
#include "zelvo/observations/ocdialogs.h"
#include "zelvo/observations/platedialogs.h"
#include "zelvo/observations/plateplot.h"
#include "zelvo/shell/app.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo;

#ifdef ZELVO_PROGRAM
fs::path help_dir() { return fs::path(ZELVO_PROGRAM).parent_path() / "HTMLHelp"; }
#else
fs::path help_dir() { return fs::path(ZELVO_BINARY_DIR) / "zelvo" / "HTMLHelp"; }
#endif

std::string read_all(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string hex_page(unsigned context) {
    char name[32];
    std::snprintf(name, sizeof name, "ctx%x.html", context);
    return name;
}

// The title Qt's rich-text reader finds in a page (what the help window shows).
QString page_title(const fs::path& page) {
    QTextDocument doc;
    doc.setHtml(QString::fromUtf8(read_all(page).c_str()));
    return doc.metaInformation(QTextDocument::DocumentTitle);
}

const char* const kEditions[2] = {"Zelvo", "ZelvoRef"};

TEST(HelpBooks, EveryContextHasAPageOfItsOwnInBothEditions) {
    for (const char* edition : kEditions) {
        const std::string book = (help_dir() / edition / "index.html").string();
        ASSERT_TRUE(fs::is_regular_file(book)) << book;
        for (unsigned context : help::kHelpContexts) {
            SCOPED_TRACE(std::string(edition) + " " + hex_page(context));
            const std::string page = fw::help_page(book, context);
            EXPECT_NE(page, book);  // not the fallback to the first page
            EXPECT_EQ(fs::path(page).filename().string(), hex_page(context));
            EXPECT_FALSE(page_title(page).trimmed().isEmpty());
        }
        EXPECT_FALSE(page_title(book).trimmed().isEmpty());
    }
    // The contexts are distinct and each is the base plus a resource id.
    std::set<unsigned> seen;
    for (unsigned context : help::kHelpContexts) {
        EXPECT_TRUE(seen.insert(context).second) << std::hex << context;
        EXPECT_GT(context, help::kBase);
        EXPECT_LT(context, help::kBase + 0x100);
    }
}

// Every href in every page of the books names a file that exists; every
// page of a help book is reached from its contents.
TEST(HelpBooks, EveryLinkResolvesAndTheContentsReachEveryPage) {
    const QRegularExpression href(QStringLiteral("href\\s*=\\s*\"([^\"]*)\""),
                                  QRegularExpression::CaseInsensitiveOption);
    int pages = 0, links = 0;
    for (const auto& entry : fs::recursive_directory_iterator(help_dir())) {
        if (!entry.is_regular_file() || entry.path().extension() != ".html") continue;
        ++pages;
        const QString text = QString::fromUtf8(read_all(entry.path()).c_str());
        auto it = href.globalMatch(text);
        while (it.hasNext()) {
            QString target = it.next().captured(1);
            SCOPED_TRACE(entry.path().string() + " -> " + target.toStdString());
            EXPECT_FALSE(target.contains(QStringLiteral("://")));  // the books stand alone
            target = target.section(QLatin1Char('#'), 0, 0);
            if (target.isEmpty()) continue;
            ++links;
            EXPECT_TRUE(fs::is_regular_file(entry.path().parent_path() / target.toStdString()));
        }
    }
    EXPECT_GT(pages, 2 * 16);
    EXPECT_GT(links, pages);

    for (const char* edition : kEditions) {
        const fs::path dir = help_dir() / edition;
        const std::string contents = read_all(dir / "index.html");
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            if (name == "index.html") continue;
            EXPECT_NE(contents.find("href=\"" + name + "\""), std::string::npos) << edition << "/" << name;
        }
    }
    // Each edition's guide starts from its own contents page.
    for (const char* guide : {"UserGuid21", "UserGidCom21"})
        EXPECT_TRUE(fs::is_regular_file(help_dir() / "UserGuide" / guide / "index.html")) << guide;
}

// The program asks for help contexts only through the table: no context
// number is written anywhere else in its sources (comments aside).
TEST(HelpBooks, TheSourcesNameContextsOnlyThroughTheTable) {
    const QRegularExpression literal(QStringLiteral("\\b0x2[0-9a-fA-F]{4}\\b"));
    int files = 0;
    for (const char* folder : {"zelvo/app", "zelvo/ephemeris", "zelvo/observations", "zelvo/graphics"}) {
        for (const auto& entry : fs::directory_iterator(fs::path(ZELVO_SOURCE_DIR) / folder)) {
            if (entry.path().filename() == "helpcontexts.h") continue;
            ++files;
            std::istringstream in(read_all(entry.path()));
            std::string line;
            int number = 0;
            while (std::getline(in, line)) {
                ++number;
                const std::string code = line.substr(0, line.find("//"));
                EXPECT_FALSE(literal.match(QString::fromStdString(code)).hasMatch())
                    << entry.path().string() << ":" << number << ": " << line;
            }
        }
    }
    EXPECT_GT(files, 60);
}

// The page F1 opens for context in the edition's book: a page of its own,
// not the contents that stand in for a missing one.
void expect_own_page(const fs::path& book, unsigned context) {
    const std::string page = fw::help_page(book.string(), context);
    EXPECT_EQ(fs::path(page).filename().string(), hex_page(context));
    EXPECT_NE(page, book.string());
}

// Every document template the program registers: its view answers F1 with
// the page of the template's own context, in both editions.
TEST(HelpWalk, EveryWindowOfTheTemplatesOpensAPageOfItsOwn) {
    zeltest::Package pkg;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use{boxes};
    TaskApp app{pkg.lib, pkg.work.dir_slash() + "bin/"};
    ASSERT_TRUE(app.initInstance());
    ASSERT_EQ(app.templates().size(), std::size(kTemplates));
    for (const char* edition : kEditions) {
        // The program looks for its book beside itself.
        app.context().ProgramDir = help_dir().parent_path().string() + "/";
        app.context().CometMode = std::string_view(edition) == "ZelvoRef";
        const fs::path book = help_dir() / edition / "index.html";
        ASSERT_EQ(AppDirectory(app.context()) + HelpFileName(app.context()), book.string());
        for (const auto& t : app.templates()) {
            SCOPED_TRACE(std::string(edition) + " " + t->docName());
            const unsigned context = help::context(static_cast<unsigned>(t->resourceId()));
            expect_own_page(book, context);
            const std::unique_ptr<fw::View> view = t->createView();
            ASSERT_TRUE(view->onCommand(fw::ids::kHelp)) << "F1 is not answered";
            auto* browser = qobject_cast<QTextBrowser*>(fw::help_window());
            ASSERT_NE(browser, nullptr);
            EXPECT_EQ(browser->source().toLocalFile().toStdString(), (book.parent_path() / hex_page(context)).string());
            delete fw::help_window();
        }
    }
    EXPECT_TRUE(boxes.shown.empty());
}

// Every dialog class: its own context (and the contexts of its parts) have
// pages of their own. The progress dialog, the field error dialog and the
// About box take F1 and show nothing.
TEST(HelpWalk, EveryDialogClassHasAPageOfItsOwn) {
    zeltest::Package pkg;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use{boxes};
    AppContext ctx;
    ctx.WorkDir = pkg.work.dir_slash();
    std::string record(1418, ' '), listFile(80, ' ');
    ToleranceModel tolerance(pkg.lib);
    ObsChoiceModel choice(pkg.lib);
    ParallaxModel parallax(pkg.lib);
    ObsTypeModel obsType;
    OcChoices choices;
    choices.taskRecord = record;
    OrbitParamModel orbitParam(choices);
    SeparationModel separation(ctx, pkg.lib);
    OrbitInputModel orbitInput(pkg.lib, record, listFile, true, true, false, pkg.work.dir_slash());
    const elements::DistLimits distLimits{};
    const std::array<std::string, 3> names{"a", "e", "i"};

    std::vector<std::pair<const char*, std::unique_ptr<fw::Dialog>>> dialogs;
    auto add = [&](const char* name, fw::Dialog* d) { dialogs.emplace_back(name, std::unique_ptr<fw::Dialog>(d)); };
    add("CEphTaskDlg", new CEphTaskDlg(ctx, pkg.lib, {}));
    add("CAccuracyDlg", new CAccuracyDlg(ctx, choices.accuracy, false));
    add("CTaskInfoDlg", new CTaskInfoDlg);
    add("CObsSearchDlg", new CObsSearchDlg(pkg.lib));
    add("COrbitInputDlg", new COrbitInputDlg(orbitInput));
    add("CObsTypeDlg", new CObsTypeDlg(obsType));
    add("COrbitParamDlg", new COrbitParamDlg(orbitParam, [](bool) {}));
    add("CSeparationDlg", new CSeparationDlg(separation));
    add("CToleranceDlg", new CToleranceDlg(tolerance));
    add("CObsChoiceDlg", new CObsChoiceDlg(choice));
    add("CParallaxCalcDlg", new CParallaxCalcDlg(parallax));
    add("CMagnitudeDlg", new CMagnitudeDlg(pkg.lib));
    add("CObjectInfoDlg", new CObjectInfoDlg(ObjectInfo{}));
    add("CElSelectDlg", new CElSelectDlg(ctx, pkg.lib));
    add("CElHistElementDlg", new CElHistElementDlg(0));
    add("CElHistLimitsDlg", new CElHistLimitsDlg(0, 1, 0.1, "a"));
    add("CElDistAxesDlg", new CElDistAxesDlg(0));
    add("CElDistLimitsDlg", new CElDistLimitsDlg(false, distLimits, names));
    add("COrbitObjectsDlg", new COrbitObjectsDlg(pkg.lib));
    add("COrbitScaleDlg", new COrbitScaleDlg);
    add("CTraceInputDlg", new CTraceInputDlg(pkg.lib));
    add("CTraceScaleDlg", new CTraceScaleDlg);
    add("CTraceStepDlg", new CTraceStepDlg);
    add("CPlateColorsDlg", new CPlateColorsDlg);
    add("COrbitColorsDlg", new COrbitColorsDlg);
    add("CTraceColorsDlg", new CTraceColorsDlg);
    add("CElHistColorsDlg", new CElHistColorsDlg);
    add("CElDistColorsDlg", new CElDistColorsDlg);
    const std::set<std::string> silent = {"CAboutDlg", "CFieldErrorDlg", "CCalcProgressDlg"};
    add("CAboutDlg", new CAboutDlg);
    add("CFieldErrorDlg", new CFieldErrorDlg);
    // The field error box has the title bar of a message box.
    EXPECT_FALSE(dialogs.back().second->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(dialogs.back().second->windowTitle().toStdString(), fw::messageTitle());
    add("CCalcProgressDlg", new CCalcProgressDlg);

    for (const char* edition : kEditions) {
        const fs::path book = help_dir() / edition / "index.html";
        for (const auto& [name, dlg] : dialogs) {
            SCOPED_TRACE(std::string(edition) + " " + name);
            if (silent.count(name) != 0) {
                EXPECT_EQ(dlg->helpContext(), 0u);
                continue;
            }
            // Every dialog has a title bar.
            EXPECT_FALSE(dlg->windowFlags().testFlag(Qt::FramelessWindowHint));
            ASSERT_NE(dlg->helpContext(), 0u);
            expect_own_page(book, dlg->helpContext());
            // The parts with contexts of their own (pages of paged dialogs).
            for (QWidget* part : dlg->findChildren<QWidget*>())
                if (const unsigned c = dlg->helpContextAt(part); c != dlg->helpContext()) expect_own_page(book, c);
        }
    }
}

// A part of a dialog with its own context answers F1 while the focus is
// inside it; elsewhere the dialog's own context answers.
TEST(HelpKeys, F1OpensThePageOfThePartWithTheFocus) {
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use{boxes};
    fw::Dialog::setHelpBook((help_dir() / "Zelvo" / "index.html").string());
    fw::Dialog dlg(nullptr, help::kEphemerisSetup);
    auto* layout = new QVBoxLayout(&dlg);
    auto* outside = new QLineEdit;
    auto* part = new QWidget;
    auto* inside = new QLineEdit(part);
    layout->addWidget(outside);
    layout->addWidget(part);
    fw::Dialog::setHelpContext(part, help::kCoordinatesPage);
    EXPECT_EQ(dlg.helpContextAt(inside), help::kCoordinatesPage);
    EXPECT_EQ(dlg.helpContextAt(part), help::kCoordinatesPage);
    EXPECT_EQ(dlg.helpContextAt(outside), help::kEphemerisSetup);
    EXPECT_EQ(dlg.helpContextAt(nullptr), help::kEphemerisSetup);

    dlg.show();
    const struct {
        QLineEdit* focus;
        const char* page;
    } cases[] = {{inside, "ctx20085.html"}, {outside, "ctx2008d.html"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        c.focus->setFocus();
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QCoreApplication::sendEvent(c.focus, &f1);
        auto* browser = qobject_cast<QTextBrowser*>(fw::help_window());
        ASSERT_NE(browser, nullptr);
        EXPECT_EQ(browser->source().fileName().toStdString(), c.page);
    }
    EXPECT_TRUE(boxes.shown.empty());
    delete fw::help_window();
    fw::Dialog::setHelpBook({});
}

// The ephemeris set-up: every page answers with its own context, the tree
// with the dialog's. The accuracy dialog: its page and its tree.
TEST(HelpKeys, PagesOfTheSetUpAndAccuracyDialogsHaveTheirOwnContexts) {
    zeltest::ScopedWorkDir dir;
    zeltest::FakeLibrary lib;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use{boxes};
    AppContext ctx;
    CEphTaskDlg dlg(ctx, lib, {});
    const struct {
        const char* control;  // a control found on that page only
        unsigned context;
    } pages[] = {
        {"ctl1022", help::kObjectPage},   {"ctl1034", help::kCoordinatesPage},  {"ctl1043", help::kPlanePage},
        {"ctl1053", help::kCentrePage},   {"ctl1076", help::kIntervalPage},     {"ctl1091", help::kOutputPage},
        {"ctl1134", help::kAccuracyPage}, {"ctl1097", help::kRestrictionsPage}, {"ctl1186", help::kDescriptionPage},
    };
    for (const auto& p : pages) {
        SCOPED_TRACE(p.control);
        const QWidget* w = dlg.findChild<QWidget*>(QString::fromLatin1(p.control));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(dlg.helpContextAt(w), p.context);
    }
    EXPECT_EQ(dlg.helpContextAt(dlg.findChild<QTreeWidget*>()), help::kEphemerisSetup);
    EXPECT_EQ(dlg.helpContext(), help::kEphemerisSetup);

    OcAccuracySettings settings;
    CAccuracyDlg accuracy(ctx, settings, false);
    EXPECT_EQ(accuracy.helpContext(), help::kAccuracyDialog);
    EXPECT_EQ(accuracy.helpContextAt(accuracy.findChild<QTreeWidget*>()), help::kAccuracyDialog);
    EXPECT_EQ(accuracy.helpContextAt(accuracy.findChild<QWidget*>(QStringLiteral("ctl1134"))), help::kAccuracyPage);
}

}  // namespace
