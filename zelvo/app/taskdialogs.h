// The dialogs that the task commands and the line check show, behind an
// interface: the program shows Qt dialogs, tests script the answers. Each
// function gives nothing when the user cancelled.
#pragma once

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace zelvo {

struct AppContext;
struct OcAccuracySettings;
class Library;
class ObsTypeModel;
class OrbitParamModel;

// What the String Editor shows for one line.
struct StringEditRequest {
    std::string title;        // column titles above the masks
    std::string secondsMask;  // mask of the layout with seconds, right above the line
    std::string minutesMask;  // mask of the layout with decimal minutes
    std::string lineText;     // the line, blank-padded to its length
    std::string message;      // "After the error: ..." or empty
    int lineNumber = 0;       // 1-based
    int caret = -1;           // caret position in the line; -1 leaves it at the start
};

// The observatory search of Observatories|Select.
struct ObsChoice {
    int choice = 0;        // 0 by number, 1 by name
    std::string fragment;  // name fragment
    std::string number;    // observatory code
};

// The separation conditions of the O-C results (start values from OC1.cfg;
// the answer holds the texts of the boxes, empty for a box switched off).
struct SeparationChoice {
    int separation = 0;  // 1 "Separation conditions", 0 "No separations"
    int oneObservatory = 0;
    int limits = 0;
    std::string code;      // 3 characters
    std::string upper;     // "abs(O-C)(arcsec)<="
    std::string lower;     // "abs(O-C)(arcsec)>="
    int observatory = -1;  // the answer's: the observatory number of code, -1 any
};

class TaskDialogs {
public:
    virtual ~TaskDialogs() = default;
    // The String Editor: the edited line after Save.
    virtual std::optional<std::string> editLine(const StringEditRequest& request) = 0;
    // The limiting magnitude of a plate search, starting from text.
    virtual std::optional<std::string> magnitude(const std::string& text, Library& lib) = 0;
    // The R.A. and Decl. tolerances of an identification (arcseconds).
    virtual std::optional<std::pair<std::string, std::string>> tolerance(const std::string& ra,
                                                                         const std::string& decl) = 0;
    virtual std::optional<ObsChoice> observatoryChoice() = 0;
    // The separation dialog; on OK it has cleared OcResultFromRun and
    // CalcInterrupted, and the answer's observatory is that of the code.
    // The answer holds the switches and the texts of the three fields.
    virtual std::optional<SeparationChoice> separation(const SeparationChoice& start, AppContext& ctx,
                                                       Library& lib) = 0;
    // The observation type dialog over the model: true after OK (its
    // typeCode is the answer).
    virtual bool observationType(ObsTypeModel& model) = 0;
    // The calculation accuracy dialog over the choice of an O-C window: true
    // after OK (it has stored the choice in settings).
    virtual bool accuracy(AppContext& ctx, OcAccuracySettings& settings, bool orbitIntroduced) = 0;
    // The orbit parameters dialog; openOrbitInput runs the orbit input
    // dialog (elements when true).
    virtual void orbitParameters(OrbitParamModel& model, std::function<void(bool)> openOrbitInput) = 0;
    // The parallax calculation of Observatories|Calculate, starting from an
    // observatory record (empty: no record selected).
    virtual void parallax(const std::string& record) { (void)record; }
};

}  // namespace zelvo
