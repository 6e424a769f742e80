// Check of an ephemeris task record, restriction kinds and the restriction
// test (confl.h), and the confl export.
#include "tasks/confl.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "core/setpar.h"
#include "core/utils.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"
#include "tasks/outform.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

namespace {

using S = ConfigSection;
using namespace eph_field;

constexpr std::int32_t kAbsent = static_cast<std::int32_t>(SectionState::Absent);
constexpr std::int32_t kConflict = static_cast<std::int32_t>(SectionState::Conflict);

// The code of a field without its blank padding.
std::string_view code_of(const EphTaskRecord& rec, RecordField f) { return io::trim(rec.get(f)); }
bool blank(const EphTaskRecord& rec, RecordField f) { return io::is_blank(rec.get(f)); }

// An integer field; nothing when it holds anything but digits, blanks and a
// sign (all blank reads as 0).
std::optional<int> int_field(const EphTaskRecord& rec, RecordField f) {
    auto v = rec.get_int(f);
    if (!v) return std::nullopt;
    return static_cast<int>(*v);
}

// Centre index 13: the catalogue number of the minor-object centre in
// "minor". Returns the state of section 4 (Correct, Absent after "minor" was
// repaired, Conflict when a file cannot be read) and a note.
SectionState check_minor_centre(std::string& note) {
    auto text = read_minor_file();
    if (!text) {
        note = "The centre file \"" + std::string(files::kMinorCentre) + "\" cannot be read (" + text.message() + ").";
        return SectionState::Conflict;
    }
    auto params = settings_params();
    if (!params) {
        note = params.message();
        return SectionState::Conflict;
    }
    double n = 0.0;
    const std::string_view first6 = std::string_view(*text).substr(0, std::min<std::size_t>(6, text->size()));
    const bool number = char_rl(first6, n, 0);
    if (number && n >= 1.0 && n <= static_cast<double>(params->objects)) return SectionState::Correct;
    if (Status s = write_minor_file("1"); !s) {
        note = s.message();
        return SectionState::Conflict;
    }
    return SectionState::Absent;
}

// The first point of a bound text is where its kind's mask has it.
bool point_in_place(std::string_view bound, int kind) {
    const std::size_t p = bound.find('.');
    const int col = p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
    return col == restriction_point_column(kind);
}

class Checker {
public:
    explicit Checker(const EphTaskRecord& rec) : r_(rec) {}

    TaskRecordCheck run();

private:
    void absent(S s) {
        out_.sections[s] = kAbsent;
        out_.err = 1;
    }
    void conflict(std::initializer_list<S> ss) {
        for (S s : ss) out_.sections[s] = kConflict;
        out_.err = 1;
    }
    bool is(RecordField f, std::string_view c) const { return code_of(r_, f) == c; }

    void find_absent();
    void find_conflicts();
    void check_bounds();

    const EphTaskRecord& r_;
    TaskRecordCheck out_;
    std::optional<int> centre_;
    std::optional<int> mode_;  // restriction mode digit
    int system_ = 0;           // restriction system of the mode: 1-4
};

void Checker::find_absent() {
    if (blank(r_, objectKey)) absent(S::Object);
    if (blank(r_, coordinateType) || blank(r_, positionKind)) absent(S::Coordinates);
    if (blank(r_, mainPlane) || blank(r_, equinox)) absent(S::MainPlane);

    centre_ = int_field(r_, centreIndex);
    if (!centre_) {
        conflict({S::Centre});
    } else if (blank(r_, centreIndex) || *centre_ < 0 || *centre_ > 13) {
        absent(S::Centre);
    } else if (*centre_ == 13) {
        const SectionState st = check_minor_centre(out_.note);
        if (st == SectionState::Absent) absent(S::Centre);
        if (st == SectionState::Conflict) conflict({S::Centre});
    }

    if (blank(r_, intervalKind)) absent(S::Interval);
    if (blank(r_, outputKind)) absent(S::Output);

    mode_ = int_field(r_, restrictionMode);
    if (!mode_)
        conflict({S::Restrictions});
    else if (*mode_ == 0)
        absent(S::Restrictions);
}

void Checker::find_conflicts() {
    // Key and its fields.
    if ((is(objectKey, "NUMB") && (blank(r_, firstNumber) || blank(r_, lastNumber))) ||
        (is(objectKey, "NAME") && blank(r_, objectName)) ||
        (is(objectKey, "OPPO") && (blank(r_, firstOpposition) || blank(r_, lastOpposition))) ||
        (is(objectKey, "LIST") && blank(r_, objectListFile)))
        conflict({S::Object});

    // Tests that need a readable centre index or restriction mode are left
    // out when that field is already in conflict.
    const bool centre_known = centre_.has_value();
    const bool not_centre3 = centre_known && *centre_ != 3;
    const bool hrz = is(mainPlane, "HRZ");

    if (is(coordinateType, "REC")) {
        if (!is(positionKind, "GMT")) conflict({S::Coordinates});
        if (hrz || is(equinox, "INST")) conflict({S::Coordinates, S::MainPlane});
        if (is(outputKind, "EMP")) conflict({S::Coordinates, S::Output});
        if (not_centre3 && !is(intervalKind, "ARBT")) conflict({S::Coordinates, S::Centre, S::Interval});
        if (mode_ && system_ != 1) {
            out_.sections[S::Coordinates] = kConflict;
            out_.sections[S::Restrictions] = kAbsent;
            out_.err = 1;
        }
    } else if (is(positionKind, "AST")) {
        if (!is(mainPlane, "EQT")) conflict({S::Coordinates, S::MainPlane});
        if (is(equinox, "INST")) conflict({S::Coordinates, S::MainPlane});
        if (not_centre3) conflict({S::Coordinates, S::Centre});
    } else if (is(positionKind, "APP")) {
        if (!is(equinox, "INST")) conflict({S::Coordinates, S::MainPlane});
        if (not_centre3) conflict({S::Coordinates, S::Centre});
        if (is(observerKind, "GEO") && hrz) conflict({S::Coordinates, S::MainPlane, S::Centre});
    } else if (is(positionKind, "GMT")) {
        if (hrz) conflict({S::Coordinates, S::MainPlane});
        if (not_centre3) conflict({S::Coordinates, S::Centre});
    }

    if (hrz && is(outputKind, "PSV")) conflict({S::MainPlane, S::Output});

    if (is(coordinateType, "SPH") && mode_ &&
        ((is(mainPlane, "EQT") && system_ != 2) || (is(mainPlane, "ECL") && system_ != 3) || (hrz && system_ != 4)))
        conflict({S::Coordinates, S::MainPlane, S::Restrictions});

    if (centre_known && *centre_ == 3) {
        if (blank(r_, observerKind)) {
            conflict({S::Centre});
        } else if (is(observerKind, "TOP")) {
            const std::optional<int> mode = int_field(r_, observerMode);
            bool bad = false;
            switch (mode.value_or(-1)) {
                case 1:
                    bad = blank(r_, observatoryCode);
                    break;
                case 2:
                    bad = blank(r_, observatoryCode) || blank(r_, placeName);
                    break;
                case 3:
                    bad = blank(r_, siteLongitude) || blank(r_, rhoCosPhi) || blank(r_, rhoSinPhi);
                    break;
                case 4:
                    bad = blank(r_, geoLongitude) || blank(r_, geoLatitude) || blank(r_, geoHeight);
                    break;
                default:  // another mode, or not a number
                    bad = true;
                    break;
            }
            if (bad) conflict({S::Centre});
        }
    }

    if (is(intervalKind, "NOPP")) {
        const std::optional<int> w = int_field(r_, coverage);
        if (!w || *w < 20 || *w > 120 || blank(r_, coverage) || blank(r_, oppositionStep) ||
            (!is(objectKey, "OPPO") && blank(r_, oppositionYear)) || not_centre3)
            conflict({S::Interval});
    }
    if (is(intervalKind, "ARBT") && (blank(r_, beginDate) || blank(r_, endDate) || blank(r_, intervalStep)))
        conflict({S::Interval});
}

void Checker::check_bounds() {
    const RestrictionKinds k = restkinds(r_.get(coordinateType), r_.get(mainPlane), r_.get(outputKind));
    if (k.system < 1 || k.system > EphTaskRecord::kBlocks) {
        // Restrictions are set but the coordinate set offers none (an unknown
        // main plane): there is no block to read them from.
        out_.sections[S::Restrictions] = kConflict;
        out_.err = 2;
        return;
    }
    for (int q = 1; q <= EphTaskRecord::kQuantities; ++q) {
        const char sw = r_.restriction_switch(k.system, q);
        if (sw != ' ' && (sw < '0' || sw > '9')) {
            out_.sections[S::Restrictions] = kConflict;
            out_.err = 2;
            return;
        }
        if (sw != '2') continue;
        const int kind = k.kinds[static_cast<std::size_t>(q - 1)];
        const std::string_view lo = r_.lower_bound(k.system, q);
        if (!io::is_blank(lo) && !point_in_place(lo, kind)) {
            out_.sections[S::Restrictions] = kConflict;
            out_.err = 1;
            return;
        }
        const std::string_view hi = r_.upper_bound(k.system, q);
        if (!io::is_blank(hi) && !point_in_place(hi, kind)) {
            out_.sections[S::Output] = kConflict;
            out_.sections[S::Restrictions] = kConflict;
            out_.err = 1;
            return;
        }
    }
}

TaskRecordCheck Checker::run() {
    find_absent();
    bool all_absent = true;
    for (std::int32_t s : out_.sections.v) all_absent = all_absent && s == kAbsent;
    if (all_absent) return out_;

    if (mode_) system_ = *mode_ % 4 == 0 ? 4 : *mode_ % 4;
    find_conflicts();
    if (out_.sections.any(SectionState::Conflict)) {
        out_.err = 2;
        return out_;
    }
    // Restriction modes 5-8 mean restrictions are set; 1-4 none.
    if (out_.err != 0 || !mode_ || *mode_ < 5) return out_;
    check_bounds();
    return out_;
}

}  // namespace

TaskRecordCheck check_task_record(const EphTaskRecord& rec) { return Checker(rec).run(); }

TaskRecordCheck confl() {
    auto rec = load_eph_check();
    if (!rec) {
        TaskRecordCheck out;
        out.err = 2;
        out.sections.v.fill(kConflict);
        out.note = "The task record \"" + std::string(files::kEphCheck) + "\" cannot be read (" + rec.message() + ").";
        return out;
    }
    return check_task_record(*rec);
}

// ---- restkinds ----------------------------------------------------------------

RestrictionKinds restkinds(std::string_view coordinate_type, std::string_view main_plane, std::string_view output) {
    RestrictionKinds k;
    k.kinds.fill(14);
    k.system = 0;
    const std::string_view c = io::trim(coordinate_type), p = io::trim(main_plane), o = io::trim(output);
    if (c == "REC") {
        if (o == "EMP") return k;
        k.kinds = {1, 1, 1, 2, 2, 2, 12, 2, 12, 3};
        k.system = 1;
        return k;
    }
    k.kinds[2] = 12;
    k.kinds[6] = 12;
    k.kinds[7] = 8;
    k.kinds[8] = 9;
    k.kinds[9] = 11;
    auto set5 = [&k](std::int8_t k1, std::int8_t k2, std::int8_t k4, std::int8_t k5, std::int8_t k6) {
        k.kinds[0] = k1;
        k.kinds[1] = k2;
        k.kinds[3] = k4;
        k.kinds[4] = k5;
        k.kinds[5] = k6;
    };
    if (p == "EQT") {
        set5(4, 5, 6, 7, 2);
        k.system = 2;
    } else if (p == "ECL") {
        set5(10, 5, 5, 5, 2);
        k.system = 3;
    } else if (p == "HRZ") {
        k.kinds[0] = 10;
        k.kinds[1] = 5;
        k.system = 4;
    }
    return k;
}

int restriction_point_column(int kind) {
    const std::string_view mask = restriction_mask(kind);
    const std::size_t p = mask.find('3');
    return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

// ---- Conds ----------------------------------------------------------------------

bool Conds(std::int32_t number, std::string_view coordinate_type, const RestrictionBounds& bounds,
           const EphResultValues& values) {
    const bool spherical = io::trim(coordinate_type) != "REC";
    const int n = std::min<int>(bounds.count, 10);
    for (int i = 0; i < n; ++i) {
        const int q = bounds.indexes[static_cast<std::size_t>(i)];
        if (q < 1 || q > QuantityValues::kCount) continue;
        if (spherical && number <= 0 && q == static_cast<int>(SphQuantity::Magnitude)) continue;
        if (spherical && number == kObjectSun && q == static_cast<int>(SphQuantity::Phase)) continue;
        const double v = values(q);
        const int inside = (bounds.lows(q) <= v && v <= bounds.highs(q)) ? 1 : -1;
        if (inside != bounds.senses[static_cast<std::size_t>(i)]) return false;
    }
    return true;
}

}  // namespace zelvomat

// ---- Export ----------------------------------------------------------------------

extern "C" ZELVOMAT_API void confl(int* err, int* status) {
    zelvomat::export_guard([&]() -> zelvomat::Status {
        if (err == nullptr || status == nullptr) return zelvomat::error_status("confl: output missing");
        const zelvomat::TaskRecordCheck c = zelvomat::confl();
        *err = c.err;
        for (std::size_t i = 0; i < c.sections.v.size(); ++i) status[i] = c.sections.v[i];
        if (!c.note.empty()) return zelvomat::error_status(c.note);
        return zelvomat::ok_status();
    });
}
