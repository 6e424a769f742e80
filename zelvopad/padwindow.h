// The editor's one window: the text of one file in the fixed-pitch font,
// the File, Edit and Help menus, and a status bar with the prompt of the
// command under the pointer and the CAP, NUM and SCRL panes.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

#include "recentfiles.h"
#include "search.h"
#include "textfile.h"

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPrinter;
class QSettings;

namespace zpad {

class FindDialog;

// The file the command line names: the first argument that is not a switch
// (switches begin with '-'); empty when there is none.
QString file_argument(const QStringList& arguments);

class PadWindow : public QMainWindow {
public:
    explicit PadWindow(QSettings& settings, QWidget* parent = nullptr);
    ~PadWindow() override;

    // Shows the file at path without asking about the text shown so far (the
    // file of the command line). False after a message when it cannot be read.
    bool loadFile(const QString& path);

    // File commands. Each is false when it did not happen: the user
    // cancelled, or a message reported the failure.
    bool newDocument();
    bool open();
    bool openFile(const QString& path);
    bool save();
    bool saveAs();
    // Asks whether to save a modified text first; false on Cancel or when
    // the save failed.
    bool saveModified();
    void print();
    void printPreview();
    void printSetup();
    // Paints the text (the selection when the printer is set to it) onto the
    // printer's pages, within the printer's page range.
    void paintPages(QPrinter& printer);

    // Edit commands. find and replace search from the selection and select
    // the match; a text that is not there is reported.
    void showFind(bool replace);
    bool findNext();
    bool find(const QString& what, const FindOptions& options);
    bool replace(const QString& what, const QString& with, const FindOptions& options);
    int replaceAll(const QString& what, const QString& with, const FindOptions& options);

    QPlainTextEdit* editor() const { return editor_; }
    // The file shown; empty for a new text.
    const QString& path() const { return path_; }
    // The document's name: the file's name, or "Untitled".
    QString title() const;
    bool isModified() const;
    const RecentFiles& recentFiles() const { return recent_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildStatusBar();
    std::optional<std::string> readFile(const QString& absolute);
    void showDocument(TextFile file, const QString& path);
    bool writeTo(const QString& path);
    QString editorText() const;
    void updateTitle();
    void updateRecentMenu();
    void updateKeyLocks();
    void select(const Found& found);
    void about();
    QPrinter& printer();

    QSettings& settings_;
    QPlainTextEdit* editor_;
    TextFile file_;
    QString path_;
    RecentFiles recent_;
    QMenu* fileMenu_ = nullptr;
    QAction* recentPlaceholder_ = nullptr;
    QList<QAction*> recentActions_;
    QLabel* caps_ = nullptr;
    QLabel* num_ = nullptr;
    QLabel* scroll_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
    QPointer<FindDialog> findDialog_;  // null once the dialog is gone
    QString findWhat_;
    QString replaceWith_;
    FindOptions findOptions_;
};

}  // namespace zpad
