// Geometric position of an object seen by the observer: the sum of the
// object's heliocentric state, the Sun's state relative to the centre and the
// observer-to-centre vector, rectangular or as a direction with rates.
#include "core/apparent.h"
#include "core/skyrates.h"

namespace zelvomat {

void geompos(const StateVector& a, const StateVector& b, const StateVector& c, std::array<double, 6>& out,
             std::string_view form, std::string_view rates) {
    double w[6];
    for (int j = 0; j < 6; ++j) w[j] = a[j] + b[j] + c[j];
    if (form == "REC") {
        for (int j = 0; j < 6; ++j) out[j] = w[j];
        return;
    }
    detail::sky_direction(w, out[0], out[1], out[2]);
    if (rates == "YES") detail::sky_rates(w, out[2], out[3], out[4], out[5]);
}

}  // namespace zelvomat
