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
    std::puts("shared library exports reachable");
    return 0;
}
