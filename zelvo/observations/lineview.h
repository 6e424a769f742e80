// The line list views of the observation tasks: an owner-data list with one
// full-width column over a LineListDocument, in the fixed-pitch list font,
// with its format's units ruler as the header; the row bookkeeping of the
// "Cur " and "Num " panes; printing with a head file and pagination; and, in
// the editors, Add, Insert, Edit, Delete block, Copy and Paste, in which
// every changed line goes through the String Editor and the library's line
// check with its retry loop.
//
// The editing rules live in LineEditor, a plain class over a ListControl (the
// list's selection and item count), so that tests drive them without a
// window; LineEditorView is the Qt list that shows them. What differs from
// one editor to another (record formats, the check, the menu ids, the head
// file) is an EditorFormat, so the identification, observatory and plate
// windows are this view with their own format.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/linelist.h"
#include "framework/printing.h"
#include "zelvo/app/context.h"
#include "zelvo/app/library.h"
#include "zelvo/app/lineedit.h"
#include "zelvo/app/listprint.h"
#include "zelvo/app/taskdialogs.h"
#include "zelvo/observations/linedoc.h"

namespace zelvo {

// The selection and item count of a list, as the editing rules use them.
class ListControl {
public:
    virtual ~ListControl() = default;
    virtual std::vector<int> selectedRows() const = 0;  // ascending
    virtual int itemCount() const = 0;
    // The item count, without resetting the list.
    virtual void setItemCount(int count) = 0;
    // Removes one row (the rows after it move up with their selection);
    // false when the list refuses.
    virtual bool deleteItem(int row) = 0;
    // Takes selection and focus off row, or off every row.
    virtual void deselect(int row) = 0;
    virtual void clearSelection() = 0;
    // Gives row the focus (not the selection).
    virtual void setFocusRow(int row) = 0;
    virtual void ensureVisible(int row) = 0;
};

// The commands of an editor (0: not offered).
struct EditorCommands {
    int edit = 0, add = 0, insert = 0, deleteBlock = 0, copy = 0, paste = 0;
};

struct EditorFormat {
    int newLineKey = 1;  // record format of a new line
    int editKey = 1;     // format of the String Editor's work buffer (its captions)
    int displayKey = 1;  // the ruler of the list
    int displayChars = 80;
    // The line check: cntl task 1 plate, 2 identification, 3 O-C (system
    // checkSystem: 1 the first angle in hours); 0: cnto with the row index.
    int checkTask = 3;
    int checkSystem = 1;
    std::string deleteFailure;       // the message when the list refuses to delete a row
    bool copyMovesSelection = true;  // Copy and Paste take the selection off (O-C, identification)
    bool setsRowCountOnActivation = false;
    unsigned helpContext = 0;  // the page F1 opens (helpcontexts.h)
    EditorCommands commands;
    // Printing.
    int printKey = 1;
    std::string headFile;  // in ObservatoryDir
    int headSkip = 0;      // records passed over
    EditorPrintFormat print;
};

// The formats of the four editors; C is the main-plane digit of the O-C
// window's data type.
EditorFormat ocEditorFormat(int C);
EditorFormat identificationEditorFormat();
EditorFormat observatoryEditorFormat();
EditorFormat plateEditorFormat();

// The editing rules over a document and its list.
class LineEditor {
public:
    LineEditor(AppContext& ctx, Library& lib, TaskDialogs& dialogs, LineListDocument& doc, ListControl& list,
               const EditorFormat& shape);

    void setFormat(const EditorFormat& shape) { shape_ = shape; }
    const EditorFormat& shape() const { return shape_; }

    void add();
    void insert();
    void edit();
    void deleteBlock();
    void copy();
    void paste();

    // The check of the row under edit: true when accepted (at once, or with
    // the geocentre put in); otherwise after the messages, the answer to
    // "Try to correct or cancel" in retry.
    bool checkLine(bool& retry);
    // The edit in progress or the last one.
    const LineEditSession& session() const { return session_; }

private:
    enum class Outcome { Saved, Cancelled };
    LineWindow window();
    std::string blankLine() const;
    // The loop of Add and Insert on the new line at index; false when it was
    // removed again.
    void newLineLoop(int index, int oldCurrentRow, bool wasModified);

    AppContext& ctx_;
    Library& lib_;
    TaskDialogs& dialogs_;
    LineListDocument& doc_;
    ListControl& list_;
    EditorFormat shape_;
    LineEditSession session_;  // the edit in progress
};

// The Qt view: the list, its commands, its row bookkeeping and printing.
class LineEditorView : public fw::LineListView, public fw::Printable, public ListControl {
public:
    LineEditorView(AppContext& ctx, Library& lib, TaskDialogs& dialogs, const EditorFormat& shape);
    ~LineEditorView() override;

    QWidget* createWidget(QWidget* parent) override;
    void onInitialUpdate() override;
    void onActivateView(bool active) override;

    LineListDocument* doc() const;
    LineEditor& editor() { return *editor_; }
    const EditorFormat& shape() const { return shape_; }
    int formatKey() const { return shape_.newLineKey; }

    // ListControl.
    std::vector<int> selectedRows() const override { return fw::LineListView::selectedRows(); }
    int itemCount() const override;
    void setItemCount(int count) override;
    bool deleteItem(int row) override;
    void deselect(int row) override;
    void clearSelection() override;
    void setFocusRow(int row) override;
    void ensureVisible(int row) override;

    // Row bookkeeping after a click or a navigation key handled by the list.
    virtual void onRowChosen(bool click);

    // Printing.
    bool onPreparePrinting(fw::PrintInfo& info) override;
    void onBeginPrinting(fw::PrintInfo& info) override;
    void onPrint(QPainter& painter, const fw::PrintInfo& info) override;
    // The page as plain data (what onPrint draws).
    PrintPage layoutPage(const fw::PrintInfo& info) const;

protected:
    // The format changed (the O-C window's data type): ruler and checks follow.
    void setFormat(const EditorFormat& shape);
    // The selection's description printed above an observatory selection.
    virtual std::string printPrefix() const { return {}; }

    AppContext& ctx_;
    Library& lib_;
    TaskDialogs& dialogs_;

private:
    EditorFormat shape_;
    std::unique_ptr<LineEditor> editor_;
    QObject* filter_ = nullptr;
    int linesPerPage_ = 45;
    std::optional<std::vector<std::string>> head_;
};

}  // namespace zelvo
