// Check of an ephemeris task record before it runs, and the restriction test
// of the ephemeris driver.
//
// confl: the set-up dialog writes its task record as "eph.cf1" and asks,
// section by section, whether the record can run. The sections are those of
// the dialog's pages:
//
//   1 object   2 coordinates   3 main plane   4 centre and observer
//   5 interval   6 output format   7 restrictions
//
// Each gets 0 (correct), 1 (data absent) or 2 (in conflict with another
// section). The overall code err is 0 when all are correct, 1 when a section
// is absent (or a typed bound has its point in the wrong place), 2 when a
// section is in conflict.
//
// restkinds: the restriction type (tasks/restr.h, 1-14) of each of the ten
// quantities of a coordinate set, and the restriction block of the set.
//
// Conds: whether the ten values computed for one date pass the restriction
// list (RestrictionBounds, built by Formcond).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ephvalues.h"
#include "tasks/ephrecord.h"
#include "tasks/restr.h"

namespace zelvomat {

enum class ConfigSection : int {
    Object = 1,
    Coordinates = 2,
    MainPlane = 3,
    Centre = 4,
    Interval = 5,
    Output = 6,
    Restrictions = 7,
};

enum class SectionState : std::int32_t { Correct = 0, Absent = 1, Conflict = 2 };

// Seven 32-bit states, section 1 first (the layout of the exported array).
struct ConfigSectionStatus {
    static constexpr int kSections = 7;
    std::array<std::int32_t, kSections> v{};

    std::int32_t& operator[](ConfigSection s) { return v[static_cast<std::size_t>(static_cast<int>(s) - 1)]; }
    std::int32_t operator[](ConfigSection s) const { return v[static_cast<std::size_t>(static_cast<int>(s) - 1)]; }
    bool any(SectionState st) const {
        for (std::int32_t x : v)
            if (x == static_cast<std::int32_t>(st)) return true;
        return false;
    }
    friend bool operator==(const ConfigSectionStatus&, const ConfigSectionStatus&) = default;
};

// Outcome of a check: err and the sections; note explains, for the caller's
// error channel, a file that could not be read ("eph.cf1", "minor",
// "setpar"), empty otherwise.
struct TaskRecordCheck {
    std::int32_t err = 0;
    ConfigSectionStatus sections;
    std::string note;
};

// Checks a task record. A blank centre index counts as absent, as the other
// blank fields of a section do (the dialog writes 0 as " 0"). Fields read as integers (the centre index, the
// restriction mode, for a topocentric observer the observer mode, for a
// near-opposition interval the coverage, and the switches of the restriction
// block in use) that hold anything but digits, blanks and a sign put their
// section in conflict.
//
// For the centre index 13 (a minor object as the centre) the number in the
// file "minor" of the working directory is tested against the number of
// objects of the package (record 6 of "setpar", read now): a text that is not
// a number, or a number outside 1 .. objects, rewrites "minor" as "1" and
// makes section 4 absent. A missing "minor" or an unreadable "setpar" makes
// section 4 in conflict and leaves the files alone.
TaskRecordCheck check_task_record(const EphTaskRecord& rec);

// The body of the confl export: reads "eph.cf1" (whatever its case) and
// checks it. A missing file, or one shorter than the record, puts all seven
// sections in conflict (err 2).
TaskRecordCheck confl();

// ---- restkinds ----------------------------------------------------------------

struct RestrictionKinds {
    std::array<std::int8_t, 10> kinds{};  // by quantity - 1: restriction types 1-14
    std::int8_t system = 0;               // 0 none, 1 rectangular, 2 equator, 3 ecliptic, 4 horizon
};

// Coordinate type "REC": with output "EMP" nothing (every kind 14, system
// 0), otherwise kinds 1 1 1 2 2 2 12 2 12 3 and system 1. Any other type:
// quantities 3 and 7 kind 12, 8 kind 8, 9 kind 9, 10 kind 11; then by main
// plane, quantities 1 2 4 5 6: "EQT" 4 5 6 7 2 (system 2), "ECL" 10 5 5 5 2
// (system 3), "HRZ" 10 5 and 14 for 4-6 (system 4); another plane keeps 14
// for them and system 0.
RestrictionKinds restkinds(std::string_view coordinate_type, std::string_view main_plane, std::string_view output);

// The 1-based column of the point in the bound mask of a restriction type;
// 0 for the types without a point (13, 14) or outside 1-14.
int restriction_point_column(int kind);

// ---- Conds ----------------------------------------------------------------------

// True when the values pass every restriction of the list. Restriction i on
// quantity q passes when lows(q) <= value(q) <= highs(q) and its sense is +1,
// or when the value lies outside and its sense is -1. In spherical coordinates
// (coordinate type other than "REC") the magnitude (q = 9) is not tested for a
// major body (number 0 or below), nor the phase (q = 8) for the Sun (-10). An
// empty list passes; entries past the tenth and quantities outside 1-10 are
// not tested.
bool Conds(std::int32_t number, std::string_view coordinate_type, const RestrictionBounds& bounds,
           const EphResultValues& values);

// The heading rule of the ephemeris driver: a block's heading records are
// written before its first date that passed the restrictions, or before its
// first date at all when solitary headings are kept (reject_solitary false);
// never twice. With solitary headings rejected, an object none of whose dates
// passes leaves nothing in the result.
inline bool block_heading_due(bool date_passed, bool reject_solitary, bool heading_written) {
    return !heading_written && (date_passed || !reject_solitary);
}

}  // namespace zelvomat
