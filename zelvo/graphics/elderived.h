// Quantities derived from an object's catalogue elements, shown in the
// element list's extra column, filtered, sorted and plotted. Seventeen codes,
// 0 meaning none:
//   1 perihelion distance a(1-e), 2 aphelion distance a(1+e), 3 semi-latus
//   rectum a(1-e^2), 4 period a^(3/2) in years, 5 Peri+Node, 6 n in
//   arcseconds per day, 7 H+5 lg(a(a-1)) (the magnitude at opposition near
//   aphelion or perihelion), 8 M+Peri+Node, 9 and 10 the distances of the
//   ascending and descending nodes (AU), 11 the photometric diameter (km),
//   12 MOID and 13 Tisserand parameter with respect to a fixed object, 14
//   the near commensurability p:q of the mean motions with the fixed
//   object's, 15 to 17 the times of the perihelion and the two node passages
//   (packed calendar dates YYYYMMDD.ddddd or Julian dates).
// Codes 11 to 17 call the computing library.
//
// A value that cannot be had (the logarithm of a number that is not
// positive, an orbit without mean motion, an aphelion or period of an open
// orbit) is not finite; its list text is the mark for "no value", and it
// sorts after every number.
#pragma once

#include <array>
#include <string>

#include "zelvo/app/library.h"
#include "zelvo/graphics/elcache.h"

namespace zelvo::elements {

inline constexpr int kDerivedCodeCount = 18;  // 0 (none) .. 17
inline constexpr int kCodeMoid = 12, kCodeTisserand = 13, kCodeCommensurability = 14, kCodePerihelionTime = 15,
                     kCodeAscendingNodeTime = 16, kCodeDescendingNodeTime = 17, kCodeOppositionMagnitude = 7,
                     kCodeDiameter = 11;

// The names of the codes 0..17, trailing blanks included: the caption of the
// derived column and its name in Task Info, the export and the print.
extern const char* const DerivedElementNames[kDerivedCodeCount];
// The texts of the query's Function combo by code ("(None)" for 0).
extern const char* const FunctionComboTexts[kDerivedCodeCount];
// The Sun-to-planet mass ratios of the planets 1 (Mercury) .. 9 (Pluto);
// index 0 is unused.
extern const double PlanetInverseMass[10];

// What a computation reads besides the record, fixed when a list is made.
struct DerivedInputs {
    int fixedObjectNumber = 0;                    // 0 none, n > 0 a minor planet, -1..-9 a major planet
    std::array<double, 7> fixedObjectElements{};  // epoch, M, Peri, Node, i (radians), e, n (radians per day)
    bool calendarDateForm = true;                 // dates of codes 15-17 as packed calendar dates
    int ncRange = 0;                              // tolerance of code 14 in arcseconds per day
    bool cometMode = false;
    double catalogueEpochJd = 0;  // epoch of the catalogue elements
};

class DerivedCalculator {
public:
    DerivedCalculator(Library& lib, const DerivedInputs& in);

    // The value of code for the object of record index r (0 for code 14
    // and for codes outside 1..17).
    double value(int r, const ElementRecord& rec, int code) const;
    // Code 14: "p:q" followed by blanks, or 14 blanks when the motions are
    // not near a commensurability; always 14 characters.
    std::string commensurabilityText(const ElementRecord& rec) const;
    // The derived text that the list keeps for the object (at most 14
    // characters; empty for code 0).
    std::string listText(int r, const ElementRecord& rec, int code, double* valueOut = nullptr) const;

    // A value that the MOID of the object cannot go below: the gap between
    // the ranges of heliocentric distance (perihelion to aphelion) of the two
    // orbits; 0 when they overlap or cannot be had.
    double moidLowerBound(const ElementRecord& rec) const;

    const DerivedInputs& inputs() const { return in_; }

private:
    Library& lib_;
    DerivedInputs in_;
    double fixedAxis_ = 0;  // semi-major axis of the fixed object, AU
    bool fixedUsable_ = false;
};

// The list text of a value of code (not 14): "%10.5f", "%5.2f" for code 7,
// "%8.3f" without leading blanks for code 11 ("0.001" in place of "0.000"),
// "%8.5f" (calendar) or "%7.5f" (Julian) for codes 15-17; asterisks when the
// value is not finite or its text longer than 14 characters.
std::string derivedValueText(int code, double value, bool calendarDateForm);

// The semi-major axis of the fixed object from its mean motion (radians per
// day): planet k with its mass, a minor planet with none.
double fixedObjectAxis(int fixedObjectNumber, double n);

}  // namespace zelvo::elements
