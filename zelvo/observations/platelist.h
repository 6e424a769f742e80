// The plate windows that list: the plate list editor of the template
// "UltPla" (one plate line chosen at a time, from which the plate search and
// the plate plot start) and the four-column report of the objects on a
// plate of the template "PlaLi".
#pragma once

#include <QPointer>
#include <memory>
#include <optional>
#include <string>

#include "framework/childframe.h"
#include "framework/linelist.h"
#include "framework/multilist.h"
#include "framework/printing.h"
#include "framework/resources.h"
#include "framework/view.h"
#include "zelvo/app/listprint.h"
#include "zelvo/observations/lineview.h"
#include "zelvo/observations/platedata.h"

namespace zelvo {

inline constexpr const char* kNoStringToDelete = "No string selected to delete";
inline constexpr const char* kTooManyStrings = "Too many string selected";

// The rules of the plate list that differ from the other editors.
// Delete string: only the first selected line goes.
void deletePlateString(AppContext& ctx, LineListDocument& doc, ListControl& list, const std::string& failure);
// A click: at most one selected row stays, the one chosen before when the
// click selected more (keptRow, the window's own).
void choosePlateRow(AppContext& ctx, ListControl& list, int& keptRow);

class CUltPlateView final : public LineEditorView {
public:
    CUltPlateView(AppContext& ctx, Library& lib, TaskDialogs& dialogs);
    void onRowChosen(bool click) override;

    // Plot of plate is offered while no plot this window opened is still
    // open, and again once a row is clicked. Each plate list window keeps
    // its own: a plot opened from one leaves the others' command alone.
    bool plotAllowed() const { return plot_.isNull(); }
    void setPlot(fw::ChildFrame* frame) { plot_ = frame; }

private:
    int keptRow_ = 0;                // the row that stays selected after a click
    QPointer<fw::ChildFrame> plot_;  // the plot opened last from this window
};

// The columns of the object report.
std::string FormatSexagesimalColumn(int a, int b, double v);
std::string FormatObjectNameColumn(const std::string& name);
// The four texts of a row.
std::array<std::string, 4> plateObjectColumns(const PlateObjectRecord& r);
std::string plateObjectCountText(int count);  // "Total number of objects: %d"

class CPlateListView final : public fw::View, public fw::ListSource {
public:
    explicit CPlateListView(AppContext& ctx);
    ~CPlateListView() override;
    QWidget* createWidget(QWidget* parent) override;
    void onInitialUpdate() override;
    void onActivateView(bool active) override;

    int rowCount() const override;
    std::string cellText(int row, int column) override;
    fw::MultiColumnList* list() const { return list_; }

private:
    AppContext& ctx_;
    fw::MultiColumnList* list_ = nullptr;
    std::vector<std::array<std::string, 4>> rows_;
};

// The *.plr export of a plate's objects: "                  LIST OF OBJECTS",
// the head (the first 80 characters of each record of "plt.hat"; none
// without it), then every object line; CR LF after each.
std::string plateObjectExportText(const std::optional<std::vector<std::string>>& head,
                                  const std::vector<std::string>& lines);

// The plate object list of a search (template "PlaLT"): the records of
// "result.pl4" one a line, with the "Num " and "Cur " panes, File|Save As
// (the *.plr export), printing under the head of "plt.hat", and its one
// plot of the plate.
class CPlateResultView final : public fw::LineListView, public fw::Printable {
public:
    explicit CPlateResultView(AppContext& ctx);
    QWidget* createWidget(QWidget* parent) override;

    const std::vector<std::string>& objectLines() const;
    // File|Save As: the *.plr export.
    void OnFileSaveAs();

    // The plot opened from this list (none, or closed since): a list has
    // one plot at a time, and Plot of plate brings it to the front.
    fw::ChildFrame* plot() const { return plot_.data(); }
    void setPlot(fw::ChildFrame* frame) { plot_ = frame; }

    bool onPreparePrinting(fw::PrintInfo& info) override;
    void onBeginPrinting(fw::PrintInfo& info) override;
    void onPrint(QPainter& painter, const fw::PrintInfo& info) override;
    PrintPage layoutPage(const fw::PrintInfo& info) const;

private:
    AppContext& ctx_;
    QPointer<fw::ChildFrame> plot_;
    int linesPerPage_ = 45;
    std::optional<std::vector<std::string>> head_;
};

// The menus of the plate list (146) and of the plate object list (110).
void addPlateResources(fw::ResourceTables& r);

}  // namespace zelvo
