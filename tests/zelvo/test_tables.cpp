// The shared tables and helpers of the main program.
#include <gtest/gtest.h>

#include <QWidget>
#include <memory>
#include <set>
#include <sstream>

#include "framework/document.h"
#include "framework/linelist.h"
#include "framework/messages.h"
#include "zelvo/app/tables.h"

namespace {

using namespace zelvo;

TEST(SharedTables, CheckErrorMessages) {
    ASSERT_EQ(ControlErrorText.size(), 11u);
    EXPECT_EQ(ControlErrorText[0], "No error");
    EXPECT_EQ(ControlErrorText[3], "Observatory code is absent");
    EXPECT_EQ(ControlErrorText[6], "Dimensions of plate  are absent ");  // two blanks inside, one at the end
    EXPECT_EQ(ControlErrorText[10], "Observatory code can not be changed");
}

TEST(SharedTables, RecordFormatsAreConsistent) {
    std::set<int> keys;
    for (const RecordFormat& f : RecordFormatTable) {
        SCOPED_TRACE(f.key);
        EXPECT_TRUE(keys.insert(f.key).second);
        EXPECT_GE(f.columnCount, 1);
        EXPECT_EQ(f.columnStart[0], 0);
        for (int c = std::max<int>(f.columnCount, 6); c < 11; ++c) EXPECT_EQ(f.columnStart[c], 0);
        for (int c = 1; c < f.columnCount; ++c) EXPECT_GT(f.columnStart[c], f.columnStart[c - 1]);
    }
    // The observatory code of observation and plate lines starts at column 77.
    for (int key : {1, 2, 3, 10, 100}) EXPECT_EQ(RecordFormatTable[FindRecordFormat(key)].columnStart[5], 77);
}

TEST(SharedTables, LookupsAndTheirMessages) {
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use(boxes);
    EXPECT_EQ(GetRecordLength(200), 79);
    EXPECT_EQ(GetRecordLength(4), 70);
    for (int key : {12, 13, 14, 15, 22, 23, 25}) EXPECT_EQ(GetRecordLength(key), 82);
    EXPECT_EQ(FindRecordFormat(300), 18);
    EXPECT_EQ(FindRecordFormat(12), 0);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(GetRecordLength(20), 0);
    EXPECT_EQ(FindRecordFormat(7), -1);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "Output error!No format");
    EXPECT_EQ(boxes.shown[1].text, "Error: No format found");
}

TEST(SharedTables, RulerAndCaptionLengths) {
    // The lengths the tables were designed with.
    const std::size_t ruler[21] = {78, 79, 80, 79, 82, 82, 82, 80, 80, 80, 62, 62, 62, 73, 81, 73, 80, 84, 84, 82, 80};
    for (std::size_t i = 0; i < 21; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(FormatRulerTable[i].size(), ruler[i]);
    }
    struct Rec {
        int rec;
        std::vector<std::size_t> lengths;  // lines 1, 2, ...
    } recs[] = {
        {0, {80, 0}},
        {1, {81, 0}},
        {2, {80, 0}},
        {3, {80, 80}},
        {4, {80, 80}},
        {5, {80, 80}},
        {6, {80, 81}},
        {7, {81, 81}},
        {8, {81, 81}},
        {9, {80, 80}},
        {10, {70, 70}},
        {11, {70, 70}},
        {12, {70, 70}},
        {13, {83, 80}},
        {14, {83, 83}},
        {15, {82, 82, 80}},
        {16, {76, 76}},
        {17, {82, 80}},
        {18, {82, 80}},
        {19, {82, 80}},
        {20, {0}},
        {23, {0}},
        {24, {81, 0, 83, 0, 80}},
        {25, {81, 0, 83, 0, 80}},
        {26, {81, 0, 83, 0, 80}},
        {27, {81, 0, 92, 0, 80}},
        {28, {81, 0, 78, 0, 40}},
    };
    for (const Rec& r : recs) {
        SCOPED_TRACE(r.rec);
        for (std::size_t i = 0; i < r.lengths.size(); ++i) EXPECT_EQ(ColumnCaptionTable[r.rec][i].size(), r.lengths[i]);
        for (std::size_t i = r.lengths.size(); i < 10; ++i) EXPECT_TRUE(ColumnCaptionTable[r.rec][i].empty());
    }
}

TEST(SharedTables, CaptionsSharedBetweenRecords) {
    // The equator ephemeris caption is also ruler 20; the O-C results share
    // their first line; the horizon O-C input takes the ecliptic mask line;
    // editor variant 2 the masks of variant 1 and variant 3 the minutes mask
    // of variant 0.
    EXPECT_EQ(ColumnCaptionTable[0][0], FormatRulerTable[20]);
    EXPECT_EQ(ColumnCaptionTable[10][0], ColumnCaptionTable[12][0]);
    EXPECT_NE(ColumnCaptionTable[10][1], ColumnCaptionTable[11][1]);
    EXPECT_EQ(ColumnCaptionTable[19][1], ColumnCaptionTable[18][1]);
    EXPECT_EQ(ColumnCaptionTable[26][2], ColumnCaptionTable[25][2]);
    EXPECT_EQ(ColumnCaptionTable[26][4], ColumnCaptionTable[25][4]);
    EXPECT_EQ(ColumnCaptionTable[27][4], ColumnCaptionTable[24][4]);
    EXPECT_EQ(ColumnCaptionTable[28][4], std::string(40, ' '));
    // The seconds mask lines up with a line: the designation is 13 'x', the
    // date starts at column 15 (0-based), the code marker "xnn" at 77.
    EXPECT_EQ(ColumnCaptionTable[17][1].substr(0, 15), "xxxxxxxxxxxxx  ");
    EXPECT_EQ(ColumnCaptionTable[17][1].substr(15, 4), "yyyy");
    EXPECT_EQ(ColumnCaptionTable[17][1].substr(77, 3), "xnn");
    EXPECT_EQ(ColumnCaptionTable[24][2].substr(77, 3), "xnn");
    EXPECT_EQ(FormatRulerTable[2].substr(32, 10), "+oo '' \"\".");
}

TEST(SharedHelpers, BlankTextAndElementValues) {
    EXPECT_TRUE(IsBlankText(""));
    EXPECT_TRUE(IsBlankText("   "));
    EXPECT_FALSE(IsBlankText(" a"));
    EXPECT_FALSE(IsBlankText("\t"));
    struct Case {
        const char* name;
        double value;
        const char* text;
    } cases[] = {
        {"a", 2.76734567891, "2.7673457"},
        {"e", 0.0789, "0.0789000"},
        {"n", 0.21388, "0.21388000"},
        {"H", 3.3449, "3.34"},
        {"G", 0.12, "0.12"},
        {"H+5*lg(a(a-1))", 10.0, "10.00"},
        {"i", 10.587, "10.58700"},
        {"h", 1.0, "1.00000"},
        {"a", -1.5e12, "-1500000000000.0000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatElementValue(c.name, c.value), c.text);
    }
    AppContext ctx;
    ctx.ProgramDir = "/opt/zelvo/bin/";
    EXPECT_EQ(AppDirectory(ctx) + HelpFileName(ctx), "/opt/zelvo/bin/HTMLHelp/Zelvo/index.html");
    ctx.CometMode = true;
    EXPECT_EQ(HelpFileName(ctx), "HTMLHelp/ZelvoRef/index.html");
}

TEST(SharedHelpers, ListColumnAndListLinesWritten) {
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use(boxes);
    fw::LineDocument doc;
    doc.lines = {std::string(80, '1') + "beyond", "short"};
    fw::LineListView view;
    view.attach(&doc, nullptr);
    std::unique_ptr<QWidget> w(view.createWidget(nullptr));
    view.onInitialUpdate();
    SetupFormatColumn(view, 100);
    EXPECT_EQ(view.model().ruler(), QString::fromLatin1(FormatRulerTable[15].data(), 73));

    std::ostringstream out;
    WriteListLine(view, 0, 10, &out);
    WriteListLine(view, 1, 10, &out);
    WriteListLine(view, 1, 200, &out);
    EXPECT_EQ(out.str(), std::string(80, '1') + "\r\n" + "short" + std::string(75, ' ') + "\r\n" + "short" +
                             std::string(72, ' ') + "\r\n");
    EXPECT_TRUE(boxes.shown.empty());
    WriteListLine(view, 0, 10, nullptr);
    WriteListLine(view, 0, 9, &out);
    SetupFormatColumn(view, 9);
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].text, "Output error!No file");
    EXPECT_EQ(boxes.shown[1].text, "Output error!No format");
    EXPECT_EQ(boxes.shown[2].text, "Output error!No format");
}

}  // namespace
