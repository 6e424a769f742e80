// The element query: the readable text of its rows, the test of a value
// against a row, and the dialog's logic (OK with its checks and the fixed
// object, the object list file, "ellast.cfg", the layouts, Erase, Cancel).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>

#include "element_fixture.h"
#include "framework/filedialogs.h"
#include "framework/messages.h"
#include "shell_support.h"
#include "zelvo/graphics/elquery.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo::elements;

// namn1 answers from a table (name or number text -> number and the
// catalogue's name).
struct NamesLibrary : zeltest::FakeLibrary {
    std::map<std::string, std::pair<int, std::string>> names;
    void namn1(char* name, unsigned len, int& number) override {
        calls.push_back("namn1");
        std::string key(name, len);
        key.erase(key.find_last_not_of(' ') + 1);
        const auto it = names.find(key);
        number = it == names.end() ? 0 : it->second.first;
        if (it != names.end()) {
            std::string n = it->second.second;
            n.resize(18, ' ');
            std::memcpy(name, n.data(), 18);
        }
    }
};

// A working directory with "setpar" (20 objects, 15 numbered) and a dialog.
struct QueryDialog {
    zeltest::FixtureCatalogue cat;
    NamesLibrary lib;
    ElementQuery query;
    bool reopen = false;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    ElementQueryDialogModel dlg{query, lib, cat.work.dir_slash(), reopen};

    QueryDialog() {
        cat.writeSettings(20, 15, 0, 2461000.5);
        lib.names["Ceres"] = {1, "Ceres"};
        lib.names["ceres"] = {1, "Ceres"};
        lib.names["18"] = {18, "Melpomene"};
    }
    std::string lastBox() const { return boxes.shown.empty() ? std::string() : boxes.shown.back().text; }
};

TEST(ElementQuery, ReadableRows) {
    struct Case {
        std::uint8_t flags;
        const char* text;
    };
    const Case cases[] = {
        {0, ""},
        {kEqual, "   ( H = 7 ) "},
        {kEqual | kLower, "   ( H = 7 OR H >= 10 ) "},
        {kLower | kUpper, "   ( H >= 10 OR H <= 12 ) "},
        {kLower | kUpper | kJoined, "   ( H >= 10 AND H <= 12 ) "},
        {kEqual | kLower | kUpper | kJoined, "   ( H = 7 OR H >= 10 AND H <= 12 ) "},
        {kUpper, "   ( H <= 12 ) "},
    };
    for (const Case& c : cases) {
        std::string text;
        AppendQueryRow(text, "7", "10", "12", "H", c.flags);
        EXPECT_EQ(text, c.text) << int(c.flags);
    }
    // A second row goes on a line of its own.
    std::string text;
    AppendQueryRow(text, "", "10", "12", "H", kLower | kUpper | kJoined);
    AppendQueryRow(text, "0.1", "", "", "e", kEqual);
    EXPECT_EQ(text, "   ( H >= 10 AND H <= 12 )  AND\n   ( e = 0.1 ) ");
}

TEST(ElementQuery, RowTests) {
    QueryRow number;
    number.flags = kLower | kUpper;  // lower above upper: either bound
    number.lower = 12;
    number.upper = 10;
    QueryRow joined = number;
    joined.flags = kLower | kUpper | kJoined;
    joined.lower = 10;
    joined.upper = 12;
    QueryRow withEqual = joined;
    withEqual.flags |= kEqual;
    withEqual.equal = 20;
    struct Case {
        const QueryRow* row;
        double v;
        bool pass;
    };
    const Case cases[] = {{&number, 13, true},    {&number, 9, true},      {&number, 11, false},
                          {&joined, 11, true},    {&joined, 12, true},     {&joined, 13, false},
                          {&withEqual, 20, true}, {&withEqual, 19, false}, {&joined, std::nan(""), false}};
    for (const Case& c : cases) EXPECT_EQ(rowPassesNumber(*c.row, c.v), c.pass) << c.v;

    QueryRow name;
    name.flags = kEqual;
    name.textEqual = "ce";
    EXPECT_TRUE(rowPassesText(name, "Ceres"));
    EXPECT_TRUE(rowPassesText(name, "CERES"));
    EXPECT_FALSE(rowPassesText(name, "Pallas"));
    name.flags = kUpper;
    name.textUpper = "Cer";  // sorts before "Ceres", which begins with it
    EXPECT_TRUE(rowPassesText(name, "Ceres"));
    EXPECT_TRUE(rowPassesText(name, "Apollo"));
    EXPECT_FALSE(rowPassesText(name, "Vesta"));
    name.flags = kLower;
    name.textLower = "p";
    EXPECT_TRUE(rowPassesText(name, "Pallas"));
    EXPECT_FALSE(rowPassesText(name, "Ceres"));

    // Whether a value at or above a bound can pass (the MOID shortcut).
    EXPECT_FALSE(rowMayPassFrom(joined, 12.5));
    EXPECT_TRUE(rowMayPassFrom(joined, 11));
    EXPECT_TRUE(rowMayPassFrom(number, 100));  // the lower bound alone
    EXPECT_TRUE(rowMayPassFrom(withEqual, 15));
}

TEST(ElementQuery, OkBuildsTheRows) {
    QueryDialog d;
    d.dlg.open();
    d.dlg.rows[kNumber] = {"", "5", "5"};
    d.dlg.rows[kName] = {"", "B", "A"};
    d.dlg.rows[kH] = {"", "12", "10"};
    d.dlg.rows[kG] = {"x", "x", ""};
    d.dlg.rows[kE] = {"0.1", "", ""};
    d.dlg.rows[kA] = {"", "2.0  ", "3.5e0"};
    ASSERT_TRUE(d.dlg.ok());
    const auto& r = d.query.rows;
    EXPECT_EQ(r[kNumber].flags, kLower | kUpper | kJoined);
    EXPECT_EQ(r[kNumber].intLower, 4);
    EXPECT_EQ(r[kNumber].intUpper, 4);
    EXPECT_EQ(r[kName].flags, kLower | kUpper);  // "B" sorts after "A": OR
    EXPECT_EQ(r[kH].flags, kLower | kUpper);
    EXPECT_EQ(r[kG].flags, kEqual | kLower);
    EXPECT_EQ(r[kG].equal, 0.15);  // "x" names the objects without G
    EXPECT_EQ(r[kG].lower, 0.0);   // but as a bound it is no number
    EXPECT_EQ(r[kA].flags, kLower | kUpper | kJoined);
    EXPECT_EQ(r[kA].lower, 2.0);
    EXPECT_EQ(r[kA].upper, 3.5);
    EXPECT_EQ(r[kFunction].flags, 0);
    EXPECT_TRUE(d.query.active());
    EXPECT_EQ(d.query.QueryText,
              "   ( Num >= 5 AND Num <= 5 )  AND\n   ( Name >= B OR Name <= A )  AND\n   ( H >= 12 OR H <= 10 )  AND\n"
              "   ( G = x OR G >= x )  AND\n   ( e = 0.1 )  AND\n   ( a >= 2.0 AND a <= 3.5e0 ) ");
    EXPECT_TRUE(d.boxes.shown.empty());
}

TEST(ElementQuery, OkRefusesANumberTooLarge) {
    QueryDialog d;
    d.dlg.open();
    d.dlg.rows[kNumber] = {"", "1", "99999999999999999999"};
    EXPECT_FALSE(d.dlg.ok());
    EXPECT_EQ(d.dlg.focus(), ElementQueryDialogModel::Focus::NumberUpper);
    EXPECT_NE(d.lastBox().find("too large"), std::string::npos);
    EXPECT_FALSE(d.query.active());
    EXPECT_FALSE(fs::exists(d.cat.work.path() / "ellast.cfg"));
    // The largest number that the field holds is taken.
    d.dlg.rows[kNumber] = {"2147483647", "", ""};
    EXPECT_TRUE(d.dlg.ok());
    EXPECT_EQ(d.query.rows[kNumber].intEqual, 2147483646);
}

TEST(ElementQuery, FixedObject) {
    struct Case {
        const char* typed;
        int number;  // 0: refused
        const char* name;
    };
    const Case cases[] = {
        {"  mARs ", -4, "mARs              "},
        {"-4", -4, nullptr},
        {"Ceres", 1, "Ceres             "},
        {"ceres", 1, "Ceres             "},
        {"-10", 0, nullptr},
        {"0", 0, nullptr},
        {"   ", 0, nullptr},
        {"Unknown", 0, nullptr},
        {"18", 0, nullptr},  // numbered 15: beyond the numbered objects
        {"Abcdefghijklmnopqrs", 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        QueryDialog d;
        d.dlg.open();
        d.dlg.selectFunction(12);
        d.dlg.objectText = c.typed;
        const bool ok = d.dlg.ok();
        EXPECT_EQ(ok, c.number != 0);
        EXPECT_EQ(d.query.QueryFunctionCode, 12);
        if (!ok) {
            ASSERT_EQ(d.boxes.shown.size(), 1u);
            EXPECT_EQ(d.boxes.shown[0].title, "Error!");
            EXPECT_EQ(d.boxes.shown[0].text, "Wrong input name of object");
            EXPECT_EQ(d.dlg.focus(), ElementQueryDialogModel::Focus::Object);
            continue;
        }
        EXPECT_EQ(d.query.FixedObjectNumber, c.number);
        if (c.name != nullptr) {
            EXPECT_EQ(d.query.FixedObjectName, c.name);
        }
    }
}

TEST(ElementQuery, LastTextsComeBack) {
    QueryDialog d;
    d.dlg.open();
    d.dlg.rows[kA] = {"1", "2", "3"};
    d.dlg.rows[kNumber] = {"", "", "123456789012345678901234567890XYZ"};
    d.dlg.selectFunction(14);
    EXPECT_EQ(d.dlg.rangeText, "50");
    d.dlg.rangeText = "30";
    d.dlg.function = {"", "3:2 and the rest", ""};
    d.dlg.objectText = "jupiter";
    ASSERT_FALSE(d.dlg.ok());  // the Number field: too large
    d.dlg.rows[kNumber] = {"", "", "12"};
    ASSERT_TRUE(d.dlg.ok());
    EXPECT_EQ(d.query.NcRange, 30);
    EXPECT_EQ(d.query.rows[kFunction].textLower, "3:2 and the");  // 11 characters
    EXPECT_EQ(d.query.FixedObjectNumber, -5);

    // The file: "a" first, "Number" tenth, texts of 30 bytes.
    const auto bytes = zeltest::read_bytes(d.cat.work.path() / "ellast.cfg");
    ASSERT_EQ(bytes.size(), 1106u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 2), std::string("1\0", 2));
    EXPECT_EQ(std::string(bytes.begin() + 810 + 60, bytes.begin() + 810 + 62), std::string("12"));
    EXPECT_EQ(std::string(bytes.begin() + 994 + 30, bytes.begin() + 994 + 46), "3:2 and the rest");

    // A new opening shows them again; the range is "50" again.
    ElementQuery query2;
    bool reopen2 = false;
    ElementQueryDialogModel again(query2, d.lib, d.cat.work.dir_slash(), reopen2);
    again.open();
    EXPECT_TRUE(reopen2);
    EXPECT_EQ(again.rows[kA][2], "3");
    EXPECT_EQ(again.functionIndex, 14);
    EXPECT_EQ(again.function[1], "3:2 and the rest");
    EXPECT_EQ(again.objectText, "Jupiter");
    EXPECT_EQ(again.rangeText, "50");
    EXPECT_EQ(again.layout.explanation[2], "of fixed object.");
    EXPECT_EQ(query2.FixedObjectNumber, -5);

    // A file cut inside the Function texts: the index and what is whole.
    fs::resize_file(d.cat.work.path() / "ellast.cfg", 994 + 45);
    ElementQuery query3;
    ElementQueryDialogModel cut(query3, d.lib, d.cat.work.dir_slash(), reopen2);
    cut.open();
    EXPECT_EQ(cut.rows[kA][0], "1");
    EXPECT_EQ(cut.functionIndex, 14);
    EXPECT_EQ(cut.function[0], "");
    EXPECT_EQ(cut.function[1], "");
    EXPECT_EQ(query3.FixedObjectNumber, 0);
}

TEST(ElementQuery, Layouts) {
    struct Case {
        int code;
        bool row, explanation, object, date, range;
        const char* first;
    };
    const Case cases[] = {
        {0, false, false, false, false, false, ""},
        {4, true, false, false, false, false, ""},
        {12, true, true, true, false, false, "Calculating MOID"},
        {14, true, true, true, false, true, "Calculating NC"},
        {16, true, true, false, true, false, "Calculating T_AscNode"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const FunctionLayout l = functionLayout(c.code, false);
        EXPECT_EQ(l.functionRowEnabled, c.row);
        EXPECT_EQ(l.explanationShown, c.explanation);
        EXPECT_EQ(l.objectShown, c.object);
        EXPECT_EQ(l.dateShown, c.date);
        EXPECT_EQ(l.rangeShown, c.range);
        EXPECT_EQ(l.explanation[0], c.first);
    }
    EXPECT_EQ(functionLayout(13, false).explanation[2], "of fixed object");
    EXPECT_EQ(functionLayout(13, true).explanation[2], "of fixed object.");

    // "(None)" empties the Function row; Erase keeps the object and the list.
    QueryDialog d;
    d.dlg.open();
    d.dlg.selectFunction(3);
    d.dlg.function = {"1", "2", "3"};
    d.dlg.objectText = "Mars";
    d.dlg.rows[kH] = {"1", "", ""};
    d.dlg.selectFunction(0);
    EXPECT_EQ(d.dlg.function, (std::array<std::string, 3>{}));
    d.query.UseObjectList = true;
    d.dlg.erase();
    EXPECT_EQ(d.dlg.rows[kH][0], "");
    EXPECT_EQ(d.dlg.objectText, "Mars");
    EXPECT_TRUE(d.query.UseObjectList);
    // Cancel leaves the query and clears the reopen flag.
    d.dlg.cancel();
    EXPECT_FALSE(d.reopen);
    EXPECT_FALSE(d.query.active());
    EXPECT_FALSE(fs::exists(d.cat.work.path() / "ellast.cfg"));
}

TEST(ElementQuery, ObjectListFile) {
    struct Case {
        const char* what;
        std::string content;
        std::vector<std::int32_t> set;
        const char* message;  // start of the message shown, or null
    };
    std::string many;
    for (int k = 1; k <= 2048; ++k) many += std::to_string(k) + "\r\n";
    const Case cases[] = {
        {"leading numbers", "  123 words\r\n0\r\n10000000\r\nabc\r\n7\n+9\r\n1234567", {7, 9, 123, 1234567}, nullptr},
        {"nothing usable", "0\r\nabc\r\n-5\r\n", {}, "Wrong object list in the file "},
        {"2048 and an empty line", many + "\r\n", {}, "Warning: ZELVO uses only first 2048 objects from "},
        {"exactly 2048", many, {}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QueryDialog d;
        const std::string path = d.cat.work.dir_slash() + "objects.txt";
        zeltest::write_text(path, c.content);
        fw::ScriptedFileDialogService files;
        fw::ScopedFileDialogService useFiles{files};
        files.answers.push_back(path);
        d.dlg.open();
        d.dlg.objectListClicked(true);
        EXPECT_EQ(d.dlg.objectListLabel, shortPath(path));
        ASSERT_TRUE(d.dlg.ok());
        if (c.message != nullptr) {
            ASSERT_EQ(d.boxes.shown.size(), 1u);
            EXPECT_EQ(d.boxes.shown[0].text.rfind(c.message, 0), 0u) << d.boxes.shown[0].text;
        } else {
            EXPECT_TRUE(d.boxes.shown.empty());
        }
        if (!c.set.empty()) {
            EXPECT_EQ(d.query.ObjectListSet, c.set);
        }
        EXPECT_EQ(d.query.UseObjectList, std::string(c.what) != "nothing usable");
    }
    // The file is gone by the time of OK: the whole catalogue.
    QueryDialog d;
    d.query.UseObjectList = true;
    d.query.ObjectListFile = d.cat.work.dir_slash() + "gone.txt";
    d.dlg.open();
    EXPECT_TRUE(d.dlg.objectListChecked);
    ASSERT_TRUE(d.dlg.ok());
    EXPECT_EQ(d.lastBox(), "Warning: file " + d.query.ObjectListFile + " not found. Working with data base.");
    EXPECT_FALSE(d.query.UseObjectList);
    EXPECT_EQ(shortPath(std::string(40, 'a') + "/list.txt"), "..." + std::string(23, 'a') + "/list.txt");
}

}  // namespace
