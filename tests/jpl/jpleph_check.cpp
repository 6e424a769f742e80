// Cross-check of the library's ephemeris reader against an independent reader
// of JPL binary ephemerides: Project Pluto's jpl_eph (Debian
// libpluto-jpl-eph-dev), which reads the file's own header records (span,
// constants, AU, EMRAT, coefficient pointers) and so also shows that the
// file written by tools/de405_to_binary.py is a JPL binary ephemeris that
// other readers accept.
//
//   jpleph_check FILE [DATES]
//
// Compares positions (AU) and velocities (AU/day) of every body relative to
// the Sun, the solar-system barycentre and the Earth at DATES pseudo-random
// dates of the file's span and at its first and last dates; the largest
// differences are printed and must stay below 1e-12.
#include <pluto/jpleph.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/corestate.h"
#include "core/destate.h"
#include "core/reade403.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: jpleph_check FILE [DATES]\n");
        return 2;
    }
    const int ndates = argc > 2 ? std::atoi(argv[2]) : 2000;
    char names[400][6];
    double values[400];
    void* eph = jpl_init_ephemeris(argv[1], names, values);
    if (eph == nullptr) {
        std::printf("jpl_eph does not accept %s\n", argv[1]);
        return 1;
    }
    const double first = jpl_get_double(eph, JPL_EPHEM_START_JD);
    const double last = jpl_get_double(eph, JPL_EPHEM_END_JD);
    std::printf("jpl_eph: DE%ld, JD %.1f to %.1f, %ld constants, AU %.3f km, EMRAT %.5f\n",
                jpl_get_long(eph, JPL_EPHEM_EPHEMERIS_VERSION), first, last, jpl_get_long(eph, JPL_EPHEM_N_CONSTANTS),
                jpl_get_double(eph, JPL_EPHEM_AU_IN_KM), jpl_get_double(eph, JPL_EPHEM_EARTH_MOON_RATIO));

    zelvomat::CoreState core;  // the library's state for this check
    core.de.first_jd = first;
    core.de.last_jd = last;
    if (!zelvomat::de_open(core.de, core.de_copies, argv[1]).ok()) {
        std::printf("the library cannot open %s\n", argv[1]);
        return 1;
    }
    double max_pos = 0.0, max_vel = 0.0;
    unsigned long long seed = 12345;
    for (int d = -2; d < ndates; ++d) {
        double jd;
        if (d == -2)
            jd = first;
        else if (d == -1)
            jd = last;
        else {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
            jd = first + (last - first) * static_cast<double>(seed >> 11) * 0x1.0p-53;
        }
        for (int centre : {11, 12, 3}) {
            for (int target = 1; target <= 13; ++target) {
                if (target == centre) continue;
                double rrd[6];
                if (jpl_pleph(eph, jd, target, centre, rrd, 1) != 0) {
                    std::printf("jpl_eph fails at JD %.6f\n", jd);
                    return 1;
                }
                zelvomat::State9 s;
                if (!zelvomat::bodystate(core.de, core.de_copies, core.data_paths, zelvomat::DeReader::Position, jd,
                                         target, centre, s)
                         .ok()) {
                    std::printf("the library fails at JD %.6f\n", jd);
                    return 1;
                }
                for (int i = 0; i < 3; ++i) {
                    max_pos = std::max(max_pos, std::fabs(s[i] - rrd[i]));
                    max_vel = std::max(max_vel, std::fabs(s[3 + i] - rrd[3 + i]));
                }
            }
        }
    }
    jpl_close_ephemeris(eph);
    std::printf("%d dates: largest difference %.3e AU in position, %.3e AU/day in velocity\n", ndates + 2, max_pos,
                max_vel);
    // Tolerance: 1e-12 AU and 1e-12 AU/day.
    return (max_pos < 1e-12 && max_vel < 1e-12) ? 0 : 1;
}
