// Printing: the program's one printer, the print hooks of a view, and File|
// Print, File|Print Preview and File|Print Setup built on them.
//
// A view that prints implements Printable: onPreparePrinting before the
// print dialog (it may state the page range), onBeginPrinting once the
// printer's paper and orientation are known (it states how many pages the
// job has), onPrint for each page (it paints page info.currentPage into the
// painter, in device pixels with the origin at the top left of the printable
// area, info.pageRect wide and high), onEndPrinting after the last page.
// printJob runs these hooks on a printer for the chosen range of pages;
// printWithDialog asks for the range first, printPreview shows the pages in
// the preview window, whose Print button prints them. Every print and
// preview uses the shared printer, so the paper and orientation chosen with
// Print Setup (57606) hold for every later job until it is used again.
//
// The dialogs are behind PrintDialogService: the program shows Qt's print
// and page set-up dialogs, tests script the answers.
#pragma once

#include <QDialog>
#include <QRect>
#include <deque>
#include <functional>
#include <optional>

class QPainter;
class QPrinter;
class QPrintPreviewWidget;
class QLabel;

namespace fw {

enum class PaperKind { A4, A3, A5, Other };

struct PrintInfo {
    int minPage = 1;
    int maxPage = 0;   // pages of the job; onBeginPrinting sets it
    int fromPage = 1;  // the range asked for (toPage 0: to the last page)
    int toPage = 0;
    int currentPage = 0;  // the page onPrint paints
    bool preview = false;
    QRect pageRect;  // printable area in device pixels, origin (0, 0)
    PaperKind paper = PaperKind::A4;
    bool portrait = true;
    int resolution = 0;  // device pixels per inch
};

class Printable {
public:
    virtual ~Printable() = default;
    // Before the print dialog or the preview; false cancels the job.
    virtual bool onPreparePrinting(PrintInfo& info);
    // The printer of the job before its page is read (after the print
    // dialog): a view that prints in one orientation only sets it here.
    virtual void onPreparePrinter(QPrinter& printer);
    // The printer is known: set info.maxPage (0 prints nothing).
    virtual void onBeginPrinting(PrintInfo& info) = 0;
    virtual void onPrint(QPainter& painter, const PrintInfo& info) = 0;
    virtual void onEndPrinting(const PrintInfo& info);
};

// The paper of a printer's page layout.
PaperKind paper_kind(const QPrinter& printer);

// The program's one printer (A4 portrait until Print Setup changes it).
QPrinter& sharedPrinter();

class PrintDialogService {
public:
    virtual ~PrintDialogService() = default;
    // The print dialog over printer with the page range of info (minPage ..
    // maxPage, 0: unknown); false when cancelled, else the range chosen is in
    // info.fromPage / info.toPage and the printer holds the other choices.
    virtual bool askPrint(QPrinter& printer, PrintInfo& info) = 0;
    // The page set-up dialog over printer; false when cancelled.
    virtual bool askSetup(QPrinter& printer) = 0;
};
PrintDialogService& printDialogs();
// Installs a service (the caller keeps ownership); null puts the Qt one back.
void setPrintDialogService(PrintDialogService* service);

// Qt's print and page set-up dialogs over the active window.
class QtPrintDialogService final : public PrintDialogService {
public:
    bool askPrint(QPrinter& printer, PrintInfo& info) override;
    bool askSetup(QPrinter& printer) override;
};

// For tests: answers from queues (Cancel when empty) and records each call.
// A print answer holds the range chosen; a set-up answer is applied to the
// printer by its function.
class ScriptedPrintDialogService final : public PrintDialogService {
public:
    int printAsked = 0, setupAsked = 0;
    std::deque<std::optional<std::pair<int, int>>> printAnswers;
    std::deque<std::function<void(QPrinter&)>> setupAnswers;
    bool askPrint(QPrinter& printer, PrintInfo& info) override;
    bool askSetup(QPrinter& printer) override;
};

class ScopedPrintDialogService {
public:
    explicit ScopedPrintDialogService(PrintDialogService& s);
    ~ScopedPrintDialogService();
    ScopedPrintDialogService(const ScopedPrintDialogService&) = delete;
    ScopedPrintDialogService& operator=(const ScopedPrintDialogService&) = delete;

private:
    PrintDialogService* previous_;
};

// The job on printer: onPreparePrinter, onBeginPrinting with the printer's
// page, then the pages of info's range within 1 .. maxPage, then
// onEndPrinting. The pages printed (0 when the range holds none; nothing is
// opened then).
int printJob(Printable& p, QPrinter& printer, PrintInfo info);
// File|Print: onPreparePrinting, the print dialog over the shared printer,
// the job. The pages printed.
int printWithDialog(Printable& p);
// File|Print Setup: the page set-up dialog over the shared printer.
bool printSetup();

// The preview window: the pages of a Printable on the shared printer's
// paper, with Print, Next Page, Prev Page (also Page Down and Page Up), Zoom
// In, Zoom Out and Close. Print closes the preview and prints through
// printWithDialog.
class PrintPreviewWindow final : public QDialog {
public:
    PrintPreviewWindow(Printable& p, QWidget* parent = nullptr);
    // The pages laid out: none when the job had none (an empty list, a print
    // file that could not be written), whatever the printer held before.
    int pageCount() const;
    int currentPage() const;
    void nextPage();
    void prevPage();
    void zoomIn();
    void zoomOut();
    double zoomFactor() const;
    // Print: the window closes and the job runs with the print dialog.
    void print();
    // The hooks ran and the pages were laid out (once on opening).
    void refresh();
    bool printRequested() const { return printRequested_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showPageNumber();

    Printable& printable_;
    QPrintPreviewWidget* view_;
    QLabel* pageLabel_;
    int printed_ = 0;  // pages of the last layout
    bool printRequested_ = false;
};

// File|Print Preview: onPreparePrinting, then the preview window (modal);
// when the user pressed Print there, the print follows.
void printPreview(Printable& p, QWidget* parent = nullptr);

}  // namespace fw
