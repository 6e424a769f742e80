#include "zelvo/ephemeris/orbitinput.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>

#include "framework/binfile.h"
#include "framework/filedialogs.h"
#include "framework/messages.h"
#include "framework/process.h"
#include "zelvo/app/dialogs.h"
#include "zelvo/app/tables.h"
#include "zelvomat/io/files.h"
#include "zelvomat/tasks/ephrecord.h"

namespace zelvo {

namespace files = zelvomat::files;
namespace ef = zelvomat::eph_field;
using zelvomat::ColumnOrder;
using zelvomat::kOrbitFieldWidth;

namespace {

const char* const kFieldNames[kOrbitFields] = {"Designation", "H", "G", "Epoch", "M", "T", "Peri", "Node", "i", "e",
                                               "n",           "a", "q", "X",     "Y", "Z", "dX",   "dY",   "dZ"};

// The field check kind of the column order list.
constexpr int kColumnOrderKind = 29;

std::string blank18() { return std::string(kOrbitFieldWidth, ' '); }

std::string padTo(std::string_view t, std::size_t n) {
    std::string s(t.substr(0, std::min(t.size(), n)));
    s.resize(n, ' ');
    return s;
}

std::string trim(std::string_view t) {
    const std::size_t a = t.find_first_not_of(' ');
    if (a == std::string_view::npos) return {};
    const std::size_t b = t.find_last_not_of(' ');
    return std::string(t.substr(a, b - a + 1));
}

bool sameKey(std::string_view a, std::string_view b) {
    if (a.size() < 4 || b.size() < 4) return false;
    for (std::size_t i = 0; i < 4; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool hasCode(const ColumnOrder& o, int code) { return std::find(o.begin(), o.end(), code) != o.end(); }

// Removes code and moves the following codes one position forward.
void removeCode(ColumnOrder& o, int code) {
    auto it = std::find(o.begin(), o.end(), code);
    if (it == o.end()) return;
    std::move(it + 1, o.end(), it);
    o.back() = 0;
}

std::string recordField(const std::string& rec, zelvomat::RecordField f) {
    if (rec.size() < f.end()) return std::string(f.size(), ' ');
    return rec.substr(f.offset, f.size());
}

void setRecordField(std::string& rec, zelvomat::RecordField f, std::string_view text) {
    if (rec.size() < zelvomat::EphTaskRecord::kLength) rec.resize(zelvomat::EphTaskRecord::kLength, ' ');
    rec.replace(f.offset, f.size(), padTo(text, f.size()));
}

ColumnOrder parseOrder(std::string_view text) {
    ColumnOrder o{};
    for (std::size_t i = 0; i < o.size() && 2 * i + 1 < text.size(); ++i) {
        const char a = text[2 * i], b = text[2 * i + 1];
        const int hi = a >= '0' && a <= '9' ? a - '0' : 0;
        const int lo = b >= '0' && b <= '9' ? b - '0' : 0;
        const int c = 10 * hi + lo;
        o[i] = c >= 0 && c <= 13 ? c : 0;
    }
    return o;
}

}  // namespace

// ---- Tables ------------------------------------------------------------------

int orbitFieldCode(int field) { return field <= kFieldQ ? field + 1 : field - 8; }
int orbitFieldKind(int field) { return 15 + orbitFieldCode(field); }
bool orbitFieldInForm(int field, bool elements) {
    if (field <= kFieldEpoch) return true;
    return elements ? field <= kFieldQ : field >= kFieldX;
}
int orbitFieldOfCode(int code, bool elements) {
    if (code >= 1 && code <= 4) return code - 1;
    if (elements) return code >= 5 && code <= 13 ? code - 1 : -1;
    return code >= 5 && code <= 10 ? code + 8 : -1;
}

std::string orbitFieldHint(int field) { return std::string("Change value  of ") + kFieldNames[field] + "."; }

std::array<std::string, 14> columnCaptions(bool elements) {
    static const char* const kElem[14] = {"",       "  Designation", "  H", "  G", "  Epoch", "  M", "  T",
                                          "  Peri", "  Node",        "  i", "  e", "  n",     "  a", "  q"};
    static const char* const kCoord[6] = {"  X", "  Y", "  Z", "  dX/dt", "  dY/dt", "  dZ/dt"};
    std::array<std::string, 14> c;
    for (int i = 0; i < 14; ++i) c[static_cast<std::size_t>(i)] = padTo(kElem[i], 13);
    if (!elements)
        for (int i = 0; i < 6; ++i) c[static_cast<std::size_t>(5 + i)] = padTo(kCoord[i], 13);
    return c;
}

std::string columnOrderBoxText(const ColumnOrder& order, bool elements) {
    const auto captions = columnCaptions(elements);
    std::string out;
    for (std::size_t p = 0; p < order.size(); ++p) {
        const int code = order[p];
        if (code == 0) continue;
        out += p + 1 == 10 ? std::string("10.") : std::to_string(p + 1) + ". ";
        out += captions[static_cast<std::size_t>(std::clamp(code, 0, 13))];
        out += "\r\n";
    }
    return out;
}

ColumnOrder standardListOrder(bool elements, bool comets) {
    if (elements)
        return comets ? ColumnOrder{1, 6, 13, 10, 7, 8, 9, 4, 0, 0} : ColumnOrder{1, 2, 3, 4, 5, 7, 8, 9, 10, 11};
    return comets ? ColumnOrder{1, 4, 5, 6, 7, 8, 9, 10, 0, 0} : ColumnOrder{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
}

zelvomat::OrbitFieldTexts defaultOrbitTexts(bool elements) {
    zelvomat::OrbitFieldTexts t;
    t.fill(blank18());
    auto set = [&t](int code, const char* text) { t[static_cast<std::size_t>(code - 1)] = padTo(text, 18); };
    set(1, "Example");
    if (elements) {
        set(2, "15.99");
        set(3, "X");
        set(4, "2454400.5");
        set(5, "192.88384");
        set(7, "91.25204");
        set(8, "270.56409");
        set(9, "2.78545");
        set(10, "0.6239435");
        // 0.23009281 degrees a day: the mean motion of the standard order.
        set(11, "0.23009281");
    } else {
        set(2, "10.0");
        set(3, "0.15");
        set(4, "20071027");
        set(5, "-4.241737");
        set(6, "-.302802");
        set(7, "-.356426");
        set(8, ".00106363");
        set(9, "-.00463975");
        set(10, "-.00195780");
    }
    return t;
}

std::string compactOrderText(const ColumnOrder& order) {
    ColumnOrder c{};
    std::size_t n = 0;
    for (int code : order)
        if (code != 0) c[n++] = code;
    return zelvomat::column_order_text(c);
}

bool nongravTextAcceptable(std::string_view text) {
    const std::string t = trim(text);
    if (t == "0.0") return true;
    std::string_view s = t;
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc()) return false;
    return v != 0.0;
}

// ---- Model ------------------------------------------------------------------

OrbitInputModel::OrbitInputModel(Library& lib, std::string& record, std::string& orbitListFile, bool elementsForm,
                                 bool ephemerisTaskFiles, bool comets, std::string workDir)
    : elements(elementsForm),
      ephemerisTask(ephemerisTaskFiles),
      cometMode(comets),
      lib_(lib),
      record_(record),
      orbitListFile_(orbitListFile),
      workDir_(std::move(workDir)) {
    texts.fill(blank18());
    nongrav = {"0.0 ", "0.0 ", "0.0 "};
    if (record_.size() < zelvomat::EphTaskRecord::kLength) record_.resize(zelvomat::EphTaskRecord::kLength, ' ');
}

std::string OrbitInputModel::singleOrbitPath() const {
    return workDir_ + std::string(zelvomat::single_orbit_file(elements, ephemerisTask));
}
std::string OrbitInputModel::nongravPath() const {
    return workDir_ + std::string(zelvomat::nongrav_file(ephemerisTask));
}

std::string OrbitInputModel::key() const { return recordField(record_, ef::objectKey); }

ColumnOrder OrbitInputModel::recordOrder(bool list) const {
    const zelvomat::RecordField f = elements ? (list ? ef::elementListOrder : ef::elementOrder)
                                             : (list ? ef::coordinateListOrder : ef::coordinateOrder);
    return parseOrder(recordField(record_, f));
}

std::string OrbitInputModel::recordListFile() const {
    return recordField(record_, elements ? ef::elementListFile : ef::coordinateListFile);
}

void OrbitInputModel::error(const std::string& line1, const std::string& line2) {
    if (fieldError) {
        fieldError(line1, line2);
        return;
    }
    CFieldErrorDlg dlg;
    dlg.message = line1;
    dlg.hint1 = line2;
    dlg.doModal();
}

void OrbitInputModel::init() {
    restoreEnabled = false;
    single = !sameKey(key(), elements ? "FELM" : "FXYZ");
    source = single ? 0 : 1;
    if (cometMode && single) showNongravFields(true);
    if (single)
        onSingleOrbit();
    else
        onListOfOrbits();
    checksEnabled = true;
}

void OrbitInputModel::onSingleOrbit() {
    order = recordOrder(false);
    texts.fill(blank18());
    if (auto read = zelvomat::read_introduced_orbit(singleOrbitPath(), order)) texts = *read;
    std::error_code ec;
    if (!std::filesystem::exists(workDir_ + std::string(files::kEphTask), ec)) texts = defaultOrbitTexts(elements);
    fileControlsEnabled = false;
    fileText.clear();
    elementsGroupEnabled = true;
    orderGroupEnabled = modifyEnabled = clearEnabled = false;
    orderText.clear();
    source = 0;
    setUpSingleOrbitFields();
    single = true;
    editedField = -1;
    editing = false;
    checksEnabled = true;
    if (cometMode) showNongravFields(true);
}

void OrbitInputModel::showField(int field, bool on) {
    const auto f = static_cast<std::size_t>(field);
    fieldEnabled[f] = on;
    fieldTexts[f] = on ? texts[static_cast<std::size_t>(orbitFieldCode(field) - 1)] : std::string();
}

void OrbitInputModel::setUpSingleOrbitFields() {
    boxEnabled.fill(false);
    boxChecked.fill(false);
    fieldEnabled.fill(false);
    fieldTexts.fill(std::string());
    for (int f = kFieldDesignation; f <= kFieldEpoch; ++f) boxEnabled[static_cast<std::size_t>(f)] = true;
    boxChecked[kFieldEpoch] = true;
    showField(kFieldEpoch, true);
    for (int f = kFieldDesignation; f <= kFieldG; ++f) {
        const bool on = hasCode(order, orbitFieldCode(f));
        boxChecked[static_cast<std::size_t>(f)] = on;
        showField(f, on);
    }
    if (elements) {
        for (int f : {kFieldPeri, kFieldNode, kFieldI, kFieldE}) {
            boxEnabled[static_cast<std::size_t>(f)] = boxChecked[static_cast<std::size_t>(f)] = true;
            showField(f, true);
        }
        boxEnabled[kGroupMT] = boxChecked[kGroupMT] = boxEnabled[kGroupNAQ] = boxChecked[kGroupNAQ] = true;
        for (int f : {kFieldM, kFieldT, kFieldN, kFieldA, kFieldQ}) boxEnabled[static_cast<std::size_t>(f)] = true;
        const int mt = hasCode(order, 5) ? kFieldM : kFieldT;
        const int naq = hasCode(order, 11) ? kFieldN : hasCode(order, 12) ? kFieldA : kFieldQ;
        boxChecked[static_cast<std::size_t>(mt)] = true;
        boxChecked[static_cast<std::size_t>(naq)] = true;
        showField(mt, true);
        showField(naq, true);
    } else {
        for (int f = kFieldX; f <= kFieldDZ; ++f) {
            boxEnabled[static_cast<std::size_t>(f)] = boxChecked[static_cast<std::size_t>(f)] = true;
            showField(f, true);
        }
    }
    restoreEnabled = false;
}

void OrbitInputModel::onListOfOrbits() {
    order = recordOrder(true);
    orbitListFile_ = padTo(recordListFile(), ef::elementListFile.width);
    if (cometMode) {
        removeCode(order, 2);
        removeCode(order, 3);
    }
    if (IsBlankText(orbitListFile_))
        orbitListFile_ = padTo(elements ? files::kElementListDefault : files::kCoordinateListDefault, 80);
    setUpListFields();
    fileControlsEnabled = true;
    fileText = trim(orbitListFile_);
    source = 1;
    orderGroupEnabled = elementsGroupEnabled = modifyEnabled = true;
    clearEnabled = false;
    refreshOrder();
    checksEnabled = false;
    single = false;
    editedField = -1;
    editing = false;
    texts.fill(blank18());
    hintVisible = false;
    showNongravFields(false);
}

void OrbitInputModel::setUpListFields() {
    fieldTexts.fill(std::string());
    fieldEnabled.fill(false);
    boxEnabled.fill(false);
}

void OrbitInputModel::updateColumnOrder(int code, bool add) {
    if (!add) {
        removeCode(order, code);
        return;
    }
    if (hasCode(order, code)) return;
    if (!single) {
        auto it = std::find(order.begin(), order.end(), 0);
        if (it != order.end()) *it = code;
        return;
    }
    auto it = std::find_if(order.begin(), order.end(), [code](int c) { return c == 0 || c > code; });
    if (it == order.end()) return;
    std::move_backward(it, order.end() - 1, order.end());
    *it = code;
}

void OrbitInputModel::replaceCode(std::initializer_list<int> group, int code) {
    if (single) {
        for (int c : group)
            if (c != code) removeCode(order, c);
        updateColumnOrder(code, true);
        return;
    }
    // A list keeps the column where it is in the user's file.
    for (int& c : order)
        if (std::find(group.begin(), group.end(), c) != group.end()) {
            c = code;
            for (int& d : order)
                if (&d != &c && d == code) d = 0;
            ColumnOrder packed{};
            std::size_t n = 0;
            for (int e : order)
                if (e != 0) packed[n++] = e;
            order = packed;
            return;
        }
    updateColumnOrder(code, true);
}

void OrbitInputModel::setFieldText(int field, const std::string& text) {
    fieldTexts[static_cast<std::size_t>(field)] = text;
}

bool OrbitInputModel::checkField(int field) {
    failedField = -1;
    lastCheckPassed = false;
    hintVisible = false;
    const auto f = static_cast<std::size_t>(field);
    const int code = orbitFieldCode(field);
    std::string text = fieldTexts[f].substr(0, std::min(fieldTexts[f].size(), kOrbitFieldWidth));
    if (field <= kFieldG && IsBlankText(text)) {
        // An optional column left blank leaves the orbit: the file gets no
        // blank slot for it.
        fieldTexts[f].clear();
        fieldEnabled[f] = false;
        boxChecked[f] = false;
        texts[static_cast<std::size_t>(code - 1)] = blank18();
        updateColumnOrder(code, false);
        if (editedField == field) editing = false;
        lastCheckPassed = true;
        return true;
    }
    std::string buf = padTo(text, kOrbitFieldWidth);
    int err = 0, aux = elements ? 1 : 2;
    double value = 0;
    lib_.contreph(orbitFieldKind(field), buf.data(), static_cast<int>(buf.size()), err, value, aux);
    if (err != 0) {
        failedField = field;
        const auto e = static_cast<std::size_t>(std::clamp(err, 0, 10));
        error(std::string(ControlErrorText[e]), orbitFieldHint(field));
        return false;
    }
    fieldTexts[f] = padTo(text, kOrbitFieldWidth);
    texts[static_cast<std::size_t>(code - 1)] = fieldTexts[f];
    lastCheckPassed = true;
    return true;
}

bool OrbitInputModel::onFieldFocus(int field) {
    if (!single || !checksEnabled) return true;
    focusedField = field;
    bool ok = true;
    if (editing && editedField != field && editedField >= 0) {
        ok = checkField(editedField);
        if (ok) editedField = field;
    } else {
        editedField = field;
        editing = true;
    }
    if (ok && (field == kFieldEpoch || field == kFieldT)) {
        hintVisible = true;
        hintField = field;
        hintText = field == kFieldEpoch ? "yyyymmdd.ddddd.../\r\nddddddd.ddddd.../\r\nccccc (zip data)"
                                        : "yyyymmdd.ddddd.../\r\nddddddd.ddddd...";
    }
    return ok;
}

bool OrbitInputModel::completePendingCheck(int control) {
    if (!single || !editing || editedField < 0 || editedField == control) return true;
    if (!fieldEnabled[static_cast<std::size_t>(editedField)]) return true;
    return checkField(editedField);
}

void OrbitInputModel::chooseRadio(int group, int field) {
    const std::vector<int> members =
        group == kGroupMT ? std::vector<int>{kFieldM, kFieldT} : std::vector<int>{kFieldN, kFieldA, kFieldQ};
    for (int m : members) {
        const bool on = m == field;
        boxChecked[static_cast<std::size_t>(m)] = on;
        if (single) {
            if (!on && editedField == m) editing = false;
            showField(m, on);
            if (!on) texts[static_cast<std::size_t>(orbitFieldCode(m) - 1)] = blank18();
        }
    }
    if (field == kFieldM) hintVisible = false;
}

bool OrbitInputModel::onColumnCheck(int control, bool checked) {
    const auto c = static_cast<std::size_t>(control);
    if (!completePendingCheck(control)) return false;
    if (single) {
        if (control <= kFieldG) {
            boxChecked[c] = checked;
            showField(control, checked);
            if (!checked && editedField == control) editing = false;
            updateColumnOrder(orbitFieldCode(control), checked);
        } else if (control == kFieldM || control == kFieldT) {
            chooseRadio(kGroupMT, control);
            replaceCode({5, 6}, orbitFieldCode(control));
        } else if (control == kFieldN || control == kFieldA || control == kFieldQ) {
            chooseRadio(kGroupNAQ, control);
            replaceCode({11, 12, 13}, orbitFieldCode(control));
        } else {
            boxChecked[c] = true;  // the other columns of a single orbit stay
        }
        return true;
    }
    // A list: the boxes edit the column order.
    if (control == kGroupMT || control == kGroupNAQ) {
        const bool mt = control == kGroupMT;
        const std::vector<int> members =
            mt ? std::vector<int>{kFieldM, kFieldT} : std::vector<int>{kFieldN, kFieldA, kFieldQ};
        boxChecked[c] = checked;
        for (int m : members) {
            boxEnabled[static_cast<std::size_t>(m)] = checked;
            boxChecked[static_cast<std::size_t>(m)] = checked && m == members.front();
        }
        if (checked)
            updateColumnOrder(mt ? 5 : 11, true);
        else
            for (int m : members) removeCode(order, orbitFieldCode(m));
    } else if (control == kFieldM || control == kFieldT) {
        chooseRadio(kGroupMT, control);
        replaceCode({5, 6}, orbitFieldCode(control));
    } else if (control == kFieldN || control == kFieldA || control == kFieldQ) {
        chooseRadio(kGroupNAQ, control);
        replaceCode({11, 12, 13}, orbitFieldCode(control));
    } else {
        boxChecked[c] = checked;
        updateColumnOrder(orbitFieldCode(control), checked);
    }
    refreshOrder();
    return true;
}

void OrbitInputModel::onModify() {
    restoreEnabled = clearEnabled = true;
    boxEnabled.fill(false);
    boxChecked.fill(false);
    boxEnabled[kFieldDesignation] = boxEnabled[kFieldEpoch] = true;
    boxEnabled[kFieldH] = boxEnabled[kFieldG] = !cometMode;
    if (elements) {
        for (int f : {int(kFieldPeri), int(kFieldNode), int(kFieldI), int(kFieldE), kGroupMT, kGroupNAQ})
            boxEnabled[static_cast<std::size_t>(f)] = true;
        boxChecked[kFieldM] = boxChecked[kFieldN] = true;
    } else {
        for (int f = kFieldX; f <= kFieldDZ; ++f) boxEnabled[static_cast<std::size_t>(f)] = true;
    }
    for (int code : order) {
        if (code == 0) continue;
        const int f = orbitFieldOfCode(code, elements);
        if (f < 0) continue;
        if (elements && (code == 5 || code == 6)) {
            boxChecked[kGroupMT] = true;
            boxEnabled[kFieldM] = boxEnabled[kFieldT] = true;
            boxChecked[kFieldM] = code == 5;
            boxChecked[kFieldT] = code == 6;
        } else if (elements && code >= 11) {
            boxChecked[kGroupNAQ] = true;
            for (int m : {kFieldN, kFieldA, kFieldQ}) {
                boxEnabled[static_cast<std::size_t>(m)] = true;
                boxChecked[static_cast<std::size_t>(m)] = m == f;
            }
        } else {
            boxChecked[static_cast<std::size_t>(f)] = true;
        }
    }
    elementsGroupEnabled = true;
}

void OrbitInputModel::onRestore() {
    order = standardListOrder(elements, cometMode);
    boxChecked.fill(false);
    boxChecked[kFieldDesignation] = boxChecked[kFieldEpoch] = true;
    boxChecked[kFieldH] = boxChecked[kFieldG] = !cometMode;
    if (elements) {
        for (int f : {int(kFieldPeri), int(kFieldNode), int(kFieldI), int(kFieldE), kGroupMT, kGroupNAQ})
            boxChecked[static_cast<std::size_t>(f)] = true;
        for (int f : {kFieldM, kFieldT, kFieldN, kFieldA, kFieldQ}) boxEnabled[static_cast<std::size_t>(f)] = true;
        boxChecked[cometMode ? kFieldT : kFieldM] = true;
        boxChecked[cometMode ? kFieldQ : kFieldN] = true;
    } else {
        for (int f = kFieldX; f <= kFieldDZ; ++f) boxChecked[static_cast<std::size_t>(f)] = true;
    }
    refreshOrder();
}

void OrbitInputModel::onClear() {
    order.fill(0);
    boxChecked.fill(false);
    if (elements) {
        boxChecked[kFieldM] = boxChecked[kFieldN] = true;
        for (int f : {kFieldM, kFieldT, kFieldN, kFieldA, kFieldQ}) boxEnabled[static_cast<std::size_t>(f)] = false;
    }
    refreshOrder();
}

void OrbitInputModel::onBrowse() {
    editing = false;
    fw::FileDialogRequest desc;
    desc.open = true;
    desc.filter = "Element files (*.txt)|*.txt|All files (*.*)|*.*||";
    if (const auto path = fw::fileDialogs().ask(desc)) {
        fileText = *path;
        orbitListFile_ = *path;
    }
}

void OrbitInputModel::onEditFile() {
    if (IsBlankText(fileText)) {
        fw::message("Enter file name or select file through BROWSE");
        return;
    }
    fw::start_editor(editorProgram, fileText);
    restore_work_dir(workDir_);
}

void OrbitInputModel::showNongravFields(bool show) {
    nongravVisible = show;
    if (!show) return;
    nongrav = {"", "", ""};
    if (auto read = zelvomat::read_nongrav_texts(nongravPath(), elements)) {
        for (std::size_t i = 0; i < 3; ++i) nongrav[i] = (*read)[i];
    } else {
        nongrav = {"0.0 ", "0.0 ", "0.0 "};
    }
    for (std::string& a : nongrav)
        if (!nongravTextAcceptable(a) || trim(a) == "0.0") a = "0.0 ";
}

bool OrbitInputModel::storeOrbitChoice() {
    std::string list = trim(fileText);
    if (list.empty()) list = std::string(elements ? files::kElementListDefault : files::kCoordinateListDefault);
    if (!single && list.size() > ef::elementListFile.width) {
        fw::message("The file name " + list + " is longer than 80 characters.");
        return false;
    }
    orbitListFile_ = padTo(list, 80);
    single = source == 0;
    const char* k = elements ? (single ? "EELM" : "FELM") : (single ? "XXYZ" : "FXYZ");
    setRecordField(record_, ef::objectKey, k);
    const zelvomat::RecordField of = elements ? (single ? ef::elementOrder : ef::elementListOrder)
                                              : (single ? ef::coordinateOrder : ef::coordinateListOrder);
    setRecordField(record_, of, compactOrderText(order));
    if (!single) setRecordField(record_, elements ? ef::elementListFile : ef::coordinateListFile, list);
    return true;
}

bool OrbitInputModel::onOK() {
    failedField = -1;
    if (single) {
        if (editing && editedField >= 0 && fieldEnabled[static_cast<std::size_t>(editedField)] &&
            !checkField(editedField))
            return false;
        for (int code = 1; code <= 13; ++code) {
            if (!hasCode(order, code)) continue;
            const int f = orbitFieldOfCode(code, elements);
            if (f < 0) continue;
            if (!checkField(f)) return false;
        }
        // The nongravitational parameters are checked before anything is
        // written, so that a refusal leaves the files and the record as
        // they were.
        if (cometMode)
            for (std::size_t i = 0; i < 3; ++i)
                if (!nongravTextAcceptable(nongrav[i])) {
                    fw::message("E R R O R: Wrong field A" + std::to_string(i + 1));
                    return false;
                }
    }
    std::string orderText20 = compactOrderText(order);
    const int form = elements ? 1 : 2;
    if (single) {
        std::error_code ec;
        std::filesystem::remove(singleOrbitPath(), ec);
        if (const zelvomat::Status s = zelvomat::write_introduced_orbit(singleOrbitPath(), texts, order); !s.ok()) {
            fw::message("Cannot write the orbit file " + singleOrbitPath() + ": " + s.message(), fw::Buttons::Ok,
                        fw::Icon::Warning);
            return false;
        }
    } else {
        const std::string name = trim(fileText);
        bool opened = false;
        if (!name.empty()) {
            std::error_code ec;
            if (std::filesystem::exists(name, ec)) {
                opened = std::ifstream(name, std::ios::binary).is_open();
            } else {
                opened = static_cast<bool>(fw::write_file(name, std::string_view()));
            }
        }
        if (!opened) {
            fw::message("E R R O R: file '" + name + "' not found");
            return false;
        }
    }
    int err = 0, aux = form;
    double value = 0;
    lib_.contreph(kColumnOrderKind, orderText20.data(), static_cast<int>(orderText20.size()), err, value, aux);
    if (err != 0) {
        error("Columns are set incorrectly", "");
        return false;
    }
    if (!storeOrbitChoice()) return false;
    if (single && cometMode) {
        zelvomat::NongravTexts a;
        for (std::size_t i = 0; i < 3; ++i) a[i] = trim(nongrav[i]);
        if (const zelvomat::Status s = zelvomat::write_nongrav(nongravPath(), a, elements); !s.ok()) {
            fw::message("Cannot write the file " + nongravPath() + ": " + s.message(), fw::Buttons::Ok,
                        fw::Icon::Warning);
            return false;
        }
    }
    restore_work_dir(workDir_);
    return true;
}

void OrbitInputModel::onCancel() {
    single = !sameKey(key(), elements ? "FELM" : "FXYZ");
    orbitListFile_ = padTo(recordListFile(), 80);
}

}  // namespace zelvo
