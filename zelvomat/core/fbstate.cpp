// States of the major bodies from the fallback theory held in shared storage
// (fbstate), and the planets' mean elements "orb.elm" (PlanetElements).
#include <cmath>

#include "core/corestate.h"
#include "core/datajd.h"
#include "core/fallback.h"
#include "core/frames.h"
#include "core/setpar.h"
#include "io/files.h"
#include "io/recfile.h"

namespace zelvomat {

std::vector<std::uint8_t> encode_planet_elements(const std::array<OrbitElements, orbelm::kPlanets>& planets) {
    std::vector<std::uint8_t> out(orbelm::kFileLength, 0);
    for (std::size_t k = 0; k < planets.size(); ++k) {
        double v[6];
        planets[k].store(v);
        for (std::size_t i = 0; i < 6; ++i) io::put_f64(out, k * orbelm::kRecordLength + i * 8, v[i]);
    }
    return out;
}

Result<std::array<OrbitElements, orbelm::kPlanets>> decode_planet_elements(io::Bytes bytes) {
    const std::string name(files::kPlanetElements);
    if (bytes.size() < orbelm::kFileLength)
        return error_status("the planetary elements \"" + name + "\" are too short (" + std::to_string(bytes.size()) +
                            " bytes, " + std::to_string(orbelm::kFileLength) + " expected)");
    std::array<OrbitElements, orbelm::kPlanets> planets{};
    for (std::size_t k = 0; k < planets.size(); ++k) {
        double v[6];
        for (std::size_t i = 0; i < 6; ++i) {
            v[i] = io::get_f64(bytes, k * orbelm::kRecordLength + i * 8);
            if (!std::isfinite(v[i]))
                return error_status("the planetary elements \"" + name +
                                    "\" hold a value that is not a number (planet " + std::to_string(k + 1) + ")");
        }
        planets[k] = OrbitElements::from(v);
    }
    return planets;
}

Status load_planet_elements(PlanetElements& p, const std::string& path, double epoch) {
    auto f = io::RecordFile::open(path, orbelm::kFileLength, io::OpenMode::Read);
    if (!f) return error_status("cannot open the planetary elements \"" + path + "\": " + f.message());
    std::vector<std::uint8_t> rec(orbelm::kFileLength);
    Status s = f->read(1, rec);
    if (!s) return error_status("cannot read the planetary elements \"" + path + "\": " + s.message());
    auto planets = decode_planet_elements(rec);
    ZEL_TRY(planets);
    p.epoch = epoch;
    p.planet = *planets;
    p.loaded = true;
    return ok_status();
}

Status load_planet_elements(CoreState& core) {
    return load_planet_elements(core.planet_elements, data_file(core.data_paths, files::kPlanetElements),
                                core.package.catalogue_epoch);
}

namespace {

bool valid_code(BodyCode b) {
    const auto v = static_cast<std::int32_t>(b);
    return v >= 0 && v <= 12;
}

// Two-body state of planet k (1 .. 9) of PlanetElements at jd.
Status planet_state(const PlanetElements& p, int k, double inverse_mass, double jd, StateVector& out) {
    const double e0 = std::floor(p.epoch);
    const double day = std::floor(jd);
    const Status s =
        twobody(1.0 / inverse_mass, day_number(e0), p.epoch - e0, p.planet[static_cast<std::size_t>(k - 1)],
                day_number(day), jd - day, kObliquityJ2000, out);
    if (!s) return error_status("planetary elements of planet " + std::to_string(k) + ": " + s.message());
    return ok_status();
}

// Inverse mass of planet k as it moves in the fallback theory (the third
// planet's orbit is the Earth-Moon barycentre's).
double planet_inverse_mass(int k) { return k == 3 ? kInverseMassEmb : kInverseMass[static_cast<std::size_t>(k - 1)]; }

Status require_elements(const PlanetElements& p) {
    if (!p.loaded)
        return error_status("the planetary elements (" + std::string(files::kPlanetElements) + ") are not loaded");
    return ok_status();
}

// Heliocentric state of one body of the fallback theory.
Status body_state(const PlanetElements& p, const MoonSeries& moon, BodyCode b, double jd, StateVector& out) {
    const int code = static_cast<int>(b);
    out = {};
    switch (b) {
        case BodyCode::Sun:
            return ok_status();
        case BodyCode::Earth:
            return eaa(jd, out);
        case BodyCode::Moon:
            return moonhel(moon, jd, out);
        case BodyCode::EarthMoonBarycentre: {
            // The Moon is the Earth plus the series (as moonhel).
            if (!moon.loaded) return moonhel(moon, jd, out);  // reports the missing series
            StateVector earth{};
            ZEL_TRY(eaa(jd, earth));
            const StateVector geo = moon_series_state(moon, jd);
            const double me = 1.0 / kInverseMassEarth, mm = 1.0 / kInverseMassMoon, memb = 1.0 / kInverseMassEmb;
            for (std::size_t i = 0; i < 6; ++i) out[i] = (me * earth[i] + mm * (earth[i] + geo[i])) / memb;
            return ok_status();
        }
        case BodyCode::Barycentre: {
            ZEL_TRY(require_elements(p));
            double msum = 0.0;
            StateVector sum{};
            for (int k = 1; k <= orbelm::kPlanets; ++k) {
                StateVector s{};
                const double m = 1.0 / planet_inverse_mass(k);
                ZEL_TRY(planet_state(p, k, planet_inverse_mass(k), jd, s));
                msum += m;
                for (std::size_t i = 0; i < 6; ++i) sum[i] += m * s[i];
            }
            for (std::size_t i = 0; i < 6; ++i) out[i] = sum[i] / (1.0 + msum);
            return ok_status();
        }
        default:
            ZEL_TRY(require_elements(p));
            return planet_state(p, code, planet_inverse_mass(code), jd, out);
    }
}

}  // namespace

Status fbstate(const PlanetElements& planets, const MoonSeries& moon, BodyCode body, BodyCode centre, double jd,
               StateVector& state) {
    if (!valid_code(body) || !valid_code(centre))
        return error_status("fbstate: body code " + std::to_string(static_cast<std::int32_t>(body)) +
                            " or centre code " + std::to_string(static_cast<std::int32_t>(centre)) +
                            " is outside 0 .. 12");
    if (body == centre) {
        state = {};
        return ok_status();
    }
    StateVector b{}, c{};
    ZEL_TRY(body_state(planets, moon, body, jd, b));
    ZEL_TRY(body_state(planets, moon, centre, jd, c));
    for (std::size_t i = 0; i < 6; ++i) state[i] = b[i] - c[i];
    return ok_status();
}

}  // namespace zelvomat
