// Links against the shared library through its exported interface only.
#include <cstdio>

#include "zelvomat/zelvomat.h"

int main() {
    double y = 0;
    DateT(1, 20000101.5, &y);
    if (y != 2451545.0) {
        std::printf("DateT through the shared library gave %.5f\n", y);
        return 1;
    }
    if (errmsg(nullptr, 0) != 0) return 1;
    double d = 0;
    dphot(0, 1, 15.7, &d);  // 2 x 10^0.11 km
    if (d < 2.5764 || d > 2.5766) {
        std::printf("dphot through the shared library gave %.6f\n", d);
        return 1;
    }
    Closlae();  // nothing open: closes nothing, fails nothing
    if (errmsg(nullptr, 0) != 0) return 1;

    int types[10], widths[10], mode = -1;
    restr("SPH", 3, "EQT", 3, "EMP", 3, types, widths, &mode);
    if (mode != 2 || types[0] != 4 || widths[0] != 9) {
        std::printf("restr through the shared library gave mode %d\n", mode);
        return 1;
    }
    char bound[9] = {'1', '2', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    int err = -1;
    double value = 0;
    contr_vv(4, bound, 9, &err, &value);
    if (err != 0 || value != 120000.0) {
        std::printf("contr_vv through the shared library gave err %d\n", err);
        return 1;
    }
    // No "eph.cf1" in the test's directory: every section in conflict, and a
    // message for the caller.
    int status[7] = {0, 0, 0, 0, 0, 0, 0};
    err = -1;
    confl(&err, status);
    if (err != 2 || status[0] != 2 || status[6] != 2 || errmsg(nullptr, 0) == 0) {
        std::printf("confl through the shared library gave err %d\n", err);
        return 1;
    }
    // Identical circular orbits: Tisserand parameter 1 + 2 = 3, MOID 0.
    const double circle[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.01720209895};
    double t = 0, moid = -5;
    CT(circle, 1.0, circle, 1.0, &t);
    Moid(circle, 1.0, circle, 1.0, &moid);
    if (t < 2.999999 || t > 3.000001 || moid < 0.0 || moid > 1e-6) {
        std::printf("CT and Moid through the shared library gave %.6f and %.6f\n", t, moid);
        return 1;
    }
    // No settings in the test's directory: the ephemeris task ends at once
    // with a message, no progress report, the run not interrupted.
    int cont = 0, interrupted = 2, percent = -1;
    progr(&cont, &interrupted, &percent, nullptr);
    if (interrupted != 0 || cont != 0 || errmsg(nullptr, 0) == 0) {
        std::printf("progr through the shared library gave interrupted %d\n", interrupted);
        return 1;
    }
    std::puts("shared library exports reachable");
    return 0;
}
