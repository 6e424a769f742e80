// The observatory search dialog: the matches of the library's name search
// read from its match file (then deleted), the message when nothing is found,
// and what OK gives back.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <filesystem>

#include "framework/dialog.h"
#include "framework/messages.h"
#include "shell_support.h"
#include "zelvo/ephemeris/obsdlg.h"

namespace {

using namespace zelvo;

struct SearchBench {
    zeltest::ScopedWorkDir work;
    zeltest::FakeLibrary lib;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use{boxes};
};

TEST(ObservatorySearchDialog, MatchesChoiceAndResult) {
    SearchBench b;
    // Three searches: three matches, two, none.
    b.lib.seaObsAnswers = {{"000 Greenwich", "001 Crowborough", "002 Rayleigh"},
                           {"095 Crimean Astrophysical Observatory", "119 Abastuman"},
                           {}};
    CObsSearchDlg dlg(b.lib);
    ObservatorySearch& m = dlg.model();
    ASSERT_TRUE(m.search("green"));
    EXPECT_EQ(m.matches().size(), 3u);
    EXPECT_EQ(m.chosen(3), std::nullopt);

    dlg.fragmentEdit()->setText(QStringLiteral("  OBSERVATORY "));
    dlg.onSearch();
    EXPECT_EQ(b.lib.calls.back(), "sea_obs '  OBSERVATORY " + std::string(36, ' ') + "'");
    ASSERT_EQ(dlg.matchList()->count(), 2);
    EXPECT_EQ(dlg.matchList()->itemText(1), QStringLiteral("119 Abastuman"));
    EXPECT_FALSE(std::filesystem::exists("observat.sp1"));

    // Nothing found: the message, and the earlier matches stay.
    dlg.onSearch();
    ASSERT_EQ(b.boxes.shown.size(), 1u);
    EXPECT_EQ(b.boxes.shown[0].text, "Fragment not found");
    EXPECT_EQ(dlg.matchList()->count(), 2);

    dlg.matchList()->setCurrentIndex(1);
    dlg.onOK();
    EXPECT_EQ(dlg.result(), fw::kIdOk);
    std::string expected = "119 Abastuman";
    expected.resize(54, ' ');
    EXPECT_EQ(dlg.text, expected);
}

TEST(ObservatorySearchDialog, OkWithoutASearchCancels) {
    SearchBench b;
    b.lib.seaObsAnswers = {{}};
    CObsSearchDlg dlg(b.lib);
    dlg.onOK();
    EXPECT_EQ(dlg.result(), fw::kIdCancel);
    // A search that found nothing does not count.
    CObsSearchDlg again(b.lib);
    again.onSearch();
    again.onOK();
    EXPECT_EQ(again.result(), fw::kIdCancel);
    EXPECT_TRUE(again.text.empty());
}

}  // namespace
