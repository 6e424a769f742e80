// Typed orbits to the drivers' work file (userorb.h): the record layout, the
// reading of the orbit text and the conversion of each orbit to a state.
#include "core/userorb.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "core/frames.h"
#include "core/utils.h"
#include "io/bytes.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/textfile.h"

namespace zelvomat {

// ---- The record ------------------------------------------------------------

UserOrbitRecord UserOrbitRecord::error(std::int32_t field_number, UserOrbitStatus st) {
    UserOrbitRecord r;
    r.field = field_number;
    r.status = st;
    return r;
}

std::array<std::uint8_t, UserOrbitRecord::kLength> UserOrbitRecord::to_bytes() const {
    std::array<std::uint8_t, kLength> b{};
    io::put_i32(b, kFieldOffset, field);
    io::put_i32(b, kStatusOffset, static_cast<std::int32_t>(status));
    io::put_text(b, kNameOffset, kNameWidth, name);
    io::put_f64(b, kHOffset, h);
    io::put_f64(b, kGOffset, g);
    io::put_f64(b, kEpochOffset, epoch_jd);
    for (std::size_t j = 0; j < 6; ++j) io::put_f64(b, kStateOffset + 8 * j, state[j]);
    return b;
}

Result<UserOrbitRecord> UserOrbitRecord::from_bytes(std::span<const std::uint8_t> b) {
    if (b.size() < kLength) return error_status("typed orbit record shorter than 98 bytes");
    UserOrbitRecord r;
    r.field = io::get_i32(b, kFieldOffset);
    r.status = static_cast<UserOrbitStatus>(io::get_i32(b, kStatusOffset));
    r.name = io::get_text(b, kNameOffset, kNameWidth);
    r.h = io::get_f64(b, kHOffset);
    r.g = io::get_f64(b, kGOffset);
    r.epoch_jd = io::get_f64(b, kEpochOffset);
    for (std::size_t j = 0; j < 6; ++j) r.state[j] = io::get_f64(b, kStateOffset + 8 * j);
    return r;
}

Result<UserOrbitRecord> read_user_orbit(const io::RecordFile& file, std::int64_t n) {
    std::array<std::uint8_t, UserOrbitRecord::kLength> b{};
    ZEL_TRY(file.read(n, b));
    return UserOrbitRecord::from_bytes(b);
}

namespace {

constexpr std::size_t kLineWidth = 256;  // characters of a text line read
constexpr std::size_t kFieldWidth = 50;  // longest field
constexpr int kFields = 13;

// Blank-separated fields of the orbit text, line by line.
class FieldReader {
public:
    explicit FieldReader(std::vector<std::string> lines) : lines_(std::move(lines)) {
        for (auto& l : lines_)
            if (l.size() > kLineWidth) l.resize(kLineWidth);
    }

    // Moves to the next line that is not blank; false at the end of the text.
    bool next_line() {
        while (next_ < lines_.size()) {
            const std::string& l = lines_[next_++];
            if (!io::is_blank(l)) {
                line_ = l;
                pos_ = 0;
                return true;
            }
        }
        line_ = {};
        pos_ = 0;
        return false;
    }

    // The next field, from this line or the following ones; none at the end
    // of the text.
    std::optional<std::string_view> next_field() {
        for (;;) {
            const std::size_t start = line_.find_first_not_of(' ', pos_);
            if (start != std::string_view::npos) {
                std::size_t end = line_.find(' ', start);
                if (end == std::string_view::npos) end = line_.size();
                pos_ = end;
                return line_.substr(start, end - start);
            }
            if (!next_line()) return std::nullopt;
        }
    }

private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
    std::string_view line_;
    std::size_t pos_ = 0;
};

// The state of a complete orbit; status NotElliptic when there is no bound
// finite state. v[f] is the value of field f (1-13), angles already radians.
UserOrbitStatus orbit_state(bool elements, const std::array<double, kFields + 1>& v, StateVector& state) {
    if (elements) {
        OrbitElements el;
        el.mean_anomaly = v[5];
        el.arg_perihelion = v[7];
        el.node = v[8];
        el.incl = v[9];
        el.ecc = v[10];
        el.mean_motion = v[11];
        if (v[13] != 0.0) el.mean_motion = meanmot(v[13] / (1.0 - el.ecc), 0.0);
        if (v[12] != 0.0) el.mean_motion = meanmot(v[12], 0.0);
        if (v[6] != 0.0) el.mean_anomaly = (v[4] - v[6]) * el.mean_motion;
        // Zero time difference: the state at the epoch itself.
        if (!twobody(0.0, 0, 0.0, el, 0, 0.0, kObliquityJ2000, state).ok()) return UserOrbitStatus::NotElliptic;
    } else {
        for (std::size_t j = 0; j < 6; ++j) state[j] = v[5 + j];
        const double r = std::sqrt(state[0] * state[0] + state[1] * state[1] + state[2] * state[2]);
        const double v2 = state[3] * state[3] + state[4] * state[4] + state[5] * state[5];
        const double inverse_a = 2.0 / r - v2 / (kGaussK * kGaussK);
        if (!(std::isfinite(inverse_a) && inverse_a > 0.0)) return UserOrbitStatus::NotElliptic;
    }
    for (double x : state)
        if (!std::isfinite(x)) return UserOrbitStatus::NotElliptic;
    return UserOrbitStatus::Good;
}

}  // namespace

Result<UserOrbitCount> userorb(const std::string& text_path, const std::string& work_path, OrbitForm form,
                               std::span<const std::int32_t> fields) {
    if (fields.empty()) return error_status("typed orbits: no columns given");
    for (std::int32_t f : fields)
        if (f < 1 || f > kFields)
            return error_status("typed orbits: column number " + std::to_string(f) + " is not 1-13");

    auto opened = io::RecordFile::open(work_path, UserOrbitRecord::kLength, io::OpenMode::Update);
    if (!opened) return opened.status();
    io::RecordFile work = std::move(*opened);

    UserOrbitCount count;
    const auto put = [&](const UserOrbitRecord& rec) -> Status {
        ZEL_TRY(work.write(count.records + 1, rec.to_bytes()));
        ++count.records;
        if (!rec.good()) count.error = true;
        return ok_status();
    };

    const bool elements = form == OrbitForm::Elements;
    // Anything but elements is read as coordinates, with the range tests off.
    const OrbitForm check_form = elements ? OrbitForm::Elements : OrbitForm::Coordinates;

    if (io::file_size(text_path) >= 1) {
        auto lines = io::read_lines(text_path);
        if (!lines) return lines.status();
        FieldReader reader(std::move(*lines));

        bool stopped = false;
        while (!stopped && reader.next_line()) {
            UserOrbitRecord rec;
            std::array<double, kFields + 1> v{};
            int read = 0;
            for (std::int32_t f : fields) {
                const auto text = reader.next_field();
                if (!text) break;
                ++read;
                OrbitFieldCheck chk;
                if (text->size() > kFieldWidth)
                    chk.error = checks::CheckError::Format;
                else
                    chk = check_orbit_field(15 + f, *text, check_form);
                if (!chk.ok()) {
                    const auto st = static_cast<UserOrbitStatus>(checks::code(chk.error));
                    ZEL_TRY(put(UserOrbitRecord::error(f, st)));
                    stopped = true;
                    break;
                }
                v[static_cast<std::size_t>(f)] = chk.value;
                if (f == 1) rec.name = io::pad(*text, UserOrbitRecord::kNameWidth);
            }
            if (stopped) break;
            if (read < static_cast<int>(fields.size())) {
                // The text ended inside this orbit.
                ZEL_TRY(put(UserOrbitRecord::error(read, UserOrbitStatus::Truncated)));
                break;
            }
            if (elements)
                for (std::size_t f : {5u, 7u, 8u, 9u, 11u}) v[f] /= kDegPerRad;
            const UserOrbitStatus st = orbit_state(elements, v, rec.state);
            if (st != UserOrbitStatus::Good) {
                ZEL_TRY(put(UserOrbitRecord::error(0, st)));
                break;
            }
            rec.h = v[2];
            rec.g = v[3];
            rec.epoch_jd = v[4];
            ZEL_TRY(put(rec));
        }
    }

    // No orbit at all (missing, empty or blank text): the single error record.
    if (count.records == 0) ZEL_TRY(put(UserOrbitRecord::error(4, UserOrbitStatus::Format)));
    return count;
}

}  // namespace zelvomat
