#include "pageddialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace fw {

namespace {
constexpr int kPageRole = Qt::UserRole + 1;
}

PagedDialog::PagedDialog(QWidget* parent, unsigned helpContext, int treeWidth)
    : Dialog(parent, helpContext), tree_(new QTreeWidget), stack_(new QStackedWidget), main_(new QVBoxLayout(this)) {
    tree_->setHeaderHidden(true);
    tree_->setFixedWidth(treeWidth);
    tree_->setObjectName(QStringLiteral("tree"));
    auto* row = new QHBoxLayout;
    row->addWidget(tree_);
    row->addWidget(stack_, 1);
    main_->addLayout(row, 1);
    QObject::connect(tree_, &QTreeWidget::currentItemChanged, this,
                     [this](QTreeWidgetItem* cur, QTreeWidgetItem* prev) { selectionChanged(cur, prev); });
}

QTreeWidgetItem* PagedDialog::addItem(const QString& text, QWidget* page, QTreeWidgetItem* parent) {
    auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
    item->setText(0, text);
    // The tree is never narrower than its longest text at its depth.
    int depth = 0;
    for (QTreeWidgetItem* up = parent; up != nullptr; up = up->parent()) ++depth;
    const int needed = tree_->frameWidth() * 2 + tree_->indentation() * (depth + 1) +
                       tree_->fontMetrics().horizontalAdvance(text) + tree_->fontMetrics().averageCharWidth() * 2;
    if (needed > tree_->minimumWidth()) tree_->setFixedWidth(needed);
    if (page != nullptr) {
        stack_->addWidget(page);
        item->setData(0, kPageRole, QVariant::fromValue(static_cast<void*>(page)));
    }
    return item;
}

void PagedDialog::selectItem(QTreeWidgetItem* item) { tree_->setCurrentItem(item); }

QWidget* PagedDialog::currentPage() const { return stack_->count() == 0 ? nullptr : stack_->currentWidget(); }

bool PagedDialog::onSelChanging(QTreeWidgetItem*, QTreeWidgetItem*) { return true; }

QTreeWidgetItem* PagedDialog::itemOfPage(const QWidget* page) const {
    for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it)
        if ((*it)->data(0, kPageRole).value<void*>() == page) return *it;
    return nullptr;
}

void PagedDialog::markShownPage() {
    QTreeWidgetItem* item = itemOfPage(currentPage());
    if (item == nullptr) return;
    reverting_ = true;
    tree_->setCurrentItem(item);
    tree_->clearSelection();
    item->setSelected(true);
    reverting_ = false;
}

void PagedDialog::selectionChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
    if (reverting_ || current == nullptr) return;
    if (previous != nullptr && !onSelChanging(previous, current)) {
        reverting_ = true;
        tree_->setCurrentItem(previous);
        reverting_ = false;
        // A click selects its item after the current item has changed: once
        // the click is over, the tree marks the page on screen again.
        QTimer::singleShot(0, this, [this] { markShownPage(); });
        return;
    }
    auto* page = static_cast<QWidget*>(current->data(0, kPageRole).value<void*>());
    if (page == nullptr) return;
    stack_->setCurrentWidget(page);
    page->setFocus();
}

}  // namespace fw
