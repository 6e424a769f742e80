#include "zelvo/app/angles.h"

#include <cmath>
#include <limits>

#include "zelvomat/core/constants.h"

namespace zelvo {

namespace {
using zelvomat::kPi;

// The whole part of v toward zero, carried to the next whole number (away
// from zero) when v lies within 1e-8 of it.
std::int32_t wholeCarried(double v) {
    double w = std::trunc(v);
    const double f = v - w;
    if (std::fabs(std::fabs(f) - 1.0) <= 1e-8) w += f > 0 ? 1.0 : -1.0;
    return RoundToNearest(w);
}

int sign_of(double v) { return (v > 0) - (v < 0); }
}  // namespace

double SexagesimalTimesPi(std::int32_t units, std::int32_t minutes, double seconds, char sign) {
    double v = kPi * (std::fabs(static_cast<double>(units)) + minutes / 60.0 + seconds / 3600.0);
    if (units < 0 || (units >= 0 && sign == '-')) v = -v;
    return v;
}

void RadiansToSexagesimal(int mode, double angle, std::int32_t& units, std::int32_t& minutes, double& seconds,
                          char& sign) {
    sign = angle < 0 ? '-' : '+';
    const double d = std::fabs(angle) * (mode == 1 ? 12.0 : 180.0) / kPi;
    units = wholeCarried(d);
    const double m = (d - units) * 60.0;
    minutes = wholeCarried(m);
    seconds = (m - minutes) * 60.0;
    if (std::fabs(seconds) < 1e-8) seconds = 0.0;
}

std::int32_t RoundToNearest(double x) {
    if (std::isnan(x)) return 0;
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    double w = std::trunc(x);
    if (std::fabs(x - w) >= 0.5) w += x > 0 ? 1.0 : -1.0;
    if (w <= lo) return std::numeric_limits<std::int32_t>::min();
    if (w >= hi) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(w);
}

void GnomonicProject(double alpha, double delta, double alpha0, double delta0, double& xi, double& eta) {
    const double da = alpha - alpha0;
    const double d = std::sin(delta) * std::sin(delta0) + std::cos(delta) * std::cos(delta0) * std::cos(da);
    const double x = std::cos(delta) * std::sin(da);
    const double y = std::sin(delta) * std::cos(delta0) - std::cos(delta) * std::sin(delta0) * std::cos(da);
    if (!(d > 0.0)) {
        // On or behind the tangent plane's horizon: no image.
        constexpr double kFar = 1e10;
        xi = x >= 0 ? kFar : -kFar;
        eta = y >= 0 ? kFar : -kFar;
        return;
    }
    xi = x / d;
    eta = y / d;
}

void GnomonicUnproject(double xi, double eta, double alpha0, double delta0, double& alpha, double& delta) {
    double d = std::cos(delta0) - eta * std::sin(delta0);
    if (d == 0.0) {
        eta += 0.0001;
        d = std::cos(delta0) - eta * std::sin(delta0);
    }
    const double dA = std::atan(xi / d);
    alpha = alpha0 + dA;
    delta = std::atan((eta * std::cos(delta0) + std::sin(delta0)) * std::cos(dA) / d);
    const int s = sign_of(delta);
    const int s0 = sign_of(delta0);
    const double pole = (s0 == 0 ? 1 : s0) * kPi / 2;
    double xiE, etaE, xiP, etaP;
    GnomonicProject(0.0, 0.0, alpha0, delta0, xiE, etaE);
    GnomonicProject(0.0, pole, alpha0, delta0, xiP, etaP);
    const double r1 = std::hypot(xiP - xiE, etaP - etaE);
    const double r2 = std::hypot(xiP - xi, etaP - eta);
    if (std::fabs(xiP) < 1e-8) xiP = 0.0;
    if (std::fabs(etaP) < 1e-8) etaP = 0.0;
    if (((etaP > eta && etaP <= 0) || (etaP < eta && etaP >= 0)) && r2 < r1 && s != s0) {
        alpha += kPi;
        if (alpha > 2 * kPi) alpha -= 2 * kPi;
        delta = -delta;
    }
}

}  // namespace zelvo
