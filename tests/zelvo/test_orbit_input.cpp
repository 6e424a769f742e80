// The orbit input dialog: the field checks of both forms (with the library's
// own rule set), the single-orbit file and the nongravitational parameters it
// writes, the column orders of lists, and the widgets over the model.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <filesystem>
#include <fstream>

#include "framework/filedialogs.h"
#include "framework/messages.h"
#include "shell_support.h"
#include "zelvo/app/tables.h"
#include "zelvo/ephemeris/orbitinput.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo;

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string pad(std::string s, std::size_t n) {
    s.resize(n, ' ');
    return s;
}

// A task record of 1418 blanks with the key, the standard orders of single
// orbits and lists and the default list files, as the set-up writes it.
std::string task_record(const std::string& key) {
    std::string r(1418, ' ');
    r.replace(0, 4, key);
    r.replace(1178, 20, "01020304050708091011");  // elements: designation H G epoch M peri node i e n
    r.replace(1198, 20, "01020304050607080910");  // coordinates
    r.replace(1218, 80, pad("Eleml.txt", 80));
    r.replace(1298, 20, "01020304050708091011");
    r.replace(1318, 80, pad("Coord.txt", 80));
    r.replace(1398, 20, "01020304050607080910");
    return r;
}

struct Errors {
    std::vector<std::pair<std::string, std::string>> shown;
};

// A model over a scripted library (whose field checks are the library's),
// message boxes and file dialogs recorded.
struct OrbitFixture {
    zeltest::Package pkg;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    fw::ScriptedFileDialogService fileDialogs;
    fw::ScopedFileDialogService useFiles{fileDialogs};
    std::string record;
    std::string listFile;
    Errors errors;

    explicit OrbitFixture(const std::string& key = "EELM") : record(task_record(key)) {}

    OrbitInputModel model(bool elements, bool ephemeris = true, bool comets = false) {
        OrbitInputModel m(pkg.lib, record, listFile, elements, ephemeris, comets, pkg.work.dir_slash());
        m.fieldError = [this](const std::string& a, const std::string& b) { errors.shown.emplace_back(a, b); };
        m.editorProgram = pkg.work.dir_slash() + "no-such-editor";
        return m;
    }
    std::string path(const std::string& name) const { return pkg.work.dir_slash() + name; }
    // An "eph.cfg" in the working directory: the dialog then shows no
    // default orbit.
    void haveTaskFile() { zeltest::write_text(path("eph.cfg"), std::string(1418, ' ')); }
};

TEST(OrbitFields, ChecksOfBothFormsWithTheirMessages) {
    struct Case {
        bool elements;
        int field;
        const char* text;
        bool ok;
        const char* line1;  // the check's message when refused
        const char* line2;
    };
    const Case cases[] = {
        {true, kFieldDesignation, "2007TW24", true, "", ""},
        {true, kFieldDesignation, "2007 TW24", false, "Format error", "Change value  of Designation."},
        {true, kFieldH, "15.99", true, "", ""},
        {true, kFieldH, "41", false, "Data out of range", "Change value  of H."},
        {true, kFieldG, "X", true, "", ""},
        {true, kFieldEpoch, "20071027.5", true, "", ""},
        {true, kFieldEpoch, "17991231", false, "Data out of range", "Change value  of Epoch."},
        {true, kFieldEpoch, "20070431", false, "Data out of range", "Change value  of Epoch."},
        {true, kFieldM, "361", false, "Data out of range", "Change value  of M."},
        {true, kFieldPeri, "", false, "Format error", "Change value  of Peri."},
        {true, kFieldNode, " 270.56409", true, "", ""},
        {true, kFieldI, "abc", false, "Format error", "Change value  of i."},
        {true, kFieldE, "1.2", false, "Data out of range", "Change value  of e."},
        {true, kFieldN, "5.1", false, "Data out of range", "Change value  of n."},
        {false, kFieldX, "-4.241737", true, "", ""},
        {false, kFieldX + 1, "abc", false, "Format error", "Change value  of Y."},
        {false, kFieldDZ, "1.5D-3", true, "", ""},
        {false, kFieldDZ, "1.5D", false, "Format error", "Change value  of dZ."},
        {false, 16, "x", false, "Format error", "Change value  of dX."},
        {false, kFieldEpoch, "20071027", true, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " in field " + std::to_string(c.field));
        OrbitFixture f(c.elements ? "EELM" : "XXYZ");
        OrbitInputModel m = f.model(c.elements);
        m.init();
        m.setFieldText(c.field, c.text);
        EXPECT_EQ(m.checkField(c.field), c.ok);
        if (c.ok) {
            EXPECT_TRUE(f.errors.shown.empty());
            // The text stays as typed, blank-padded to 18 characters.
            EXPECT_EQ(m.texts[static_cast<std::size_t>(orbitFieldCode(c.field) - 1)], pad(c.text, 18));
        } else {
            ASSERT_EQ(f.errors.shown.size(), 1u);
            EXPECT_EQ(f.errors.shown[0].first, c.line1);
            EXPECT_EQ(f.errors.shown[0].second, c.line2);
            EXPECT_EQ(m.failedField, c.field);
        }
        // Each field is checked with its own kind and the orbit form.
        ASSERT_FALSE(f.pkg.lib.fieldKinds.empty());
        EXPECT_EQ(f.pkg.lib.fieldKinds.back(), 15 + orbitFieldCode(c.field));
    }
}

TEST(OrbitFields, ABlankOptionalColumnLeavesTheOrbit) {
    OrbitFixture f;
    OrbitInputModel m = f.model(true);
    m.init();
    m.setFieldText(kFieldH, "   ");
    EXPECT_TRUE(m.checkField(kFieldH));
    EXPECT_TRUE(f.errors.shown.empty());
    EXPECT_FALSE(m.boxChecked[kFieldH]);
    EXPECT_FALSE(m.fieldEnabled[kFieldH]);
    EXPECT_EQ(compactOrderText(m.order), "01030405070809101100");
}

TEST(OrbitFields, MovingToAnotherFieldChecksTheEditedOne) {
    OrbitFixture f;
    f.haveTaskFile();
    OrbitInputModel m = f.model(true);
    m.init();
    EXPECT_TRUE(m.onFieldFocus(kFieldPeri));
    m.setFieldText(kFieldPeri, "400");
    // Leaving Peri for Epoch: Peri is refused, the focus belongs to it.
    EXPECT_FALSE(m.onFieldFocus(kFieldEpoch));
    EXPECT_EQ(m.failedField, kFieldPeri);
    EXPECT_FALSE(m.hintVisible);
    ASSERT_EQ(f.errors.shown.size(), 1u);
    EXPECT_EQ(f.errors.shown[0].second, "Change value  of Peri.");
    m.setFieldText(kFieldPeri, "91.25204");
    EXPECT_TRUE(m.onFieldFocus(kFieldEpoch));
    // The epoch's hint shows its forms.
    EXPECT_TRUE(m.hintVisible);
    EXPECT_EQ(m.hintText, "yyyymmdd.ddddd.../\r\nddddddd.ddddd.../\r\nccccc (zip data)");
    EXPECT_EQ(m.texts[6], pad("91.25204", 18));
}

TEST(SingleOrbit, StandardOrderWritesTenSlotsAndTheRecord) {
    OrbitFixture f;
    OrbitInputModel m = f.model(true);
    m.init();
    // No eph.cfg: the default orbit, its mean motion in the field of n.
    EXPECT_EQ(m.fieldTexts[kFieldN], pad("0.23009281", 18));
    EXPECT_TRUE(m.fieldEnabled[kFieldN]);
    EXPECT_FALSE(m.fieldEnabled[kFieldA]);
    ASSERT_TRUE(m.onOK());
    const std::string expected = pad("Example", 20) + pad("15.99", 20) + pad("X", 20) + pad("2454400.5", 20) +
                                 pad("192.88384", 20) + pad("91.25204", 20) + pad("270.56409", 20) +
                                 pad("2.78545", 20) + pad("0.6239435", 20) + pad("0.23009281", 20);
    EXPECT_EQ(read_file(f.path("eelm.eph")), expected);
    EXPECT_EQ(f.record.substr(0, 4), "EELM");
    EXPECT_EQ(f.record.substr(1178, 20), "01020304050708091011");
    EXPECT_EQ(f.record.size(), 1418u);
    // The O-C task writes its own file.
    OrbitInputModel oc = f.model(true, false);
    oc.init();
    ASSERT_TRUE(oc.onOK());
    EXPECT_TRUE(fs::exists(f.path("eelm.omc")));
}

TEST(SingleOrbit, TInsteadOfMSortsBetweenEpochAndPeri) {
    OrbitFixture f;
    OrbitInputModel m = f.model(true);
    m.init();
    ASSERT_TRUE(m.onColumnCheck(kFieldT, true));
    EXPECT_FALSE(m.fieldEnabled[kFieldM]);
    EXPECT_TRUE(m.fieldTexts[kFieldM].empty());
    EXPECT_TRUE(m.fieldEnabled[kFieldT]);
    EXPECT_EQ(compactOrderText(m.order), "01020304060708091011");
    m.setFieldText(kFieldT, "20071027.12345");
    ASSERT_TRUE(m.onOK());
    const std::string file = read_file(f.path("eelm.eph"));
    ASSERT_EQ(file.size(), 200u);
    // The calendar form stays as typed.
    EXPECT_EQ(file.substr(80, 20), pad("20071027.12345", 20));
    EXPECT_EQ(f.record.substr(1178, 20), "01020304060708091011");
}

TEST(SingleOrbit, FieldsComeBackFromTheFile) {
    OrbitFixture f;
    f.haveTaskFile();
    zeltest::write_text(f.path("xxyz.eph"), pad("C2007", 20) + pad("10.0", 20) + pad("0.15", 20) + pad("20071027", 20) +
                                                pad("-4.2", 20) + pad("-.3", 20) + pad("-.35", 20) + pad(".001", 20) +
                                                pad("-.004", 20) + pad("-.002", 20));
    OrbitFixture& g = f;
    g.record = task_record("XXYZ");
    OrbitInputModel m = g.model(false);
    m.init();
    EXPECT_EQ(m.fieldTexts[kFieldDesignation], pad("C2007", 18));
    EXPECT_EQ(m.fieldTexts[kFieldX], pad("-4.2", 18));
    EXPECT_EQ(m.fieldTexts[kFieldDZ], pad("-.002", 18));
    EXPECT_FALSE(m.fieldEnabled[kFieldM]);
    // A typed orbit that fails is not written.
    m.setFieldText(kFieldX + 1, "?");
    EXPECT_FALSE(m.onOK());
    EXPECT_EQ(m.failedField, kFieldX + 1);
}

TEST(SingleOrbit, AFileThatCannotBeCreatedIsReported) {
    OrbitFixture f;
    // A directory that is not empty stands where the file should go.
    fs::create_directories(f.path("eelm.eph/inner"));
    OrbitInputModel m = f.model(true);
    m.init();
    EXPECT_FALSE(m.onOK());
    ASSERT_FALSE(f.boxes.shown.empty());
    EXPECT_NE(f.boxes.shown.back().text.find("eelm.eph"), std::string::npos);
    // The record keeps its key.
    EXPECT_EQ(f.record.substr(0, 4), "EELM");
}

TEST(SingleOrbit, NongravitationalParametersOfAComet) {
    struct Case {
        const char* a1;
        const char* a2;
        const char* a3;
        const char* refused;  // message, or empty when accepted
    };
    const Case cases[] = {
        {"1.5E-8", "0", "0.0", "E R R O R: Wrong field A2"},
        {"1.5E-8", "0.0", "0.0", ""},
        {"abc", "0.0", "0.0", "E R R O R: Wrong field A1"},
        {" 2.3e-9 ", "-1.1E-9", " 0.0", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a1) + "/" + c.a2 + "/" + c.a3);
        OrbitFixture f;
        OrbitInputModel m = f.model(true, true, true);
        m.init();
        EXPECT_TRUE(m.nongravVisible);
        // No file yet: all three read "0.0 ".
        EXPECT_EQ(m.nongrav[0], "0.0 ");
        m.nongrav = {c.a1, c.a2, c.a3};
        const bool ok = m.onOK();
        EXPECT_EQ(ok, std::string(c.refused).empty());
        if (!ok) {
            ASSERT_FALSE(f.boxes.shown.empty());
            EXPECT_EQ(f.boxes.shown.back().text, c.refused);
            // Nothing is written when a parameter is refused.
            EXPECT_FALSE(fs::exists(f.path("eelm.eph")));
            EXPECT_FALSE(fs::exists(f.path("ngr.eph")));
        }
    }
    OrbitFixture f;
    OrbitInputModel m = f.model(true, true, true);
    m.init();
    m.nongrav = {"1.5E-8", "0.0", "0.0"};
    ASSERT_TRUE(m.onOK());
    EXPECT_EQ(read_file(f.path("ngr.eph")), "1.5E-8 0.0 0.0 \r\n0.0 0.0 0.0");
    // Shown again, the texts come back from the file.
    OrbitInputModel again = f.model(true, true, true);
    again.init();
    EXPECT_EQ(again.nongrav[0], "1.5E-8");
    EXPECT_EQ(again.nongrav[1], "0.0 ");
}

TEST(OrbitList, CometOrderAfterRestore) {
    OrbitFixture f("FELM");
    OrbitInputModel m = f.model(true, true, true);
    m.init();
    EXPECT_FALSE(m.single);
    EXPECT_FALSE(m.nongravVisible);
    // H and G leave a comet's list order.
    EXPECT_EQ(compactOrderText(m.order), "01040507080910110000");
    m.onModify();
    EXPECT_FALSE(m.boxEnabled[kFieldH]);
    EXPECT_TRUE(m.restoreEnabled);
    m.onRestore();
    EXPECT_EQ(m.orderText,
              "1.   Designation\r\n2.   T          \r\n3.   q          \r\n4.   e          \r\n"
              "5.   Peri       \r\n6.   Node       \r\n7.   i          \r\n8.   Epoch      \r\n");
    EXPECT_TRUE(m.boxChecked[kFieldT]);
    EXPECT_TRUE(m.boxChecked[kFieldQ]);
}

TEST(OrbitList, ColumnsEditTheOrderAndOkChecksIt) {
    OrbitFixture f("FELM");
    OrbitInputModel m = f.model(true);
    m.init();
    EXPECT_EQ(m.fileText, "Eleml.txt");
    m.onModify();
    m.onClear();
    EXPECT_EQ(m.orderText, "");
    for (int c : {int(kFieldDesignation), int(kFieldEpoch), int(kFieldPeri), int(kFieldNode), int(kFieldI),
                  int(kFieldE), kGroupMT})
        ASSERT_TRUE(m.onColumnCheck(c, true));
    // Six of the orbit columns only.
    EXPECT_FALSE(m.onOK());
    ASSERT_EQ(f.errors.shown.size(), 1u);
    EXPECT_EQ(f.errors.shown[0].first, "Columns are set incorrectly");
    // q completes the orbit; T replaces M where M stood.
    ASSERT_TRUE(m.onColumnCheck(kGroupNAQ, true));
    ASSERT_TRUE(m.onColumnCheck(kFieldQ, true));
    ASSERT_TRUE(m.onColumnCheck(kFieldT, true));
    EXPECT_EQ(compactOrderText(m.order), "01040708091006130000");
    EXPECT_EQ(m.orderText.substr(0, 18), "1.   Designation\r\n");
    m.setFileText("mine.txt");
    ASSERT_TRUE(m.onOK());
    EXPECT_EQ(f.record.substr(0, 4), "FELM");
    EXPECT_EQ(f.record.substr(1298, 20), "01040708091006130000");
    EXPECT_EQ(f.record.substr(1218, 80), pad("mine.txt", 80));
    EXPECT_EQ(f.listFile, pad("mine.txt", 80));
    // The list file is created when missing.
    EXPECT_TRUE(fs::exists(f.path("mine.txt")));
    // The single-orbit order is not touched.
    EXPECT_EQ(f.record.substr(1178, 20), "01020304050708091011");
}

TEST(OrbitList, AFileThatCanNeitherBeOpenedNorCreated) {
    OrbitFixture f("FXYZ");
    OrbitInputModel m = f.model(false);
    m.init();
    m.setFileText("no/such/dir/c.txt");
    EXPECT_FALSE(m.onOK());
    ASSERT_FALSE(f.boxes.shown.empty());
    EXPECT_EQ(f.boxes.shown.back().text, "E R R O R: file 'no/such/dir/c.txt' not found");
    // Cancel puts the record's list file back.
    m.onCancel();
    EXPECT_EQ(f.listFile, pad("Coord.txt", 80));
    EXPECT_FALSE(m.single);
}

TEST(OrbitList, EditFileAndBrowse) {
    OrbitFixture f("FELM");
    OrbitInputModel m = f.model(true);
    m.init();
    m.setFileText("   ");
    m.onEditFile();
    ASSERT_EQ(f.boxes.shown.size(), 1u);
    EXPECT_EQ(f.boxes.shown[0].text, "Enter file name or select file through BROWSE");
    // A missing editor is reported; the file is made for it.
    m.setFileText("new.txt   ");
    m.onEditFile();
    EXPECT_TRUE(fs::exists(f.path("new.txt")));
    ASSERT_EQ(f.boxes.shown.size(), 2u);
    EXPECT_NE(f.boxes.shown[1].text.find("Cannot start the editor"), std::string::npos);
    f.fileDialogs.answers.push_back(f.path("picked.txt"));
    m.onBrowse();
    EXPECT_EQ(m.fileText, f.path("picked.txt"));
    ASSERT_EQ(f.fileDialogs.asked.size(), 1u);
    EXPECT_EQ(f.fileDialogs.asked[0].filter, "Element files (*.txt)|*.txt|All files (*.*)|*.*||");
}

TEST(OrbitDialog, WidgetsShowTheModel) {
    OrbitFixture f;
    OrbitInputModel m = f.model(true);
    COrbitInputDlg dlg(m);
    ASSERT_TRUE(dlg.createModeless());
    EXPECT_TRUE(dlg.field(kFieldM)->isEnabled());
    EXPECT_FALSE(dlg.field(kFieldT)->isEnabled());
    EXPECT_EQ(dlg.field(kFieldN)->text().trimmed(), QStringLiteral("0.23009281"));
    EXPECT_EQ(dlg.field(kFieldX), nullptr);
    // Choosing T through its radio.
    dlg.box(kFieldT)->click();
    EXPECT_TRUE(dlg.field(kFieldT)->isEnabled());
    EXPECT_FALSE(dlg.field(kFieldM)->isEnabled());
    EXPECT_TRUE(dlg.box(kFieldT)->isChecked());
    EXPECT_FALSE(dlg.box(kFieldM)->isChecked());
    dlg.field(kFieldT)->setText(QStringLiteral("2454300.5"));
    m.setFieldText(kFieldT, "2454300.5");
    dlg.onOK();
    EXPECT_EQ(dlg.result(), fw::kIdOk);
    EXPECT_EQ(read_file(f.path("eelm.eph")).substr(80, 20), pad("2454300.5", 20));
}

// Every typed field of both forms is fixed-width (18 characters): a text
// held padded shows trimmed, a field entered by Tab is typed over at once,
// and the model reads the field padded to its width; a full field takes no
// more.
TEST(OrbitDialog, EveryFieldShowsTrimmedTakesTypingAndReadsPadded) {
    OrbitFixture f;
    struct Case {
        const char* typed;
        std::string read;
    } cases[] = {
        {"0.5", pad("0.5", 18)},
        {"2460800.5", pad("2460800.5", 18)},
        {"1234567890123456789", "123456789012345678"},
    };
    for (bool elements : {true, false}) {
        OrbitInputModel m = f.model(elements);
        COrbitInputDlg dlg(m);
        ASSERT_TRUE(dlg.createModeless());
        int tried = 0;
        for (int i = 0; i < kOrbitFields; ++i) {
            QLineEdit* e = dlg.field(i);
            if (e == nullptr || !e->isEnabled()) continue;
            ++tried;
            SCOPED_TRACE(::testing::Message() << (elements ? "elements" : "coordinates") << " field " << i);
            EXPECT_EQ(e->maxLength(), 18);
            // The form's own text, without blanks at either end.
            const std::string& start = m.fieldTexts[static_cast<std::size_t>(i)];
            const auto b = start.find_first_not_of(' ');
            EXPECT_EQ(e->text().toStdString(),
                      b == std::string::npos ? "" : start.substr(b, start.find_last_not_of(' ') + 1 - b));
            for (const Case& c : cases) {
                SCOPED_TRACE(c.typed);
                e->setFocus(Qt::TabFocusReason);
                e->selectAll();
                zeltest::type_text(e, QString::fromLatin1(c.typed));
                EXPECT_EQ(m.fieldTexts[static_cast<std::size_t>(i)], c.read);
            }
            // Clicked at the end of a shorter text, the field takes more.
            e->setText(QStringLiteral("1.2"));
            e->end(false);
            zeltest::type_text(e, QStringLiteral("5"));
            EXPECT_EQ(m.fieldTexts[static_cast<std::size_t>(i)], pad("1.25", 18));
        }
        EXPECT_GE(tried, 8);
    }
}

TEST(OrbitDialog, TheProgramsTitleAndACaptionOnEveryButton) {
    OrbitFixture f;
    fw::setMessageTitle("ZELVO-21 for Comets");
    for (bool elements : {true, false}) {
        SCOPED_TRACE(elements ? "elements" : "coordinates");
        OrbitInputModel m = f.model(elements);
        COrbitInputDlg dlg(m);
        ASSERT_TRUE(dlg.createModeless());
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("ZELVO-21 for Comets"));
        for (QAbstractButton* button : dlg.findChildren<QAbstractButton*>()) {
            SCOPED_TRACE(button->objectName().toStdString());
            EXPECT_FALSE(button->text().trimmed().isEmpty() && button->accessibleName().isEmpty());
        }
    }
    fw::setMessageTitle("ZELVO-21");
}

}  // namespace
