#include "zelvo/graphics/elderived.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace zelvo::elements {

const char* const DerivedElementNames[kDerivedCodeCount] = {
    "none",        "a*(1-e)",      "a*(1+e)",      "a*(1-e**2)", "a**(3/2)", "Peri+Node", "n*3600", "H+5*lg(a(a-1))",
    "M+Peri+Node", "dist_AscNode", "dist_DscNode", "D_Phot",     "MOID  ",   "CT ",       "NC ",    "T_per ",
    "T_AscNode",   "T_DscNode"};

const char* const FunctionComboTexts[kDerivedCodeCount] = {
    "(None)",      "a*(1-e)",      "a*(1+e)",      "a*(1-e**2)", "a**(3/2)", "Peri+Node", "n*3600", "H+5*lg(a(a-1))",
    "M+Peri+Node", "dist_AscNode", "dist_DscNode", "D_Phot",     "MOID",     "CT",        "NC",     "T_per",
    "T_AscNode",   "T_DscNode"};

const double PlanetInverseMass[10] = {0.0,       6023600.0, 408523.71, 328900.5614, 3098708.0,
                                      1047.3486, 3497.898,  22902.98,  19412.24,    135200000.0};

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// log10 of x, or no value when x is not positive.
double log10Positive(double x) { return x > 0 ? std::log10(x) : kNaN; }

// The object's elements in radians and radians per day.
std::array<double, 6> radians(const ElementRecord& r) {
    return {
        r.M / kDegreesPerRadian, r.Peri / kDegreesPerRadian, r.Node / kDegreesPerRadian, r.i / kDegreesPerRadian, r.e,
        r.n / kDegreesPerRadian};
}

}  // namespace

double fixedObjectAxis(int fixedObjectNumber, double n) {
    if (fixedObjectNumber < 0 && fixedObjectNumber >= -9)
        return SemiMajorAxisFromMotion(n, 1.0 / PlanetInverseMass[-fixedObjectNumber]);
    return SemiMajorAxisFromMotion(n, 0.0);
}

DerivedCalculator::DerivedCalculator(Library& lib, const DerivedInputs& in) : lib_(lib), in_(in) {
    const double n0 = in_.fixedObjectElements[6];
    fixedAxis_ = fixedObjectAxis(in_.fixedObjectNumber, n0);
    fixedUsable_ = in_.fixedObjectNumber != 0 && n0 > 0 && std::isfinite(n0) && std::isfinite(fixedAxis_);
}

double DerivedCalculator::value(int r, const ElementRecord& rec, int code) const {
    const double a = rec.a, e = rec.e;
    switch (code) {
        case 1:
            return a * (1 - e);
        case 2:
            // An open orbit has no aphelion: it lies at infinity.
            return e >= 1 ? kInf : a * (1 + e);
        case 3:
            return a * (1 - e * e);
        case 4:
            if (rec.n == 0 || e >= 1) return kInf;
            return rec.n > 0 ? std::sqrt(a * a * a) : kNaN;
        case 5: {
            const double s = rec.Peri + rec.Node;
            return s > 360 ? s - 360 : s;
        }
        case 6:
            return rec.n * 3600;
        case kCodeOppositionMagnitude: {
            if (a * (1 - e) > 1) return rec.H + 5 * log10Positive(std::fabs(a - 1) * a);
            const double q = a * (1 + e);
            return rec.H + 5 * log10Positive((q * q - 1) * 0.25);
        }
        case 8: {
            const double s = rec.M + rec.Peri + rec.Node;
            if (s > 720) return s - 720;
            return s > 360 ? s - 360 : s;
        }
        case 9:
            return a * (1 - e * e) / (1 + e * std::cos(rec.Peri / kDegreesPerRadian));
        case 10:
            return a * (1 - e * e) / (1 - e * std::cos(rec.Peri / kDegreesPerRadian));
        case kCodeDiameter: {
            if (!std::isfinite(rec.H)) return kNaN;
            double d = kNaN;
            lib_.dphot(in_.cometMode ? 1 : 0, r + 1, rec.H, d);
            return d;
        }
        case kCodeMoid:
        case kCodeTisserand: {
            if (!fixedUsable_ || !(rec.n > 0) || !std::isfinite(a)) return kNaN;
            const std::array<double, 6> obj = radians(rec);
            std::array<double, 6> fixed{};
            for (std::size_t k = 0; k < 6; ++k) fixed[k] = in_.fixedObjectElements[k + 1];
            double out = kNaN;
            const double a1 = SemiMajorAxisFromMotion(obj[5], 0.0);
            if (code == kCodeMoid)
                lib_.Moid(fixed.data(), fixedAxis_, obj.data(), a1, out);
            else
                lib_.CT(fixed.data(), fixedAxis_, obj.data(), a1, out);
            return out;
        }
        case kCodePerihelionTime:
        case kCodeAscendingNodeTime:
        case kCodeDescendingNodeTime: {
            // Passages need a closed orbit that moves.
            if (!(rec.n > 0) || !(e < 1) || !std::isfinite(rec.M)) return kNaN;
            const std::array<double, 6> obj = radians(rec);
            double packed = kNaN, jd = kNaN;
            if (code == kCodePerihelionTime) {
                lib_.t_per(in_.catalogueEpochJd, obj[0], obj[5], packed, jd);
            } else {
                double ascPacked = kNaN, ascJd = kNaN, dscPacked = kNaN, dscJd = kNaN;
                lib_.t_as_ds(in_.catalogueEpochJd, obj[0], obj[1], e, obj[5], ascPacked, ascJd, dscPacked, dscJd);
                packed = code == kCodeAscendingNodeTime ? ascPacked : dscPacked;
                jd = code == kCodeAscendingNodeTime ? ascJd : dscJd;
            }
            return in_.calendarDateForm ? packed : jd;
        }
        default:
            return 0;
    }
}

double DerivedCalculator::moidLowerBound(const ElementRecord& rec) const {
    if (!fixedUsable_) return 0;
    const double e0 = in_.fixedObjectElements[5];
    const double q0 = fixedAxis_ * (1 - e0), Q0 = fixedAxis_ * (1 + e0);
    const double q1 = rec.a * (1 - rec.e), Q1 = rec.a * (1 + rec.e);
    const double gap = std::max(q1 - Q0, q0 - Q1);
    return std::isfinite(gap) && gap > 0 ? gap : 0;
}

std::string DerivedCalculator::commensurabilityText(const ElementRecord& rec) const {
    std::string text(14, ' ');
    if (!fixedUsable_ || !(rec.n > 0) || !std::isfinite(rec.n)) return text;
    int p = 0, q = 0;
    lib_.soizm(rec.n, in_.fixedObjectElements[6] * kDegreesPerRadian, 9, 5, in_.ncRange, p, q);
    if (p >= 1 && p <= 9 && q >= 1 && q <= 9) {
        text[0] = static_cast<char>('0' + p);
        text[1] = ':';
        text[2] = static_cast<char>('0' + q);
    }
    return text;
}

std::string DerivedCalculator::listText(int r, const ElementRecord& rec, int code, double* valueOut) const {
    if (valueOut != nullptr) *valueOut = 0;
    if (code <= 0 || code >= kDerivedCodeCount) return {};
    if (code == kCodeCommensurability) return commensurabilityText(rec);
    const double v = value(r, rec, code);
    if (valueOut != nullptr) *valueOut = v;
    return derivedValueText(code, v, in_.calendarDateForm);
}

namespace {

// A packed calendar date (year x 10000 + month x 100 + day + fraction) as
// its year, four digits of month and day and five decimals, at least width
// characters: the year keeps its sign, so year 0 and the years before it read
// as they are ("00305.50000", "-1000305.50000" for -100 March 5), where the
// packed number itself would print as "305.50000" or "-999694.50000".
std::string calendarText(double packed, int width, std::size_t room) {
    const double year = std::floor(packed / 10000);
    const std::string stars(static_cast<std::size_t>(width), '*');
    if (!std::isfinite(year) || std::fabs(year) > 1.0e9) return stars;
    char buf[64];
    const int n = std::snprintf(buf, sizeof buf, "%.0f%010.5f", year, packed - year * 10000);
    if (n < 0 || static_cast<std::size_t>(n) > room) return stars;
    std::string out(static_cast<std::size_t>(std::max(0, width - n)), ' ');
    return out.append(buf, static_cast<std::size_t>(n));
}

}  // namespace

std::string derivedValueText(int code, double value, bool calendarDateForm) {
    constexpr std::size_t kRoom = 14;
    switch (code) {
        case kCodeOppositionMagnitude:
            return fixedText(value, 5, 2, kRoom);
        case kCodeDiameter: {
            std::string t = fixedText(value, 8, 3, kRoom);
            t.erase(0, t.find_first_not_of(' '));
            // A diameter is never shown as nothing at all.
            return t == "0.000" ? "0.001" : t;
        }
        case kCodePerihelionTime:
        case kCodeAscendingNodeTime:
        case kCodeDescendingNodeTime:
            return calendarDateForm ? calendarText(value, 8, kRoom) : fixedText(value, 7, 5, kRoom);
        default:
            return fixedText(value, 10, 5, kRoom);
    }
}

}  // namespace zelvo::elements
