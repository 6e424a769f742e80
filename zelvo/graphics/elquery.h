// The element query: the conditions over the element catalogue that the
// dialog "Select elements" leaves for the element list, the dialog's logic
// (its texts, the layouts of the Function choice, OK, Erase, the object list,
// the file "ellast.cfg" of the last texts) and the test of one catalogue
// object against the conditions. The Qt dialog only shows this state.
//
// A query row holds a flag byte and three values: equal, lower bound, upper
// bound. Flags: 1 the equal value is given, 2 the lower bound, 8 the upper
// bound, 4 both bounds are given with lower <= upper, which joins them with
// AND (without 4 the given parts are joined with OR). A row with flags 0 sets
// no condition. An object passes a row when its equal condition holds, or,
// with flag 4, when both bounds hold, otherwise when the lower or the upper
// bound holds.
//
// "ellast.cfg" (working directory), 1106 bytes, integers little-endian:
//   0     33 x 30  the condition texts of the rows a, e, G, H, i, M, n, Name,
//                  Node, Number, Peri (equal, lower, upper each)
//   990   4        index of the Function choice
//   994   3 x 30   the Function row's equal, lower and upper texts
//   1084  4        FixedObjectNumber
//   1088  18       FixedObjectName
// A 30-byte text holds the first 30 characters of its text followed by zero
// bytes (a text of 30 characters or more has no terminating zero).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zelvo/graphics/elcache.h"

namespace zelvo {
class Library;
}

namespace zelvo::elements {

// The rows in the dialog's order.
enum Row : int { kNumber = 0, kName, kH, kG, kM, kPeri, kNode, kIncl, kE, kN, kA, kFunction, kRowCount };
// The labels of the rows in the readable query text.
extern const char* const QueryRowLabels[kRowCount];

enum QueryFlag : std::uint8_t { kEqual = 1, kLower = 2, kJoined = 4, kUpper = 8 };

struct QueryRow {
    std::uint8_t flags = 0;
    // Number: catalogue numbers less one (0-based positions).
    std::int64_t intEqual = 0, intLower = 0, intUpper = 0;
    // H .. a and the Function row.
    double equal = 0, lower = 0, upper = 0;
    // Name (at most 18 characters) and the Function row of code 14 (11).
    std::string textEqual, textLower, textUpper;
};

inline constexpr int kObjectListMax = 2048;
inline constexpr std::int64_t kObjectListLargest = 9999999;  // numbers of up to seven digits

struct ElementQuery {
    bool UseObjectList = false;
    std::string ObjectListFile;
    int ObjectListCount = 0;
    std::vector<std::string> ObjectListNumbers;  // the accepted lines, whole
    std::vector<std::int32_t> ObjectListSet;     // their numbers, ascending, each once
    int QueryFunctionCode = 0;
    int FixedObjectNumber = 0;                           // 0 none, > 0 a minor planet, -1..-9 a planet
    std::string FixedObjectName = std::string(18, ' ');  // 18 characters
    int NcRange = 0;
    bool CalendarDateForm = true;
    std::string QueryText;
    std::array<QueryRow, kRowCount> rows{};

    // Whether any row sets a condition.
    bool active() const;
};

// ---- Tests of one object -----------------------------------------------------------

// The combination of the three tests of a row (see above).
inline bool rowPasses(std::uint8_t flags, bool equal, bool lower, bool upper) {
    if (flags == 0) return true;
    if ((flags & kEqual) && equal) return true;
    if (flags & kJoined) return lower && upper;
    return ((flags & kLower) && lower) || ((flags & kUpper) && upper);
}
// Numbers and texts (case-blind: the name begins with the equal text, sorts
// at or after the lower bound, sorts at or before the upper bound or begins
// with it).
bool rowPassesNumber(const QueryRow& row, double value);
bool rowPassesIndex(const QueryRow& row, std::int64_t value);
bool rowPassesText(const QueryRow& row, std::string_view value);
// Whether some value at or above least could pass the row.
bool rowMayPassFrom(const QueryRow& row, double least);

// Case-blind order of two texts (A-Z taken as a-z), byte by byte: < 0, 0, > 0.
int compareCaseBlind(std::string_view a, std::string_view b, std::size_t max = std::string_view::npos);
bool startsWithCaseBlind(std::string_view text, std::string_view prefix);

// The element rows (Number .. a) for the object of record index r with its
// records; the Function row is tested by the list with the derived value.
bool passesElementRows(const ElementQuery& q, std::int32_t r, const ElementRecord& rec, const char* textRecord);

// ---- Helpers of the dialog ------------------------------------------------------------

// Appends the readable form of one row to text: nothing for flags 0;
// otherwise "   ( " (or " AND\n   ( " when text is not empty), then the
// given parts ("label = text", "label >= text", "label <= text" joined by
// " OR " or " AND ") and " ) ".
void AppendQueryRow(std::string& text, std::string_view equal, std::string_view lower, std::string_view upper,
                    std::string_view label, std::uint8_t flags);
// The text without trailing blanks.
std::string TrimTrailingBlanks(std::string_view text);
// 1 "mercury" .. 9 "pluto" (the text compared case-blind, whole); 0 else.
int PlanetNumberFromName(std::string_view text);
extern const char* const PlanetNameTable[9];

// The number that a typed text begins with (after blanks, an optional sign,
// then digits); 0 when it begins with no number. Saturates far beyond any
// catalogue number instead of overflowing.
std::int64_t leadingInteger(std::string_view text);
// The decimal value a typed text begins with, in the C convention (blanks,
// sign, digits, point, decimals, exponent); 0 when none.
double leadingDecimal(std::string_view text);

// A path as the dialog's small label shows it: the whole path up to 32
// characters, else "..." and its last 32.
std::string shortPath(const std::string& path);

// ---- "ellast.cfg" ------------------------------------------------------------------

struct LastQueryTexts {
    std::array<std::array<std::string, 3>, 11> rows;  // Number .. a: equal, lower, upper
    std::optional<int> functionIndex;
    std::array<std::string, 3> function;  // empty where the file ends
    std::optional<int> fixedNumber;
    std::optional<std::string> fixedName;
    int rowsRead = 0;  // rows (in the file's order) held completely
};
// What the file holds completely; nothing when it cannot be opened.
std::optional<LastQueryTexts> readLastQuery(const std::string& path);
// Writes the file anew; false when it cannot be written.
bool writeLastQuery(const std::string& path, const std::array<std::array<std::string, 3>, 11>& rows, int functionIndex,
                    const std::array<std::string, 3>& function, int fixedNumber, const std::string& fixedName);

// ---- The dialog's state and actions -----------------------------------------------------

// What the controls around the Function choice show for a code.
struct FunctionLayout {
    bool functionRowEnabled = false;
    bool explanationShown = false;
    std::array<std::string, 3> explanation;  // lines 1-3
    bool objectShown = false;                // lines 4-6 and the object field
    bool dateShown = false;                  // the group "Date type"
    bool rangeShown = false;                 // "Calculation range"
};
// opening: the layout when the dialog opens on a stored code (line 3 keeps
// its full stop for the codes 12 to 14).
FunctionLayout functionLayout(int code, bool opening);

class ElementQueryDialogModel {
public:
    // The controls a refused OK puts the focus on.
    enum class Focus { None, Object, NumberEqual, NumberLower, NumberUpper };

    ElementQueryDialogModel(ElementQuery& query, Library& lib, std::string workDir, bool& reopenFlag);

    // The dialog opens: the reopen flag is set, the object list box follows
    // the query, and the texts of "ellast.cfg" come back.
    void open();
    // Another Function is chosen.
    void selectFunction(int code);
    // Erase: the conditions are emptied, the Function becomes "(None)"; the
    // object field, the object list and the query stay.
    void erase();
    // The object list box was clicked into the state checked: an object
    // list file is asked for when it is checked.
    void objectListClicked(bool checked);
    // OK: true when the query was taken; false (with the message shown and
    // focus() telling where the correction belongs) when the dialog stays.
    bool ok();
    // Cancel: the reopen flag is cleared; the query is not touched.
    void cancel();

    // The texts of the controls.
    std::array<std::array<std::string, 3>, 11> rows;  // Number .. a
    std::array<std::string, 3> function;
    int functionIndex = 0;
    std::string objectText;
    std::string rangeText;
    bool calendar = true;
    bool objectListChecked = false;
    std::string objectListLabel;
    FunctionLayout layout;

    Focus focus() const { return focus_; }

private:
    void applyLayout(int code, bool opening);
    bool readObjectList();
    bool takeFixedObject(std::int32_t objects, std::int32_t numbered);

    ElementQuery& q_;
    Library& lib_;
    std::string workDir_;
    bool& reopen_;
    Focus focus_ = Focus::None;
};

}  // namespace zelvo::elements
