// The ephemeris set-up: the state and rules of the set-up dialog's pages
// (object choice, coordinates, main plane, centre and observer, interval,
// output format, accuracy, restrictions), the checks of their typed fields,
// the task description, and the load, store and check of the task record.
//
// The pages change one another (a rectangular choice moves the output away
// from EMP and the centre to the geocentre, typed orbits force an arbitrary
// interval, ...), so their handlers live together in EphSetup; the widgets of
// CEphTaskDlg only show this state and forward the user's actions.
//
// Typed fields are checked when the user moves from one tested field to
// another, when the tree selection changes and when Run is pressed. The
// check protocol is explicit state (FieldCheckState): a field that received
// the focus is the pending field; the next focus on another tested field,
// a tree change or Run checks it first, and a failed check keeps the user on
// it. A radio choice that changes a page's mode drops the pending check.
#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "zelvo/app/accuracy.h"
#include "zelvo/app/context.h"
#include "zelvo/app/library.h"
#include "zelvomat/tasks/ephrecord.h"

namespace zelvo::eph {

// Page numbers: the positions of the pages' items in the dialog's tree (the
// root "Ephemerides" is 0).
enum Page : int {
    kRoot = 0,
    kObjectPage = 1,
    kCoordinatesPage = 2,
    kPlanePage = 3,
    kCentrePage = 4,
    kIntervalPage = 5,
    kOutputPage = 6,
    kAccuracyPage = 7,
    kRestrictionsPage = 8,
    kDescriptionPage = 9,
};

// What the field-error dialog shows for a field that failed its check (a
// plain message box when plainBox is set).
struct FieldError {
    std::string message, hint1, hint2;
    bool plainBox = false;
};

// The state of the typed-field checks shared by the checking pages.
struct FieldCheckState {
    int page = -1;          // page of the pending field (1, 4, 5 or 8), -1 none
    int editedField = -1;   // the pending field on that page, -1 none
    int focusedField = -1;  // the field that received the focus last
    bool pending() const { return page > 0 && editedField >= 0; }
    void clear() {
        page = -1;
        editedField = -1;
    }
};

// ---- Object(s) ----------------------------------------------------------
// Field indices: 0 Number From, 1 Number To, 2 Object name, 3 Oppositions
// From, 4 Oppositions To, 5 object list file.
struct ObjectPageState {
    static constexpr std::array<std::size_t, 6> kWidth{6, 6, 18, 10, 10, 80};
    int radio = -1;  // 0 Number(s), 1 Object name, 2 Oppositions, 3 Object list, 4 Elements, 5 Coordinates
    std::array<std::string, 6> text;
    std::array<std::string, 6> saved;  // the record's texts as loaded
    bool initialising = false;
    // Fields (and their labels) open for typing in the current mode.
    bool fieldEnabled(int k) const;
    bool listButtonsEnabled() const { return radio == 3; }  // Edit, Browse...
    bool elementsOrbitEnabled() const { return radio == 4; }
    bool coordinatesOrbitEnabled() const { return radio == 5; }
};

// ---- Coordinates, Main plane, Output format ------------------------------
struct FramePagesState {
    int type = -1;      // 0 Spherical "SPH", 1 Rectangular "REC"
    int position = -1;  // 0 Astrometric "AST", 1 Geometric "GMT", 2 Apparent "APP"
    int plane = -1;     // 0 Equator "EQT", 1 Ecliptic "ECL", 2 Horizon "HRZ"
    int equinox = -1;   // 0 "2000", 1 "1950", 2 True "INST"
    int output = -1;    // 0 "EMP", 1 Positions "POS", 2 Positions + velocities "PSV"
    std::array<bool, 3> positionEnabled{true, true, true};
    std::array<bool, 3> planeEnabled{true, true, true};
    std::array<bool, 3> equinoxEnabled{true, true, true};
    std::array<bool, 3> outputEnabled{true, true, true};
    int savedPositionKind = -1;  // the record's position kind when the dialog opened

    std::string coordinateCode() const { return type == 1 ? "REC" : "SPH"; }
    std::string planeCode() const { return plane == 1 ? "ECL" : plane == 2 ? "HRZ" : "EQT"; }
    std::string outputCode() const { return output == 1 ? "POS" : output == 2 ? "PSV" : "EMP"; }
};

// ---- Center (observer) ----------------------------------------------------
// Field indices of the check: 0 observatory code, 1 longitude (mode 3),
// 2 dxy, 3 geographic longitude, 4 latitude, 5 height, 6 dz.
struct CentrePageState {
    static constexpr std::array<std::size_t, 7> kWidth{3, 9, 8, 9, 9, 9, 9};
    static constexpr std::size_t kPlaceWidth = 50;
    int centre = 3;     // 0-13, the items of the body list
    int observer = -1;  // 0 Geocenter, 1 Topocenter, -1 neither
    int mode = -1;      // 0 Catalog code, 1 Name of place, 2 Parallax constants, 3 Geographic
    std::array<std::string, 7> text;
    std::string place;
    std::array<std::string, 7> saved;
    std::string savedPlace;
    std::string minorNumber;  // number of a minor-object centre, as typed
    bool geoEnabled = true, topoEnabled = true;
    bool numberShown = false;

    bool modeRadiosEnabled() const { return observer == 1; }
    bool fieldEnabled(int k) const;
    bool placeEnabled() const { return observer == 1 && mode == 1; }
};

// The centre bodies in the order of the list (index = centre index).
extern const std::array<const char*, 14> kCentreNames;

// ---- Interval -------------------------------------------------------------
// Field indices: 0 year, 1 near-opposition step, 2 begin, 3 end, 4 arbitrary step.
struct IntervalPageState {
    static constexpr std::array<std::size_t, 5> kWidth{4, 9, 14, 14, 9};
    int kind = -1;  // 0 Near-opposition ephemerides, 1 Arbitrary
    std::array<std::string, 5> text;
    std::string coverage;  // one of CoverageChoices
    std::array<std::string, 5> saved;
    std::string savedCoverage;
    bool nearOppositionEnabled = true;  // the radio and its controls

    bool fieldEnabled(int k) const { return kind == 0 ? (k == 0 || k == 1) : kind == 1 ? (k >= 2) : false; }
    bool coverageEnabled() const { return kind == 0; }
    // Index of the coverage in the list (6, the blank item, for no match).
    int coverageIndex() const;
};
extern const std::array<const char*, 7> CoverageChoices;

// ---- Restrictions ---------------------------------------------------------
// Field numbers: lower bounds 0-9, upper bounds 10-19 (row = number % 10).
struct RestrictPageState {
    int choice = -1;  // 0 No restrictions, 1 Set restrictions
    int reject = 0;   // Reject solitary headings
    bool rejectEnabled = false;
    bool laidOut = false;          // rows laid out for layoutKey
    int layoutMode = 0;            // from restr: 0 none possible, 1 rectangular, 2 equator, 3 ecliptic, 4 horizon
    std::array<int, 10> types{};   // restriction type of each row, 1-14
    std::array<int, 10> widths{};  // width of each row's bound
    std::array<int, 10> rowOn{};
    std::array<std::string, 20> current;  // what the store writes
    std::array<std::string, 20> loaded;   // as Set restrictions loaded them
    std::array<std::string, 10> captions;
    int hintRow = -1;  // row whose hint line covers its caption, -1 none

    bool rowEnabled() const { return choice == 1 && laidOut; }
    // The row's check box (rows without a quantity take no bounds).
    bool rowBoxEnabled(int row) const { return rowEnabled() && types[static_cast<std::size_t>(row)] != 14; }
    bool boundEnabled(int k) const { return rowEnabled() && rowOn[static_cast<std::size_t>(k % 10)] != 0; }
};

// Captions of the ten quantities of each coordinate set and the hint lines of
// the restriction types.
const std::array<const char*, 10>& restrictionCaptions(int layoutMode);
// The years of the data package: settings record 6 of "setpar" in workDir;
// 0 to 0 when the file or the record cannot be read or holds no years.
struct PackageYears {
    int first = 0;
    int last = 0;
};
PackageYears packageYears(const std::string& workDir);

// The record of a new task: the library's defaults, with an interval of ten
// days at a step of one day that starts on 1 January of the package's first
// year, or today when today lies within the package's years (early enough
// that the ten days end within them). Without package years the defaults'
// own interval stays.
zelvomat::EphTaskRecord defaultTaskRecord(PackageYears years, std::chrono::year_month_day today);

std::string restrictionHint(int type);

// ---- Task description -----------------------------------------------------
struct TaskDescription {
    std::string objectText, coordinatesText, planeText, intervalText, outputText, centreText, accuracyText,
        restrictionsText;
    std::string block1, block2, block3;
};
// One restriction as an inequality ("10<=Dist.<=20"); empty without bounds.
std::string FormatRestriction(std::string label, std::string lower, std::string upper);

// ---- The whole set-up -------------------------------------------------------
class EphSetup {
public:
    EphSetup(AppContext& ctx, Library& lib);

    AppContext& ctx;
    Library& lib;
    zelvomat::EphTaskRecord& record;  // the program's ephemeris task record

    ObjectPageState object;
    FramePagesState frame;
    CentrePageState centre;
    IntervalPageState interval;
    AccuracyPageModel accuracy;
    RestrictPageState restrict;
    FieldCheckState check;
    TaskDescription description;

    // Loads "eph.cfg" into the record, has the library check it and, when it
    // is missing or wrong, asks to start a new one (false: the user said No,
    // after the message, and the task is cancelled). Then the pages take
    // their start values from the record.
    bool load();
    void initPages();

    // ---- Object(s)
    void OnNumbers();
    void OnObjectName();
    void OnOppositions();
    void OnObjectList();
    void OnElements();
    void OnCoordinatesVelocities();
    // The list file chosen by Browse...: the Object list mode with that file.
    void setBrowsedListFile(const std::string& path);
    std::optional<FieldError> ValidateObjectField(bool fromTree);

    // ---- Coordinates, Main plane, Output format
    void OnSpherical();
    void OnRectangular();
    void OnAstrometric();
    void OnGeometric();
    void OnApparent();
    void OnEquator();
    void OnEcliptic();
    void OnHorizon();
    void OnTrueEquinox();
    void onEquinox(int index);  // 2000.0 and 1950.0 have no handler of their own
    void onOutput(int index);
    void onOutputPageShown();

    // ---- Center (observer)
    void onCentreSelected(int index);
    void onGeocenter();
    void onTopocenter();
    void onObserverMode(int mode);
    // The observatory chosen in the search dialog: a code, a blank and the name.
    std::optional<FieldError> setChosenObservatory(const std::string& line);
    std::optional<FieldError> validateCentreField(bool fromTree);
    void onCentrePageShown() {}

    // ---- Interval
    void OnNearOpposition();
    void OnArbitrary();
    std::optional<FieldError> ValidateIntervalField(bool fromTree);

    // ---- Accuracy
    void OnEllipticMotion() { accuracy.onEllipticMotion(); }

    // ---- Restrictions
    void onNoRestrictions();
    void onSetRestrictions();
    // The row check box of row i was clicked to on (or off). False (and the
    // box keeps its state) when a pending check of another field failed;
    // the error is in *error then.
    bool onRowSwitch(int row, bool on, std::optional<FieldError>* error = nullptr);
    void resetRestrictions();
    void onRestrictionsPageShown();
    std::optional<FieldError> validateRestrictionField(bool fromTree);

    // ---- The check protocol
    // A tested field (page, index) received the focus. When another field
    // was pending, it is checked first: a failure comes back and the focus
    // must return to the pending field (check.page, check.editedField).
    std::optional<FieldError> fieldFocused(int page, int field);
    // Runs the check of the pending field (fromTree: the cross-field tests
    // too); nothing when none is pending or it passed, which ends it.
    std::optional<FieldError> checkPending(bool fromTree);
    void cancelPendingCheck() { check.clear(); }

    // The tree selection moves to page to: the pending field is checked
    // first; false (after *error is set) keeps the user where he is. On the
    // way the restrictions are reset when the frame codes changed since they
    // were laid out, and the description is built again.
    bool treeSelecting(int to, std::optional<FieldError>* error = nullptr);

    // Run: checks the pending field, lays the restrictions out again for the
    // current codes, builds the description, stores the pages, writes
    // "Eph.cf1" and has the library check it; a clean record is saved as
    // "eph.cfg".
    enum class RunResult { FieldError, RecordRejected, Accepted };
    RunResult runTaskCheck(std::optional<FieldError>* error = nullptr);
    std::array<int, 7> sections{};  // the check's section states after Run

    // The description and the values the result window reads.
    void BuildTaskDescription();
    // Copies the pages into the record.
    void StoreTaskRecord();

    // Deletes "result.ep4" and runs the library's ephemeris driver with the
    // progress dialog; the result file's name, empty when the run could not
    // start or the library reported a failure.
    std::string RunEphemerisComputation();

    std::string codeKey() const { return frame.coordinateCode() + frame.planeCode() + frame.outputCode(); }

private:
    void initObjectPage();
    void initFramePages();
    void initCentrePage();
    void initIntervalPage();
    void initRestrictionsPage();
    void catalogueChoice(int radio, std::initializer_list<int> fields);
    void orbitChoice(int radio);
    void layOutRestrictions();
    bool spherical() const { return frame.type == 0; }
    bool rectangular() const { return frame.type == 1; }
    bool earthTopocentreForced() const {
        return frame.type == 0 && frame.position == 2 && frame.plane == 2 && frame.equinox == 2;
    }
};

}  // namespace zelvo::eph
