// The ephemeris task record (ephrecord.h).
#include "tasks/ephrecord.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"
#include "io/textfile.h"

namespace zelvomat {

namespace {

using namespace eph_field;

// The layout is contiguous: every field starts where the previous one ends
// and the last ends at the record length.
constexpr RecordField kOrder[] = {
    objectKey,       firstNumber,      lastNumber,         objectName,
    firstOpposition, lastOpposition,   objectListFile,     headingsSwitch,
    coordinateType,  positionKind,     mainPlane,          equinox,
    centreIndex,     observerKind,     observerMode,       observatoryCode,
    placeName,       siteLongitude,    rhoCosPhi,          rhoSinPhi,
    geoLongitude,    geoLatitude,      geoHeight,          intervalKind,
    oppositionYear,  coverage,         oppositionStep,     beginDate,
    endDate,         intervalStep,     outputKind,         restrictionSwitch,
    lowerBound,      upperBound,       restrictionMode,    motionModel,
    perturbers,      relativisticSun,  elementOrder,       coordinateOrder,
    elementListFile, elementListOrder, coordinateListFile, coordinateListOrder,
};
constexpr bool contiguous() {
    std::size_t at = 0;
    for (const auto& f : kOrder) {
        if (f.offset != at) return false;
        at = f.end();
    }
    return at == EphTaskRecord::kLength;
}
static_assert(contiguous(), "the task record's fields must tile its 1418 bytes");

constexpr std::string_view kElementOrderDefault = "01020304050708091011";
constexpr std::string_view kCoordinateOrderDefault = "01020304050607080910";

// The fields that a new ephemeris record and a new O-C record share: motion
// model, perturbers, relativistic term, column orders and orbit list files.
void put_orbit_defaults(EphTaskRecord& r) {
    r.set(RecordField{motionModel.offset, 1, 13}, "1111111111111");  // columns 1165-1177
    r.set(relativisticSun, "0");
    r.set(elementOrder, kElementOrderDefault);
    r.set(coordinateOrder, kCoordinateOrderDefault);
    r.set(elementListFile, files::kElementListDefault);
    r.set(elementListOrder, kElementOrderDefault);
    r.set(coordinateListFile, files::kCoordinateListDefault);
    r.set(coordinateListOrder, kCoordinateOrderDefault);
}

std::string work_path(std::string_view name) { return io::find_file("", name); }

void check_entry(int block, int quantity) {
    if (block < 1 || block > EphTaskRecord::kBlocks || quantity < 1 || quantity > EphTaskRecord::kQuantities)
        throw std::out_of_range("restriction entry out of range");
}

int entry(int block, int quantity) {
    check_entry(block, quantity);
    return EphTaskRecord::kQuantities * (block - 1) + quantity;
}

}  // namespace

EphTaskRecord::EphTaskRecord() { buf_.fill(' '); }

EphTaskRecord EphTaskRecord::defaults() {
    EphTaskRecord r;
    r.set(objectKey, "NUMB");
    r.set(firstNumber, "1");
    r.set(lastNumber, "1");
    r.set(headingsSwitch, "ISHD");
    r.set(coordinateType, "SPH");
    r.set(positionKind, "AST");
    r.set(mainPlane, "EQT");
    r.set(equinox, "2000");
    r.set(centreIndex, " 3");
    r.set(observerKind, "GEO");
    r.set(observerMode, "1");
    r.set(observatoryCode, " 95");
    r.set(intervalKind, "ARBT");
    r.set(beginDate, "20010101.00000");
    r.set(endDate, "20010111.00000");
    r.set(intervalStep, "1.0000000");
    r.set(outputKind, "EMP");
    r.set(restrictionSwitch, std::string(restrictionSwitch.size(), '1'));
    r.set(restrictionMode, "2");
    put_orbit_defaults(r);
    return r;
}

EphTaskRecord EphTaskRecord::oc_defaults() {
    EphTaskRecord r;
    put_orbit_defaults(r);
    r.set(objectKey, "ZELV");
    return r;
}

Result<EphTaskRecord> EphTaskRecord::from_bytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kLength)
        return error_status("task record of " + std::to_string(bytes.size()) + " bytes, " + std::to_string(kLength) +
                            " expected");
    EphTaskRecord r;
    std::memcpy(r.buf_.data(), bytes.data(), kLength);
    return r;
}

std::span<const std::uint8_t> EphTaskRecord::bytes() const {
    return {reinterpret_cast<const std::uint8_t*>(buf_.data()), kLength};
}

std::string_view EphTaskRecord::get(RecordField f) const { return {buf_.data() + f.offset, f.size()}; }

Result<std::int64_t> EphTaskRecord::get_int(RecordField f) const { return io::read_int(get(f)); }

void EphTaskRecord::set(RecordField f, std::string_view text) {
    const std::string v = io::pad(text, f.size());
    std::memcpy(buf_.data() + f.offset, v.data(), f.size());
}

Status EphTaskRecord::set_name(RecordField f, std::string_view text) {
    const std::string_view t = io::trim_right(text);
    if (t.size() > f.size())
        return error_status("name too long for its field (" + std::to_string(f.size()) +
                            " characters): " + std::string(t));
    set(f, t);
    return ok_status();
}

Status EphTaskRecord::set_int(RecordField f, std::int64_t value) {
    const std::string v = io::fmt_i(value, static_cast<int>(f.size()));
    if (v.find('*') != std::string::npos)
        return error_status("number " + std::to_string(value) + " too long for its field");
    set(f, v);
    return ok_status();
}

RecordField EphTaskRecord::switch_field(int block, int quantity) {
    return restrictionSwitch.element(entry(block, quantity));
}
RecordField EphTaskRecord::lower_field(int block, int quantity) { return lowerBound.element(entry(block, quantity)); }
RecordField EphTaskRecord::upper_field(int block, int quantity) { return upperBound.element(entry(block, quantity)); }

void EphTaskRecord::store_numbers(std::string_view first, std::string_view last) {
    set(objectKey, "NUMB");
    set(firstNumber, first);
    set(lastNumber, last);
}

void EphTaskRecord::store_object_name(std::string_view name) {
    set(objectKey, "NAME");
    set(objectName, name);
}

void EphTaskRecord::store_oppositions(std::string_view first, std::string_view last) {
    set(objectKey, "OPPO");
    set(firstOpposition, first);
    set(lastOpposition, last);
}

Status EphTaskRecord::store_object_list(std::string_view file_name) {
    ZEL_TRY(set_name(objectListFile, file_name));
    set(objectKey, "LIST");
    return ok_status();
}

void EphTaskRecord::store_frame(std::string_view coordinate_type, std::string_view position_kind,
                                std::string_view main_plane, std::string_view equinox_code) {
    set(coordinateType, coordinate_type);
    set(positionKind, position_kind);
    set(mainPlane, main_plane);
    set(equinox, equinox_code);
}

Status EphTaskRecord::store_centre(int centre_index, std::string_view observer_kind, int observer_mode,
                                   const ObserverEntry& e) {
    if (centre_index < 0 || centre_index > 13)
        return error_status("centre index " + std::to_string(centre_index) + " is not 0-13");
    if (observer_mode < 1 || observer_mode > 4)
        return error_status("observer mode " + std::to_string(observer_mode) + " is not 1-4");
    if (observer_kind == "TOP" && observer_mode == 2) ZEL_TRY(set_name(placeName, e.place));
    ZEL_TRY(set_int(centreIndex, centre_index));
    set(observerKind, observer_kind);
    ZEL_TRY(set_int(observerMode, observer_mode));
    if (observer_kind != "TOP") return ok_status();
    switch (observer_mode) {
        case 1:
        case 2:  // the place name of mode 2 is written above
            set(observatoryCode, e.code);
            break;
        case 3:
            set(siteLongitude, e.site_longitude);
            set(rhoCosPhi, e.rho_cos_phi);
            set(rhoSinPhi, e.rho_sin_phi);
            break;
        default:
            set(geoLongitude, e.geo_longitude);
            set(geoLatitude, e.geo_latitude);
            set(geoHeight, e.geo_height);
            break;
    }
    return ok_status();
}

void EphTaskRecord::store_opposition_interval(std::string_view year, std::string_view coverage_days,
                                              std::string_view step) {
    set(intervalKind, "NOPP");
    set(oppositionYear, year);
    set(coverage, coverage_days);
    set(oppositionStep, step);
}

void EphTaskRecord::store_arbitrary_interval(std::string_view begin, std::string_view end, std::string_view step) {
    set(intervalKind, "ARBT");
    set(beginDate, begin);
    set(endDate, end);
    set(intervalStep, step);
}

void EphTaskRecord::store_output(std::string_view output_kind) { set(outputKind, output_kind); }

int EphTaskRecord::restriction_base(std::string_view coordinate_type, std::string_view main_plane,
                                    std::string_view output_kind) {
    if (io::trim(coordinate_type) == "REC") return io::trim(output_kind) == "EMP" ? 0 : 1;
    const std::string_view p = io::trim(main_plane);
    if (p == "EQT") return 2;
    if (p == "ECL") return 3;
    if (p == "HRZ") return 4;
    return 0;
}

int EphTaskRecord::store_restrictions(bool restricted, bool reject_solitary,
                                      std::span<const RestrictionEntry, kQuantities> entries) {
    const int base = restriction_base(get(coordinateType), get(mainPlane), get(outputKind));
    const int digit = restricted ? base + 4 : base;
    buf_[restrictionMode.offset] = static_cast<char>('0' + digit);
    if (digit <= 4) return digit;
    set(headingsSwitch, reject_solitary ? "NOHD" : "ISHD");
    for (int q = 1; q <= kQuantities; ++q) set(switch_field(base, q), "1");
    for (int q = 1; q <= kQuantities; ++q) {
        const RestrictionEntry& e = entries[static_cast<std::size_t>(q - 1)];
        if (!e.on) continue;
        set(switch_field(base, q), "2");
        set(lower_field(base, q), e.lower);
        set(upper_field(base, q), e.upper);
    }
    return digit;
}

void EphTaskRecord::store_motion(char model, std::string_view perturber_digits, char relativistic_sun) {
    buf_[motionModel.offset] = model;
    if (model != '2') return;
    set(perturbers, perturber_digits);
    buf_[relativisticSun.offset] = relativistic_sun;
}

// ---- Files -------------------------------------------------------------------

Result<EphTaskRecord> load_task_record(const std::string& path) {
    auto bytes = io::read_file_bytes(path);
    if (!bytes) return bytes.status();
    auto rec = EphTaskRecord::from_bytes(*bytes);
    if (!rec) return error_status(path + ": " + rec.message());
    return rec;
}

Status save_task_record(const std::string& path, const EphTaskRecord& rec) {
    return io::write_file_bytes(path, rec.bytes());
}

Result<EphTaskRecord> load_eph_task() { return load_task_record(work_path(files::kEphTask)); }
Status save_eph_task(const EphTaskRecord& rec) { return save_task_record(std::string(files::kEphTask), rec); }
Result<EphTaskRecord> load_eph_check() { return load_task_record(work_path(files::kEphCheck)); }
Status save_eph_check(const EphTaskRecord& rec) { return save_task_record(std::string(files::kEphCheck), rec); }
void remove_eph_check() { std::remove(std::string(files::kEphCheck).c_str()); }
Result<EphTaskRecord> load_oc_task() { return load_task_record(work_path(files::kOcTask)); }
Status save_oc_task(const EphTaskRecord& rec) { return save_task_record(std::string(files::kOcTask), rec); }

EphTaskRecord load_oc_task_or_defaults() {
    auto rec = load_oc_task();
    EphTaskRecord r = rec ? std::move(*rec) : EphTaskRecord::oc_defaults();
    r.set(eph_field::objectKey, "ZELV");
    return r;
}

Status write_minor_file(std::string_view number_text) {
    return io::write_file_bytes(
        std::string(files::kMinorCentre),
        std::span(reinterpret_cast<const std::uint8_t*>(number_text.data()), number_text.size()));
}

Result<std::string> read_minor_file() { return io::read_first_line(work_path(files::kMinorCentre)); }

}  // namespace zelvomat
