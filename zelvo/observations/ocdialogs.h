// The dialogs of the O-C task: the observation type (what the observations
// of an O-C file are), the orbit parameters (where the orbit comes from) and
// the separation of residuals. Each dialog's rules are a plain model that
// tests drive; the Qt dialog only shows it.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "framework/dialog.h"
#include "zelvo/app/context.h"
#include "zelvo/app/library.h"
#include "zelvo/app/occonfig.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zelvo {

// ---- Observation type ----------------------------------------------------------------
//
// Positions P (1 astrometric, 2 geometric, 3 apparent), main plane C (1
// equator, 2 ecliptic, 3 horizon) and equinox E (1 2000.0, 2 1950.0, 3 true);
// -1 for none. The combinations the O-C task computes:
//   astrometric: equator; 2000.0, 1950.0
//   geometric:   equator, ecliptic; 2000.0, 1950.0, true
//   apparent:    equator, ecliptic, horizon; true
class ObsTypeModel {
public:
    int positions = -1, mainPlane = -1, equinox = -1;
    int typeCode = 111;

    // The three digits of code.
    void start(int code);
    // The dialog is shown: the positions' rules applied (corrections included).
    void onShow();
    void choosePositions(int p);
    void chooseMainPlane(int c);
    void chooseEquinox(int e);
    // The buttons enabled for the current positions (all when it is none).
    bool planeEnabled(int c) const;
    bool equinoxEnabled(int e) const;
    // OK: false while a member is none (the caller asks "Unknown file
    // format.Ignore?"; Yes gives acceptUnknown()). typeCode is set.
    bool ok();
    void acceptUnknown() { typeCode = 111; }

private:
    bool enablingKnown_ = false;
};

// " " + the main-plane, equinox and positions texts of the members (a part
// whose member is not 1 to 3 adds nothing), then the accuracy text of the
// motion model (the model itself, not the run's copy) without the
// relativistic-Sun mark.
std::string obsTypeHeader(int positions, int mainPlane, int equinox, const OcAccuracySettings& accuracy);

// Dialog 101 "Observation type".
class CObsTypeDlg final : public fw::Dialog {
public:
    explicit CObsTypeDlg(ObsTypeModel& model, QWidget* parent = nullptr);
    bool onInitDialog() override;
    void onOK() override;
    // The model's state into the buttons.
    void showModel();
    QRadioButton* positionsButton(int p) const { return positions_[static_cast<std::size_t>(p - 1)]; }
    QRadioButton* planeButton(int c) const { return planes_[static_cast<std::size_t>(c - 1)]; }
    QRadioButton* equinoxButton(int e) const { return equinoxes_[static_cast<std::size_t>(e - 1)]; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    ObsTypeModel& m_;
    std::array<QRadioButton*, 3> positions_{}, planes_{}, equinoxes_{};
};

// ---- Orbit parameters ------------------------------------------------------------------

// The choices of one O-C input window, made when the window opens and
// changed only by its own commands, so that Calculate O-C in one window
// never takes another's: the motion model and perturbing bodies (nodes with
// every body to start with), the orbit's source (the catalogue or a typed
// orbit, as elements or coordinates, and the user's list file) and the task
// record that Calculate O-C writes as "omc.cfg".
struct OcChoices {
    OcChoices();
    OcAccuracySettings accuracy;
    bool orbitIntroduced = false;
    bool orbitAsElements = true;
    std::string orbitListFile;
    std::string taskRecord;
};

//
// The orbit key (the first four characters of the O-C task record): "ZELV"
// the catalogue, "EELM"/"FELM" one or a list of orbits as elements,
// "XXYZ"/"FXYZ" as coordinates and velocities. Every choice takes effect
// when it is clicked; Cancel undoes nothing.
class OrbitParamModel {
public:
    enum Choice { None = -1, Catalogue = 0, Elements = 1, Coordinates = 2 };
    explicit OrbitParamModel(OcChoices& choices) : choices_(choices), record_(choices.taskRecord) {}

    // The choice the record's key shows (keys compared without case; a list
    // key is written back upper-cased).
    Choice init();
    void chooseCatalogue();
    void chooseElements();
    void chooseCoordinates();
    Choice choice() const { return choice_; }
    bool elementsButtonEnabled() const { return choice_ == Elements; }
    bool coordinatesButtonEnabled() const { return choice_ == Coordinates; }
    std::string key() const { return record_.substr(0, 4); }

private:
    OcChoices& choices_;
    std::string& record_;
    Choice choice_ = None;
};

// Dialog 183 (no caption): the orbit's source, and "..." buttons that open
// the orbit input dialog on the O-C task's files.
class COrbitParamDlg final : public fw::Dialog {
public:
    // openOrbitInput runs the orbit input dialog (elements when true).
    COrbitParamDlg(OrbitParamModel& model, std::function<void(bool)> openOrbitInput, QWidget* parent = nullptr);
    bool onInitDialog() override;
    void showModel();
    QRadioButton* radio(int choice) const { return radios_[static_cast<std::size_t>(choice)]; }
    QPushButton* elementsButton() const { return elementsButton_; }
    QPushButton* coordinatesButton() const { return coordinatesButton_; }

private:
    OrbitParamModel& m_;
    std::function<void(bool)> openOrbitInput_;
    std::array<QRadioButton*, 3> radios_{};
    QPushButton* elementsButton_;
    QPushButton* coordinatesButton_;
};

// ---- Separation -------------------------------------------------------------------------
//
// Fields: 1 the observatory code (3 characters), 2 the upper limit
// "abs(O-C)(arcsec)<=", 3 the lower limit ">=" (9 characters each). A field
// is checked by the library when the user leaves it for another field or
// presses OK: the code by contreph kind 6 (a negative observatory number is
// refused with " Change the number of Observatory."), a limit by kind 15
// (refused with "Wrong field definition." and the line naming the field; a
// blank limit becomes 9 blanks). A refused field keeps the focus.
class SeparationModel {
public:
    struct FieldError {
        int field = 0;
        std::string line1, line2;
    };
    // The field-error dialog (CFieldErrorDlg) and message boxes.
    std::function<void(const FieldError&)> showFieldError;

    SeparationModel(AppContext& ctx, Library& lib);

    // The start values (from OC1.cfg).
    int conditionsOn = 0, selectObservatory = 0, separateByOC = 0;
    std::string codeText = "   ", maxText = std::string(9, ' '), minText = std::string(9, ' ');
    std::string codeFieldText;
    std::string offCodeText, offMaxText, offMinText;

    // What the three fields show and whether each is enabled; the state of
    // the switches.
    std::array<std::string, 4> field{};  // 1..3
    std::array<bool, 4> fieldEnabled{};
    bool noSeparationsChecked = true, conditionsChecked = false;
    bool observatoryBoxChecked = false, limitsBoxChecked = false;
    bool boxesEnabled = false;
    int focus = 0;  // the field that has the focus (0: none)
    // The observatory number of the code last checked (-1: any), which the
    // dialog answers with.
    int observatory = -1;

    // The check protocol's state.
    int editedField = -1, enteredField = -1;
    bool editing = false, lastCheckPassed = false;

    void init();
    void clickObservatory(bool checked);
    void clickLimits(bool checked);
    void clickNoSeparations();
    void clickConditions();
    // The user typed into field i.
    void type(int i, const std::string& text) { field[static_cast<std::size_t>(i)] = text; }
    // Field i gains the focus.
    void enterField(int i);
    // OK (1108): true when the dialog ends with IDOK.
    bool ok();
    // Enter: the caret back to the field being edited.
    void enter();

    // The limits that stand for none: a lower limit of -1 (the
    // configuration's default) and an upper limit of 1.0E+26.
    static constexpr double kNoUpperLimit = 1.0e26;
    static bool isNoLowerLimit(std::string_view text);
    static bool isNoUpperLimit(std::string_view text);

private:
    // The observatory number of a typed code (-1: none such).
    int observatoryOf(const std::string& text);
    bool checkEditedField();
    void takeFields();

    AppContext& ctx_;
    Library& lib_;
    // The texts of the three fields while they are switched off, which
    // switching them on again brings back.
    std::string savedCode_, savedMax_, savedMin_;
};

// Dialog 166 "Separation Dialogue".
class CSeparationDlg final : public fw::Dialog {
public:
    explicit CSeparationDlg(SeparationModel& model, QWidget* parent = nullptr);
    bool onInitDialog() override;
    void onOK() override;
    void showModel();
    QLineEdit* edit(int i) const { return edits_[static_cast<std::size_t>(i)]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readEdits();
    SeparationModel& m_;
    std::array<QLineEdit*, 4> edits_{};
    QRadioButton* noSep_;
    QRadioButton* conditions_;
    QCheckBox* observatory_;
    QCheckBox* limits_;
    std::array<QLabel*, 3> labels_{};
    bool syncing_ = false;
};

}  // namespace zelvo
