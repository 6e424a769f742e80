// Positions of catalogue objects from the position routine, for comparisons
// with other ephemerides.
//
//   ephem_positions MODEL KIND EQUINOX START STEP COUNT NUMBER...
//
// Run in a package's working directory ("setpar"). MODEL 0 elliptic, 1 nodes,
// 2 integration (all perturbers, the Earth and the Moon apart, the Sun's
// relativistic term, Ceres, Pallas and Vesta of settings records 11-13);
// KIND "AST", "APP" or "GMT"; EQUINOX "2000" or "INST". Geocentric,
// equatorial. Prints one line per object and date:
//   number jd ra dec distance accuracy   (radians, AU)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/catalog.h"
#include "core/destate.h"
#include "core/ephem.h"
#include "core/fallback.h"
#include "core/force.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "tasks/libstate.h"

using namespace zelvomat;

int main(int argc, char** argv) {
    if (argc < 8) {
        std::fprintf(stderr, "usage: ephem_positions MODEL KIND EQUINOX START STEP COUNT NUMBER...\n");
        return 2;
    }
    auto fail = [](const Status& s) {
        std::fprintf(stderr, "ephem_positions: %s\n", s.message().c_str());
        return 1;
    };
    LibraryState st;
    ScopedLibraryState current(st);
    CoreState& core = st.core;
    if (Status s = in_par(core); !s.ok()) return fail(s);
    if (Status s = catopen(core.catalogue); !s.ok()) return fail(s);
    if (Status s = de_open(core.de, core.de_copies, core.data_paths); !s.ok()) return fail(s);
    if (Status s = load_minor_perturbers(core.minor_perturbers); !s.ok()) return fail(s);
    MotionConfig& m = core.motion;
    m.catalogue_epoch = core.package.catalogue_epoch;
    m.model = static_cast<MotionCode>(std::atoi(argv[1]));
    m.perturber_switch.fill(1);
    m.perturber_switch[perturber_index(Perturber::Earth)] = kEarthAndMoon;
    m.relativity = 1;
    m.minor_perturbers = 3;
    auto opt = task_options_from_texts("SPH", argv[2], "EQT", argv[3], 3, "GEO");
    if (!opt) return fail(opt.status());
    core.task_options = *opt;
    const double start = std::strtod(argv[4], nullptr), step = std::strtod(argv[5], nullptr);
    const int count = std::atoi(argv[6]);
    const std::string dir = core.data_paths.data_dir;
    for (int a = 7; a < argc; ++a) {
        const std::int32_t n = std::atoi(argv[a]);
        for (int i = 1; i <= count; ++i) {
            EphResultValues v;
            std::int16_t acc = 0;
            const EphemDate d{start, step, i};
            if (Status s = ephem(core, n, d, 0, dir, v, acc); !s.ok()) return fail(s);
            std::printf("%d %.6f %.15e %.15e %.15e %d\n", n, d.jd(), v(1), v(2), v(3), acc);
        }
    }
    return 0;
}
