#include "zelvo/app/tables.h"

#include <charconv>
#include <cstdio>

#include "framework/linelist.h"
#include "framework/messages.h"

namespace zelvo {

const std::array<std::string_view, 11> ControlErrorText = {
    "No error",
    "Format error",
    "Data out of range",
    "Observatory code is absent",
    "Dimension of plate in R.A. is too great",
    "Dimension of plate in Decl. is too great",
    "Dimensions of plate  are absent ",
    "Date out of range for present package",
    "This is geocenter!",
    "Data for the observatory are absent",
    "Observatory code can not be changed",
};

// key, columns, line length, caption variant, column starts.
const std::array<RecordFormat, 19> RecordFormatTable = {{
    {12, 8, 82, 0, {0, 19, 32, 44, 54, 63, 69, 74}},                  // ephemeris, equator
    {13, 8, 82, 0, {0, 19, 32, 44, 54, 63, 69, 74}},                  // ephemeris, ecliptic
    {14, 8, 82, -1, {0, 19, 32, 44, 54, 63, 69, 74}},                 // ephemeris, horizon
    {15, 8, 82, -1, {0, 19, 29, 39, 50, 60, 69, 80}},                 // ephemeris, rectangular
    {22, 11, 82, -1, {0, 19, 32, 44, 54, 63, 69, 74, 87, 99, 110}},   // positions and velocities, equator
    {23, 11, 82, -1, {0, 19, 32, 44, 54, 63, 69, 74, 87, 99, 110}},   // positions and velocities, ecliptic
    {25, 11, 82, -1, {0, 19, 29, 39, 50, 60, 69, 80, 91, 102, 113}},  // positions and velocities, rectangular
    {1, 1, 82, 0, {0, 15, 32, 44, 65, 77}},                           // observation lines, equator
    {2, 1, 82, 1, {0, 15, 32, 45, 65, 77}},                           // observation lines, ecliptic
    {3, 1, 82, 2, {0, 15, 32, 44, 65, 77}},                           // observation lines, horizon
    {4, 6, 70, 0, {0, 14, 32, 45, 58, 65}},                           // O-C results, equator
    {5, 6, 70, 0, {0, 15, 33, 46, 59, 66}},                           // O-C results, ecliptic
    {6, 6, 70, 0, {0, 15, 33, 46, 59, 66}},                           // O-C results, horizon
    {10, 1, 82, 0, {0, 15, 32, 44, 65, 77}},                          // identification input lines
    {40, 1, 82, 0, {0, 15, 32, 44, 65, 77}},                          // identification results
    {100, 1, 82, 3, {0, 15, 32, 44, 65, 77}},                         // plate lines
    {400, 1, 82, 0, {0, 15, 32, 44, 65, 77}},                         // plate object lists
    {200, 1, 79, 4, {0, 15, 32, 44, 65, 77}},                         // observatory list records
    {300, 1, 82, 4, {0, 15, 32, 44, 65, 77}},                         // (no user)
}};

const std::array<std::string_view, 21> FormatRulerTable = {
    "                  hh mm.mm   +oo ''.'   (a.u.)    (a.u.)     (o)   (mag)  (o) ",            // 0 (78)
    "                 ooo ''.'    +oo ''.'   (a.u.)     (a.u.)    (o)   (mag)  (o)  ",           // 1 (79)
    "                   hh mm ss.ss  +oo '' \"\".\"   (a.u.)    (a.u.)    (o)    (mag)  ",       // 2 (80)
    "                  ooo '' \"\".\"   +oo '' \"\".\"   (a.u.)    (a.u.)    (o)    (mag) ",     // 3 (79)
    "                    (a.u.)     (a.u.)     (a.u.)     (a.u.)    (a.u.)   (km/s)    ",        // 4 (82)
    "                   hh mm ss.ss   +oo '' \"\".\"   (a.u.)     (a.u.)   (o)     (mag)  ",     // 5 (82)
    "                  ooo '' \"\".\"    +oo '' \"\".\"   (a.u.)     (a.u.)   (o)    (mag)   ",  // 6 (82)
    "                                hh mm.mm    +oo ''.'                            ",          // 7 (80)
    "                                ooo ''.'    +oo ''.'                            ",          // 8 (80)
    "                                ooo ''.'    +oo ''.'                            ",          // 9 (80)
    "              yyyy mm dd.ddddd            \"            \"     m",                          // 10 (62)
    "              yyyy mm dd.ddddd            \"            \"     m",                          // 11 (62)
    "              yyyy mm dd.ddddd            \"            \"     m",                          // 12 (62)
    "                                hh mm.mm    +oo ''.'                     ",                 // 13 (73)
    "                                                            \"       \"    m       ",       // 14 (81)
    "                                hh mm.mm    +oo ''.'                     ",                 // 15 (73)
    "                                  h  m  s           o  '  \"            m        ",         // 16 (80)
    " N |  Long. |  dxy  |   dz   |   Name                                               ",      // 17 (84)
    " N |  Long. |  dxy  |   dz   |   Name                                               ",      // 18 (84)
    "                    (a.u.)      (a.u.)      (a.u.)     (a.u.)     (a.u.) (km/s)   ",        // 19 (82)
    "        t        |   R .A.  |  Decl.  |  Dist.  |    r    | Phase |  V  |Elong.|",          // 20 (80)
};

const std::array<CaptionRecord, 29> ColumnCaptionTable = {{
    // 0
    {"        t        |   R .A.  |  Decl.  |  Dist.  |    r    | Phase |  V  |Elong.|"},
    // 1
    {"        t        |   Long.  |   Lat.  |   Dist.  |    r    | Phase |  V  |Elong.|"},
    // 2
    {"        t        |    A     |    h    |  Dist.  |    r    | Phase |  V  |Elong.|"},
    // 3
    {"        t        |     R.A.    |    Decl.   |   Dist. |    r    | Phase  |  V  |",
     "                 |             |            |         |         | Elong. |     |"},
    // 4
    {"        t        |    Long.    |    Lat.   |   Dist. |    r     | Phase  |  V  |",
     "                 |             |           |         |          | Elong. |     |"},
    // 5
    {"        t        |      A      |      h     |   Dist. |    r    | Phase  |  V  |",
     "                 |             |            |         |         | Elong. |     |"},
    // 6
    {"        t        |    X     |    Y     |     Z    |    R     |    r    |   v   |",
     "                 |          |          |          |          |         |        |"},
    // 7
    {"        t        |     R.A.    |    Decl.    |   Dist.  |   r    | Phase  |  V  |",
     "                 | d(R.A.)/dt  | d(Decl.)/dt |d(Dist)/dt|        | Elong. |     |"},
    // 8
    {"        t        |    Long.    |     Lat.    |   Dist.  |   r    | Phase  |  V  |",
     "                 | d(Long.)/dt | d(Lat.)/dt  |d(Dist)/dt|        | Elong. |     |"},
    // 9
    {"         t       |     X     |     Y     |     Z     |    R     |   r    |  v  |",
     "                 |   dX/dt   |   dY/dt   |   dZ/dt   |  dR/dt   |        |     |"},
    // 10
    {"    Object    |    Date UT     |             O - C              |Obs.|",
     " designation  |                |    R.A.    |   Decl.    | Mag. |    |"},
    // 11
    {"    Object    |    Date UT     |             O - C              |Obs.|",
     " designation  |                |    Long.   |     Lat.   | Mag. |    |"},
    // 12
    {"    Object    |    Date UT     |             O - C              |Obs.|",
     " designation  |                |      A     |      h     | Mag. |    |"},
    // 13
    {"    Object    |    Date   UT    |    R.A.   |   Decl.  |         | Mag.|     |Obs.|",
     "xxxxxxxxxxxxx  yyyy mm dd.ddddd hh mm ss.ss +oo '' \"\".\"          mm.mXX      xnn"},
    // 14
    {"   Object    |    Time UT     |     Identical with     |        O - C        |Obs.|",
     " designation |                |                        | R.A. |  Decl.|  Mag.|    |"},
    // 15
    {"    Plate    |                 |      Plate center       | 1/2 dim. in |    |    |",
     " designation |   Date   UT     |   R. A.   |   Decl.     | R. A.| Decl.|    |Obs.|",
     "xxxxxxxxxxxxx  yyyy mm dd.ddddd hh mm ss.ss +oo '' \"\".\"   mmm.m   oo.o       xnn"},
    // 16
    {"         Object           |              Position             |   Mag.     |",
     "                          |       R. A.      |      Decl.     |            |"},
    // 17
    {"    Object    |    Date   UT   |    R.A.   |   Decl.   |        | Mag. |    |Obs.|",
     "xxxxxxxxxxxxx  yyyy mm dd.ddddd hh mm ss.ss +oo '' \"\".\"          mm.mXX      xnn"},
    // 18
    {"    Object    |    Date   UT   |    Long.  |    Lat.   |        | Mag. |    |Obs.|",
     "xxxxxxxxxxxxx  yyyy mm dd.ddddd ooo '' \"\".\" +oo '' \"\".\"          mm.mXX      xnn"},
    // 19
    {"    Object    |    Date   UT   |     A     |    h      |        | Mag. |    |Obs.|",
     "xxxxxxxxxxxxx  yyyy mm dd.ddddd ooo '' \"\".\" +oo '' \"\".\"          mm.mXX      xnn"},
    // 20
    {},
    // 21
    {},
    // 22
    {},
    // 23
    {},
    // 24
    {"Object         Time UT          R.A.        Decl.                Mag.        Obs.", "",
     "               yyyy mm dd.ddddd hh mm ss.ss +oo '' \"\".\"          mm.mXX      xnn   ", "",
     "                                hh mm.mm    +oo ''.'                            "},
    // 25
    {"Object         Time UT          Long.       Lat.                 Mag.        Obs.", "",
     "               yyyy mm dd.ddddd ooo '' \"\".\" +oo '' \"\".\"          mm.mXX      xnn   ", "",
     "                                ooo ''.'    +oo ''.'                            "},
    // 26
    {"Object         Time UT          A           h                    Mag.        Obs.", "",
     "               yyyy mm dd.ddddd ooo '' \"\".\" +oo '' \"\".\"          mm.mXX      xnn   ", "",
     "                                ooo ''.'    +oo ''.'                            "},
    // 27
    {"Object         Date UT          R.A.        Decl.         R.A.    Decl.      Obs.", "",
     "               yyyy mm dd.ddddd hh mm ss.ss +oo '' \"\".\"   mmm.m   oo.o                      ", "",
     "                                hh mm.mm    +oo ''.'                            "},
    // 28
    {"N   Long.    Dxy     Dz       Name                                               ", "",
     "xnn xxx.xxxxxx.xxxxx +x.xxxxx ssssssssssssssssssssssssssssssssssssssssssssssss", "",
     "                                        "},
}};

namespace {
const RecordFormat* lookup(int key) {
    for (const RecordFormat& f : RecordFormatTable)
        if (f.key == key) return &f;
    return nullptr;
}
}  // namespace

int GetRecordLength(int key) {
    const RecordFormat* f = lookup(key);
    if (f == nullptr) {
        fw::message("Output error!No format");
        return 0;
    }
    return f->lineLength;
}

int FindRecordFormat(int key) {
    const RecordFormat* f = lookup(key);
    if (f == nullptr) {
        fw::message("Error: No format found");
        return -1;
    }
    return static_cast<int>(f - RecordFormatTable.data());
}

void SetupFormatColumn(fw::LineListView& list, int key) {
    const RecordFormat* f = lookup(key);
    if (f == nullptr) {
        fw::message("Output error!No format");
        return;
    }
    const auto row = static_cast<std::size_t>(f - RecordFormatTable.data());
    list.model().setRuler(fw::fromCp1252(FormatRulerTable[row]));
    list.setColumnWidth(2000);
}

void WriteListLine(fw::LineListView& list, int item, int key, std::ostream* file) {
    const RecordFormat* f = lookup(key);
    if (file == nullptr || !*file) {
        fw::message("Output error!No file");
        return;
    }
    if (f == nullptr) {
        fw::message("Output error!No format");
        return;
    }
    // The lists hold their lines padded to the full width; a shorter line is
    // padded here so that the record keeps its length.
    const auto n = static_cast<std::size_t>(f->lineLength - 2);
    std::string bytes(list.model().lineBytes(item).substr(0, n));
    bytes.resize(n, ' ');
    *file << bytes << "\r\n";
}

bool IsBlankText(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

std::string AppDirectory(const AppContext& ctx) { return ctx.ProgramDir; }

std::string editorProgramPath(const AppContext& ctx) { return AppDirectory(ctx) + "zelvopad"; }

std::string HelpFileName(const AppContext& ctx) {
    return ctx.CometMode ? "HTMLHelp/ZelvoRef/index.html" : "HTMLHelp/Zelvo/index.html";
}

std::string FormatElementValue(std::string_view name, double value) {
    int decimals = 5;
    if (name == "e" || name == "a")
        decimals = 7;
    else if (name == "n")
        decimals = 8;
    else if (name == "H" || name == "G" || name == "H+5*lg(a(a-1))")
        decimals = 2;
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string();
}

void ShowMessage(const std::string& text) { fw::message(text); }

}  // namespace zelvo
