// The windows of the element catalogue task: the query dialog "Select
// elements" (CElSelectDlg), and the element list window (document CElDoc,
// view CElView of the template "Elements") with its sorting popup, Task
// Info, text export, and its print and print preview through the program's
// printer (printing.h). The rules live in
// the plain classes of elquery.h, ellist.h and elexport.h; these classes only
// show them.
#pragma once

#include <QPoint>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "framework/dialog.h"
#include "framework/document.h"
#include "framework/multilist.h"
#include "framework/printing.h"
#include "framework/resources.h"
#include "framework/view.h"
#include "zelvo/app/context.h"
#include "zelvo/app/library.h"
#include "zelvo/graphics/elcache.h"
#include "zelvo/graphics/elexport.h"
#include "zelvo/graphics/ellist.h"
#include "zelvo/graphics/elquery.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPrinter;
class QRect;
class QRadioButton;

namespace zelvo {

namespace cmd {
inline constexpr int kElementsMenu = 104;  // menu of the element list window
inline constexpr int kElementQueryDialog = 107;
inline constexpr int kSortPopup = 106;  // "Sort &Up", "Sort &Down"
inline constexpr int kSortUp = 40007;
inline constexpr int kSortDown = 40008;
inline constexpr int kElHistogram = 40009;
inline constexpr int kElDistribution = 40010;
inline constexpr int kElTaskInfo = 40011;
}  // namespace cmd

namespace elements {

struct PlotRequests;

// What the element task keeps for the whole run of the program: the query,
// the catalogue settings (read once), the open caches (shared by the open
// lists, closed with the last one), and how the query comes back when a list
// closes.
struct ElementTaskState {
    ElementQuery query;
    std::optional<CatalogueSettings> settings;
    std::weak_ptr<CatalogueCache> cache;
    std::function<void()> reopen;
    // The histogram and distribution requests on their way to a new window.
    std::shared_ptr<PlotRequests> plots;
};

// The program's element task state (made on first use).
ElementTaskState& elementState(AppContext& ctx);

// The epoch of the catalogue elements as a Julian date: the number that the
// nine characters of epochText beginning ten before its end hold, or, when
// they hold none (or the text is shorter), the epoch of the settings.
double catalogue_epoch_jd(const std::string& epochText, double settingsEpoch);

// The 12 columns of a list of the derived code (11 without one).
std::vector<fw::ListColumn> elementColumns(int derivedCode);

}  // namespace elements

// "Select elements" (dialog 107).
class CElSelectDlg final : public fw::Dialog {
public:
    CElSelectDlg(AppContext& ctx, Library& lib, QWidget* parent = nullptr);

    bool onInitDialog() override;
    void onOK() override;
    void onCancel() override;
    void OnSelchangeFunction();
    void OnErase();
    void OnFromObjectList();

    elements::ElementQueryDialogModel& model() { return model_; }
    // The controls: the equal, lower and upper edit of row (0 Number .. 11
    // Function), the Function choice, the object field, the range field.
    QLineEdit* edit(int row, int which) const {
        return edits_[static_cast<std::size_t>(row)][static_cast<std::size_t>(which)];
    }
    QComboBox* functionCombo() const { return combo_; }
    QLineEdit* objectEdit() const { return object_; }
    QLineEdit* rangeEdit() const { return range_; }
    QRadioButton* calendarRadio() const { return calendar_; }
    QRadioButton* julianRadio() const { return julian_; }
    QCheckBox* objectListBox() const { return listBox_; }
    QLabel* objectListLabel() const { return listPath_; }
    QLabel* line(int k) const { return lines_[static_cast<std::size_t>(k)]; }

protected:
    void doDataExchange(fw::DataExchange& dx) override;

private:
    void showLayout();

    AppContext& ctx_;
    elements::ElementQueryDialogModel model_;
    std::array<std::array<QLineEdit*, 3>, 12> edits_{};
    QComboBox* combo_ = nullptr;
    std::array<QLabel*, 6> lines_{};
    QLineEdit* object_ = nullptr;
    QGroupBox* dateGroup_ = nullptr;
    QRadioButton* calendar_ = nullptr;
    QRadioButton* julian_ = nullptr;
    QLabel* rangeLabel_ = nullptr;
    QLineEdit* range_ = nullptr;
    QLabel* rangeUnit_ = nullptr;
    QCheckBox* listBox_ = nullptr;
    QLabel* listPath_ = nullptr;
};

// The document of the element, histogram and distribution windows: no data;
// it shows the epoch of the catalogue in the status bar.
class CElDoc final : public fw::Document {
public:
    explicit CElDoc(AppContext& ctx);

private:
    AppContext& ctx_;
};

class CElView final : public fw::View, public fw::ListSource, public fw::Printable {
public:
    CElView(AppContext& ctx, Library& lib);
    ~CElView() override;

    // Runs the query into the list; null (after the message) when the
    // settings or the caches cannot be had, or when the computing of a MOID
    // or CT column was cancelled in its progress dialog, so that no window
    // opens.
    QWidget* createWidget(QWidget* parent) override;
    void onInitialUpdate() override;

    int rowCount() const override;
    std::string cellText(int row, int column) override;
    void cacheHint(int first, int last) override;

    elements::ElementList* list() const { return list_.get(); }
    fw::MultiColumnList* listWidget() const { return widget_; }
    int currentRow() const { return currentRow_; }

    // The header of column was clicked: the sorting popup, then the sort.
    void OnColumnclick(int column, QPoint where);
    // Sorts by column and shows row 0.
    void sortColumn(int column, bool ascending);
    void OnFileSaveAs();
    void OnTaskInfo();
    // File|Print and File|Print Preview on the program's printer, always in
    // landscape; the printer keeps the orientation it had for later jobs.
    // The pages printed. onFilePrintDirect prints every page without the
    // print dialog.
    int onFilePrint();
    int onFilePrintDirect();
    void OnFilePrintPreview();

    // Printing, in the steps of a print job. beginPrinting: the paper is
    // known (the print dialog was accepted): the print file "result.el4" of
    // the working directory is written (0 after the message when it cannot
    // be) and the pages of the job counted (0 for none); on paper other than
    // A4 a warning is shown once when there are pages. printPage: page (from
    // 1) drawn from the print file into the printable area of painter.
    bool writePrintFile();
    int beginPrinting(PaperKind paper);
    void printPage(QPainter& painter, int page, const QRect& area);
    // A whole job on printer in landscape, pages first..last (0, 0: all);
    // the pages printed.
    int printTo(QPrinter& printer, int first = 0, int last = 0);
    // Pages of the print on a paper.
    int pageCount(PaperKind paper) const;

    // The print hooks: the first page is 1 and nothing is written before
    // the print dialog; the printer is turned to landscape; the print file
    // and the page count; one page.
    bool onPreparePrinting(fw::PrintInfo& info) override;
    void onPreparePrinter(QPrinter& printer) override;
    void onBeginPrinting(fw::PrintInfo& info) override;
    void onPrint(QPainter& painter, const fw::PrintInfo& info) override;

    // The popup's choice (cmd::kSortUp, cmd::kSortDown, 0 for none); the
    // program shows menu 106 under the header.
    std::function<int(int column, QPoint where)> choosePopup;
    // Shows the three lines of Task Info (the program: dialog 125).
    std::function<void(const std::array<std::string, 3>&)> showTaskInfo;

private:
    void drawPage(QPainter& painter, const PrintPage& page);
    // The list of the query; null when its computing was cancelled.
    std::unique_ptr<elements::ElementList> buildList(elements::ElementListSetup setup);

    AppContext& ctx_;
    Library& lib_;
    std::shared_ptr<elements::CatalogueCache> cache_;
    std::unique_ptr<elements::ElementList> list_;
    fw::MultiColumnList* widget_ = nullptr;
    int currentRow_ = 0;
    PaperKind printPaper_ = PaperKind::A4;
    bool missingShown_ = false;
};

// The menus of the element list window (104) and the sorting popup (106).
void addElementsResources(fw::ResourceTables& r);
std::unique_ptr<fw::Document> makeElementsDocument(AppContext& ctx);
std::unique_ptr<fw::View> makeElementsView(AppContext& ctx, Library& lib);

}  // namespace zelvo
