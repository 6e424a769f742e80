#include "dialog.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpacerItem>
#include <QTextDocument>
#include <QVariant>
#include <algorithm>

#include "cp1252.h"
#include "help.h"
#include "messages.h"

namespace fw {

namespace {
std::string& help_book() {
    static std::string b;
    return b;
}

// The widget property that holds a part's own help context.
constexpr char kHelpContextProperty[] = "fwHelpContext";
}  // namespace

void DataExchange::fail(QWidget* control) {
    if (failed_) return;
    failed_ = true;
    failedControl_ = control;
}

void ddx_text(DataExchange& dx, QLineEdit* edit, std::string& value) {
    if (dx.saving())
        value = toCp1252(edit->text());
    else
        edit->setText(fromCp1252(value));
}

void ddx_text(DataExchange& dx, QLabel* label, std::string& value) {
    if (dx.saving())
        value = toCp1252(label->text());
    else
        label->setText(fromCp1252(value));
}

void ddx_text(DataExchange& dx, QPlainTextEdit* edit, std::string& value) {
    if (dx.saving()) {
        // The raw text: the plain text would turn no-break spaces (0xA0)
        // into blanks.
        QString text = edit->document()->toRawText();
        text.replace(QChar::ParagraphSeparator, QLatin1Char('\n')).replace(QChar::LineSeparator, QLatin1Char('\n'));
        value = toCp1252(text);
    } else
        edit->setPlainText(fromCp1252(value));
}

QString fixed_field_text(std::string_view bytes) {
    const auto begin = bytes.find_first_not_of(' ');
    if (begin == std::string_view::npos) return {};
    const auto end = bytes.find_last_not_of(' ');
    return fromCp1252(bytes.substr(begin, end + 1 - begin));
}

std::string fixed_field_bytes(const QLineEdit* edit) {
    std::string b = toCp1252(edit->text());
    b.resize(static_cast<std::size_t>(std::max(edit->maxLength(), 0)), ' ');
    return b;
}

void set_fixed_field(QLineEdit* edit, std::string_view bytes) {
    const QString shown = fixed_field_text(bytes);
    if (fixed_field_text(toCp1252(edit->text())) == shown) return;
    edit->setText(shown);
    edit->setCursorPosition(0);
}

void ddx_fixed(DataExchange& dx, QLineEdit* edit, std::string& value) {
    if (dx.saving())
        value = fixed_field_bytes(edit);
    else
        set_fixed_field(edit, value);
}

void ddx_int(DataExchange& dx, QLineEdit* edit, int& value) {
    if (!dx.saving()) {
        edit->setText(QString::number(value));
        return;
    }
    bool ok = false;
    const int v = edit->text().trimmed().toInt(&ok);
    if (!ok) {
        message("Please enter an integer.", Buttons::Ok, Icon::Warning);
        dx.fail(edit);
        return;
    }
    value = v;
}

void ddx_check(DataExchange& dx, QCheckBox* box, int& value) {
    if (dx.saving())
        value = box->isChecked() ? 1 : 0;
    else
        box->setChecked(value != 0);
}

void ddx_radio(DataExchange& dx, const std::vector<QRadioButton*>& group, int& value) {
    if (dx.saving()) {
        value = -1;
        for (std::size_t i = 0; i < group.size(); ++i)
            if (group[i]->isChecked()) value = static_cast<int>(i);
        return;
    }
    for (std::size_t i = 0; i < group.size(); ++i) {
        // Radio buttons of one parent are exclusive only while one is set:
        // clear them all for -1.
        const bool on = static_cast<int>(i) == value;
        group[i]->setAutoExclusive(false);
        group[i]->setChecked(on);
        group[i]->setAutoExclusive(true);
    }
}

Dialog::Dialog(QWidget* parent, unsigned helpContext) : QDialog(parent), helpContext_(helpContext) {}

Dialog::~Dialog() = default;

void Dialog::setHelpBook(std::string book) { help_book() = std::move(book); }

void Dialog::setHelpContext(QWidget* part, unsigned context) { part->setProperty(kHelpContextProperty, context); }

unsigned Dialog::helpContextAt(const QWidget* w) const {
    // Parts nest inside the dialog: the innermost part with a context of its
    // own answers, as a child page answers the help message before its parent.
    for (; w != nullptr && w != this; w = w->parentWidget()) {
        const QVariant v = w->property(kHelpContextProperty);
        if (v.isValid()) return v.toUInt();
    }
    return helpContext_;
}

int title_bar_width(const QString& title) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    const QFontMetrics fm(font);
    const int button = fm.height() + 8;
    return fm.horizontalAdvance(title) + 4 * button + 24;
}

namespace {
constexpr char kFittedProperty[] = "fwFitted";

// A dialog's fields do not grow with its window: the window keeps the size
// its layout asks for, at least as wide as its title bar, and follows the
// layout when fields are shown or hidden. A window of fixed size offers no
// resizing, so window managers draw no resize handle along its bottom edge.
void fit_to_layout(QDialog& dlg) {
    QLayout* l = dlg.layout();
    if (l == nullptr || dlg.property(kFittedProperty).toBool()) return;
    dlg.setProperty(kFittedProperty, true);
    const int width = dlg.minimumWidth();
    if (auto* box = qobject_cast<QBoxLayout*>(l);
        box != nullptr && (box->direction() == QBoxLayout::TopToBottom || box->direction() == QBoxLayout::BottomToTop))
        box->addStrut(width);
    else if (auto* grid = qobject_cast<QGridLayout*>(l))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      std::max(1, grid->columnCount()));
    l->setSizeConstraint(QLayout::SetFixedSize);
}
}  // namespace

void Dialog::prepareWindow() {
    if (windowTitle().isEmpty()) setWindowTitle(QString::fromStdString(messageTitle()));
    if (!(windowFlags() & Qt::FramelessWindowHint))
        setMinimumWidth(std::max(minimumWidth(), title_bar_width(windowTitle())));
    fit_to_layout(*this);
}

int Dialog::doModal() {
    result_ = kIdCancel;
    ending_ = false;
    prepareWindow();
    if (!onInitDialog()) return kIdCancel;
    if (ending_) return result_;
    setModal(true);
    exec();
    return result_;
}

bool Dialog::createModeless() {
    result_ = kIdCancel;
    ending_ = false;
    setModal(false);
    prepareWindow();
    if (!onInitDialog()) return false;
    show();
    return true;
}

void Dialog::destroyWindow() { hide(); }

void Dialog::endDialog(int result) {
    result_ = result;
    ending_ = true;
    QDialog::done(result == kIdOk ? QDialog::Accepted : QDialog::Rejected);
}

bool Dialog::updateData(bool saving) {
    DataExchange dx(saving);
    doDataExchange(dx);
    if (dx.failed() && dx.failedControl() != nullptr) dx.failedControl()->setFocus();
    return !dx.failed();
}

bool Dialog::onInitDialog() {
    updateData(false);
    return true;
}

void Dialog::onOK() {
    if (!updateData(true)) return;
    endDialog(kIdOk);
}

void Dialog::onCancel() { endDialog(kIdCancel); }

void Dialog::doDataExchange(DataExchange&) {}

void Dialog::accept() { onOK(); }

void Dialog::reject() { onCancel(); }

void Dialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        // The help page of the part that has the focus, else the dialog's
        // own; dialogs without one take the key.
        const unsigned context = helpContextAt(focusWidget());
        if (context != 0 && !help_book().empty()) show_help(help_book(), context, this);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Dialog::closeEvent(QCloseEvent* event) {
    // The window's close box is Cancel.
    if (!ending_ && isVisible()) {
        event->ignore();
        onCancel();
        return;
    }
    QDialog::closeEvent(event);
}

QWidget* ok_cancel_buttons(Dialog* dlg, bool withCancel) {
    auto* box =
        new QDialogButtonBox(withCancel ? QDialogButtonBox::Ok | QDialogButtonBox::Cancel : QDialogButtonBox::Ok);
    box->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("id1"));
    if (withCancel) box->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("id2"));
    QObject::connect(box, &QDialogButtonBox::accepted, dlg, [dlg] { dlg->onOK(); });
    QObject::connect(box, &QDialogButtonBox::rejected, dlg, [dlg] { dlg->onCancel(); });
    return box;
}

}  // namespace fw
