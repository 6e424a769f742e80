// "Ephemerides" (resource 141): the set-up dialog of the ephemeris task, a
// tree of nine pages over EphSetup. The widgets only show the set-up's
// state; every user action goes to the set-up's handlers and the pages are
// shown again from its state.
//
// The windows that other parts of the program provide are reached through
// small interfaces: the orbit input dialog (typed orbits), the observatory
// search dialog and the ephemeris result window.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "framework/pageddialog.h"
#include "zelvo/ephemeris/ephsetup.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QCheckBox;
class QTreeWidgetItem;

namespace zelvo {

class CAccuracyPage;

// The orbit input dialog: a single orbit typed as elements (asElements) or
// as coordinates and velocities, or a list file of such orbits. It writes
// the typed-orbit files and sets the record's object key ("EELM", "FELM",
// "XXYZ", "FXYZ"), column orders and list file names (AppContext::EphRecord).
class OrbitInputLauncher {
public:
    virtual ~OrbitInputLauncher() = default;
    virtual void runOrbitInput(QWidget* parent, bool asElements) = 0;
};

// The observatory search dialog: the line chosen after a search (the code, a
// blank and the 50-character name), nothing on Cancel.
class ObservatorySearchLauncher {
public:
    virtual ~ObservatorySearchLauncher() = default;
    virtual std::optional<std::string> searchObservatory(QWidget* parent) = 0;
};

// Opens an ephemeris result file (82-byte records) in the ephemeris result
// window; TaskCode, EphFormatKey, HeaderText and TaskInfoText are set.
class EphemerisResultOpener {
public:
    virtual ~EphemerisResultOpener() = default;
    virtual void openEphemerisResult(const std::string& path) = 0;
};

struct EphemerisWindows {
    OrbitInputLauncher* orbitInput = nullptr;
    ObservatorySearchLauncher* observatorySearch = nullptr;
    EphemerisResultOpener* resultOpener = nullptr;
};

class CEphTaskDlg final : public fw::PagedDialog {
public:
    CEphTaskDlg(AppContext& ctx, Library& lib, EphemerisWindows windows, QWidget* parent = nullptr);
    ~CEphTaskDlg() override;

    eph::EphSetup& setup() { return *setup_; }
    // The result file of the last run ("result.ep4"; empty after a run that
    // failed).
    std::string OutputFileName;
    std::string RunEphemerisComputation();

    bool onInitDialog() override;
    // Enter: inside a checking page the focus goes back to the field being
    // edited; elsewhere as Run.
    void onOK() override;
    void onCancel() override;
    // The Run button.
    void runPressed();

    // How a failed field check is shown (the field-error dialog; tests put
    // a recorder in its place).
    std::function<void(const eph::FieldError&)> showFieldError;
    // Called when the dialog cancels (the main frame's status panes).
    std::function<void()> onCancelled;

    // The tree item of page (0 the root, 1-9 the pages).
    QTreeWidgetItem* item(int page) const { return items_[static_cast<std::size_t>(page)]; }
    int currentPageNumber() const;
    // All the setup's state into the widgets.
    void showState();
    // A field of a checking page by page number and field index.
    QLineEdit* field(int page, int index) const;

protected:
    bool onSelChanging(QTreeWidgetItem* from, QTreeWidgetItem* to) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildObjectPage();
    QWidget* buildCoordinatesPage();
    QWidget* buildPlanePage();
    QWidget* buildCentrePage();
    QWidget* buildIntervalPage();
    QWidget* buildOutputPage();
    QWidget* buildRestrictionsPage();
    QWidget* buildDescriptionPage();
    QLineEdit* testedField(int page, int index, int ctlId, int width);
    QRadioButton* radio(const char* text, int ctlId, std::function<void()> handler);
    void after(const std::optional<eph::FieldError>& e);
    void focusPending();
    void showDescription();

    AppContext& ctx_;
    EphemerisWindows windows_;
    std::unique_ptr<eph::EphSetup> setup_;
    std::array<QTreeWidgetItem*, 10> items_{};
    bool showingMarked_ = false;
    bool refreshing_ = false;

    std::array<QRadioButton*, 6> objRadio_{};
    std::array<QLineEdit*, 6> objField_{};
    QPushButton *editBtn_ = nullptr, *browseBtn_ = nullptr, *elemBtn_ = nullptr, *coordBtn_ = nullptr;
    std::array<QRadioButton*, 2> typeRadio_{};
    std::array<QRadioButton*, 3> posRadio_{}, planeRadio_{}, eqRadio_{}, outRadio_{};
    QComboBox* centreCombo_ = nullptr;
    QLabel* numberLabel_ = nullptr;
    QLineEdit* numberField_ = nullptr;
    std::array<QRadioButton*, 2> obsRadio_{};
    std::array<QRadioButton*, 4> modeRadio_{};
    std::array<QLineEdit*, 7> centreField_{};
    QComboBox* placeCombo_ = nullptr;
    QPushButton* selectPlaceBtn_ = nullptr;
    std::array<QRadioButton*, 2> intervalRadio_{};
    std::array<QLineEdit*, 5> intervalField_{};
    QComboBox* coverageCombo_ = nullptr;
    CAccuracyPage* accuracyPage_ = nullptr;
    std::array<QRadioButton*, 2> restrictRadio_{};
    QCheckBox* rejectBox_ = nullptr;
    std::array<QCheckBox*, 10> rowBox_{};
    std::array<QLineEdit*, 20> boundField_{};
    std::array<QLineEdit*, 10> caption_{};
    QLabel* hint_ = nullptr;
    std::array<QPlainTextEdit*, 3> descr_{};
};

// The header text of an ephemeris result from "eph.hat": its first line
// without leading blanks, CR LF, its second without trailing blanks, and
// "  See Task Info for imposed restrictions" when selectionText is not " ".
// Empty after the message "Warning: header file not found".
std::string ephemerisHeaderText(const std::string& selectionText);

// "Task Info" (resource 126): the whole task description, read-only.
class CTaskInfoDlg final : public fw::Dialog {
public:
    explicit CTaskInfoDlg(QWidget* parent = nullptr);
    std::string text;

protected:
    void doDataExchange(fw::DataExchange& dx) override;

private:
    QPlainTextEdit* edit_;
};

}  // namespace zelvo
