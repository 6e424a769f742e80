// Force models of minor planets and comets for the Gauss-Radau integrator,
// and the motion model (MotionConfig) and the running integration (LiveIntegration).
//
// Frame and units: heliocentric, mean equator and equinox J2000.0; AU,
// AU/day, AU/day^2; times are Julian dates (TDB, the argument of the
// planetary ephemeris file) or days from the catalogue epoch.
//
// The integration vector holds up to five bodies, three components each
// (positions in x, velocities in v, in the same order):
//   own bodies (IntegratedBodies: the object; the object and a minor-object
//   centre; or the centre alone when the object is a major body), then the
//   perturbing minor planets (Ceres, Pallas, Vesta).
// In the first integration of a typed orbit (force1, force1c) the own bodies
// are the minor-object centre, if any, and nothing else.
//
// Acceleration of a body at heliocentric x, r = |x| (k^2 = GM of the Sun):
//   Sun            a = -k^2 x / r^3
//   perturber i    a -= m_i ((x - x_i)/d^3 + x_i/r_i^3),  d = |x - x_i|
//                  (direct and indirect term: the Sun's acceleration towards
//                  the perturber is taken away, the frame being heliocentric)
//   relativity     the Sun's 1PN (Schwarzschild, PPN beta = gamma = 1) term,
//                  a = k^2/(c^2 r^3) ((4 k^2/r - v^2) x + 4 (x.v) v)
//                  (the Sun-only limit of the Einstein-Infeld-Hoffmann
//                  equations, Explanatory Supplement to the Astronomical
//                  Almanac 1992, ch. 5)
//   nongravitational (comets)
//                  a = 1e-8 g(r) (A1 R + A2 T + A3 N), unit vectors radial,
//                  transverse (in the orbit plane, along the motion) and
//                  normal (along x cross v), A1..A3 in 1e-8 AU/day^2, and
//                  g(r) = 0.111262 (r/r0)^-2.15 (1 + (r/r0)^5.093)^-4.6142,
//                  r0 = 2.808 AU, so that g(1 AU) = 1 (Marsden, Sekanina and
//                  Yeomans 1973, AJ 78, 211).
//
// Masses: the inverse masses of the planets are those of JPL DE405 (Standish
// 1998, JPL IOM 312.F-98-048), the Earth-Moon barycentre split with the
// DE405 Earth/Moon mass ratio 81.30056; Ceres, Pallas and Vesta 4.7e-10,
// 1.0e-10 and 1.3e-10 solar masses.
//
// The force routines read the planets' heliocentric positions through
// read403b (reade403.h) at their date; a date the planetary ephemeris file
// does not serve makes the evaluation fail, and the integrator reports it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/constants.h"
#include "core/radau.h"
#include "core/twobody.h"
#include "io/status.h"

namespace zelvomat {

struct BodyTable;
struct CoreState;
struct DataPaths;
struct DeCopies;
struct DeState;

inline constexpr double kGaussK2 = kGaussK * kGaussK;  // GM of the Sun, AU^3/day^2

inline constexpr int kPerturbers = 12;  // 9 planets, then Ceres, Pallas, Vesta
inline constexpr int kPlanetPerturbers = 9;
inline constexpr int kMaxMinorPerturbers = 3;
inline constexpr int kMaxIntegratedBodies = 5;
inline constexpr int kStandardMinorPerturbers = 3;

// Index into the perturber arrays of MotionConfig.
enum class Perturber : int {
    Mercury = 0,
    Venus = 1,
    Earth = 2,  // the Earth-Moon barycentre, or the Earth and the Moon apart
    Mars = 3,
    Jupiter = 4,
    Saturn = 5,
    Uranus = 6,
    Neptune = 7,
    Pluto = 8,
    Ceres = 9,
    Pallas = 10,
    Vesta = 11,
};
constexpr std::size_t perturber_index(Perturber p) { return static_cast<std::size_t>(p); }

// The Earth's switch.
inline constexpr std::int32_t kEarthOff = 0;
inline constexpr std::int32_t kEarthAsBarycentre = 1;  // one body at the Earth-Moon barycentre
inline constexpr std::int32_t kEarthAndMoon = 2;       // the Earth and the Moon apart

// Inverse masses (solar masses) of Mercury .. Pluto, the third the Earth-Moon
// barycentre (JPL DE405), and masses of Ceres, Pallas, Vesta.
inline constexpr std::array<double, kPlanetPerturbers> kPlanetInverseMass = {
    6023600.0, 408523.71, 328900.5614, 3098708.0, 1047.3486, 3497.898, 22902.98, 19412.24, 135200000.0};
inline constexpr std::array<double, kMaxMinorPerturbers> kMinorPlanetMass = {4.7e-10, 1e-10, 1.3e-10};

// GM (AU^3/day^2) of the twelve perturbers from the masses above.
constexpr std::array<double, kPerturbers> standard_perturber_gm() {
    std::array<double, kPerturbers> gm{};
    for (int i = 0; i < kPlanetPerturbers; ++i)
        gm[static_cast<std::size_t>(i)] = kGaussK2 / kPlanetInverseMass[static_cast<std::size_t>(i)];
    for (int i = 0; i < kMaxMinorPerturbers; ++i)
        gm[static_cast<std::size_t>(kPlanetPerturbers + i)] = kGaussK2 * kMinorPlanetMass[static_cast<std::size_t>(i)];
    return gm;
}
// GM of the Earth and of the Moon: the barycentre's mass split by the
// Earth/Moon mass ratio.
inline constexpr double kEarthMoonMass = 1.0 / 328900.5614;
inline constexpr double kGmEarth = kGaussK2 * kEarthMoonMass * kEarthMoonMassRatio / (kEarthMoonMassRatio + 1.0);
inline constexpr double kGmMoon =
    kGaussK2 * (kEarthMoonMass - kEarthMoonMass * kEarthMoonMassRatio / (kEarthMoonMassRatio + 1.0));

enum class MotionCode : std::int32_t {
    Elliptic = 0,     // two-body motion from the catalogue elements
    Nodes = 1,        // osculating elements at the nearest node of the yearly files
    Integration = 2,  // numerical integration with perturbations
};
enum class TypedOrbitMode : std::int32_t {
    Catalogue = 0,    // the catalogue's orbit
    Elements = 1,     // an orbit typed as elements
    Coordinates = 2,  // an orbit typed as position and velocity
};

// The motion model of a run: the model chosen, the perturbers, their masses
// and switches, the relativistic term, the typed orbit and the catalogue
// epoch. Set by the drivers, read by the force routines and the position
// routine. Masses default to the standard ones; switches are off until a
// driver sets them.
struct MotionConfig {
    std::int32_t minor_centre = 0;                // 1: the task's centre is a minor object
    std::int32_t comet_mode = 0;                  // nonzero in the comets edition
    std::int32_t relativity = 0;                  // relativistic term of the Sun on
    double catalogue_epoch = 0.0;                 // JD of the catalogue elements; start of every integration
    std::array<std::int32_t, 2> settings_rec9{};  // second: entries of the slope-parameter list
    double gm_earth = kGmEarth;                   // k^2 x mass of the Earth
    double gm_moon = kGmMoon;                     // k^2 x mass of the Moon
    double k2 = kGaussK2;                         // GM of the Sun
    TypedOrbitMode typed_mode = TypedOrbitMode::Catalogue;
    double typed_epoch = 0.0;             // JD of the typed orbit
    std::array<double, 6> typed_state{};  // heliocentric equatorial J2000, AU and AU/day
    double typed_h = 0.0;
    double typed_g = 0.0;
    MotionCode model = MotionCode::Elliptic;
    std::int32_t minor_perturbers = kStandardMinorPerturbers;  // 0 .. 3
    std::array<double, kPerturbers> perturber_gm = standard_perturber_gm();
    // 0 off, 1 on; the Earth: kEarthAsBarycentre or kEarthAndMoon.
    std::array<std::int32_t, kPerturbers> perturber_switch{};
};

// The running integration of the current object, kept from date to date
// (and across a continuation) by the position routine.
struct LiveIntegration {
    double integration_time = 0.0;                     // JD of the integrated state; 0 not started
    std::int16_t integration_accuracy = 0;             // accuracy flag of the integrated object, kept over its dates
    std::array<double, 3 * kMaxIntegratedBodies> x{};  // positions, body by body
    std::array<double, 3 * kMaxIntegratedBodies> v{};  // velocities
};

// Number of own bodies at the head of the integration vector (1 or 2).
struct IntegratedBodies {
    std::int32_t count = 1;
};

// Radial, transverse and normal nongravitational parameters, 1e-8 AU/day^2.
struct NongravParams {
    double a1 = 0.0;
    double a2 = 0.0;
    double a3 = 0.0;
};
// Slot 1 (index 0): the object; slot 2 (index 1): the minor-object centre.
struct CometNongrav {
    std::array<NongravParams, 2> slot{};
};

// Slot (0 the object's, 1 the centre's) whose parameters act on own body j
// (0-based) of the main integration: a minor-object centre integrated alone
// (the object being a major body) keeps the centre's own parameters.
int nongrav_slot(const MotionConfig& config, const IntegratedBodies& bodies, int own_body);

// ---- Terms ------------------------------------------------------------------

// Relativistic acceleration by the Sun of the body whose components start at
// offset (0, 3, 6, ...) of x and v, into rel[0..3), with the k^2 of config.
void relsun(const MotionConfig& config, int offset, const double* x, const double* v, double* rel);

// Adds to the perturbing minor planet number k (0-based; its body starts at
// 3 (first + k) of x) the attraction of the other perturbing minor planets
// (count of them in all), with the GM of Ceres, Pallas, Vesta of config; a
// planet closer than 1e-8 AU (itself) is skipped.
void forcemp(const MotionConfig& config, int k, int first, int count, const double* x, double* a);

// The nongravitational distance law g(r) (dimensionless, 1 at 1 AU).
double nongrav_g(double r_au);
// Nongravitational acceleration (AU/day^2) of a body at x, v with the given
// parameters, into out[0..3). A body at the Sun or moving radially (no
// orbital plane) gets the radial term only.
void nongrav_acceleration(const double* x, const double* v, const NongravParams& p, double* out);

// ---- Force routines -----------------------------------------------------------

// What the force routines read (the motion model, the bodies integrated, the
// nongravitational parameters) and the parts of the planetary ephemeris
// reader they use (reade403.h); and where a routine keeps the reason of its
// last failure, radau reporting only that the force evaluation failed.
struct ForceContext {
    const MotionConfig& config;
    const IntegratedBodies& bodies;
    const CometNongrav& nongrav;
    DeState& de;
    DeCopies& copies;
    BodyTable& table;
    const DataPaths& paths;
    Status failure{};
};
// The context of the parts of core.
ForceContext force_context(CoreState& core);

// Each routine fills a with the accelerations of all integrated components
// and returns false when the planets' positions cannot be had at its date
// (the reason goes to the ForceContext passed as ctx, which must be one).
// The motion model and the bodies are those of the context.
//   force1, force1c: t is a Julian date; accelerated are the minor-object
//     centre (MotionConfig::minor_centre bodies) and the perturbing minor
//     planets; every body feels the Sun and all twelve perturbers (the Earth
//     at the Earth-Moon barycentre), switches ignored; force1c adds the
//     nongravitational force of the centre (slot 2).
//   force2, force2c: t is in days from the catalogue epoch; own bodies
//     (IntegratedBodies) feel the Sun and the switched perturbers, the
//     perturbing minor planets the Sun, the nine planets (the Earth at the
//     barycentre) and each other; force2 adds the relativistic term to every
//     body when switched on, force2c to own bodies only, and force2c adds the
//     nongravitational force of own bodies.
bool force1(void* ctx, const double* x, const double* v, double t, double* a);
bool force1c(void* ctx, const double* x, const double* v, double t, double* a);
bool force2(void* ctx, const double* x, const double* v, double t, double* a);
bool force2c(void* ctx, const double* x, const double* v, double t, double* a);

// Number of components (3 per body) that the routines expect of radau:
// 3 x (minor-centre flag + perturbing minor planets) for force1 and force1c,
// 3 x (IntegratedBodies + perturbing minor planets) for force2 and force2c.
// The integration vector must be that long: the routines take the bodies'
// count from MotionConfig and IntegratedBodies, not from radau.
std::int32_t force1_components(const MotionConfig& config);
std::int32_t force2_components(const MotionConfig& config, const IntegratedBodies& bodies);

// The same evaluations with the failure as a Status.
Status force1_eval(ForceContext& ctx, const double* x, const double* v, double t, double* a);
Status force1c_eval(ForceContext& ctx, const double* x, const double* v, double t, double* a);
Status force2_eval(ForceContext& ctx, const double* x, const double* v, double t, double* a);
Status force2c_eval(ForceContext& ctx, const double* x, const double* v, double t, double* a);

// The routine for radau, with its context.
inline RadauForce radau_force_of(bool (*fn)(void*, const double*, const double*, double, double*), ForceContext& ctx) {
    RadauForce f;
    f.fn = fn;
    f.ctx = &ctx;
    return f;
}

// Sets the request of read403b for the force models as the integration uses
// it: centre the Sun, no body flagged; each force routine adds the positions
// of the bodies it reads (the planets, the Earth-Moon barycentre, and the
// Earth and the Moon when they act apart) and no more.
void force_reader_setup(DeState& de);

// The integrator's settings of the "Integration" motion model (radau.h),
// shared by the ephemeris (ephem.h) and the directions by number (ephem2.h):
// order 11, the last term of each sequence held near 1e-10, two
// predictor-corrector iterations; the fixed step applies only with a negative
// accuracy.
inline constexpr std::int32_t kIntegrationOrder = 11;
inline constexpr std::int32_t kIntegrationAccuracy = 10;
inline constexpr double kIntegrationFixedStep = -5.0;
inline constexpr std::int32_t kIntegrationIterations = 2;

// ---- ngr.eff ----------------------------------------------------------------
// Direct-access file of the data directory, 24-byte records without
// separators: record n holds the doubles A1, A2, A3 (little-endian, 1e-8
// AU/day^2) of catalogue object n.
inline constexpr std::size_t kNgrRecordBytes = 24;

// Record n of "ngr.eff" of the data directory of paths. Fails when the file
// cannot be opened or has no whole record n.
Result<NongravParams> read_ngr(const DataPaths& paths, std::int32_t n);
Result<NongravParams> read_ngr(const std::string& path, std::int32_t n);
// Writes a whole "ngr.eff": record n from params[n - 1].
Status write_ngr(const std::string& path, const std::vector<NongravParams>& params);

}  // namespace zelvomat
