// States of the major bodies from "orb.elm" and "moon.xyz" of the data
// directory, read at every call (rppl).
#include <cmath>

#include "core/datajd.h"
#include "core/fallback.h"
#include "core/frames.h"
#include "core/setpar.h"
#include "io/files.h"
#include "io/recfile.h"

namespace zelvomat {

namespace {

// The records of "orb.elm" that one call needs, read as they are asked for.
class ElementsFile {
public:
    explicit ElementsFile(std::string path) : path_(std::move(path)) {}

    Result<OrbitElements> record(int k) {
        if (!file_.is_open()) {
            auto f = io::RecordFile::open(path_, orbelm::kRecordLength, io::OpenMode::Read);
            if (!f) return error_status("cannot open the planetary elements \"" + path_ + "\": " + f.message());
            file_ = std::move(*f);
        }
        std::array<std::uint8_t, orbelm::kRecordLength> rec{};
        Status s = file_.read(k, rec);
        if (!s) return error_status("cannot read the planetary elements \"" + path_ + "\": " + s.message());
        double v[6];
        for (std::size_t i = 0; i < 6; ++i) {
            v[i] = io::get_f64(rec, i * 8);
            if (!std::isfinite(v[i]))
                return error_status("the planetary elements \"" + path_ +
                                    "\" hold a value that is not a number (planet " + std::to_string(k) + ")");
        }
        return OrbitElements::from(v);
    }

private:
    std::string path_;
    io::RecordFile file_;
};

Status record_state(const PackageInfo& info, ElementsFile& file, int k, double inverse_mass, double jd,
                    StateVector& out) {
    auto el = file.record(k);
    ZEL_TRY(el);
    const double epoch = info.catalogue_epoch;
    const double e0 = std::floor(epoch);
    const double day = std::floor(jd);
    const Status s =
        twobody(1.0 / inverse_mass, day_number(e0), epoch - e0, *el, day_number(day), jd - day, kObliquityJ2000, out);
    if (!s) return error_status("planetary elements of planet " + std::to_string(k) + ": " + s.message());
    return ok_status();
}

// Heliocentric state of one body; as_centre selects the Earth's own mass for
// the third record.
Status body_state(const DataPaths& paths, const PackageInfo& info, ElementsFile& file, BodyCode b, bool as_centre,
                  double jd, StateVector& out) {
    out = {};
    const int code = static_cast<int>(b);
    switch (b) {
        case BodyCode::Sun:
            return ok_status();
        case BodyCode::Moon: {
            ZEL_TRY(record_state(info, file, 3, kInverseMassEmb, jd, out));
            StateVector geo{};
            ZEL_TRY(moonxyz(data_file(paths, files::kMoonSeries), jd, geo));
            for (std::size_t i = 0; i < 6; ++i) out[i] += geo[i];
            return ok_status();
        }
        case BodyCode::EarthMoonBarycentre:
            return record_state(info, file, 3, kInverseMassEmb, jd, out);
        case BodyCode::Barycentre: {
            double msum = 0.0;
            StateVector sum{};
            for (int k = 1; k <= orbelm::kPlanets; ++k) {
                const double inv = k == 3 ? kInverseMassEmb : kInverseMass[static_cast<std::size_t>(k - 1)];
                StateVector s{};
                ZEL_TRY(record_state(info, file, k, inv, jd, s));
                msum += 1.0 / inv;
                for (std::size_t i = 0; i < 6; ++i) sum[i] += s[i] / inv;
            }
            for (std::size_t i = 0; i < 6; ++i) out[i] = sum[i] / (1.0 + msum);
            return ok_status();
        }
        default: {
            const double inv =
                (code == 3 && !as_centre) ? kInverseMassEmb : kInverseMass[static_cast<std::size_t>(code - 1)];
            return record_state(info, file, code, inv, jd, out);
        }
    }
}

}  // namespace

Status rppl(const DataPaths& paths, const PackageInfo& info, BodyCode centre, BodyCode body, double jd,
            StateVector& state) {
    const auto cv = static_cast<std::int32_t>(centre), bv = static_cast<std::int32_t>(body);
    if (cv < 0 || cv > 12 || bv < 0 || bv > 12)
        return error_status("rppl: centre code " + std::to_string(cv) + " or body code " + std::to_string(bv) +
                            " is outside 0 .. 12");
    if (body == centre) {
        state = {};
        return ok_status();
    }
    ElementsFile file(data_file(paths, files::kPlanetElements));
    StateVector b{}, c{};
    ZEL_TRY(body_state(paths, info, file, body, false, jd, b));
    ZEL_TRY(body_state(paths, info, file, centre, true, jd, c));
    for (std::size_t i = 0; i < 6; ++i) state[i] = b[i] - c[i];
    return ok_status();
}

}  // namespace zelvomat
