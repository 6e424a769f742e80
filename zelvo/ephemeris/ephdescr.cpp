// The task description of the ephemeris set-up (ephsetup.h): one line per
// section in three blocks, the whole text for Task Info, the restrictions in
// one line for the result window's header, and the record format and task
// code of the result.
#include <cctype>

#include "zelvo/ephemeris/ephsetup.h"

namespace zelvo::eph {

namespace F = zelvomat::eph_field;

namespace {

std::string trim(std::string s) {
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::string rtrim(std::string_view s) {
    const auto e = s.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}

// A list file's name as the description shows it: its last 24 characters
// after "..." when it is longer.
std::string short_file(std::string_view field) {
    std::string f = rtrim(field);
    if (f.size() > 24) f = "..." + f.substr(f.size() - 24);
    return f;
}

bool keyIs(std::string_view key, const char* code) {
    for (std::size_t i = 0; i < 4; ++i)
        if (i >= key.size() || std::toupper(static_cast<unsigned char>(key[i])) != code[i]) return false;
    return true;
}

}  // namespace

std::string FormatRestriction(std::string label, std::string lower, std::string upper) {
    label = trim(std::move(label));
    lower = trim(std::move(lower));
    upper = trim(std::move(upper));
    if (!lower.empty()) return lower + "<=" + label + (upper.empty() ? "" : "<=" + upper);
    if (!upper.empty()) return label + "<=" + upper;
    return {};
}

void EphSetup::BuildTaskDescription() {
    TaskDescription& d = description;
    const auto& o = object.text;
    // Object(s).
    switch (object.radio) {
        case 0:
            d.objectText = "Numbers from " + o[0] + " to " + o[1];
            break;
        case 1:
            d.objectText = "Object " + o[2];
            break;
        case 2:
            d.objectText = "Oppositions from " + o[3] + " to " + o[4];
            break;
        case 3:
            d.objectText = "File   " + o[5];
            break;
        case 4:
            d.objectText = keyIs(record.get(F::objectKey), "FELM")
                               ? "Elements from file '" + short_file(record.get(F::elementListFile)) + "'"
                               : "Elements: single orbit ";
            break;
        case 5:
            d.objectText =
                keyIs(record.get(F::objectKey), "FXYZ")
                    ? "Coordinates and Velocities from file '" + short_file(record.get(F::coordinateListFile)) + "'"
                    : "Coordinates and Velocities: single orbit ";
            break;
        default:
            d.objectText.clear();
            break;
    }
    // Main plane and coordinates.
    static const char* const kPlanes[3] = {"Equator ", "Ecliptic ", "Horizon "};
    static const char* const kEquinoxes[3] = {" 2000.0", " 1950.0", " True"};
    static const char* const kPositions[3] = {" Astrometric", " Geometric", " Apparent"};
    d.planeText = std::string(frame.plane >= 0 ? kPlanes[frame.plane] : "") +
                  (frame.equinox >= 0 ? kEquinoxes[frame.equinox] : "");
    d.coordinatesText = std::string(frame.type == 1   ? "Rectangular "
                                    : frame.type == 0 ? "Spherical "
                                                      : "") +
                        (frame.position >= 0 ? kPositions[frame.position] : "");
    ctx.PlaneCode = frame.planeCode();
    ctx.CoordinateCode = frame.coordinateCode();
    // Centre and observer.
    const auto& c = centre.text;
    if (centre.centre != 3) {
        d.centreText =
            kCentreNames[static_cast<std::size_t>(centre.centre < 0 || centre.centre > 13 ? 3 : centre.centre)];
        if (centre.centre == 13) d.centreText += " " + centre.minorNumber;
    } else if (centre.observer != 1) {
        d.centreText = "Earth   Geocenter";
    } else {
        d.centreText = "Earth  ";
        switch (centre.mode) {
            case 0:
                d.centreText += "Catalog " + c[0];
                break;
            case 1:
                d.centreText += "  " + centre.place;
                break;
            case 2:
                d.centreText += "Long. " + c[1] + " dxy " + c[2] + " dz " + c[6];
                break;
            case 3:
                d.centreText += "Long. " + c[3] + " Lat. " + c[4] + " Height " + c[5];
                break;
            default:
                break;
        }
    }
    // Interval.
    const auto& iv = interval.text;
    d.intervalText = interval.kind == 0
                         ? "Near-opposition ephemerides  " + iv[0] + " " + interval.coverage + " " + iv[1]
                     : interval.kind == 1 ? "Arbitrary  " + iv[2] + " " + iv[3] + " " + iv[4]
                                          : std::string();
    // Output format and the result's record format.
    static const char* const kOutputs[3] = {"EMP", "Positions", "Positions + velocities"};
    d.outputText = frame.output >= 0 ? kOutputs[frame.output] : "";
    ctx.OutputCode = frame.outputCode();
    const bool psv = frame.output == 2;
    if (frame.type == 1)
        ctx.EphFormatKey = psv ? 25 : 15;
    else if (frame.plane == 1)
        ctx.EphFormatKey = psv ? 23 : 13;
    else if (frame.plane == 2)
        ctx.EphFormatKey = 14;
    else
        ctx.EphFormatKey = psv ? 22 : 12;
    // Restrictions.
    d.restrictionsText.clear();
    ctx.SelectionText = " ";
    if (restrict.choice != 1) {
        d.restrictionsText = "No restrictions";
    } else {
        d.restrictionsText = std::string(12, ' ') + "Lower boundary" + std::string(3, ' ') + "Upper boundary\r\n";
        ctx.SelectionText += "Restrictions:";
        for (std::size_t i = 0; i < 10; ++i) {
            if (restrict.rowOn[i] == 0) continue;
            const std::string label = restrict.captions[i].size() >= 13 ? restrict.captions[i].substr(3, 10) : "";
            d.restrictionsText +=
                label + "   " + restrict.current[i] + std::string(7, ' ') + restrict.current[10 + i] + "\r\n";
            ctx.SelectionText += "  " + FormatRestriction(label, restrict.current[i], restrict.current[10 + i]);
        }
        if (restrict.reject != 0) {
            d.restrictionsText = "\r\n" + d.restrictionsText + " No solitary headings\r\n";
            ctx.SelectionText += ";   No solitary headings";
        }
    }
    // Motion model.
    switch (accuracy.model) {
        case 0:
            d.accuracyText = "Elliptic motion";
            break;
        case 2: {
            static const char* const kBodies[12] = {"M ", "V ", "",   "M ", "J ", "S ",
                                                    "U ", "N ", "P ", "c ", "p ", "v "};
            d.accuracyText = "Integration: ";
            for (std::size_t i = 0; i < 12; ++i) {
                if (accuracy.boxes[i] == 0)
                    d.accuracyText += "- ";
                else if (i == 2)
                    d.accuracyText += accuracy.earthMode == 1 ? "E,M " : "E+M ";
                else
                    d.accuracyText += kBodies[i];
            }
            if (accuracy.boxes[12] != 0) d.accuracyText += "+ rel_Sun ";
            break;
        }
        default:
            d.accuracyText = "Nodes";
            break;
    }
    d.block1 = " " + d.objectText + "\r\n " + d.coordinatesText;
    d.block2 = " " + d.planeText + "\r\n " + d.centreText + "\r\n " + d.intervalText;
    d.block3 = " " + d.outputText + "\r\n " + d.accuracyText + "\r\n " + d.restrictionsText;
    ctx.TaskInfoText = d.block1 + "\r\n" + d.block2 + "\r\n" + d.block3;
    // The kind of the result document.
    const int p = frame.plane < 0 ? 0 : frame.plane;
    if (frame.output == 0 || frame.output < 0)
        ctx.TaskCode = kTaskEphPositions + p;
    else if (frame.output == 1)
        ctx.TaskCode = frame.type == 1 ? kTaskEphRectangular : kTaskEphPositionsLong + p;
    else if (frame.type == 1)
        ctx.TaskCode = kTaskEphRectangularRates;
    else if (p < 2)
        ctx.TaskCode = kTaskEphRates + p;
}

}  // namespace zelvo::eph
