// The ephemeris set-up (ephsetup.h): loading and checking the task record,
// the check protocol of the typed fields, Run with the store of the pages,
// and the run of the ephemeris driver.
#include "zelvo/ephemeris/ephsetup.h"

#include <cstdio>
#include <fstream>

#include "framework/messages.h"
#include "zelvo/app/progressdlg.h"
#include "zelvo/app/tables.h"
#include "zelvomat/core/setpar.h"
#include "zelvomat/io/bytes.h"
#include "zelvomat/io/files.h"

namespace zelvo::eph {

namespace F = zelvomat::eph_field;
using zelvomat::EphTaskRecord;

EphSetup::EphSetup(AppContext& c, Library& l) : ctx(c), lib(l), record(c.EphRecord) {}

PackageYears packageYears(const std::string& workDir) {
    namespace sp = zelvomat::setpar;
    std::ifstream in(workDir + std::string(zelvomat::files::kSettings), std::ios::binary);
    std::array<std::uint8_t, sp::kRecordLength> rec{};
    in.seekg(static_cast<std::streamoff>((sp::kRecParams - 1) * sp::kRecordLength));
    if (!in.read(reinterpret_cast<char*>(rec.data()), static_cast<std::streamsize>(rec.size()))) return {};
    const zelvomat::PackageParams params = zelvomat::decode_params(rec);
    const int first = params.first_year, last = params.last_year;
    if (first < 1 || last < first || last > 9999) return {};
    return {first, last};
}

EphTaskRecord defaultTaskRecord(PackageYears years, std::chrono::year_month_day today) {
    using namespace std::chrono;
    EphTaskRecord r = EphTaskRecord::defaults();
    if (years.first < 1 || years.last < years.first) return r;
    constexpr days kSpan{10};
    const sys_days first{year{years.first} / January / 1}, end{year{years.last} / December / 31};
    sys_days begin = first;
    if (const sys_days t{today}; today.ok() && t >= first && t <= end) begin = std::min(t, end - kSpan);
    auto text = [](sys_days d) {
        const year_month_day c{d};
        char buf[32];
        std::snprintf(buf, sizeof buf, "%04d%02u%02u.00000", static_cast<int>(c.year()),
                      static_cast<unsigned>(c.month()), static_cast<unsigned>(c.day()));
        return std::string(buf);
    };
    r.set(zelvomat::eph_field::beginDate, text(begin));
    r.set(zelvomat::eph_field::endDate, text(begin + kSpan));
    return r;
}

bool EphSetup::load() {
    check = {};
    ctx.EphemerisMode = true;
    ctx.EphCodeKey.clear();
    // The record as saved by the last Run; whatever the buffer holds is
    // checked when the file is missing or short.
    auto loaded = zelvomat::load_eph_task();
    if (loaded.ok()) record = *loaded;
    int err = 0;
    std::array<int, 7> st{};
    if (zelvomat::save_eph_check(record).ok())
        lib.confl(err, st.data());
    else
        err = 2;
    zelvomat::remove_eph_check();
    if (err != 0 || !loaded.ok()) {
        if (fw::message("No configuration file or it's wrong. Create new?", fw::Buttons::YesNo, fw::Icon::Question) !=
            fw::Answer::Yes) {
            fw::message("Copy configuration file from another folder\nor repeate call and create new configuration");
            return false;
        }
        const auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
        record = defaultTaskRecord(packageYears(ctx.WorkDir), std::chrono::year_month_day{today});
    }
    initPages();
    return true;
}

void EphSetup::initPages() {
    // The order in which the pages read the record: each may look at the
    // pages before it.
    initFramePages();
    initCentrePage();
    initObjectPage();
    initIntervalPage();
    initRestrictionsPage();
    accuracy.initFromRecord(std::string_view(record.text().data(), record.text().size()), object.radio > 3);
    check = {};
}

// ---- The check protocol ---------------------------------------------------------

std::optional<FieldError> EphSetup::checkPending(bool fromTree) {
    if (!check.pending()) return std::nullopt;
    std::optional<FieldError> e;
    switch (check.page) {
        case kObjectPage:
            e = ValidateObjectField(fromTree);
            break;
        case kCentrePage:
            e = validateCentreField(fromTree);
            break;
        case kIntervalPage:
            e = ValidateIntervalField(fromTree);
            break;
        case kRestrictionsPage:
            e = validateRestrictionField(fromTree);
            break;
        default:
            break;
    }
    if (!e) check.clear();
    return e;
}

std::optional<FieldError> EphSetup::fieldFocused(int page, int field) {
    check.focusedField = field;
    if (check.pending() && (check.page != page || check.editedField != field))
        if (auto e = checkPending(false)) return e;
    check.page = page;
    check.editedField = field;
    return std::nullopt;
}

bool EphSetup::treeSelecting(int to, std::optional<FieldError>* error) {
    if (auto e = checkPending(true)) {
        if (error != nullptr) *error = e;
        return false;
    }
    // Restrictions laid out for other codes no longer apply.
    if (!ctx.EphCodeKey.empty() && ctx.EphCodeKey != codeKey()) resetRestrictions();
    BuildTaskDescription();
    if (to == kOutputPage) onOutputPageShown();
    if (to == kRestrictionsPage) onRestrictionsPageShown();
    return true;
}

// ---- Run ---------------------------------------------------------------------

namespace {
const char* mark(int state) { return state == 1 ? " *  " : state == 2 ? " !  " : "    "; }
}  // namespace

EphSetup::RunResult EphSetup::runTaskCheck(std::optional<FieldError>* error) {
    sections = {};
    if (auto e = checkPending(true)) {
        if (error != nullptr) *error = e;
        return RunResult::FieldError;
    }
    // Bounds typed for one coordinate set are never stored as bounds of
    // another: restrictions set for other codes are laid out again for the
    // current ones (from the record's block of the current set).
    if (restrict.choice == 1 && !ctx.EphCodeKey.empty() && ctx.EphCodeKey != codeKey()) onSetRestrictions();
    BuildTaskDescription();
    StoreTaskRecord();

    int err = 0;
    if (const auto st = zelvomat::save_eph_check(record); !st.ok()) {
        fw::message(st.message(), fw::Buttons::Ok, fw::Icon::Warning);
        return RunResult::RecordRejected;
    }
    lib.confl(err, sections.data());
    if (err == 0) {
        if (const auto st = zelvomat::save_eph_task(record); !st.ok()) {
            fw::message(st.message(), fw::Buttons::Ok, fw::Icon::Warning);
            return RunResult::RecordRejected;
        }
        return RunResult::Accepted;
    }

    // The description with the faulty sections marked.
    const auto& s = sections;
    TaskDescription& d = description;
    d.block1 = mark(s[0]) + d.objectText + "\r\n" + mark(s[1]) + d.coordinatesText;
    d.block2 = mark(s[2]) + d.planeText + "\r\n" + mark(s[3]) + d.centreText + "\r\n" + mark(s[4]) + d.intervalText;
    d.block3 = mark(s[5]) + d.outputText + "\r\n" + "    " + d.accuracyText + "\r\n" + mark(s[6]) + d.restrictionsText +
               "\r\n\r\n\r\n\r\n";
    bool absent = false, conflict = false;
    for (int v : s) {
        absent = absent || v == 1;
        conflict = conflict || v == 2;
    }
    if (absent) d.block3 += " *   -    The data is absent\r\n\r\n";
    if (conflict) d.block3 += " !   -    The data conflict\r\n\r\n";
    fw::message("Task description error");
    return RunResult::RecordRejected;
}

void EphSetup::StoreTaskRecord() {
    const auto sys = [](const char* what) {
        fw::message(std::string("System error : wrong ") + what + " configuration");
    };
    // Object(s): typed orbits keep the key their choice set.
    switch (object.radio) {
        case 1:
            record.store_object_name(object.text[2]);
            break;
        case 2:
            record.store_oppositions(object.text[3], object.text[4]);
            break;
        case 3:
            if (const auto st = record.store_object_list(object.text[5]); !st.ok()) fw::message(st.message());
            break;
        case 4:
        case 5:
            break;
        default:
            if (object.radio != 0) sys("Object");
            record.store_numbers(object.text[0], object.text[1]);
            break;
    }
    // Coordinates and main plane.
    if (frame.type < 0 || frame.position < 0) sys("Target");
    if (frame.plane < 0 || frame.equinox < 0) sys("MainPlain");
    static const char* const kPositions[3] = {"AST", "GMT", "APP"};
    static const char* const kEquinoxes[3] = {"2000", "1950", "INST"};
    record.store_frame(frame.coordinateCode(), kPositions[frame.position < 0 ? 0 : frame.position], frame.planeCode(),
                       kEquinoxes[frame.equinox < 0 ? 0 : frame.equinox]);
    // Centre and observer.
    const int centreIndex = centre.centre >= 0 && centre.centre <= 13 ? centre.centre : 3;
    if (centreIndex == 13)
        if (const auto st = zelvomat::write_minor_file(centre.minorNumber); !st.ok()) fw::message(st.message());
    const auto& t = centre.text;
    const EphTaskRecord::ObserverEntry entry{t[0], centre.place, t[1], t[2], t[6], t[3], t[4], t[5]};
    const int mode = centre.mode >= 0 && centre.mode <= 3 ? centre.mode + 1 : 1;
    if (const auto st = record.store_centre(centreIndex, centre.observer == 1 ? "TOP" : "GEO", mode, entry); !st.ok())
        fw::message(st.message());
    // Interval.
    if (interval.kind == 1) {
        record.store_arbitrary_interval(interval.text[2], interval.text[3], interval.text[4]);
    } else {
        if (interval.kind != 0) sys("Interval");
        record.store_opposition_interval(interval.text[0], interval.coverage, interval.text[1]);
    }
    // Output format.
    if (frame.output < 0) sys("OutputFormat");
    record.store_output(frame.outputCode());
    ctx.CoordinateCode = frame.coordinateCode();
    ctx.PlaneCode = frame.planeCode();
    ctx.OutputCode = frame.outputCode();
    // Restrictions.
    std::array<EphTaskRecord::RestrictionEntry, 10> entries;
    for (std::size_t i = 0; i < 10; ++i)
        entries[i] = {restrict.rowOn[i] != 0 && restrict.laidOut, restrict.current[i], restrict.current[10 + i]};
    ctx.RestrictionMode = record.store_restrictions(restrict.choice == 1, restrict.reject != 0, entries);
    // Motion model; the bodies only for integration.
    OcAccuracySettings a;
    accuracy.store(a);
    std::string digits;
    for (int p : a.perturbers) digits += static_cast<char>('0' + p);
    record.store_motion(static_cast<char>('0' + (a.model < 0 ? 1 : a.model)), digits,
                        static_cast<char>('0' + a.relSun));
}

std::string EphSetup::RunEphemerisComputation() {
    const std::string result(zelvomat::files::kEphemerisResult);
    ctx.EphRun = {0, 2, 0};
    std::string error;
    const bool ran = runWithProgress(1, 100, 1, 1, [&] {
        std::remove(result.c_str());
        lib.progr(ctx.EphRun.cont, ctx.EphRun.interrupted, ctx.EphRun.percent, ProgressStepBy);
        error = lib.lastError();
    });
    if (!ran || !error.empty()) ctx.EphRun.interrupted = 0;
    ctx.CalcInterrupted = ctx.EphRun.interrupted != 0 ? 1 : 0;
    // A run that did not start or ended on the library's error (shown by the
    // call) has no result to show.
    return ran && error.empty() ? result : std::string();
}

}  // namespace zelvo::eph
