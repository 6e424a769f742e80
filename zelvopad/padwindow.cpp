#include "padwindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QResizeEvent>
#include <QSettings>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>
#include <cmath>
#include <utility>

#include "finddialog.h"
#include "framework/filedialogs.h"
#include "framework/linelist.h"
#include "framework/messages.h"
#include "keylocks.h"
#include "printlayout.h"

namespace zpad {

namespace {

const QString kAppTitle = QStringLiteral("ZelvoPad");
const std::string kFileFilter = "All Files (*.*)|*.*||";
// The text's font: "Courier New" 13 pixels high, which is 9.75 points on
// paper.
constexpr int kFontPixels = 13;
constexpr double kPrintPoints = 9.75;
constexpr double kMarginInch = 0.5;
// Lines handed to the editor at once when a file is shown.
constexpr std::size_t kLinesAtOnce = 1 << 14;
const QString kPreviewKey = QStringLiteral("Settings/PreviewPages");

std::string utf8(const QString& s) { return s.toStdString(); }

// The text widget. Its lines are never wrapped, so a change of its width
// changes no line; the widget would still lay out every line of the text
// again, giving each a layout of its own (some 300 bytes a line, 0.7 GB for
// a file of 2.5 million lines, most never shown). It is told of the new
// height only; the lines shown are laid out as they are painted.
class TextEdit : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void resizeEvent(QResizeEvent* e) override {
        if (lineWrapMode() != NoWrap || e->oldSize().width() == e->size().width()) {
            QPlainTextEdit::resizeEvent(e);
            return;
        }
        QResizeEvent heightOnly(e->size(), QSize(e->size().width(), e->oldSize().height()));
        QPlainTextEdit::resizeEvent(&heightOnly);
    }
};

QLabel* indicator(const QString& text) {
    auto* label = new QLabel;
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(text) + 8);
    return label;
}

}  // namespace

QString file_argument(const QStringList& arguments) {
    for (const QString& a : arguments)
        if (!a.startsWith(u'-')) return a;
    return {};
}

PadWindow::PadWindow(QSettings& settings, QWidget* parent)
    : QMainWindow(parent), settings_(settings), editor_(new TextEdit(this)) {
    editor_->setFont(fw::fixed_font(kFontPixels));
    // Fixed-column lines stay on one line; nothing is wrapped.
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    editor_->setTabStopDistance(8 * QFontMetricsF(editor_->font()).horizontalAdvance(u' '));
    setCentralWidget(editor_);
    connect(editor_->document(), &QTextDocument::modificationChanged, this, &QWidget::setWindowModified);

    recent_.load(settings_);
    buildMenus();
    buildStatusBar();
    qApp->installEventFilter(this);
    showDocument(TextFile(), QString());
    resize(760, 600);
}

PadWindow::~PadWindow() { qApp->removeEventFilter(this); }

void PadWindow::buildMenus() {
    // Each command with the prompt that the status bar shows for it.
    const auto add = [this](QMenu* menu, const QString& text, const QList<QKeySequence>& keys, const QString& tip,
                            auto&& run) {
        auto* a = new QAction(text, this);
        a->setShortcuts(keys);
        a->setStatusTip(tip);
        connect(a, &QAction::triggered, this, [run] { run(); });
        if (menu != nullptr)
            menu->addAction(a);
        else
            addAction(a);
        return a;
    };

    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    // Ctrl+N has no menu item.
    add(nullptr, QStringLiteral("&New"), {QKeySequence(QStringLiteral("Ctrl+N"))},
        QStringLiteral("Create a new document"), [this] { newDocument(); });
    add(fileMenu_, QStringLiteral("&Open..."), {QKeySequence(QStringLiteral("Ctrl+O"))},
        QStringLiteral("Open an existing document"), [this] { open(); });
    add(fileMenu_, QStringLiteral("&Save"), {QKeySequence(QStringLiteral("Ctrl+S"))},
        QStringLiteral("Save the active document"), [this] { save(); });
    add(fileMenu_, QStringLiteral("Save &As..."), {}, QStringLiteral("Save the active document with a new name"),
        [this] { saveAs(); });
    fileMenu_->addSeparator();
    add(fileMenu_, QStringLiteral("&Print..."), {QKeySequence(QStringLiteral("Ctrl+P"))},
        QStringLiteral("Print the active document"), [this] { print(); });
    add(fileMenu_, QStringLiteral("Print Pre&view"), {}, QStringLiteral("Display full pages"),
        [this] { printPreview(); });
    add(fileMenu_, QStringLiteral("P&rint Setup..."), {}, QStringLiteral("Change the printer and printing options"),
        [this] { printSetup(); });
    fileMenu_->addSeparator();
    recentPlaceholder_ = fileMenu_->addAction(QStringLiteral("Recent File"));
    recentPlaceholder_->setEnabled(false);
    for (qsizetype i = 0; i < RecentFiles::kMax; ++i) {
        auto* a = fileMenu_->addAction(QString());
        a->setStatusTip(QStringLiteral("Open this document"));
        connect(a, &QAction::triggered, this, [this, i] {
            if (i < recent_.files().size()) openFile(recent_.files()[i]);
        });
        recentActions_ << a;
    }
    fileMenu_->addSeparator();
    add(fileMenu_, QStringLiteral("E&xit"), {}, QStringLiteral("Quit the application; prompts to save documents"),
        [this] { close(); });

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    QAction* undo = add(edit, QStringLiteral("&Undo"),
                        {QKeySequence(QStringLiteral("Ctrl+Z")), QKeySequence(QStringLiteral("Alt+Backspace"))},
                        QStringLiteral("Undo the last action"), [this] { editor_->undo(); });
    edit->addSeparator();
    QAction* cut = add(edit, QStringLiteral("Cu&t"),
                       {QKeySequence(QStringLiteral("Ctrl+X")), QKeySequence(QStringLiteral("Shift+Del"))},
                       QStringLiteral("Cut the selection and put it on the Clipboard"), [this] { editor_->cut(); });
    QAction* copy = add(edit, QStringLiteral("&Copy"),
                        {QKeySequence(QStringLiteral("Ctrl+C")), QKeySequence(QStringLiteral("Ctrl+Ins"))},
                        QStringLiteral("Copy the selection and put it on the Clipboard"), [this] { editor_->copy(); });
    QAction* paste = add(edit, QStringLiteral("&Paste"),
                         {QKeySequence(QStringLiteral("Ctrl+V")), QKeySequence(QStringLiteral("Shift+Ins"))},
                         QStringLiteral("Insert Clipboard contents"), [this] { editor_->paste(); });
    edit->addSeparator();
    add(edit, QStringLiteral("Select A&ll"), {QKeySequence(QStringLiteral("Ctrl+A"))},
        QStringLiteral("Select the entire document"), [this] { editor_->selectAll(); });
    edit->addSeparator();
    add(edit, QStringLiteral("&Find..."), {QKeySequence(QStringLiteral("Ctrl+F"))},
        QStringLiteral("Find the specified text"), [this] { showFind(false); });
    add(edit, QStringLiteral("F&ind Next"), {QKeySequence(QStringLiteral("F3"))},
        QStringLiteral("Repeat the last action"), [this] { findNext(); });
    add(edit, QStringLiteral("R&eplace"), {QKeySequence(QStringLiteral("Ctrl+H"))},
        QStringLiteral("Replace specific text with different text"), [this] { showFind(true); });

    undo->setEnabled(false);
    cut->setEnabled(false);
    copy->setEnabled(false);
    connect(editor_, &QPlainTextEdit::undoAvailable, undo, &QAction::setEnabled);
    connect(editor_, &QPlainTextEdit::copyAvailable, cut, &QAction::setEnabled);
    connect(editor_, &QPlainTextEdit::copyAvailable, copy, &QAction::setEnabled);
    const auto pasteState = [this, paste] { paste->setEnabled(editor_->canPaste()); };
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, pasteState);
    pasteState();

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    add(help, QStringLiteral("&About ZelvoPad..."), {},
        QStringLiteral("Display program information, version number and copyright"), [this] { about(); });
}

void PadWindow::buildStatusBar() {
    statusBar()->addWidget(new QLabel(QStringLiteral("Ready")), 1);
    caps_ = indicator(QStringLiteral("CAP"));
    num_ = indicator(QStringLiteral("NUM"));
    scroll_ = indicator(QStringLiteral("SCRL"));
    for (QLabel* l : {caps_, num_, scroll_}) statusBar()->addPermanentWidget(l);
    updateKeyLocks();
}

void PadWindow::updateKeyLocks() {
    const KeyLocks locks = key_locks().value_or(KeyLocks{});
    caps_->setText(locks.caps ? QStringLiteral("CAP") : QString());
    num_->setText(locks.num ? QStringLiteral("NUM") : QString());
    scroll_->setText(locks.scroll ? QStringLiteral("SCRL") : QString());
}

bool PadWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched == editor_) {
        // The Insert key switches between inserting and typing over, so a
        // fixed-column line can be corrected in place.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Insert && key->modifiers() == Qt::NoModifier) {
            editor_->setOverwriteMode(!editor_->overwriteMode());
            return true;
        }
    }
    if (event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock) updateKeyLocks();
    } else if (event->type() == QEvent::ApplicationActivate) {
        updateKeyLocks();
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- The document ------------------------------------------------------------

QString PadWindow::title() const { return path_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path_).fileName(); }

bool PadWindow::isModified() const { return editor_->document()->isModified(); }

QString PadWindow::editorText() const { return editor_->document()->toRawText(); }

void PadWindow::updateTitle() { setWindowTitle(title() + QStringLiteral("[*] - ") + kAppTitle); }

void PadWindow::updateRecentMenu() {
    const qsizetype n = recent_.files().size();
    recentPlaceholder_->setVisible(n == 0);
    for (qsizetype i = 0; i < recentActions_.size(); ++i) {
        recentActions_[i]->setVisible(i < n);
        if (i < n) recentActions_[i]->setText(recent_.menuText(i));
    }
}

void PadWindow::showDocument(TextFile file, const QString& path) {
    file_ = std::move(file);
    path_ = path;
    // The text goes in a piece at a time, so that it is not held whole a
    // second time while the editor takes it; as one step that cannot be
    // undone, as setPlainText does.
    QTextDocument* doc = editor_->document();
    editor_->clear();
    doc->setUndoRedoEnabled(false);
    {
        QTextCursor at(doc);
        at.beginEditBlock();
        for (std::size_t first = 0; first < file_.lines(); first += kLinesAtOnce)
            at.insertText(file_.text(first, kLinesAtOnce));
        at.endEditBlock();
    }
    doc->setUndoRedoEnabled(true);
    editor_->moveCursor(QTextCursor::Start);
    doc->setModified(false);
    setWindowModified(false);
    if (!path_.isEmpty()) {
        recent_.add(path_);
        recent_.save(settings_);
    }
    updateTitle();
    updateRecentMenu();
}

std::optional<std::string> PadWindow::readFile(const QString& absolute) {
    QString error;
    std::optional<std::string> bytes = read_file(absolute, &error);
    if (bytes) return bytes;
    fw::message(utf8(QStringLiteral("Cannot open the file %1.\n%2").arg(absolute, error)), fw::Buttons::Ok,
                fw::Icon::Warning);
    if (recent_.files().contains(absolute)) {
        recent_.remove(absolute);
        recent_.save(settings_);
        updateRecentMenu();
    }
    return std::nullopt;
}

bool PadWindow::loadFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    std::optional<std::string> bytes = readFile(absolute);
    if (!bytes) return false;
    showDocument(TextFile(std::move(*bytes)), absolute);
    return true;
}

bool PadWindow::saveModified() {
    if (!isModified()) return true;
    switch (fw::message(utf8(QStringLiteral("Save changes to %1?").arg(title())), fw::Buttons::YesNoCancel,
                        fw::Icon::Warning)) {
        case fw::Answer::Yes:
            return save();
        case fw::Answer::No:
            return true;
        default:
            return false;
    }
}

bool PadWindow::newDocument() {
    if (!saveModified()) return false;
    showDocument(TextFile(), QString());
    return true;
}

bool PadWindow::open() {
    fw::FileDialogRequest shape;
    shape.open = true;
    shape.filter = kFileFilter;
    if (!path_.isEmpty()) shape.initialPath = utf8(QFileInfo(path_).absolutePath());
    const std::optional<std::string> chosen = fw::fileDialogs().ask(shape);
    return chosen && openFile(QString::fromStdString(*chosen));
}

bool PadWindow::openFile(const QString& path) {
    // The file is read before the text shown so far is given up, so a file
    // that cannot be read changes nothing.
    const QString absolute = QFileInfo(path).absoluteFilePath();
    std::optional<std::string> bytes = readFile(absolute);
    if (!bytes || !saveModified()) return false;
    showDocument(TextFile(std::move(*bytes)), absolute);
    return true;
}

bool PadWindow::save() { return path_.isEmpty() ? saveAs() : writeTo(path_); }

bool PadWindow::saveAs() {
    fw::FileDialogRequest shape;
    shape.open = false;
    shape.filter = kFileFilter;
    shape.initialPath = utf8(path_.isEmpty() ? title() : path_);
    const std::optional<std::string> chosen = fw::fileDialogs().ask(shape);
    return chosen && writeTo(QFileInfo(QString::fromStdString(*chosen)).absoluteFilePath());
}

bool PadWindow::writeTo(const QString& path) {
    TextFile::Bytes out = file_.bytesOf(editorText());
    if (out.unwritable > 0 &&
        fw::message(utf8(QStringLiteral("%1 contains characters that the Windows-1252 code page cannot hold; they "
                                        "would be saved as \"?\".\nSave anyway?")
                             .arg(title())),
                    fw::Buttons::YesNo, fw::Icon::Warning) != fw::Answer::Yes)
        return false;
    QString error;
    if (!write_file(path, out.bytes, &error)) {
        // The text stays as it is, still marked as changed.
        fw::message(utf8(QStringLiteral("Cannot save the file %1.\n%2").arg(path, error)), fw::Buttons::Ok,
                    fw::Icon::Warning);
        return false;
    }
    file_ = TextFile(std::move(out.bytes));
    path_ = path;
    editor_->document()->setModified(false);
    recent_.add(path_);
    recent_.save(settings_);
    updateTitle();
    updateRecentMenu();
    return true;
}

void PadWindow::closeEvent(QCloseEvent* event) {
    if (saveModified())
        event->accept();
    else
        event->ignore();
}

// ---- Find and Replace ----------------------------------------------------------

void PadWindow::showFind(bool replace) {
    if (findDialog_ != nullptr && findDialog_->isReplace() != replace) {
        findDialog_->close();
        findDialog_ = nullptr;
    }
    if (findDialog_ == nullptr) {
        // The selection, when it lies within one line, is what to find.
        const QString selected = editor_->textCursor().selectedText();
        if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator) &&
            !selected.contains(QChar::LineSeparator))
            findWhat_ = selected;
        findDialog_ = new FindDialog(*this, replace, findWhat_, replaceWith_, findOptions_);
    }
    findDialog_->show();
    findDialog_->raise();
    findDialog_->activateWindow();
}

bool PadWindow::findNext() {
    if (findWhat_.isEmpty()) {
        showFind(false);
        return false;
    }
    return find(findWhat_, findOptions_);
}

void PadWindow::select(const Found& found) {
    QTextCursor c = editor_->textCursor();
    c.setPosition(static_cast<int>(found.pos));
    c.setPosition(static_cast<int>(found.pos + found.length), QTextCursor::KeepAnchor);
    editor_->setTextCursor(c);
}

bool PadWindow::find(const QString& what, const FindOptions& options) {
    findWhat_ = what;
    findOptions_ = options;
    if (what.isEmpty()) return false;
    const QTextCursor c = editor_->textCursor();
    const Found found = find_next(editorText(), what, options.down ? c.selectionEnd() : c.selectionStart(), options);
    if (!found.found()) {
        fw::message(utf8(QStringLiteral("Cannot find \"%1\".").arg(what)), fw::Buttons::Ok, fw::Icon::Information);
        return false;
    }
    select(found);
    return true;
}

bool PadWindow::replace(const QString& what, const QString& with, const FindOptions& options) {
    replaceWith_ = with;
    FindOptions down = options;
    down.down = true;
    QTextCursor c = editor_->textCursor();
    if (c.hasSelection() && c.selectionEnd() - c.selectionStart() == what.size() &&
        matches_at(editorText(), c.selectionStart(), what, down)) {
        c.insertText(with);
        editor_->setTextCursor(c);
    }
    return find(what, down);
}

int PadWindow::replaceAll(const QString& what, const QString& with, const FindOptions& options) {
    findWhat_ = what;
    replaceWith_ = with;
    findOptions_ = options;
    const std::vector<Found> all = find_all(editorText(), what, options);
    if (all.empty()) {
        fw::message(utf8(QStringLiteral("Cannot find \"%1\".").arg(what)), fw::Buttons::Ok, fw::Icon::Information);
        return 0;
    }
    // One step to undo; from the end, so the positions before stay valid.
    QTextCursor c(editor_->document());
    c.beginEditBlock();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        c.setPosition(static_cast<int>(it->pos));
        c.setPosition(static_cast<int>(it->pos + it->length), QTextCursor::KeepAnchor);
        c.insertText(with);
    }
    c.endEditBlock();
    editor_->setTextCursor(c);
    return static_cast<int>(all.size());
}

// ---- Printing ---------------------------------------------------------------

QPrinter& PadWindow::printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setPageMargins(QMarginsF(kMarginInch, kMarginInch, kMarginInch, kMarginInch), QPageLayout::Inch);
    }
    printer_->setDocName(title());
    return *printer_;
}

void PadWindow::print() {
    QPrinter& p = printer();
    QPrintDialog dlg(&p, this);
    dlg.setOption(QAbstractPrintDialog::PrintSelection, editor_->textCursor().hasSelection());
    if (dlg.exec() != QDialog::Accepted) return;
    paintPages(p);
}

void PadWindow::printPreview() {
    QPrinter& p = printer();
    p.setPrintRange(QPrinter::AllPages);
    p.setFromTo(0, 0);
    QPrintPreviewDialog dlg(&p, this);
    connect(&dlg, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) { paintPages(*target); });
    // One or two pages side by side, as last time.
    auto* view = dlg.findChild<QPrintPreviewWidget*>();
    if (view != nullptr && settings_.value(kPreviewKey, 1).toInt() == 2) view->setFacingPagesViewMode();
    dlg.exec();
    if (view != nullptr)
        settings_.setValue(kPreviewKey, view->viewMode() == QPrintPreviewWidget::FacingPagesView ? 2 : 1);
}

void PadWindow::printSetup() {
    QPageSetupDialog dlg(&printer(), this);
    dlg.exec();
}

void PadWindow::paintPages(QPrinter& p) {
    const QString text = p.printRange() == QPrinter::Selection ? editor_->textCursor().selectedText() : editorText();
    QPainter painter;
    if (!painter.begin(&p)) {
        fw::message("Cannot print: the printer cannot be used.", fw::Buttons::Ok, fw::Icon::Warning);
        return;
    }
    QFont font = fw::fixed_font(kFontPixels);
    font.setPointSizeF(kPrintPoints);
    painter.setFont(font);
    const QFontMetricsF metrics(painter.font(), &p);
    const QRectF area = p.pageLayout().paintRectPixels(p.resolution());
    const int columns = static_cast<int>(std::floor(area.width() / metrics.horizontalAdvance(u'0')));
    const int rows = static_cast<int>(std::floor(area.height() / metrics.lineSpacing()));
    const std::vector<PrintedPage> pages = paginate(text, columns, rows);

    std::size_t first = 0;
    std::size_t last = pages.size() - 1;
    if (p.printRange() == QPrinter::PageRange && p.fromPage() > 0) {
        first = static_cast<std::size_t>(p.fromPage() - 1);
        if (p.toPage() > 0) last = std::min(last, static_cast<std::size_t>(p.toPage() - 1));
    }
    for (std::size_t i = first; i <= last; ++i) {
        if (i > first) p.newPage();
        for (std::size_t r = 0; r < pages[i].size(); ++r)
            painter.drawText(QPointF(0, metrics.ascent() + static_cast<double>(r) * metrics.lineSpacing()),
                             pages[i][r]);
    }
    painter.end();
}

// ---- About --------------------------------------------------------------------

void PadWindow::about() {
    QDialog dlg(this);
    dlg.setWindowTitle(QStringLiteral("About ZelvoPad"));
    auto* icon = new QLabel;
    icon->setPixmap(windowIcon().pixmap(32, 32));
    auto* lines = new QVBoxLayout;
    lines->addWidget(new QLabel(QStringLiteral("ZelvoPad Version 1.0")));
    lines->addWidget(new QLabel(QStringLiteral("The plain-text editor of the Zelvo workbench")));
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(lines, 1);
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(ok, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dlg);
    layout->addLayout(row);
    layout->addWidget(ok);
    dlg.exec();
}

}  // namespace zpad
