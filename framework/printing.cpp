#include "printing.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "messages.h"

namespace fw {

namespace {
PrintDialogService*& current() {
    static PrintDialogService* s = nullptr;
    return s;
}
QtPrintDialogService& qt_service() {
    static QtPrintDialogService s;
    return s;
}
}  // namespace

bool Printable::onPreparePrinting(PrintInfo&) { return true; }
void Printable::onEndPrinting(const PrintInfo&) {}
void Printable::onPreparePrinter(QPrinter&) {}

PaperKind paper_kind(const QPrinter& printer) {
    switch (printer.pageLayout().pageSize().id()) {
        case QPageSize::A4:
            return PaperKind::A4;
        case QPageSize::A3:
            return PaperKind::A3;
        case QPageSize::A5:
            return PaperKind::A5;
        default:
            return PaperKind::Other;
    }
}

QPrinter& sharedPrinter() {
    static QPrinter* printer = [] {
        auto* p = new QPrinter(QPrinter::HighResolution);
        p->setPageSize(QPageSize(QPageSize::A4));
        p->setPageOrientation(QPageLayout::Portrait);
        return p;
    }();
    return *printer;
}

PrintDialogService& printDialogs() { return current() != nullptr ? *current() : qt_service(); }
void setPrintDialogService(PrintDialogService* service) { current() = service; }

bool QtPrintDialogService::askPrint(QPrinter& printer, PrintInfo& info) {
    QPrintDialog dlg(&printer, QApplication::activeWindow());
    const int last = info.maxPage > 0 ? info.maxPage : 9999;
    dlg.setMinMax(info.minPage, std::max(info.minPage, last));
    dlg.setOption(QAbstractPrintDialog::PrintPageRange, true);
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
    if (dlg.exec() != QDialog::Accepted) return false;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        info.fromPage = printer.fromPage();
        info.toPage = printer.toPage();
    } else {
        info.fromPage = info.minPage;
        info.toPage = 0;
    }
    return true;
}

bool QtPrintDialogService::askSetup(QPrinter& printer) {
    QPageSetupDialog dlg(&printer, QApplication::activeWindow());
    return dlg.exec() == QDialog::Accepted;
}

bool ScriptedPrintDialogService::askPrint(QPrinter&, PrintInfo& info) {
    ++printAsked;
    if (printAnswers.empty() || !printAnswers.front()) {
        if (!printAnswers.empty()) printAnswers.pop_front();
        return false;
    }
    info.fromPage = printAnswers.front()->first;
    info.toPage = printAnswers.front()->second;
    printAnswers.pop_front();
    return true;
}

bool ScriptedPrintDialogService::askSetup(QPrinter& printer) {
    ++setupAsked;
    if (setupAnswers.empty()) return false;
    auto f = std::move(setupAnswers.front());
    setupAnswers.pop_front();
    if (f) f(printer);
    return static_cast<bool>(f);
}

ScopedPrintDialogService::ScopedPrintDialogService(PrintDialogService& s) : previous_(current()) {
    setPrintDialogService(&s);
}
ScopedPrintDialogService::~ScopedPrintDialogService() { setPrintDialogService(previous_); }

namespace {

// The printer's page as the hooks see it.
void describe_page(const QPrinter& printer, PrintInfo& info) {
    const QRect r = printer.pageLayout().paintRectPixels(printer.resolution());
    info.pageRect = QRect(0, 0, r.width(), r.height());
    info.paper = paper_kind(printer);
    info.portrait = printer.pageLayout().orientation() == QPageLayout::Portrait;
    info.resolution = printer.resolution();
}

}  // namespace

int printJob(Printable& p, QPrinter& printer, PrintInfo info) {
    p.onPreparePrinter(printer);
    describe_page(printer, info);
    p.onBeginPrinting(info);
    const int first = std::max({1, info.minPage, info.fromPage});
    const int last = info.toPage > 0 ? std::min(info.toPage, info.maxPage) : info.maxPage;
    int printed = 0;
    if (first <= last) {
        QPainter painter;
        if (painter.begin(&printer)) {
            for (int page = first; page <= last; ++page) {
                if (printed > 0) printer.newPage();
                info.currentPage = page;
                painter.save();
                p.onPrint(painter, info);
                painter.restore();
                ++printed;
            }
            painter.end();
        }
    }
    p.onEndPrinting(info);
    return printed;
}

int printWithDialog(Printable& p) {
    PrintInfo info;
    if (!p.onPreparePrinting(info)) return 0;
    QPrinter& printer = sharedPrinter();
    if (!printDialogs().askPrint(printer, info)) return 0;
    return printJob(p, printer, info);
}

bool printSetup() { return printDialogs().askSetup(sharedPrinter()); }

// ---- Preview ----------------------------------------------------------------------

PrintPreviewWindow::PrintPreviewWindow(Printable& p, QWidget* parent)
    : QDialog(parent), printable_(p), view_(new QPrintPreviewWidget(&sharedPrinter(), this)), pageLabel_(new QLabel) {
    setWindowTitle(QString::fromStdString(messageTitle().empty() ? "Print Preview" : messageTitle()));
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto button = [&](const char* text, const char* name, auto slot) {
        auto* b = new QPushButton(QString::fromUtf8(text));
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        QObject::connect(b, &QPushButton::clicked, this, slot);
        bar->addWidget(b);
        return b;
    };
    button("&Print...", "print", [this] { print(); });
    button("&Next Page", "next", [this] { nextPage(); });
    button("Pre&v Page", "prev", [this] { prevPage(); });
    button("Zoom &In", "zoomIn", [this] { zoomIn(); });
    button("Zoom &Out", "zoomOut", [this] { zoomOut(); });
    button("&Close", "close", [this] { reject(); });
    bar->addStretch(1);
    bar->addWidget(pageLabel_);
    layout->addLayout(bar);
    layout->addWidget(view_, 1);
    QObject::connect(view_, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* printer) {
        PrintInfo info;
        info.preview = true;
        printed_ = printJob(printable_, *printer, info);
        if (printed_ == 0) {
            // The preview engine keeps the pages of the printer's last job
            // until a painter begins on it again.
            QPainter clear;
            if (clear.begin(printer)) clear.end();
        }
        view_->setVisible(printed_ > 0);
    });
    QObject::connect(view_, &QPrintPreviewWidget::previewChanged, this, [this] { showPageNumber(); });
    view_->setViewMode(QPrintPreviewWidget::SinglePageView);
    view_->fitInView();
    resize(900, 1000);
    refresh();
}

void PrintPreviewWindow::refresh() {
    view_->updatePreview();
    showPageNumber();
}

int PrintPreviewWindow::pageCount() const { return printed_ > 0 ? view_->pageCount() : 0; }
int PrintPreviewWindow::currentPage() const { return printed_ > 0 ? view_->currentPage() : 0; }
double PrintPreviewWindow::zoomFactor() const { return view_->zoomFactor(); }

void PrintPreviewWindow::nextPage() {
    view_->setCurrentPage(std::min(pageCount(), currentPage() + 1));
    showPageNumber();
}

void PrintPreviewWindow::prevPage() {
    view_->setCurrentPage(std::max(1, currentPage() - 1));
    showPageNumber();
}

void PrintPreviewWindow::zoomIn() { view_->zoomIn(1.25); }
void PrintPreviewWindow::zoomOut() { view_->zoomOut(1.25); }

void PrintPreviewWindow::print() {
    printRequested_ = true;
    accept();
}

void PrintPreviewWindow::showPageNumber() {
    pageLabel_->setText(QStringLiteral("Page %1 of %2").arg(currentPage()).arg(pageCount()));
}

void PrintPreviewWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_PageDown:
            nextPage();
            return;
        case Qt::Key_PageUp:
            prevPage();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void printPreview(Printable& p, QWidget* parent) {
    PrintInfo info;
    info.preview = true;
    if (!p.onPreparePrinting(info)) return;
    bool print = false;
    {
        PrintPreviewWindow window(p, parent != nullptr ? parent : QApplication::activeWindow());
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
        window.exec();
        print = window.printRequested();
    }
    if (print) printWithDialog(p);
}

}  // namespace fw
