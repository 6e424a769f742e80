// The orbit input dialog: orbits that do not come from the catalogue, for the
// ephemeris task and for the O-C task.
//
// An orbit is given as orbital elements (ecliptic and equinox 2000.0, centre
// the Sun) or as heliocentric coordinates and velocities (equator and equinox
// 2000.0), as the caller's OrbitAsElements says; either typed into the
// dialog's fields (a single orbit, written on OK to the single-orbit file
// "eelm.eph"/"xxyz.eph", or ".omc" for the O-C task) or kept in a text file of
// the user (a list of orbits, for which the dialog only sets the file name and
// the order of its columns). In the comets edition a single orbit also takes
// the nongravitational parameters A1, A2, A3 ("ngr.eph"/"ngr.omc").
//
// The dialog's results go into the task record (1418 characters): the object
// key (EELM, FELM, XXYZ, FXYZ), the column order of that key and, for a list,
// the file name.
//
// Columns: code 1 designation, 2 H, 3 G, 4 epoch, then for elements 5 M,
// 6 T, 7 argument of perihelion, 8 node, 9 i, 10 e, 11 n, 12 a, 13 q; for
// coordinates 5-10 X, Y, Z (AU), dX/dt, dY/dt, dZ/dt (AU/day). Each typed
// field is checked by the library's field check of kind 15 + code (the
// column order by kind 29).
//
// OrbitInputModel holds the dialog's state and rules and is driven by the
// tests; COrbitInputDlg only shows it.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/dialog.h"
#include "zelvo/app/context.h"
#include "zelvo/app/library.h"
#include "zelvomat/core/typedorb.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QAbstractButton;

namespace zelvo {

// The 19 typed fields of the dialog, in the order of the check protocol.
inline constexpr int kOrbitFields = 19;
enum OrbitField : int {
    kFieldDesignation = 0,
    kFieldH = 1,
    kFieldG = 2,
    kFieldEpoch = 3,
    kFieldM = 4,
    kFieldT = 5,
    kFieldPeri = 6,
    kFieldNode = 7,
    kFieldI = 8,
    kFieldE = 9,
    kFieldN = 10,
    kFieldA = 11,
    kFieldQ = 12,
    kFieldX = 13,  // X .. dZ/dt: 13 .. 18
    kFieldDZ = 18,
};
// The column controls: the check box or radio of each field (same index),
// then the group boxes of M/T and n/a/q.
inline constexpr int kGroupMT = 19;
inline constexpr int kGroupNAQ = 20;
inline constexpr int kOrbitControls = 21;

// Column code of field i (1-13), its check kind (16-28) and whether it
// belongs to the elements (true) or the coordinates (false) form; the
// fields 0-3 belong to both.
int orbitFieldCode(int field);
int orbitFieldKind(int field);
bool orbitFieldInForm(int field, bool elements);
// The field that holds column code in the form (-1 for none).
int orbitFieldOfCode(int code, bool elements);
// "Change value  of <name>." for field i.
std::string orbitFieldHint(int field);
// The captions of the Order box, indexed by code 0-13, 13 characters each.
std::array<std::string, 14> columnCaptions(bool elements);
// The text of the Order box: "p. caption" lines with CR LF, p = 1..10 ("10.")
// for the non-zero codes.
std::string columnOrderBoxText(const zelvomat::ColumnOrder& order, bool elements);
// The standard list order of Restore.
zelvomat::ColumnOrder standardListOrder(bool elements, bool comets);
// The default field texts shown when no "eph.cfg" exists.
zelvomat::OrbitFieldTexts defaultOrbitTexts(bool elements);
// The order text of the task record: the non-zero codes in sequence, then
// "00" pairs up to ten.
std::string compactOrderText(const zelvomat::ColumnOrder& order);
// A nongravitational parameter that reads as 0 (or as no number) must be
// exactly "0.0" (after trimming).
bool nongravTextAcceptable(std::string_view text);

class OrbitInputModel {
public:
    // The shared values the dialog works with. record is the task record
    // (1418 characters) that receives the key, the orders and the list file.
    OrbitInputModel(Library& lib, std::string& record, std::string& orbitListFile, bool elements, bool ephemerisTask,
                    bool cometMode, std::string workDir);

    // The dialog is shown.
    void init();
    void onSingleOrbit();
    void onListOfOrbits();
    // A column check box, radio (0-18) or group box (kGroupMT, kGroupNAQ) was
    // clicked and is now checked or not. False when a pending field check
    // failed (the control is put back).
    bool onColumnCheck(int control, bool checked);
    // The user typed into field i.
    void setFieldText(int field, const std::string& text);
    // Field i gains the focus: a pending check of another field runs now;
    // false when it failed (the focus belongs to failedField()).
    bool onFieldFocus(int field);
    // The field check of field i; false after the error was reported.
    bool checkField(int field);
    void onModify();
    void onRestore();
    void onClear();
    // The list file chosen by Browse (nothing for Cancel).
    void onBrowse();
    // Edit file: creates the file when missing and starts the editor.
    void onEditFile();
    void setFileText(const std::string& text) { fileText = text; }
    // OK: true when the dialog may close (everything written).
    bool onOK();
    void onCancel();

    // How errors of the field checks reach the user: line 1 (the check
    // message) and line 2 (the hint). The default shows CFieldErrorDlg.
    std::function<void(const std::string&, const std::string&)> fieldError;
    // The editor program that Edit file starts.
    std::string editorProgram;

    // ---- State (read by the widgets and the tests) ------------------------
    bool elements;
    bool ephemerisTask;
    bool cometMode;
    int source = -1;  // 0 single, 1 list
    bool single = true;
    zelvomat::ColumnOrder order{};
    zelvomat::OrbitFieldTexts texts;
    std::array<std::string, kOrbitFields> fieldTexts;  // what the fields show
    std::array<bool, kOrbitFields> fieldEnabled{};
    std::array<bool, kOrbitControls> boxChecked{};
    std::array<bool, kOrbitControls> boxEnabled{};
    std::string fileText;
    bool fileControlsEnabled = false;
    bool orderGroupEnabled = false, modifyEnabled = false, restoreEnabled = false, clearEnabled = false;
    bool elementsGroupEnabled = true;
    std::string orderText;
    bool hintVisible = false;
    std::string hintText;
    int hintField = -1;
    bool nongravVisible = false;
    std::array<std::string, 3> nongrav;  // A1, A2, A3
    // Check state.
    int focusedField = -1, editedField = -1;
    bool editing = false, lastCheckPassed = false, checksEnabled = false;
    int failedField = -1;  // the field that failed the last check, -1 none

    std::string singleOrbitPath() const;
    std::string nongravPath() const;

private:
    std::string key() const;
    zelvomat::ColumnOrder recordOrder(bool list) const;
    std::string recordListFile() const;
    void setUpSingleOrbitFields();
    void setUpListFields();
    void showNongravFields(bool show);
    void refreshOrder() { orderText = columnOrderBoxText(order, elements); }
    void updateColumnOrder(int code, bool add);
    void replaceCode(std::initializer_list<int> group, int code);
    void showField(int field, bool on);
    bool completePendingCheck(int control);
    void chooseRadio(int group, int field);
    void error(const std::string& line1, const std::string& line2);
    bool storeOrbitChoice();

    Library& lib_;
    std::string& record_;
    std::string& orbitListFile_;
    std::string workDir_;
};

// The dialog (resource 151).
class COrbitInputDlg final : public fw::Dialog {
public:
    COrbitInputDlg(OrbitInputModel& model, QWidget* parent = nullptr);
    bool onInitDialog() override;
    void onOK() override;
    void onCancel() override;
    // The model's state into the widgets.
    void showModel();

    QLineEdit* field(int i) const { return fields_[static_cast<std::size_t>(i)]; }
    QAbstractButton* box(int i) const { return boxes_[static_cast<std::size_t>(i)]; }
    QPlainTextEdit* orderBox() const { return order_; }
    QLineEdit* fileEdit() const { return file_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void clicked(int control);
    void focusFailedField();

    OrbitInputModel& m_;
    std::array<QLineEdit*, kOrbitFields> fields_{};
    std::array<QAbstractButton*, kOrbitControls> boxes_{};
    std::array<QLineEdit*, 3> nongrav_{};
    QRadioButton* singleRadio_;
    QRadioButton* listRadio_;
    QLineEdit* file_;
    QPushButton* browse_;
    QPushButton* edit_;
    QLabel* fileLabel_;
    QGroupBox* elementsGroup_;
    QLabel* frameLabel_;
    QGroupBox* orderGroup_;
    QPlainTextEdit* order_;
    QPushButton* modify_;
    QPushButton* restore_;
    QPushButton* clear_;
    QPlainTextEdit* hint_;
    QGroupBox* nongravGroup_;
    bool syncing_ = false;
};

// Runs the dialog modally over the task record: the form by
// ctx.OrbitAsElements, the file names by ctx.EphemerisMode (".eph" names
// while set), the nongravitational fields by ctx.CometMode; OK writes the
// single-orbit file, ngr file and the record's key, order and list file, and
// sets ctx.OrbitListFile. Returns fw::kIdOk or fw::kIdCancel.
int runOrbitInputDialog(AppContext& ctx, Library& lib, std::string& taskRecord, QWidget* parent = nullptr);
// The same for a window that keeps its own typed orbit: the form by
// asElements, and orbitListFile in place of ctx.OrbitListFile.
int runOrbitInputDialog(AppContext& ctx, Library& lib, std::string& taskRecord, bool asElements,
                        std::string& orbitListFile, QWidget* parent = nullptr);
// The same over a task record of the ephemeris layout (the ephemeris task's
// ctx.EphRecord): the record takes the dialog's changes.
int runOrbitInputDialog(AppContext& ctx, Library& lib, zelvomat::EphTaskRecord& record, QWidget* parent = nullptr);

}  // namespace zelvo
