#include "multilist.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPaintEvent>
#include <QScrollBar>
#include <algorithm>

#include "cp1252.h"
#include "linelist.h"

namespace fw {

namespace {

Qt::Alignment qt_align(Align a) {
    switch (a) {
        case Align::Right:
            return Qt::AlignRight | Qt::AlignVCenter;
        case Align::Center:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case Align::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

void MultiColumnModel::setSource(ListSource* source) {
    beginResetModel();
    source_ = source;
    endResetModel();
}

void MultiColumnModel::setColumns(std::vector<ListColumn> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    endResetModel();
}

void MultiColumnModel::refresh() {
    beginResetModel();
    endResetModel();
}

int MultiColumnModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || source_ == nullptr ? 0 : source_->rowCount();
}

int MultiColumnModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant MultiColumnModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || source_ == nullptr) return {};
    const auto col = static_cast<std::size_t>(index.column());
    if (col >= columns_.size()) return {};
    switch (role) {
        case Qt::DisplayRole:
            ++asked_;
            return fromCp1252(source_->cellText(index.row(), index.column()));
        case Qt::ToolTipRole: {
            const std::string tip = source_->cellTip(index.row(), index.column());
            return tip.empty() ? QVariant() : QVariant(fromCp1252(tip));
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(qt_align(columns_[col].align));
        case Qt::FontRole:
            return font_;
        default:
            return {};
    }
}

QVariant MultiColumnModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || static_cast<std::size_t>(section) >= columns_.size()) return {};
    const ListColumn& c = columns_[static_cast<std::size_t>(section)];
    switch (role) {
        case Qt::DisplayRole:
            return fromCp1252(c.caption);
        case Qt::ToolTipRole:
            return c.tip.empty() ? QVariant() : QVariant(fromCp1252(c.tip));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(qt_align(c.align));
        case Qt::FontRole:
            return font_;
        default:
            return {};
    }
}

MultiColumnList::MultiColumnList(QWidget* parent) : QTableView(parent), model_(new MultiColumnModel(this)) {
    const QFont font = fixed_font(11);
    model_->setFont(font);
    setFont(font);
    setModel(model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 4);
    horizontalHeader()->setFont(font);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (onHeaderClicked) onHeaderClicked(column, headerCorner(column));
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { widenFittedColumns(); });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) {
                if (onCurrentRowChanged) onCurrentRowChanged(current.isValid() ? current.row() : -1);
            });
}

void MultiColumnList::setColumns(std::vector<ListColumn> columns) {
    model_->setColumns(columns);
    for (std::size_t k = 0; k < columns.size(); ++k) setColumnWidth(static_cast<int>(k), columns[k].width);
}

std::pair<int, int> MultiColumnList::visibleRows() const {
    const int rows = model_->rowCount();
    if (rows == 0) return {0, -1};
    int first = rowAt(0);
    int last = rowAt(viewport()->height() - 1);
    if (first < 0) first = 0;
    if (last < 0) last = rows - 1;
    return {first, last};
}

int MultiColumnList::neededWidth(int c, int first, int last) const {
    const QFontMetrics fm(model_->font());
    const QFontMetrics hm(horizontalHeader()->font());
    int w = hm.horizontalAdvance(model_->headerData(c, Qt::Horizontal).toString()) + 16;
    for (int r = first; r <= last; ++r)
        w = std::max(w, fm.horizontalAdvance(model_->data(model_->index(r, c)).toString()) + 10);
    return w;
}

void MultiColumnList::fitColumns(const std::vector<int>& columns) {
    fitted_ = columns;
    const auto [first, last] = visibleRows();
    if (ListSource* s = model_->source(); s != nullptr && first <= last) s->cacheHint(first, last);
    for (int c : columns)
        if (c >= 0 && c < model_->columnCount()) setColumnWidth(c, neededWidth(c, first, last));
}

void MultiColumnList::widenFittedColumns() {
    const auto [first, last] = visibleRows();
    if (first > last) return;
    if (ListSource* s = model_->source()) s->cacheHint(first, last);
    for (int c : fitted_)
        if (c >= 0 && c < model_->columnCount()) {
            const int w = neededWidth(c, first, last);
            if (w > columnWidth(c)) setColumnWidth(c, w);
        }
}

int MultiColumnList::currentRow() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() : -1;
}

void MultiColumnList::selectRow(int row) {
    const QModelIndex i = model_->index(row, 0);
    if (!i.isValid()) return;
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(i);
}

QPoint MultiColumnList::headerCorner(int column) const {
    const QHeaderView* h = horizontalHeader();
    return h->viewport()->mapToGlobal(QPoint(h->sectionViewportPosition(column), h->height()));
}

void MultiColumnList::paintEvent(QPaintEvent* event) {
    // The rows of this paint are put in the source's cache first.
    const int rows = model_->rowCount();
    if (rows > 0) {
        int first = rowAt(event->rect().top());
        int last = rowAt(event->rect().bottom());
        if (first < 0) first = 0;
        if (last < 0) last = rows - 1;
        if (ListSource* s = model_->source()) s->cacheHint(first, last);
    }
    QTableView::paintEvent(event);
}

}  // namespace fw
