#include "zelvo/graphics/elquery.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "framework/binfile.h"
#include "framework/filedialogs.h"
#include "framework/messages.h"
#include "zelvo/app/library.h"
#include "zelvo/graphics/elderived.h"
#include "zelvomat/io/bytes.h"

namespace zelvo::elements {

namespace io = zelvomat::io;

const char* const QueryRowLabels[kRowCount] = {"Num", "Name", "H", "G", "M", "Peri", "Node", "i", "e", "n", "a", "fun"};

const char* const PlanetNameTable[9] = {"Mercury", "Venus",  "Earth",   "Mars", "Jupiter",
                                        "Saturn",  "Uranus", "Neptune", "Pluto"};

bool ElementQuery::active() const {
    return std::any_of(rows.begin(), rows.end(), [](const QueryRow& r) { return r.flags != 0; });
}

// ---- Tests of one object -----------------------------------------------------------

namespace {

unsigned char lowerAscii(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

}  // namespace

int compareCaseBlind(std::string_view a, std::string_view b, std::size_t max) {
    a = a.substr(0, std::min(a.size(), max));
    b = b.substr(0, std::min(b.size(), max));
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t k = 0; k < n; ++k) {
        const unsigned char x = lowerAscii(a[k]), y = lowerAscii(b[k]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool startsWithCaseBlind(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && compareCaseBlind(text.substr(0, prefix.size()), prefix) == 0;
}

bool rowPassesNumber(const QueryRow& row, double v) {
    return rowPasses(row.flags, v == row.equal, v >= row.lower, v <= row.upper);
}

bool rowMayPassFrom(const QueryRow& row, double least) {
    const std::uint8_t f = row.flags;
    if (f == 0) return true;
    if ((f & kEqual) && row.equal >= least) return true;
    if (f & kJoined) return row.upper >= least;
    return (f & kLower) || ((f & kUpper) && row.upper >= least);
}

bool rowPassesIndex(const QueryRow& row, std::int64_t v) {
    return rowPasses(row.flags, v == row.intEqual, v >= row.intLower, v <= row.intUpper);
}

bool rowPassesText(const QueryRow& row, std::string_view v) {
    if (row.flags == 0) return true;
    return rowPasses(row.flags, startsWithCaseBlind(v, row.textEqual), compareCaseBlind(v, row.textLower) >= 0,
                     compareCaseBlind(v, row.textUpper) <= 0 || startsWithCaseBlind(v, row.textUpper));
}

bool passesElementRows(const ElementQuery& q, std::int32_t r, const ElementRecord& rec, const char* textRecord) {
    const auto& rows = q.rows;
    if (!rowPassesIndex(rows[kNumber], r)) return false;
    if (rows[kName].flags != 0 && !rowPassesText(rows[kName], textField(textRecord, txt::kName))) return false;
    for (int k = kH; k <= kA; ++k) {
        const QueryRow& row = rows[static_cast<std::size_t>(k)];
        if (row.flags == 0) continue;
        const double v = k == kG ? effectiveSlope(rec.G) : rec.column(k);
        if (!rowPassesNumber(row, v)) return false;
    }
    return true;
}

// ---- Helpers of the dialog ------------------------------------------------------------

void AppendQueryRow(std::string& text, std::string_view equal, std::string_view lower, std::string_view upper,
                    std::string_view label, std::uint8_t flags) {
    if (flags == 0) return;
    text += text.empty() ? "   ( " : " AND\n   ( ";
    if (flags & kEqual) {
        text.append(label).append(" = ").append(equal);
        if (flags & (kLower | kJoined | kUpper)) text += " OR ";
    }
    if (flags & kLower) {
        text.append(label).append(" >= ").append(lower);
        if (flags & kUpper) text += (flags & kJoined) ? " AND " : " OR ";
    }
    if (flags & kUpper) text.append(label).append(" <= ").append(upper);
    text += " ) ";
}

std::string TrimTrailingBlanks(std::string_view text) {
    const std::size_t end = text.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end + 1));
}

int PlanetNumberFromName(std::string_view text) {
    for (int k = 0; k < 9; ++k)
        if (compareCaseBlind(text, PlanetNameTable[k]) == 0) return k + 1;
    return 0;
}

namespace {

std::string_view skipBlanks(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    return t;
}

std::string trimBoth(std::string_view t) {
    t = skipBlanks(t);
    return TrimTrailingBlanks(t);
}

}  // namespace

std::int64_t leadingInteger(std::string_view text) {
    text = skipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    constexpr std::int64_t kCeiling = 1'000'000'000'000'000LL;
    std::int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        v = std::min(kCeiling, v * 10 + (c - '0'));
    }
    return negative ? -v : v;
}

double leadingDecimal(std::string_view text) {
    text = skipBlanks(text);
    double sign = 1;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        if (text.front() == '-') sign = -1;
        text.remove_prefix(1);
    }
    if (text.empty() || !((text.front() >= '0' && text.front() <= '9') || text.front() == '.')) return 0;
    double v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // Too large, or too small to tell from zero.
        const std::string_view t(text.data(), static_cast<std::size_t>(r.ptr - text.data()));
        const std::size_t e = t.find_first_of("eE");
        return e != std::string_view::npos && e + 1 < t.size() && t[e + 1] == '-'
                   ? 0.0
                   : sign * std::numeric_limits<double>::infinity();
    }
    return r.ec == std::errc() ? sign * v : 0.0;
}

std::string shortPath(const std::string& path) {
    return path.size() <= 32 ? path : "..." + path.substr(path.size() - 32);
}

// ---- "ellast.cfg" ------------------------------------------------------------------

namespace {

constexpr std::size_t kText = 30;
constexpr std::size_t kIndexAt = 990, kFunctionAt = 994, kFixedNumberAt = 1084, kFixedNameAt = 1088,
                      kLastQuerySize = 1106;
// The rows of the file, in its order: a, e, G, H, i, M, n, Name, Node, Number, Peri.
constexpr int kFileRows[11] = {kA, kE, kG, kH, kIncl, kM, kN, kName, kNode, kNumber, kPeri};

std::string text_of(const std::vector<std::uint8_t>& b, std::size_t at) {
    const char* p = reinterpret_cast<const char*>(b.data() + at);
    return std::string(p, ::strnlen(p, kText));
}

void putText30(std::vector<std::uint8_t>& b, std::size_t at, const std::string& t) {
    std::memcpy(b.data() + at, t.data(), std::min(kText, t.size()));
}

}  // namespace

std::optional<LastQueryTexts> readLastQuery(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> b(kLastQuerySize, 0);
    in.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(b.size()));
    const auto size = static_cast<std::size_t>(in.gcount());
    LastQueryTexts out;
    for (std::size_t k = 0; k < 11; ++k)
        for (std::size_t j = 0; j < 3; ++j) {
            const std::size_t at = (k * 3 + j) * kText;
            if (size >= at + kText) out.rows[static_cast<std::size_t>(kFileRows[k])][j] = text_of(b, at);
        }
    const io::Bytes bytes(b);
    if (size >= kIndexAt + 4) out.functionIndex = io::get_i32(bytes, kIndexAt);
    for (std::size_t j = 0; j < 3; ++j)
        if (size >= kFunctionAt + (j + 1) * kText) out.function[j] = text_of(b, kFunctionAt + j * kText);
    if (size >= kFixedNumberAt + 4) out.fixedNumber = io::get_i32(bytes, kFixedNumberAt);
    if (size >= kFixedNameAt + 18) out.fixedName = io::get_text(bytes, kFixedNameAt, 18);
    return out;
}

bool writeLastQuery(const std::string& path, const std::array<std::array<std::string, 3>, 11>& rows, int functionIndex,
                    const std::array<std::string, 3>& function, int fixedNumber, const std::string& fixedName) {
    std::vector<std::uint8_t> b(kLastQuerySize, 0);
    for (std::size_t k = 0; k < 11; ++k)
        for (std::size_t j = 0; j < 3; ++j)
            putText30(b, (k * 3 + j) * kText, rows[static_cast<std::size_t>(kFileRows[k])][j]);
    const io::MutBytes bytes(b);
    io::put_i32(bytes, kIndexAt, functionIndex);
    for (std::size_t j = 0; j < 3; ++j) putText30(b, kFunctionAt + j * kText, function[j]);
    io::put_i32(bytes, kFixedNumberAt, fixedNumber);
    io::put_text(bytes, kFixedNameAt, 18, std::string_view(fixedName).substr(0, 18));
    return fw::write_file_or_warn(path, std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

// ---- The dialog's state and actions -----------------------------------------------------

FunctionLayout functionLayout(int code, bool opening) {
    FunctionLayout l;
    if (code <= 0 || code >= 18) return l;
    l.functionRowEnabled = true;
    if (code >= 12 && code <= 14) {
        static const char* const first[3] = {"Calculating MOID", "Calculating CT", "Calculating NC"};
        l.explanationShown = true;
        l.explanation = {first[code - 12], "relative to orbit", opening ? "of fixed object." : "of fixed object"};
        l.objectShown = true;
        l.rangeShown = code == 14;
    } else if (code >= 15) {
        static const char* const first[3] = {"Calculating T_per", "Calculating T_AscNode", "Calculating T_DscNode"};
        l.explanationShown = true;
        l.explanation = {first[code - 15], "in form calendar", "or julian date"};
        l.dateShown = true;
    }
    return l;
}

ElementQueryDialogModel::ElementQueryDialogModel(ElementQuery& query, Library& lib, std::string workDir,
                                                 bool& reopenFlag)
    : q_(query), lib_(lib), workDir_(std::move(workDir)), reopen_(reopenFlag) {}

void ElementQueryDialogModel::applyLayout(int code, bool opening) {
    layout = functionLayout(code, opening);
    if (!layout.functionRowEnabled) function = {};
    if (code == kCodeCommensurability) rangeText = "50";
}

void ElementQueryDialogModel::open() {
    reopen_ = true;
    objectListChecked = q_.UseObjectList;
    objectListLabel = q_.UseObjectList ? shortPath(q_.ObjectListFile) : std::string();
    q_.FixedObjectNumber = 0;
    q_.FixedObjectName = std::string(18, ' ');
    objectText.clear();
    functionIndex = 0;
    calendar = true;
    q_.CalendarDateForm = true;
    const auto last = readLastQuery(workDir_ + "ellast.cfg");
    if (!last) {
        applyLayout(0, true);
        return;
    }
    rows = last->rows;
    const int index = last->functionIndex.value_or(0);
    functionIndex = index >= 0 && index < 18 ? index : 0;
    if (functionIndex != 0) function = last->function;
    if (functionIndex >= 12 && functionIndex <= 14 && last->fixedNumber && last->fixedName) {
        const int n = *last->fixedNumber;
        q_.FixedObjectNumber = n;
        q_.FixedObjectName = *last->fixedName;
        if (n < 0 && n >= -9)
            objectText = PlanetNameTable[-n - 1];
        else if (n > 0)
            objectText = trimBoth(*last->fixedName);
        else
            q_.FixedObjectNumber = 0;
    }
    applyLayout(functionIndex, true);
}

void ElementQueryDialogModel::selectFunction(int code) {
    functionIndex = code >= 0 && code < 18 ? code : 0;
    applyLayout(functionIndex, false);
}

void ElementQueryDialogModel::erase() {
    for (auto& r : rows) r = {};
    functionIndex = 0;
    applyLayout(0, false);
}

void ElementQueryDialogModel::objectListClicked(bool checked) {
    q_.UseObjectList = false;
    q_.ObjectListFile.clear();
    objectListChecked = checked;
    objectListLabel.clear();
    if (checked) {
        fw::FileDialogRequest request;
        request.open = true;
        request.filter = "Object files (*.*)|*.*||";
        if (const auto path = fw::fileDialogs().ask(request)) {
            q_.ObjectListFile = *path;
            q_.UseObjectList = true;
            objectListLabel = shortPath(*path);
        } else {
            objectListChecked = false;
        }
    }
    restore_work_dir(workDir_);
}

bool ElementQueryDialogModel::readObjectList() {
    const std::string& path = q_.ObjectListFile;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fw::message("Warning: file " + path + " not found. Working with data base.", fw::Buttons::Ok,
                    fw::Icon::Warning);
        q_.UseObjectList = false;
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (q_.ObjectListCount == kObjectListMax) {
            fw::message("Warning: ZELVO uses only first 2048 objects from " + path, fw::Buttons::Ok, fw::Icon::Warning);
            break;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::int64_t v = leadingInteger(line);
        if (v < 1 || v > kObjectListLargest) continue;
        q_.ObjectListNumbers.push_back(line);
        q_.ObjectListSet.push_back(static_cast<std::int32_t>(v));
        ++q_.ObjectListCount;
    }
    if (q_.ObjectListCount == 0) {
        fw::message("Wrong object list in the file " + path + ". Working with data base.", fw::Buttons::Ok,
                    fw::Icon::Warning);
        q_.UseObjectList = false;
        return false;
    }
    auto& set = q_.ObjectListSet;
    std::sort(set.begin(), set.end());
    set.erase(std::unique(set.begin(), set.end()), set.end());
    return true;
}

bool ElementQueryDialogModel::takeFixedObject(std::int32_t objects, std::int32_t numbered) {
    const std::string text = trimBoth(objectText);
    if (text.empty() || text.size() > 18) return false;
    q_.FixedObjectNumber = 0;
    std::string buffer = text;
    buffer.resize(18, ' ');
    const std::int64_t n = leadingInteger(text);
    if (n < -9) return false;
    if (const int planet = PlanetNumberFromName(text); planet != 0) {
        q_.FixedObjectName = buffer;
        q_.FixedObjectNumber = -planet;
        return true;
    }
    if (n >= -9 && n <= -1) {
        q_.FixedObjectNumber = static_cast<int>(n);
        return true;
    }
    int number = 0;
    lib_.namn1(buffer.data(), 18, number);
    if (number == 0 || number > objects || number > numbered) return false;
    q_.FixedObjectNumber = number;
    q_.FixedObjectName = buffer.substr(0, 18);
    return true;
}

bool ElementQueryDialogModel::ok() {
    focus_ = Focus::None;
    restore_work_dir(workDir_);
    const auto settings = ReadCatalogueSettings(workDir_ + "setpar");
    if (!settings) {
        fw::message("Cannot read setpar!");
        return false;
    }

    q_.ObjectListCount = 0;
    q_.ObjectListNumbers.clear();
    q_.ObjectListSet.clear();
    if (q_.UseObjectList) readObjectList();
    restore_work_dir(workDir_);

    q_.QueryFunctionCode = functionIndex;
    q_.QueryText.clear();

    if (functionIndex >= 12 && functionIndex <= 14 && !takeFixedObject(settings->objects, settings->numbered)) {
        fw::titled_message("Error!", "Wrong input name of object", fw::Buttons::Ok, fw::Icon::Error);
        focus_ = Focus::Object;
        return false;
    }

    std::array<QueryRow, kRowCount> built{};
    std::string text;
    for (int k = 0; k < kRowCount; ++k) {
        QueryRow& row = built[static_cast<std::size_t>(k)];
        const std::array<std::string, 3>& typed = k == kFunction ? function : rows[static_cast<std::size_t>(k)];
        const std::size_t room = k == kName ? 18 : 30;
        std::array<std::string, 3> t;
        for (std::size_t j = 0; j < 3; ++j) t[j] = TrimTrailingBlanks(std::string_view(typed[j]).substr(0, room));
        const bool given[3] = {!t[0].empty(), !t[1].empty(), !t[2].empty()};
        if (given[0]) row.flags |= kEqual;
        if (given[1]) row.flags |= kLower;
        if (given[2]) row.flags |= kUpper;
        const bool textRow = k == kName || (k == kFunction && functionIndex == kCodeCommensurability);
        if (k == kNumber) {
            static constexpr Focus kFocus[3] = {Focus::NumberEqual, Focus::NumberLower, Focus::NumberUpper};
            std::int64_t v[3] = {0, 0, 0};
            for (std::size_t j = 0; j < 3; ++j) {
                if (!given[j]) continue;
                v[j] = leadingInteger(t[j]);
                if (v[j] > std::numeric_limits<std::int32_t>::max()) {
                    fw::message("The number " + t[j] + " is too large for a catalogue number.", fw::Buttons::Ok,
                                fw::Icon::Warning);
                    focus_ = kFocus[j];
                    return false;
                }
            }
            row.intEqual = v[0] - 1;
            row.intLower = v[1] - 1;
            row.intUpper = v[2] - 1;
            if (given[1] && given[2] && row.intLower <= row.intUpper) row.flags |= kJoined;
        } else if (textRow) {
            const std::size_t keep = k == kName ? 18 : 11;
            row.textEqual = t[0].substr(0, keep);
            row.textLower = t[1].substr(0, keep);
            row.textUpper = t[2].substr(0, keep);
            if (given[1] && given[2] && row.textLower.compare(row.textUpper) <= 0) row.flags |= kJoined;
        } else {
            row.equal = leadingDecimal(t[0]);
            if (k == kG && given[0] && (t[0][0] == 'x' || t[0][0] == 'X')) row.equal = kDefaultSlope;
            row.lower = leadingDecimal(t[1]);
            row.upper = leadingDecimal(t[2]);
            if (given[1] && given[2] && row.lower <= row.upper) row.flags |= kJoined;
        }
        if (k == kFunction) {
            q_.NcRange = static_cast<int>(std::clamp<std::int64_t>(leadingInteger(rangeText), -2147483647, 2147483647));
            q_.CalendarDateForm = calendar;
        }
        AppendQueryRow(text, t[0], t[1], t[2], QueryRowLabels[k], row.flags);
    }
    q_.rows = built;
    q_.QueryText = text;

    writeLastQuery(workDir_ + "ellast.cfg", rows, functionIndex, function, q_.FixedObjectNumber, q_.FixedObjectName);
    return true;
}

void ElementQueryDialogModel::cancel() { reopen_ = false; }

}  // namespace zelvo::elements
