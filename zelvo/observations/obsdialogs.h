// The small dialogs of the identification and the observatory list: the
// tolerances of an identification, the choice of observatories by number or
// by a name fragment, and the conversion between an observatory's parallax
// constants and its latitude and height.
//
// Every typed field is checked by the library's contreph: the field's text,
// cut to the width of its kind and blank-padded, goes to the check, which
// writes the normalised text back. The rules live in plain models that the
// tests drive; the Qt dialogs only show them.
#pragma once

#include <string>

#include "framework/dialog.h"
#include "zelvo/app/library.h"

class QLineEdit;
class QRadioButton;

namespace zelvo {

// The check of one field: text cut to width characters and blank-padded,
// passed to contreph(kind). The error code; normalized (when given) takes
// the width characters written back, value and aux the check's numbers.
int check_dialog_field(Library& lib, int kind, const std::string& text, int width, std::string* normalized = nullptr,
                       double* value = nullptr, int* aux = nullptr);

// ---- Tolerance ------------------------------------------------------------------------

// The two tolerances of an identification in arcseconds (R.A., Decl.).
class ToleranceModel {
public:
    explicit ToleranceModel(Library& lib) : lib_(lib) {}
    std::string raText = "0.0";
    std::string declText = "0.0";
    // OK: true when both texts pass ("0.0" exactly passes unchecked, any
    // other text is checked on its first 7 characters as a tolerance); on a
    // failure the field's message, and the Decl. text is not checked after a
    // failed R.A. text. The texts are left as typed.
    bool ok();
    // The field that failed the last ok() (0 R.A., 1 Decl., -1 none).
    int failedField() const { return failed_; }

private:
    Library& lib_;
    int failed_ = -1;
};

// The tolerance as its status pane shows it: the value with seven decimals,
// of which the first seven digits are kept; zeros at the end after the
// point go while one decimal remains; no sign, no zero before the point
// (30 gives "30.0", 5.5 "5.5", 0 ".0").
std::string tolerancePaneText(double tolerance);

class CToleranceDlg final : public fw::Dialog {
public:
    CToleranceDlg(ToleranceModel& model, QWidget* parent = nullptr);
    bool onInitDialog() override;
    void onOK() override;
    QLineEdit* raEdit() const { return ra_; }
    QLineEdit* declEdit() const { return decl_; }

private:
    ToleranceModel& m_;
    QLineEdit* ra_;
    QLineEdit* decl_;
};

// ---- Observatory choice ---------------------------------------------------------------

class ObsChoiceModel {
public:
    explicit ObsChoiceModel(Library& lib) : lib_(lib) {}
    int choice = 0;          // 0 by number, 1 by name
    std::string numberText;  // as typed; after OK the code checked (3 characters, leading blanks off)
    std::string nameText;    // after OK without leading and trailing blanks
    int number = -1;         // after OK by number: the observatory's number
    // OK: true when the dialog may end; by number a text that is no
    // observatory code gives "Wrong observatory number.".
    bool ok();

private:
    Library& lib_;
};

class CObsChoiceDlg final : public fw::Dialog {
public:
    CObsChoiceDlg(ObsChoiceModel& model, QWidget* parent = nullptr);
    bool onInitDialog() override;
    void onOK() override;
    QLineEdit* numberEdit() const { return number_; }
    QLineEdit* nameEdit() const { return name_; }
    QRadioButton* byNumber() const { return byNumber_; }
    QRadioButton* byName() const { return byName_; }

private:
    void showChoice();
    ObsChoiceModel& m_;
    QRadioButton* byNumber_;
    QRadioButton* byName_;
    QLineEdit* number_;
    QLineEdit* name_;
};

// ---- Parallax constants ---------------------------------------------------------------

class ParallaxModel {
public:
    explicit ParallaxModel(Library& lib) : lib_(lib) {}
    // The inputs (left: dxy, dz; right: latitude, height) and the results.
    std::string dxyText, dzText, latitudeText, heightText;
    std::string latitudeResult, heightResult, dxyResult, dzResult;
    // The field that should take the focus after a failed Run (empty: none).
    std::string focus;

    // The start from an observatory record (79 bytes): dxy from its
    // characters 13-20, dz from 21-29.
    void startFrom(const std::string& record);
    // "Run" of the left group: dxy and dz to latitude and height; false
    // after a message.
    bool runToLatitude();
    // "Run" of the right group: latitude and height to dxy and dz.
    bool runToParallax();

private:
    Library& lib_;
};

class CParallaxCalcDlg final : public fw::Dialog {
public:
    CParallaxCalcDlg(ParallaxModel& model, QWidget* parent = nullptr);
    bool onInitDialog() override;
    void runLeft();
    void runRight();
    QLineEdit* edit(int id) const;

private:
    void showModel();
    void readEdits();
    ParallaxModel& m_;
    QLineEdit *dxy_, *dz_, *lat_, *height_, *latRes_, *heightRes_, *dxyRes_, *dzRes_;
};

}  // namespace zelvo
