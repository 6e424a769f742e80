// The ten values computed for one object at one date, numbered 1-10.
//
// The position routine fills them; the restriction test and the line
// formatting read them by quantity number. What each number means depends on
// the coordinate form of the task (angles in radians, distances in AU, rates
// per day):
//
//  no.  spherical (equator, ecliptic, horizon)     rectangular
//   1   right ascension / longitude / azimuth        x (AU)
//   2   declination / latitude / altitude            y (AU)
//   3   distance from the observer (AU)              z (AU)
//   4   rate of 1 (rad/day; 0 for the horizon)       x rate (AU/day)
//   5   rate of 2 (rad/day; 0 for the horizon)       y rate (AU/day)
//   6   rate of the distance (AU/day)                z rate (AU/day)
//   7   distance from the Sun r (AU)                 distance from the observer (AU)
//   8   phase angle (rad)                            rate of that distance (AU/day)
//   9   magnitude                                    distance from the Sun r (AU)
//  10   elongation (rad, negative to the west)       speed (km/s)
#pragma once

#include <array>
#include <cassert>
#include <cstddef>

namespace zelvomat {

// Quantity numbers of the spherical form.
enum class SphQuantity : int {
    Angle1 = 1,
    Angle2 = 2,
    Distance = 3,
    Rate1 = 4,
    Rate2 = 5,
    DistanceRate = 6,
    SunDistance = 7,
    Phase = 8,
    Magnitude = 9,
    Elongation = 10,
};
// Quantity numbers of the rectangular form.
enum class RecQuantity : int {
    X = 1,
    Y = 2,
    Z = 3,
    VX = 4,
    VY = 5,
    VZ = 6,
    ObserverDistance = 7,
    ObserverDistanceRate = 8,
    SunDistance = 9,
    Speed = 10,
};

// Ten doubles addressed by quantity number 1-10: values(3) is quantity 3.
// data() gives them in order for arrays passed across the exported interface.
struct QuantityValues {
    static constexpr int kCount = 10;
    std::array<double, kCount> v{};

    double& operator()(int quantity) {
        assert(quantity >= 1 && quantity <= kCount);
        return v[static_cast<std::size_t>(quantity - 1)];
    }
    double operator()(int quantity) const {
        assert(quantity >= 1 && quantity <= kCount);
        return v[static_cast<std::size_t>(quantity - 1)];
    }
    double& operator()(SphQuantity q) { return (*this)(static_cast<int>(q)); }
    double operator()(SphQuantity q) const { return (*this)(static_cast<int>(q)); }
    double& operator()(RecQuantity q) { return (*this)(static_cast<int>(q)); }
    double operator()(RecQuantity q) const { return (*this)(static_cast<int>(q)); }
    double* data() { return v.data(); }
    const double* data() const { return v.data(); }

    friend bool operator==(const QuantityValues&, const QuantityValues&) = default;
};

// The values of one object at one date (all zero before they are computed).
using EphResultValues = QuantityValues;

}  // namespace zelvomat
