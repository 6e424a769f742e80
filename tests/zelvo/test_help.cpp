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

#include "accuracy.h"
#include "ephdialog.h"
#include "framework/dialog.h"
#include "framework/help.h"
#include "framework/messages.h"
#include "helpcontexts.h"
#include "shell_support.h"

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
    for (const char* folder : {"zelvo/app", "zelvo/ephemeris"}) {
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
    EXPECT_GT(files, 20);
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
