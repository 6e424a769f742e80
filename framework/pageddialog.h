// A paged dialog: a tree of page names along the left edge and the pages in
// a stack beside it; selecting an item shows its page (items without a page,
// such as a root, show nothing new). A selection that the dialog refuses
// leaves the item of the page on screen selected. The buttons below are the
// dialog's own.
#pragma once

#include <QString>
#include <vector>

#include "dialog.h"

class QHBoxLayout;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;

namespace fw {

class PagedDialog : public Dialog {
public:
    explicit PagedDialog(QWidget* parent = nullptr, unsigned helpContext = 0, int treeWidth = 120);

    // Adds an item under parent (null: a root item) showing page (null: no
    // page); the dialog takes the page widget. Returns the item.
    QTreeWidgetItem* addItem(const QString& text, QWidget* page, QTreeWidgetItem* parent = nullptr);
    // Selects item, which shows its page.
    void selectItem(QTreeWidgetItem* item);
    // The page shown; null before one was.
    QWidget* currentPage() const;
    // The item that shows page; null when none.
    QTreeWidgetItem* itemOfPage(const QWidget* page) const;
    // Makes the tree's current and only selected item the one of the page
    // on screen (the tree always shows where the user is).
    void markShownPage();
    QTreeWidget* tree() const { return tree_; }
    QStackedWidget* stack() const { return stack_; }
    // The layout below the tree and the pages, for the buttons.
    QVBoxLayout* mainLayout() const { return main_; }

protected:
    // The selection moves from one item to another; false keeps the old
    // selection (for a page that refuses to be left). The default accepts.
    virtual bool onSelChanging(QTreeWidgetItem* from, QTreeWidgetItem* to);

private:
    void selectionChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);

    QTreeWidget* tree_;
    QStackedWidget* stack_;
    QVBoxLayout* main_;
    bool reverting_ = false;
};

}  // namespace fw
