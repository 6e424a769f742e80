// The plate windows that list: the plate list editor of the template
// "UltPla" (one plate line chosen at a time, from which the plate search and
// the plate plot start) and the four-column report of the objects on a
// plate of the template "PlaLi".
#pragma once

#include <memory>
#include <string>

#include "framework/multilist.h"
#include "framework/view.h"
#include "lineview.h"
#include "platedata.h"

namespace zelvo {

inline constexpr const char* kNoStringToDelete = "No string selected to delete";
inline constexpr const char* kTooManyStrings = "Too many string selected";

// The rules of the plate list that differ from the other editors.
// Delete string: only the first selected line goes.
void DeletePlateString(AppContext& ctx, LineListDocument& doc, ListControl& list, const std::string& failure);
// A click: at most one selected row stays, the one chosen before when the
// click selected more; Plot of plate is offered again.
void ChoosePlateRow(AppContext& ctx, ListControl& list);

class CUltPlateView final : public LineEditorView {
public:
    CUltPlateView(AppContext& ctx, Library& lib, TaskDialogs& dialogs);
    void onRowChosen(bool click) override;
};

// The columns of the object report.
std::string FormatSexagesimalColumn(int a, int b, double v);
std::string FormatObjectNameColumn(const std::string& name);
// The four texts of a row.
std::array<std::string, 4> PlateObjectColumns(const PlateObjectRecord& r);
std::string PlateObjectCountText(int count);  // "Total number of objects: %d"

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

}  // namespace zelvo
