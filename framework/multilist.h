// Owner-data lists of several columns: the texts come from a source that is
// asked only for the rows on screen, just before they are painted (a cache
// hint), so a list of a million rows holds no object per row. Columns have
// captions, alignments, widths (fitted to the texts on screen and the
// caption on request) and tooltips; a click on a column header is handed to
// the owner (which may show a popup and sort). Texts are bytes shown as Windows-1252 in the
// fixed-pitch list font. Rows are selected whole, one at a time.
#pragma once

#include <QAbstractTableModel>
#include <QFont>
#include <QTableView>
#include <functional>
#include <string>
#include <vector>

namespace fw {

enum class Align { Left, Right, Center };

struct ListColumn {
    std::string caption;
    Align align = Align::Left;
    int width = 60;   // pixels
    std::string tip;  // shown over the header
};

// Where the texts of an owner-data list come from.
class ListSource {
public:
    virtual ~ListSource() = default;
    virtual int rowCount() const = 0;
    // The text of a cell (bytes shown as Windows-1252).
    virtual std::string cellText(int row, int column) = 0;
    // The rows first..last are about to be shown.
    virtual void cacheHint(int /*first*/, int /*last*/) {}
    // A tooltip of a cell; empty for none.
    virtual std::string cellTip(int /*row*/, int /*column*/) { return {}; }
};

class MultiColumnModel final : public QAbstractTableModel {
public:
    explicit MultiColumnModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void setSource(ListSource* source);
    ListSource* source() const { return source_; }
    void setColumns(std::vector<ListColumn> columns);
    const std::vector<ListColumn>& columns() const { return columns_; }
    void setFont(const QFont& font) { font_ = font; }
    const QFont& font() const { return font_; }
    // The source's rows changed (order or number).
    void refresh();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The cells the list asked for since the last reset of this count.
    long long cellsAsked() const { return asked_; }
    void resetCellsAsked() { asked_ = 0; }

private:
    ListSource* source_ = nullptr;
    std::vector<ListColumn> columns_;
    QFont font_;
    mutable long long asked_ = 0;
};

class MultiColumnList final : public QTableView {
public:
    explicit MultiColumnList(QWidget* parent = nullptr);

    MultiColumnModel& listModel() { return *model_; }
    void setSource(ListSource* source) { model_->setSource(source); }
    void setColumns(std::vector<ListColumn> columns);
    void refresh() { model_->refresh(); }

    // The rows on screen now (first, last); (0, -1) when none.
    std::pair<int, int> visibleRows() const;
    // Fits the width of each column to its caption and to the texts of the
    // rows on screen. The columns stay fitted: rows scrolled into view
    // widen them where their texts are wider (never narrower, so the
    // columns do not jump back and forth); fitColumns again (after a sort,
    // say) fits them to the rows then on screen.
    void fitColumns(const std::vector<int>& columns);
    // Widens the fitted columns to the texts of the rows on screen.
    void widenFittedColumns();
    // The current row, -1 when none; selects and shows row.
    int currentRow() const;
    void selectRow(int row);
    // The bottom left corner of a column's header, in global coordinates.
    QPoint headerCorner(int column) const;

    // A header was clicked: the column and the bottom left corner of its
    // header (global coordinates).
    std::function<void(int column, QPoint where)> onHeaderClicked;
    // The current row changed (by mouse or keyboard).
    std::function<void(int row)> onCurrentRowChanged;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The width column c needs for its caption and the rows first..last.
    int neededWidth(int c, int first, int last) const;

    MultiColumnModel* model_;
    std::vector<int> fitted_;
};

}  // namespace fw
