// Owner-data line lists: a one-column list over a document's array of text
// lines. The model answers only for the rows on screen and keeps no object
// per row; the texts are bytes shown as Windows-1252 in a fixed-pitch font,
// with a ruler (the units of the fixed columns) as the column header.
#pragma once

#include <QAbstractTableModel>
#include <QFont>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "view.h"

class QTreeView;

namespace fw {

// Windows-1252 bytes as text (the five unassigned codes map to U+FFFD).
QString from_cp1252(std::string_view bytes);

// "Courier New" at a character height of pixels, fixed pitch (the system
// substitutes a metric-compatible face where that one is missing).
QFont fixed_font(int pixels = 13);

// The model is owner-data: it keeps only an item count, which its view sets,
// and reads row i from line i of the document when the list paints it (a
// row past the lines shows nothing). Setting the count adds or removes rows
// at the end and repaints what is shown; it keeps the selection by row.
class LineListModel : public QAbstractTableModel {
public:
    explicit LineListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // The lines shown (owned by the document; null for none) and how many
    // characters of each are shown (0: the whole line); the item count
    // becomes the number of lines.
    void setLines(const std::vector<std::string>* lines, int width = 0);
    void setWidth(int width) { width_ = width; }
    void setRuler(const QString& ruler);
    const QString& ruler() const { return ruler_; }
    void setFont(const QFont& font) { font_ = font; }
    // The document's lines changed: the view asks again.
    void refresh();
    // The number of rows, without resetting the list.
    void setItemCount(int count);
    int itemCount() const { return count_; }
    // Removes one row (the rows after it move up with their selection).
    bool deleteItem(int row);

    // The text of row (at most width characters), empty outside the lines.
    QString lineText(int row) const;
    // The whole line of row as the document holds it (bytes).
    std::string_view lineBytes(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const std::vector<std::string>* lines_ = nullptr;
    int count_ = 0;
    int width_ = 0;
    QString ruler_;
    QFont font_ = fixed_font();
};

// A view showing a document's lines through a LineListModel.
class LineListView : public View {
public:
    LineListView();
    ~LineListView() override;

    QWidget* createWidget(QWidget* parent) override;
    void onInitialUpdate() override;
    void onUpdate() override;

    LineListModel& model() { return *model_; }
    QTreeView* list() const { return list_; }
    // Rows selected, ascending.
    std::vector<int> selectedRows() const;
    // The first selected row after `after` (-1 starts at the top); -1 when none.
    int nextSelected(int after = -1) const;
    // The current (focused) row; -1 when none.
    int currentRow() const;
    void selectRow(int row, bool add = false);
    // Width of the single column in pixels.
    void setColumnWidth(int pixels);

protected:
    // The lines of the document (the view's document must be a LineDocument
    // unless a subclass overrides this).
    virtual const std::vector<std::string>* documentLines() const;

private:
    LineListModel* model_;
    QTreeView* list_ = nullptr;
};

}  // namespace fw
