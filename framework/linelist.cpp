#include "linelist.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeView>
#include <algorithm>

#include "document.h"

namespace fw {

QString from_cp1252(std::string_view bytes) {
    // 0x80-0x9F of Windows-1252; the rest is ISO 8859-1.
    static constexpr char16_t k80[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                         0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* d = out.data();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        d[i] = (b >= 0x80 && b < 0xA0) ? QChar(k80[b - 0x80]) : QChar(static_cast<char16_t>(b));
    }
    return out;
}

QFont fixed_font(int pixels) {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter, QFont::PreferMatch);
    f.setFixedPitch(true);
    f.setPixelSize(pixels);
    return f;
}

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
    return from_cp1252(s);
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
    list_->setModel(model_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setItemsExpandable(false);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setFont(fixed_font());
    list_->header()->setFont(fixed_font());
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

}  // namespace fw
