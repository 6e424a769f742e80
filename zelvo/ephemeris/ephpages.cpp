// The pages of the ephemeris set-up (ephsetup.h): object choice, coordinates,
// main plane and output format, centre and observer, interval, restrictions;
// their start values from the task record, their handlers and the checks of
// their typed fields through the library.
#include <cctype>
#include <cstdlib>
#include <fstream>

#include "framework/messages.h"
#include "zelvo/app/tables.h"
#include "zelvo/ephemeris/ephsetup.h"

namespace zelvo::eph {

namespace F = zelvomat::eph_field;

const std::array<const char*, 14> kCentreNames{"S.s. barycenter", "Mercury",     "Venus",   "Earth", "Mars", "Jupiter",
                                               "Saturn",          "Uranus",      "Neptune", "Pluto", "Sun",  "Moon",
                                               "E+M barycenter",  "Minor object"};

const std::array<const char*, 7> CoverageChoices{"120", "100", " 80", " 60", " 40", " 20", "   "};

namespace {

constexpr int kEarth = 3;
constexpr int kMinorObject = 13;
const std::string kBlank10(10, ' ');

std::string fit(std::string_view s, std::size_t width) {
    std::string r(s.substr(0, std::min(s.size(), width)));
    r.resize(width, ' ');
    return r;
}

bool sameCode(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Index of code in codes (case-blind), -1 when none.
template <std::size_t N>
int codeIndex(std::string_view code, const std::array<const char*, N>& codes) {
    for (std::size_t i = 0; i < N; ++i)
        if (sameCode(code, codes[i])) return static_cast<int>(i);
    return -1;
}

// The number written at the start of a text, up to its first blank (0 when
// there is none), in the C convention.
double leadingValue(std::string_view t) {
    const std::string head(t.substr(0, t.find(' ')));
    return head.empty() ? 0.0 : std::strtod(head.c_str(), nullptr);
}

// The number of a text with leading blanks.
double text_value(std::string_view t) {
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    return leadingValue(t);
}

std::string error_text(int err) {
    return std::string(ControlErrorText[static_cast<std::size_t>(err >= 0 && err <= 10 ? err : 1)]);
}

FieldError error(std::string message, std::string hint1 = {}) {
    return FieldError{std::move(message), std::move(hint1), {}, false};
}

}  // namespace

// ---- Object(s) -------------------------------------------------------------------

bool ObjectPageState::fieldEnabled(int k) const {
    switch (radio) {
        case 0:
            return k == 0 || k == 1;
        case 1:
            return k == 2;
        case 2:
            return k == 3 || k == 4;
        case 3:
            return k == 5;
        default:
            return false;
    }
}

void EphSetup::initObjectPage() {
    object.initialising = true;
    check.clear();
    object.text = {std::string(record.get(F::firstNumber)),    std::string(record.get(F::lastNumber)),
                   std::string(record.get(F::objectName)),     std::string(record.get(F::firstOpposition)),
                   std::string(record.get(F::lastOpposition)), std::string(record.get(F::objectListFile))};
    object.saved = object.text;
    static const std::array<const char*, 8> kKeys{"NUMB", "NAME", "OPPO", "LIST", "EELM", "FELM", "XXYZ", "FXYZ"};
    switch (codeIndex(record.get(F::objectKey), kKeys)) {
        case 0:
            OnNumbers();
            break;
        case 1:
            OnObjectName();
            break;
        case 2:
            OnOppositions();
            break;
        case 3:
            OnObjectList();
            break;
        case 4:
        case 5:
            OnElements();
            break;
        case 6:
        case 7:
            OnCoordinatesVelocities();
            break;
        default:
            break;
    }
    object.initialising = false;
}

void EphSetup::catalogueChoice(int radio, std::initializer_list<int> fields) {
    check.clear();
    for (std::string& t : object.text) t.clear();
    for (int k : fields) object.text[static_cast<std::size_t>(k)] = object.saved[static_cast<std::size_t>(k)];
    object.radio = radio;
    if (object.initialising) return;
    interval.nearOppositionEnabled = true;
    onCentreSelected(centre.centre);
    accuracy.nodesEnabled = true;
}

void EphSetup::OnNumbers() { catalogueChoice(0, {0, 1}); }
void EphSetup::OnObjectName() { catalogueChoice(1, {2}); }
void EphSetup::OnOppositions() { catalogueChoice(2, {3, 4}); }
void EphSetup::OnObjectList() { catalogueChoice(3, {5}); }

void EphSetup::orbitChoice(int radio) {
    check.clear();
    for (std::size_t k = 0; k < 5; ++k) object.text[k].clear();
    object.text[5] = object.saved[5];
    object.radio = radio;
    const bool elements = radio == 4;
    ctx.OrbitAsElements = elements;
    ctx.OrbitListFile = std::string(record.get(elements ? F::elementListFile : F::coordinateListFile));
    if (object.initialising) return;
    const bool fromFile = sameCode(record.get(F::objectKey), elements ? "FELM" : "FXYZ");
    record.set(F::objectKey, elements ? (fromFile ? "FELM" : "EELM") : (fromFile ? "FXYZ" : "XXYZ"));
    // Typed orbits have no oppositions and no osculating elements of the
    // yearly files.
    interval.nearOppositionEnabled = false;
    OnArbitrary();
    if (accuracy.model == 1) accuracy.onEllipticMotion();
    accuracy.nodesEnabled = false;
}

void EphSetup::OnElements() { orbitChoice(4); }
void EphSetup::OnCoordinatesVelocities() { orbitChoice(5); }

void EphSetup::setBrowsedListFile(const std::string& path) {
    check.clear();
    object.saved[5] = path;
    OnObjectList();
    object.text[5] = path;
}

std::optional<FieldError> EphSetup::ValidateObjectField(bool fromTree) {
    const int k = check.editedField;
    if (k < 0 || k > 5) return std::nullopt;
    std::string& t = object.text[static_cast<std::size_t>(k)];
    const std::size_t width = ObjectPageState::kWidth[static_cast<std::size_t>(k)];
    const std::string typed = t.substr(0, std::min(t.size(), width));
    std::string buf(80, ' ');
    int err = 0, aux = 0;
    double value = 0;
    if (k == 0 || k == 1) {
        if (IsBlankText(typed)) return error(k == 0 ? "Change the field \"From\" ." : "Change the field \"To\" .");
        const std::string from = typed.substr(typed.find_first_not_of(' '));
        buf.replace(0, from.size(), from);
        lib.contreph(1, buf.data(), 6, err, value, aux);
        if (err != 0)
            return error(error_text(err) +
                         (k == 0 ? ". Change the field \"Number(s) From\"." : ". Change the field \"Number(s) To\". "));
        if (fromTree) {
            const double self = leadingValue(buf.substr(0, 6));
            const double other = leadingValue(object.text[k == 0 ? 1 : 0]);
            if ((k == 0 ? other < self : self < other))
                return error("\"Number To\" is less than \"Number From\".", "Change the field \"From\" or \"To\".");
        }
        t = buf.substr(0, 6);
    } else if (k == 2) {
        if (IsBlankText(typed)) return error("Change the field \"Object name\" .");
        t = fit(typed.substr(typed.find_first_not_of(' ')), 18);
    } else if (k == 3 || k == 4) {
        buf.replace(0, typed.size(), typed);
        lib.contreph(2, buf.data(), 10, err, value, aux);
        if (err != 0)
            return error(error_text(err),
                         k == 3 ? "Change the field \"Oppositions From\". " : "Change the field \"Oppositions To\". ");
        if (fromTree) {
            const double self = leadingValue(buf.substr(0, 10));
            const double other = leadingValue(object.text[k == 3 ? 4 : 3]);
            if ((k == 3 ? other < self : self < other))
                return error("\"Oppositions To\" is less than \"Oppositions From\".",
                             k == 3 ? "Change the field \"From\" or \"To\"." : "Change the fields \"From\" or \"To\".");
        }
        t = buf.substr(0, 10);
    } else {
        t = fit(typed, 80);
    }
    return std::nullopt;
}

// ---- Coordinates, Main plane, Output format ----------------------------------------

void EphSetup::initFramePages() {
    static const std::array<const char*, 3> kPositions{"AST", "GMT", "APP"};
    static const std::array<const char*, 2> kTypes{"SPH", "REC"};
    static const std::array<const char*, 3> kPlanes{"EQT", "ECL", "HRZ"};
    static const std::array<const char*, 3> kEquinoxes{"2000", "1950", "INST"};
    static const std::array<const char*, 3> kOutputs{"EMP", "POS", "PSV"};
    frame = {};
    frame.savedPositionKind = codeIndex(record.get(F::positionKind), kPositions);
    frame.type = codeIndex(record.get(F::coordinateType), kTypes);
    if (frame.type == 0) {
        frame.position = frame.savedPositionKind;
    } else if (frame.type == 1) {
        frame.positionEnabled = {false, true, false};
        frame.position = 1;
    }
    frame.plane = codeIndex(record.get(F::mainPlane), kPlanes);
    frame.equinox = codeIndex(record.get(F::equinox), kEquinoxes);
    // The choices the coordinates allow.
    if (frame.type == 1) {
        frame.planeEnabled = {true, true, false};
        frame.equinoxEnabled = {true, true, false};
    } else if (frame.type == 0 && frame.position == 0) {
        frame.planeEnabled = {true, false, false};
        frame.equinoxEnabled = {true, true, false};
    } else if (frame.type == 0 && frame.position == 1) {
        frame.planeEnabled = {true, true, false};
        frame.equinoxEnabled = {true, true, true};
    } else if (frame.type == 0 && frame.position == 2) {
        frame.planeEnabled = {true, true, true};
        frame.equinoxEnabled = {false, false, true};
    }
    frame.output = codeIndex(record.get(F::outputKind), kOutputs);
}

void EphSetup::OnRectangular() {
    frame.type = 1;
    frame.positionEnabled = {false, true, false};
    frame.position = 1;
    if (frame.output == 0) frame.output = 1;
    frame.outputEnabled[0] = false;
    frame.planeEnabled = {true, true, false};
    frame.equinoxEnabled = {true, true, false};
    if (frame.equinox == 2) frame.equinox = 0;
    centre.geoEnabled = true;
    if (frame.plane == 2) frame.plane = 0;
}

void EphSetup::OnSpherical() {
    frame.type = 0;
    frame.positionEnabled = {true, true, true};
    frame.position = frame.savedPositionKind;
    switch (frame.position) {
        case 0:
            OnAstrometric();
            break;
        case 1:
            OnGeometric();
            break;
        case 2:
            OnApparent();
            break;
        default:
            break;
    }
    centre.geoEnabled = centre.topoEnabled = true;
    if (centre.centre != kEarth) {
        centre.numberShown = false;
        centre.centre = kEarth;
        centre.observer = 0;
        onGeocenter();
    } else {
        centre.observer = 1;
        onTopocenter();
    }
    interval.nearOppositionEnabled = true;
    if (frame.plane == 2) centre.geoEnabled = false;
}

void EphSetup::OnAstrometric() {
    frame.position = 0;
    centre.geoEnabled = true;
    frame.planeEnabled = {true, false, false};
    frame.equinoxEnabled = {true, true, false};
    if (frame.equinox == 2) frame.equinox = 0;
    frame.plane = 0;
}

void EphSetup::OnGeometric() {
    frame.position = 1;
    centre.geoEnabled = true;
    frame.planeEnabled = {true, true, false};
    frame.equinoxEnabled = {true, true, true};
    if (frame.plane == 2) frame.plane = 0;
}

void EphSetup::OnApparent() {
    frame.position = 2;
    frame.outputEnabled[1] = true;
    frame.outputEnabled[2] = false;
    if (frame.output == 2) frame.output = 1;
    frame.planeEnabled = {true, true, true};
    frame.equinoxEnabled = {false, false, true};
    frame.equinox = 2;
}

void EphSetup::OnEquator() {
    frame.plane = 0;
    if (spherical()) centre.geoEnabled = true;
}

void EphSetup::OnEcliptic() {
    frame.plane = 1;
    if (spherical()) centre.geoEnabled = true;
}

// Apparent spherical positions on the horizon of the true equinox are seen
// from a place on the Earth.
void EphSetup::OnHorizon() {
    frame.plane = 2;
    if (!earthTopocentreForced()) return;
    if (centre.centre != kEarth) {
        centre.centre = kEarth;
        centre.numberShown = false;
    }
    centre.geoEnabled = false;
    centre.topoEnabled = true;
    centre.observer = 1;
    centre.mode = 0;
    onTopocenter();
}

void EphSetup::OnTrueEquinox() {
    frame.equinox = 2;
    if (earthTopocentreForced()) OnHorizon();
}

void EphSetup::onEquinox(int index) { frame.equinox = index; }

void EphSetup::onOutput(int index) { frame.output = index; }

void EphSetup::onOutputPageShown() {
    frame.outputEnabled[0] = frame.type != 1;
    frame.outputEnabled[1] = true;
    if (frame.type == 0 && frame.position == 2) {
        frame.outputEnabled[2] = false;
        if (frame.output == 2) frame.output = 1;
    } else {
        frame.outputEnabled[2] = true;
    }
}

// ---- Center (observer) ---------------------------------------------------------------

bool CentrePageState::fieldEnabled(int k) const {
    if (observer != 1) return false;
    switch (mode) {
        case 0:
            return k == 0;
        case 2:
            return k == 1 || k == 2 || k == 6;
        case 3:
            return k == 3 || k == 4 || k == 5;
        default:
            return false;
    }
}

void EphSetup::initCentrePage() {
    check.clear();
    const char m = record.get_char(F::observerMode);
    centre.mode = m >= '1' && m <= '4' ? m - '1' : -1;
    centre.text = {std::string(record.get(F::observatoryCode)), std::string(record.get(F::siteLongitude)),
                   std::string(record.get(F::rhoCosPhi)),       std::string(record.get(F::geoLongitude)),
                   std::string(record.get(F::geoLatitude)),     std::string(record.get(F::geoHeight)),
                   std::string(record.get(F::rhoSinPhi))};
    centre.place = std::string(record.get(F::placeName));
    centre.saved = centre.text;
    centre.savedPlace = centre.place;
    const auto index = record.get_int(F::centreIndex);
    centre.centre = index.ok() && *index >= 0 && *index <= 13 ? static_cast<int>(*index) : kEarth;
    const auto minor = zelvomat::read_minor_file();
    centre.minorNumber = minor.ok() ? minor->substr(0, 6) : "1";
    centre.geoEnabled = centre.topoEnabled = true;
    centre.numberShown = centre.centre == kMinorObject;
    centre.observer = -1;
    if (rectangular() && centre.centre != kEarth) {
        centre.geoEnabled = centre.topoEnabled = false;
        onGeocenter();
        centre.observer = -1;
    } else if (centre.centre == kEarth) {
        const std::string_view kind = record.get(F::observerKind);
        if (sameCode(kind, "GEO")) {
            onGeocenter();
        } else if (sameCode(kind, "TOP")) {
            centre.observer = 1;
            if (centre.mode >= 0) onObserverMode(centre.mode);
            onTopocenter();
            if (sameCode(record.get(F::mainPlane), "HRZ")) centre.geoEnabled = false;
        }
    }
    check.clear();
}

void EphSetup::onGeocenter() {
    check.clear();
    centre.observer = 0;
    for (std::string& t : centre.text) t.clear();
    centre.place.clear();
}

void EphSetup::onTopocenter() {
    check.clear();
    centre.observer = 1;
    if (centre.mode >= 0) onObserverMode(centre.mode);
}

void EphSetup::onObserverMode(int mode) {
    check.clear();
    centre.mode = mode;
    const auto keep = [&](std::initializer_list<int> fields) {
        for (std::size_t k = 0; k < 7; ++k) centre.text[k].clear();
        for (int k : fields) centre.text[static_cast<std::size_t>(k)] = centre.saved[static_cast<std::size_t>(k)];
    };
    switch (mode) {
        case 0:
            keep({0});
            centre.place = centre.savedPlace;
            break;
        case 1: {
            keep({});
            centre.place = centre.savedPlace;
            // The code of the first observatory whose name holds the place.
            // A search that finds nothing leaves no code: the list file may
            // still hold an earlier search's matches. A match is a real
            // observatory whatever its code: "000" is Greenwich, whose task
            // would otherwise be stored without a code and refused.
            int count = 0;
            std::string fileName;
            const std::string place = fit(centre.place, CentrePageState::kPlaceWidth);
            lib.sea_obs(place.data(), static_cast<int>(place.size()), count, fileName);
            if (count <= 0) break;
            std::ifstream in(fileName, std::ios::binary);
            char match[54] = {};
            if (!in || !in.read(match, sizeof match)) {
                fw::message("System error: No temporary file created");
                break;
            }
            centre.text[0] = std::string(match, 3);
            break;
        }
        case 2:
            keep({1, 2, 6});
            centre.place.clear();
            break;
        case 3:
            keep({3, 4, 5});
            centre.place.clear();
            break;
        default:
            keep({});
            break;
    }
}

std::optional<FieldError> EphSetup::setChosenObservatory(const std::string& line) {
    std::string code = fit(line, 3);
    int err = 0, aux = 0;
    double value = 0;
    lib.contreph(6, code.data(), 3, err, value, aux);
    if (err != 0) {
        check.page = kCentrePage;
        return error("Wrong observatory name.");
    }
    centre.place = line.size() > 4 ? line.substr(4, CentrePageState::kPlaceWidth) : std::string();
    centre.text[0] = fit(line, 3);
    return std::nullopt;
}

void EphSetup::onCentreSelected(int index) {
    check.clear();
    centre.centre = index;
    if (index == kMinorObject && rectangular()) {
        centre.topoEnabled = false;
        onGeocenter();
        centre.observer = -1;
    }
    if (index != kEarth) {
        if (!rectangular()) {
            // Spherical positions are seen from the Earth.
            centre.centre = kEarth;
            centre.numberShown = false;
            interval.nearOppositionEnabled = true;
            return;
        }
        interval.nearOppositionEnabled = false;
        OnArbitrary();
        centre.geoEnabled = centre.topoEnabled = false;
        onGeocenter();
        centre.observer = -1;
    } else {
        interval.nearOppositionEnabled = true;
        if (earthTopocentreForced()) {
            centre.geoEnabled = false;
            centre.topoEnabled = true;
            centre.observer = 1;
            onTopocenter();
        } else if (centre.observer != 1) {
            centre.geoEnabled = centre.topoEnabled = true;
            onGeocenter();
        }
    }
    centre.numberShown = centre.centre == kMinorObject;
    check.clear();
}

std::optional<FieldError> EphSetup::validateCentreField(bool fromTree) {
    static constexpr std::array<int, 7> kKind{6, 7, 8, 7, 10, 11, 9};
    static constexpr std::array<const char*, 7> kName{"Catalog code", "Par. Longtitude", "dxy", "Longtitude",
                                                      "Latitude",     "Height",          "dz"};
    const int k = check.editedField;
    if (k < 0 || k > 6) return std::nullopt;
    const auto ku = static_cast<std::size_t>(k);
    const std::size_t width = CentrePageState::kWidth[ku];
    std::string typed = centre.text[ku].substr(0, std::min(centre.text[ku].size(), width));
    if (k == 5) {
        typed.erase(0, typed.find_first_not_of(' ') == std::string::npos ? typed.size() : typed.find_first_not_of(' '));
        if (typed.empty()) return std::nullopt;
    }
    std::string buf = fit(typed, width);
    int err = 0, aux = 0;
    double value = 0;
    lib.contreph(kKind[ku], buf.data(), static_cast<int>(width), err, value, aux);
    if (err != 0)
        return error(error_text(err) + ". Change the field \"" + kName[ku] + "\"." +
                     (k == 2 || k == 5 || k == 6 ? " " : ""));
    if (fromTree && (k == 2 || k == 6)) {
        const double dxy = text_value(k == 2 ? buf : centre.text[2]);
        const double dz = text_value(k == 6 ? buf : centre.text[6]);
        if (dxy == 0.0 && dz == 0.0) {
            FieldError e = error("Wrong field definition. Zero value of dxy and dz");
            e.plainBox = true;
            return e;
        }
    }
    centre.text[ku] = buf.substr(0, width);
    return std::nullopt;
}

// ---- Interval ---------------------------------------------------------------------

int IntervalPageState::coverageIndex() const {
    for (int i = 0; i < 6; ++i)
        if (coverage == CoverageChoices[static_cast<std::size_t>(i)]) return i;
    return 6;
}

void EphSetup::initIntervalPage() {
    check.clear();
    interval.saved = {std::string(record.get(F::oppositionYear)), std::string(record.get(F::oppositionStep)),
                      std::string(record.get(F::beginDate)), std::string(record.get(F::endDate)),
                      std::string(record.get(F::intervalStep))};
    interval.savedCoverage = std::string(record.get(F::coverage));
    interval.text = interval.saved;
    interval.coverage = interval.savedCoverage;
    interval.nearOppositionEnabled = true;
    interval.kind = -1;
    if (centre.centre != kEarth || object.radio > 3) {
        interval.nearOppositionEnabled = false;
        OnArbitrary();
    } else if (sameCode(record.get(F::intervalKind), "NOPP")) {
        OnNearOpposition();
    } else if (sameCode(record.get(F::intervalKind), "ARBT")) {
        OnArbitrary();
    }
    check.clear();
}

void EphSetup::OnNearOpposition() {
    check.clear();
    interval.kind = 0;
    interval.text = {interval.saved[0], interval.saved[1], "", "", ""};
    IntervalPageState probe;
    probe.coverage = interval.savedCoverage;
    interval.coverage = CoverageChoices[static_cast<std::size_t>(probe.coverageIndex())];
}

void EphSetup::OnArbitrary() {
    check.clear();
    interval.kind = 1;
    interval.text = {"", "", interval.saved[2], interval.saved[3], interval.saved[4]};
    interval.coverage = CoverageChoices[6];
}

std::optional<FieldError> EphSetup::ValidateIntervalField(bool) {
    static constexpr std::array<int, 5> kKind{3, 12, 5, 5, 4};
    const int k = check.editedField;
    if (k < 0 || k > 4) return std::nullopt;
    const auto ku = static_cast<std::size_t>(k);
    const std::size_t width = IntervalPageState::kWidth[ku];
    std::string buf = fit(interval.text[ku], width);
    buf.resize(14, ' ');
    int err = 0, aux = 0;
    double value = 0;
    lib.contreph(kKind[ku], buf.data(), static_cast<int>(width), err, value, aux);
    if (err != 0) {
        switch (k) {
            case 0:
                return error("Wrong field definition. Change the field Year");
            case 1:
                return error("Wrong field definition. Change the field Step");
            case 2:
                return error(error_text(err) + ". Change the field \"Begin\"");
            case 3:
                return error(error_text(err) + ". Change the field \"End\"");
            default:
                return error(error_text(err) + ". Change the field \"Step\"");
        }
    }
    interval.text[ku] = buf.substr(0, width);
    return std::nullopt;
}

// ---- Restrictions -----------------------------------------------------------------------

const std::array<const char*, 10>& restrictionCaptions(int layoutMode) {
    static const std::array<const char*, 10> kRectangular{
        "<=      X     <=", "<=      Y     <=", "<=      Z     <=", "<=    dX/dt   <=", "<=    dY/dt   <=",
        "<=    dZ/dt   <=", "<=      R     <=", "<=    dR/dt   <=", "<=      r     <=", "<=      v     <="};
    static const std::array<const char*, 10> kEquator{
        "<=    R.A.    <=", "<=    Decl.   <=", "<=    Dist.   <=", "<=  d(RA)/dt  <=", "<= d(Decl)/dt <=",
        "<= d(Dist)/dt <=", "<=      r     <=", "<=    Phase   <=", "<=      V     <=", "<=    Elong.  <="};
    static const std::array<const char*, 10> kEcliptic{
        "<=    Long.   =<", "<=    Lat.    =<", "<=    Dist.   =<", "<= d(Long)/dt =<", "<=  d(Lat)/dt =<",
        "<= d(Dist)/dt =<", "<=      r     <=", "<=    Phase   <=", "<=      V     <=", "<=    Elong.  <="};
    static const std::array<const char*, 10> kHorizon{
        "<=      A     <=", "<=      h     <=", "<=     Dist.  <=", "<=            <=", "<=            <=",
        "<=            <=", "<=      r     <=", "<=    Phase   <=", "<=      V     <=", "<=    Elong.  <="};
    switch (layoutMode) {
        case 1:
            return kRectangular;
        case 3:
            return kEcliptic;
        case 4:
            return kHorizon;
        default:
            return kEquator;
    }
}

std::string restrictionHint(int type) {
    // Angles: sign, degrees "oo", minutes "''", seconds, a point and tenths.
    const std::string angle = "+oo''\"\".\"";
    std::string h;
    switch (type) {
        case 1:
            return "+xx.xxxxx          a.u.       +xx.xxxxx     ";
        case 2:
            return "+x.xxxxxxx       a.u./day     +x.xxxxxxx    ";
        case 3:
            return "xx.xxx           km/sec.      xx.xxx        ";
        case 4:
            return "hhmmss.ss     hour min. sec.  hhmmss.ss     ";
        case 5:
        case 7:
            h.assign(44, ' ');
            h.replace(0, 9, angle);
            h.replace(30, 9, angle);
            if (type == 5)
                h.replace(19, 5, "o ' \"");
            else
                h.replace(15, 12, "(o '  \")/day");
            return h;
        case 6:
            return "+hhmmss.ss     (h m s)/day    +hhmmss.ss    ";
        case 8:
            return "ooo.o            degrees      ooo.o         ";
        case 9:
            return "xx.x            magnitudes    xx.x       ";
        case 10:
            h.assign(39, ' ');
            h.replace(0, 9, "ooo''\"\".\"");
            h.replace(30, 9, "ooo''\"\".\"");
            h.replace(19, 5, "o ' \"");
            return h;
        case 11:
            return "+ooo.o        degrees(EW,+-)  +ooo.o        ";
        case 12:
            return "xx.xxxxx           a.u.       xx.xxxxx      ";
        case 13:
            return std::string(18, ' ') + "a.u./day" + std::string(18, ' ');
        default:
            return std::string(44, ' ');
    }
}

void EphSetup::initRestrictionsPage() {
    const char d = record.get_char(F::restrictionMode);
    ctx.RestrictionMode = d >= '0' && d <= '9' ? d - '0' : 0;
    if (ctx.RestrictionMode < 5)
        onNoRestrictions();
    else
        onSetRestrictions();
}

void EphSetup::onNoRestrictions() {
    check.clear();
    restrict.choice = 0;
    restrict.laidOut = false;
    restrict.reject = 0;
    restrict.rejectEnabled = false;
    for (std::string& c : restrict.captions) c.assign(16, ' ');
    for (std::string& t : restrict.current) t = kBlank10;
    restrict.rowOn = {};
    restrict.hintRow = -1;
}

void EphSetup::resetRestrictions() {
    restrict.choice = 0;
    restrict.laidOut = false;
    restrict.reject = 0;
    restrict.rejectEnabled = false;
    for (std::string& c : restrict.captions) c.assign(16, ' ');
    for (std::string& t : restrict.current) t = kBlank10;
    restrict.hintRow = -1;
}

void EphSetup::onSetRestrictions() {
    check.clear();
    restrict.laidOut = false;
    restrict.choice = 1;
    restrict.rejectEnabled = true;
    restrict.reject = sameCode(record.get(F::headingsSwitch), "NOHD") ? 1 : 0;
    layOutRestrictions();
}

void EphSetup::layOutRestrictions() {
    const std::string coord = frame.coordinateCode(), plane = frame.planeCode(), output = frame.outputCode();
    const int block = coord == "REC" ? 1 : plane == "ECL" ? 3 : plane == "HRZ" ? 4 : 2;
    for (int i = 0; i < 10; ++i) {
        const auto iu = static_cast<std::size_t>(i);
        const bool on = record.restriction_switch(block, i + 1) == '2';
        restrict.rowOn[iu] = on ? 1 : 0;
        restrict.current[iu] = on ? std::string(record.lower_bound(block, i + 1)) : kBlank10;
        restrict.current[10 + iu] = on ? std::string(record.upper_bound(block, i + 1)) : kBlank10;
    }
    restrict.loaded = restrict.current;
    int mode = 0;
    lib.restr(coord, plane, output, restrict.types.data(), restrict.widths.data(), mode);
    restrict.layoutMode = mode;
    if (mode == 0) {
        for (std::string& c : restrict.captions) c.assign(16, ' ');
        for (std::string& t : restrict.current) t = kBlank10;
        restrict.rowOn = {};
        return;
    }
    ctx.EphCodeKey = coord + plane + output;
    const auto& captions = restrictionCaptions(mode);
    for (std::size_t i = 0; i < 10; ++i) {
        restrict.captions[i] = captions[i];
        // Rows without a quantity (the horizon's rates) take no bounds.
        if (restrict.types[i] == 14) {
            restrict.rowOn[i] = 0;
            restrict.current[i] = restrict.current[10 + i] = kBlank10;
        }
    }
    restrict.hintRow = -1;
    restrict.laidOut = true;
    check.clear();
}

bool EphSetup::onRowSwitch(int row, bool on, std::optional<FieldError>* errorOut) {
    if (row < 0 || row > 9 || !restrict.rowEnabled()) return false;
    const auto r = static_cast<std::size_t>(row);
    if (restrict.types[r] == 14) return false;
    if (check.pending()) {
        if (check.page == kRestrictionsPage && check.editedField % 10 == row) {
            // Switching the row off (or on again) drops its pending bound.
            check.clear();
        } else if (auto e = checkPending(false)) {
            if (errorOut != nullptr) *errorOut = e;
            return false;
        }
    }
    restrict.rowOn[r] = on ? 1 : 0;
    restrict.current[r] = on ? restrict.loaded[r] : kBlank10;
    restrict.current[10 + r] = on ? restrict.loaded[10 + r] : kBlank10;
    restrict.hintRow = -1;
    return true;
}

void EphSetup::onRestrictionsPageShown() {
    const std::string key = codeKey();
    if (key == ctx.EphCodeKey) return;
    if (!ctx.EphCodeKey.empty()) resetRestrictions();
    ctx.EphCodeKey = key;
    if (check.page == kRestrictionsPage) check.clear();
}

std::optional<FieldError> EphSetup::validateRestrictionField(bool) {
    const int k = check.editedField;
    if (k < 0 || k > 19) return std::nullopt;
    const auto ku = static_cast<std::size_t>(k);
    const auto row = static_cast<std::size_t>(k % 10);
    const auto width = static_cast<std::size_t>(std::clamp(restrict.widths[row], 0, 10));
    const std::string typed = fit(restrict.current[ku], width);
    if (IsBlankText(typed)) {
        restrict.current[ku] = kBlank10;
        return std::nullopt;
    }
    std::string buf = typed;
    int err = 0;
    double value = 0;
    lib.contr_vv(restrict.types[row], buf.data(), static_cast<int>(width), err, value);
    if (err != 0)
        return error("Wrong field definition. Change the field value",
                     restrict.captions[row].substr(2, 12) + (k < 10 ? "  (left)" : "  (right)"));
    restrict.current[ku] = fit(buf, 10);
    return std::nullopt;
}

}  // namespace zelvo::eph
