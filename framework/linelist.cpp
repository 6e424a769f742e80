#include "linelist.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <algorithm>

#include "cp1252.h"
#include "document.h"

namespace fw {

QString from_cp1252(std::string_view bytes) { return fromCp1252(bytes); }

namespace {

// Draws a row's text from the column's left edge plus kListTextMargin, the
// place where the caption lines that follow the list expect it; background,
// selection and focus as the style draws them.
class LineDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* w = opt.widget;
        QStyle* style = w != nullptr ? w->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, w);
        const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : (opt.state & QStyle::State_Active) ? QPalette::Active
                                                                                : QPalette::Inactive;
        painter->save();
        painter->setFont(opt.font);
        painter->setPen(opt.palette.color(
            group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
        const QFontMetrics fm(opt.font);
        const int baseline = opt.rect.top() + (opt.rect.height() - fm.height()) / 2 + fm.ascent();
        painter->setClipRect(opt.rect, Qt::IntersectClip);
        painter->drawText(QPoint(opt.rect.left() + kListTextMargin, baseline), text);
        painter->restore();
    }
};

// The ruler above the rows, drawn from the same margin as the rows.
class RulerHeader final : public QHeaderView {
public:
    RulerHeader() : QHeaderView(Qt::Horizontal) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        QStyleOptionHeader opt;
        initStyleOption(&opt);
        opt.rect = rect;
        opt.section = logicalIndex;
        opt.text.clear();
        style()->drawControl(QStyle::CE_HeaderSection, &opt, painter, this);
        const QVariant font =
            model() != nullptr ? model()->headerData(logicalIndex, orientation(), Qt::FontRole) : QVariant();
        const QFont f = font.isValid() ? font.value<QFont>() : list_font();
        const QString text = model() != nullptr
                                 ? model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString()
                                 : QString();
        const QFontMetrics fm(f);
        painter->save();
        painter->setFont(f);
        painter->setPen(palette().color(QPalette::ButtonText));
        painter->setClipRect(rect, Qt::IntersectClip);
        painter->drawText(
            QPoint(rect.left() + kListTextMargin, rect.top() + (rect.height() - fm.height()) / 2 + fm.ascent()), text);
        painter->restore();
    }
    QSize sectionSizeFromContents(int logicalIndex) const override {
        QSize s = QHeaderView::sectionSizeFromContents(logicalIndex);
        s.setHeight(std::max(s.height(), QFontMetrics(list_font()).height() + 6));
        return s;
    }
};

}  // namespace

QFont fixed_font(int pixels) {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter, QFont::PreferMatch);
    f.setFixedPitch(true);
    f.setPixelSize(pixels);
    return f;
}

QFont list_font() { return fixed_font(11); }

void LineListModel::setLines(const std::vector<std::string>* lines, int width) {
    beginResetModel();
    lines_ = lines;
    width_ = width;
    count_ = lines != nullptr ? static_cast<int>(lines->size()) : 0;
    endResetModel();
}

void LineListModel::setItemCount(int count) {
    count = std::max(0, count);
    if (count > count_) {
        beginInsertRows(QModelIndex(), count_, count - 1);
        count_ = count;
        endInsertRows();
    } else if (count < count_) {
        beginRemoveRows(QModelIndex(), count, count_ - 1);
        count_ = count;
        endRemoveRows();
    }
    if (count_ > 0) emit dataChanged(index(0, 0), index(count_ - 1, 0), {Qt::DisplayRole});
}

bool LineListModel::deleteItem(int row) {
    if (row < 0 || row >= count_) return false;
    beginRemoveRows(QModelIndex(), row, row);
    --count_;
    endRemoveRows();
    return true;
}

void LineListModel::setRuler(const QString& ruler) {
    ruler_ = ruler;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void LineListModel::refresh() {
    beginResetModel();
    count_ = lines_ != nullptr ? static_cast<int>(lines_->size()) : 0;
    endResetModel();
}

QString LineListModel::lineText(int row) const {
    if (lines_ == nullptr || row < 0 || static_cast<std::size_t>(row) >= lines_->size()) return {};
    std::string_view s = (*lines_)[static_cast<std::size_t>(row)];
    if (width_ > 0 && s.size() > static_cast<std::size_t>(width_)) s = s.substr(0, static_cast<std::size_t>(width_));
    return fromCp1252(s);
}

std::string_view LineListModel::lineBytes(int row) const {
    if (lines_ == nullptr || row < 0 || static_cast<std::size_t>(row) >= lines_->size()) return {};
    return (*lines_)[static_cast<std::size_t>(row)];
}

int LineListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count_; }

int LineListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 1; }

QVariant LineListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() != 0) return {};
    switch (role) {
        case Qt::DisplayRole:
            return lineText(index.row());
        case Qt::FontRole:
            return font_;
        default:
            return {};
    }
}

QVariant LineListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section != 0) return {};
    if (role == Qt::DisplayRole) return ruler_;
    if (role == Qt::FontRole) return font_;
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

LineListView::LineListView() : model_(new LineListModel) {}

LineListView::~LineListView() {
    // The model belongs to the list widget once that exists (it is deleted
    // with the frame); before that, to the view.
    if (list_ == nullptr) delete model_;
}

QWidget* LineListView::createWidget(QWidget* parent) {
    list_ = new QTreeView(parent);
    model_->setParent(list_);
    list_->setHeader(new RulerHeader);
    list_->setModel(model_);
    list_->setItemDelegate(new LineDelegate(list_));
    list_->setRootIsDecorated(false);
    list_->setIndentation(0);
    list_->setUniformRowHeights(true);
    list_->setItemsExpandable(false);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setFont(model_->font());
    list_->header()->setFont(model_->font());
    list_->header()->setStretchLastSection(false);
    list_->setColumnWidth(0, 2000);
    return list_;
}

const std::vector<std::string>* LineListView::documentLines() const {
    auto* d = dynamic_cast<LineDocument*>(document());
    return d != nullptr ? &d->lines : nullptr;
}

void LineListView::onInitialUpdate() { model_->setLines(documentLines()); }

void LineListView::onUpdate() { model_->refresh(); }

std::vector<int> LineListView::selectedRows() const {
    std::vector<int> rows;
    if (list_ == nullptr) return rows;
    for (const QModelIndex& i : list_->selectionModel()->selectedRows(0)) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int LineListView::nextSelected(int after) const {
    for (int r : selectedRows())
        if (r > after) return r;
    return -1;
}

int LineListView::currentRow() const {
    if (list_ == nullptr) return -1;
    const QModelIndex i = list_->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void LineListView::selectRow(int row, bool add) {
    if (list_ == nullptr) return;
    const QModelIndex i = model_->index(row, 0);
    auto flags = QItemSelectionModel::Rows | (add ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect);
    list_->selectionModel()->setCurrentIndex(i, flags);
}

void LineListView::setColumnWidth(int pixels) {
    if (list_ != nullptr) list_->setColumnWidth(0, pixels);
}

QWidget* LineListView::columnWidget() const { return list_ != nullptr ? list_->viewport() : nullptr; }

int LineListView::columnOrigin() const {
    return (list_ != nullptr ? list_->header()->sectionViewportPosition(0) : 0) + kListTextMargin;
}

QAbstractScrollArea* LineListView::columnScroller() const { return list_; }

}  // namespace fw
