// magn, dphot and the file "M2C.K2C". See magn.h for the laws and units.
#include "core/magn.h"

#include <array>
#include <cmath>

#include "core/corestate.h"
#include "core/force.h"
#include "core/setpar.h"
#include "core/utils.h"
#include "io/bytes.h"
#include "io/errchan.h"
#include "io/files.h"
#include "io/recfile.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

namespace {
// H, G phase-function constants.
constexpr double kA1 = 3.33;
constexpr double kA2 = 1.87;
constexpr double kB1 = 0.63;
constexpr double kB2 = 1.22;

bool positive(double x) { return x > 0.0 && std::isfinite(x); }

double known_or_unknown(double m) { return std::isfinite(m) ? m : kMagnitudeUnknown; }
}  // namespace

double magn(const MotionConfig& m, double r_au, double delta_au, double phase_rad, double h, double g) {
    return magn(r_au, delta_au, phase_rad, h, g, m.comet_mode != 0);
}

double magn(double r_au, double delta_au, double phase_rad, double h, double g, bool comet) {
    if (!positive(r_au) || !positive(delta_au)) return kMagnitudeUnknown;
    if (comet) return known_or_unknown(h + 5.0 * std::log10(delta_au) + g * std::log10(r_au));
    if (!(phase_rad >= 0.0 && phase_rad < kPi)) return kMagnitudeUnknown;
    const double x = std::tan(0.5 * phase_rad);
    const double phi1 = std::exp(-kA1 * std::pow(x, kB1));
    const double phi2 = std::exp(-kA2 * std::pow(x, kB2));
    const double phase_fn = (1.0 - g) * phi1 + g * phi2;
    if (!positive(phase_fn)) return kMagnitudeUnknown;
    return known_or_unknown(h + 5.0 * std::log10(r_au * delta_au) - 2.5 * std::log10(phase_fn));
}

double diameter_km(double h) {
    if (!std::isfinite(h)) return 0.0;
    const double d = 2.0 * std::pow(10.0, 3.25 - 0.2 * h);
    return std::isfinite(d) ? d : 0.0;
}

Result<double> read_m2c(const std::string& path, std::int32_t n) {
    if (n < 1) return error_status("\"" + path + "\" has no record " + std::to_string(n));
    auto f = io::RecordFile::open(path, kM2cRecordBytes, io::OpenMode::Read);
    if (!f) return f.status();
    std::array<std::uint8_t, kM2cRecordBytes> rec{};
    ZEL_TRY(f->read(n, rec));
    return io::get_f64(rec, 0);
}

Status write_m2c(const std::string& path, const std::vector<double>& h) {
    return write_m2c(path, h, std::vector<double>(h.size(), 0.0));
}

Status write_m2c(const std::string& path, const std::vector<double>& h, const std::vector<double>& k) {
    if (k.size() != h.size())
        return error_status("write_m2c: " + std::to_string(h.size()) + " magnitudes and " + std::to_string(k.size()) +
                            " slopes.");
    auto f = io::RecordFile::open(path, kM2cRecordBytes, io::OpenMode::Create);
    if (!f) return f.status();
    std::array<std::uint8_t, kM2cRecordBytes> rec{};
    for (std::size_t i = 0; i < h.size(); ++i) {
        io::put_f64(rec, 0, h[i]);
        io::put_f64(rec, 8, k[i]);
        ZEL_TRY(f->write(static_cast<std::int64_t>(i) + 1, rec));
    }
    return ok_status();
}

double dphot_km(std::int32_t flag, std::int32_t n, double h) {
    if (flag != 0) {
        // A record that cannot be read counts as 0.
        double from_file = 0.0;
        if (auto dir = settings_data_dir()) {
            if (auto v = read_m2c(io::find_file(*dir, files::kAbsMagnitudes), n)) from_file = *v;
        }
        h = from_file != 0.0 ? from_file : kDefaultAbsMagnitude;
    }
    return diameter_km(h);
}

}  // namespace zelvomat

extern "C" ZELVOMAT_API void dphot(int flag, int n, double h, double* diameter) {
    zelvomat::export_guard([&] {
        const double d = zelvomat::dphot_km(flag, n, h);
        if (diameter != nullptr) *diameter = d;
        return zelvomat::ok_status();
    });
}
