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

#include "captionline.h"
#include "cp1252.h"
#include "view.h"

class QTreeView;

namespace fw {

// The older name of fromCp1252 (cp1252.h), which new code uses.
QString from_cp1252(std::string_view bytes);

// "Courier New" at a character height of pixels, fixed pitch (the system
// substitutes a metric-compatible face where that one is missing).
QFont fixed_font(int pixels = 13);

// The font of the line lists ("Courier New" of character height 11), and of
// everything that must stand over their fixed columns: caption bars, rulers,
// masks.
QFont list_font();

// Pixels between the left edge of the list's column and its first character
// (the same for the rows and the ruler above them).
inline constexpr int kListTextMargin = 4;

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
    const QFont& font() const { return font_; }
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
    QFont font_ = list_font();
};

// A view showing a document's lines through a LineListModel. Its rows and
// its ruler are drawn in the list font from the same left margin, and caption
// lines that follow its columns (TextColumns) stand over them.
class LineListView : public View, public TextColumns {
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

    // TextColumns: the list font, and column 0 of the lines in the list's
    // viewport (scrolled with it).
    QFont columnFont() const override { return model_->font(); }
    QWidget* columnWidget() const override;
    int columnOrigin() const override;
    QAbstractScrollArea* columnScroller() const override;

protected:
    // The lines of the document (the view's document must be a LineDocument
    // unless a subclass overrides this).
    virtual const std::vector<std::string>* documentLines() const;

private:
    LineListModel* model_;
    QTreeView* list_ = nullptr;
};

}  // namespace fw
