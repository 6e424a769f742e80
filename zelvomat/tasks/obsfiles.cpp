// The observatory lists: code numbers, the two list layouts, the rebuilding
// of the record list from the text list, the backups and the exports obspat,
// obswri, obsbak and obsba1. The layouts are described in obsfiles.h.
#include "tasks/obsfiles.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/setpar.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "io/files.h"
#include "tasks/libstate.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view as_text(io::Bytes b) { return {reinterpret_cast<const char*>(b.data()), b.size()}; }

Result<double> read_field(std::string_view line, std::size_t off, std::size_t len, int decimals, const char* what) {
    const std::string field = io::column(line, off + 1, len);
    auto v = io::read_real(field, decimals);
    if (!v) return error_status(std::string("the ") + what + " \"" + field + "\" is not a number");
    return *v;
}

// Copies the whole records of src to dst; dst is replaced whole, so a backup
// never keeps records of an older, longer list, and a failed copy leaves the
// old backup as it was.
Status copy_records(std::string_view src_name, std::string_view dst_name, std::size_t reclen) {
    auto src = observatory_file(src_name);
    if (!src) return src.status();
    auto dst = observatory_file(dst_name);
    if (!dst) return dst.status();
    auto bytes = io::read_file_bytes(*src);
    if (!bytes) return bytes.status();
    bytes->resize(bytes->size() / reclen * reclen);  // a cut last record is not a record
    return io::write_file_bytes(*dst, *bytes);
}

}  // namespace

Result<std::int16_t> obs_n(std::string_view code) {
    std::array<char, 3> c{' ', ' ', ' '};
    for (std::size_t i = 0; i < c.size() && i < code.size(); ++i) {
        const char ch = code[i];
        c[i] = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
    }
    const std::string shown(c.data(), c.size());
    auto bad = [&] { return error_status("\"" + shown + "\" is not an observatory code"); };

    if (c[0] == ' ' && c[1] == ' ' && c[2] == ' ') return static_cast<std::int16_t>(-1);
    if (c[0] >= 'A' && c[0] <= 'Z') {
        // Letter form: the letter must be followed by two digits; a code cut
        // short ("A5 ") names no observatory.
        if (c[2] == ' ') return static_cast<std::int16_t>(-1);
        if (!is_digit(c[1]) || !is_digit(c[2])) return bad();
        return static_cast<std::int16_t>(1000 + 100 * (c[0] - 'A') + 10 * (c[1] - '0') + (c[2] - '0'));
    }
    // Numeric form: digits, blanks skipped.
    int n = 0;
    for (char ch : c) {
        if (ch == ' ') continue;
        if (!is_digit(ch)) return bad();
        n = 10 * n + (ch - '0');
    }
    return static_cast<std::int16_t>(n);
}

std::string n_obs(int number) {
    static constexpr std::string_view kDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    if (number < 0 || number > kMaxObservatoryNumber) return "   ";
    std::string code(3, '0');
    code[0] = kDigits[static_cast<std::size_t>(number / 100)];
    code[1] = static_cast<char>('0' + number % 100 / 10);
    code[2] = static_cast<char>('0' + number % 10);
    return code;
}

Result<ObservatoryLine> ObservatoryLine::decode(std::string_view text) {
    if (text.size() > kLength) text = text.substr(0, kLength);
    ObservatoryLine l;
    l.code = io::column(text, kCodeOff + 1, kCodeLen);
    auto lon = read_field(text, kLongitudeOff, kLongitudeLen, kLongitudeDecimals, "longitude");
    if (!lon) return lon.status();
    auto rc = read_field(text, kRhoCosOff, kRhoCosLen, kRhoCosDecimals, "parallax constant rho cos phi'");
    if (!rc) return rc.status();
    auto rs = read_field(text, kRhoSinOff, kRhoSinLen, kRhoSinDecimals, "parallax constant rho sin phi'");
    if (!rs) return rs.status();
    l.longitude_deg = *lon;
    l.rho_cos_phi = *rc;
    l.rho_sin_phi = *rs;
    l.name = io::column(text, kNameOff + 1, kNameLen);
    return l;
}

void ObservatoryRecord::encode(io::MutBytes rec) const {
    io::put_i16(rec, kNumberOff, number);
    io::put_f64(rec, kLongitudeOff, longitude_deg);
    io::put_f64(rec, kRhoCosOff, rho_cos_phi);
    io::put_f64(rec, kRhoSinOff, rho_sin_phi);
    io::put_text(rec, kNameOff, kNameLen, name);
    io::put_text(rec, kFillOff, kFillLen, "");
}

ObservatoryRecord ObservatoryRecord::decode(io::Bytes rec) {
    ObservatoryRecord r;
    r.number = io::get_i16(rec, kNumberOff);
    r.longitude_deg = io::get_f64(rec, kLongitudeOff);
    r.rho_cos_phi = io::get_f64(rec, kRhoCosOff);
    r.rho_sin_phi = io::get_f64(rec, kRhoSinOff);
    r.name = io::get_text(rec, kNameOff, kNameLen);
    return r;
}

ObservatoryRecord geocentre_record() {
    ObservatoryRecord r;
    r.number = kGeocentreCode;
    r.name = io::pad("Geocentric", ObservatoryRecord::kNameLen);
    return r;
}

Result<ObservatoryRecord> to_record(const ObservatoryLine& line) {
    auto n = obs_n(line.code);
    if (!n) return n.status();
    ObservatoryRecord r;
    r.number = *n;
    r.longitude_deg = line.longitude_deg;
    r.rho_cos_phi = line.rho_cos_phi;
    r.rho_sin_phi = line.rho_sin_phi;
    r.name = io::pad(line.name, ObservatoryLine::kNameLen) + ' ';
    return r;
}

Result<std::string> observatory_file(std::string_view name) {
    auto dir = settings_data_dir();
    if (!dir) return dir.status();
    return io::find_file(*dir, name);
}

Result<ObservatoryRecord> read_observatory(const io::RecordFile& records, int number) {
    if (number < 0 || number > kMaxObservatoryNumber)
        return error_status("There is no observatory number " + std::to_string(number) + ".");
    std::array<std::uint8_t, ObservatoryRecord::kLength> rec{};
    ZEL_TRY(records.read(number + 1, rec));
    ObservatoryRecord r = ObservatoryRecord::decode(rec);
    if (!std::isfinite(r.longitude_deg) || !std::isfinite(r.rho_cos_phi) || !std::isfinite(r.rho_sin_phi))
        return error_status("The record of observatory " + n_obs(number) + " in " + records.path() +
                            " is damaged: its longitude or parallax constants are not numbers.");
    return r;
}

bool has_record_slot(const io::RecordFile& records, int number) {
    if (number < 0 || number > kMaxObservatoryNumber) return false;
    const auto count = records.record_count();
    return count && number + 1 <= *count;
}

ObservatoryListStamp observatory_records_stamp(const ObservatoryListWrites& writes, const std::string& path) {
    ObservatoryListStamp s;
    s.rewrites = writes.count;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return s;
    s.device = static_cast<std::uint64_t>(st.st_dev);
    s.inode = static_cast<std::uint64_t>(st.st_ino);
    s.size = static_cast<std::int64_t>(st.st_size);
    s.mtime_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

Result<std::string> observatory_list_name() { return observatory_file(files::kObservatoryList); }

Status write_observatory_records(ObservatoryListWrites& writes) {
    auto src_path = observatory_file(files::kObservatoryList);
    if (!src_path) return src_path.status();
    auto dst_path = observatory_file(files::kObservatoryRecords);
    if (!dst_path) return dst_path.status();
    auto src = io::RecordFile::open(*src_path, ObservatoryLine::kLength, io::OpenMode::Read);
    if (!src) return src.status();
    auto count = src->record_count();
    if (!count) return count.status();

    // Every line is converted before anything is written, so a line that
    // cannot be read leaves the record list as it was.
    constexpr std::size_t kRec = ObservatoryRecord::kLength;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(*count) * kRec);
    std::array<std::uint8_t, ObservatoryLine::kLength> buf{};
    for (std::int64_t k = 1; k <= *count; ++k) {
        ZEL_TRY(src->read(k, buf));
        auto line = ObservatoryLine::decode(as_text(buf));
        Result<ObservatoryRecord> rec = line ? to_record(*line) : Result<ObservatoryRecord>(line.status());
        if (!rec)
            return error_status("Line " + std::to_string(k) + " of the observatory list \"" + *src_path +
                                "\": " + rec.message() + ".");
        rec->encode(io::MutBytes(out).subspan(static_cast<std::size_t>(k - 1) * kRec, kRec));
    }
    // Replaced whole: the file ends after the last line's record, and a
    // failed write leaves the old list as it was. Readers that keep a record
    // learn of the rewrite from the count, even when it leaves the file's
    // size and time as they were.
    ZEL_TRY(io::write_file_bytes(*dst_path, out));
    ++writes.count;
    return ok_status();
}

Status backup_observatory_records() {
    return copy_records(files::kObservatoryRecords, files::kObservatoryRecordsBackup, ObservatoryRecord::kLength);
}

Status backup_observatory_list() {
    return copy_records(files::kObservatoryList, files::kObservatoryListBackup, ObservatoryLine::kLength);
}

}  // namespace zelvomat

extern "C" ZELVOMAT_API void obspat(char* path, int len) {
    zelvomat::export_guard([&] {
        if (path == nullptr || len <= 0) return zelvomat::error_status("obspat: no buffer for the name.");
        const auto size = static_cast<std::size_t>(len);
        // Until a name is known the buffer holds an empty one.
        path[0] = '\0';
        std::memset(path + 1, ' ', size - 1);
        auto name = zelvomat::observatory_list_name();
        if (!name) return name.status();
        if (name->size() + 1 > size)
            return zelvomat::error_status("The name of the observatory list \"" + *name + "\" is longer than " +
                                          std::to_string(size - 1) + " characters.");
        std::memcpy(path, name->data(), name->size());
        path[name->size()] = '\0';
        return zelvomat::ok_status();
    });
}

extern "C" ZELVOMAT_API void obswri(void) {
    zelvomat::LibraryState& st = zelvomat::library_state();
    zelvomat::export_guard([&] { return zelvomat::write_observatory_records(st.observatory_writes); });
}

extern "C" ZELVOMAT_API void obsbak(void) {
    zelvomat::export_guard([] { return zelvomat::backup_observatory_records(); });
}

extern "C" ZELVOMAT_API void obsba1(void) {
    zelvomat::export_guard([] { return zelvomat::backup_observatory_list(); });
}
