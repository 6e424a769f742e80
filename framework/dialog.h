// Dialogs with data exchange.
//
// A dialog builds its controls in its constructor (or in buildControls) and
// moves values between its members and its controls in doDataExchange, which
// updateData runs in either direction: false puts the members into the
// controls, true reads the controls back into the members (and may refuse a
// value, in which case the dialog stays open). onInitDialog runs when the
// dialog is shown (modal or modeless); onOK and onCancel run for the OK and
// Cancel buttons, Return and Esc, and end the dialog with endDialog.
#pragma once

#include <QDialog>
#include <string>
#include <string_view>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace fw {

// Result codes of a dialog, as the program's dialogs return them.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// The direction and the outcome of one data exchange.
class DataExchange {
public:
    explicit DataExchange(bool saving) : saving_(saving) {}
    // true: controls to members; false: members to controls.
    bool saving() const { return saving_; }
    // A value could not be taken: the exchange fails and the focus goes to
    // the control (message already shown by the caller).
    void fail(QWidget* control);
    bool failed() const { return failed_; }
    QWidget* failedControl() const { return failedControl_; }

private:
    bool saving_;
    bool failed_ = false;
    QWidget* failedControl_ = nullptr;
};

// Exchange helpers. Texts are bytes shown as Windows-1252 (fromCp1252 and
// toCp1252), so every byte comes back as it went in.
void ddx_text(DataExchange& dx, QLineEdit* edit, std::string& value);
void ddx_text(DataExchange& dx, QLabel* label, std::string& value);
void ddx_text(DataExchange& dx, QPlainTextEdit* edit, std::string& value);
// A whole number; a text that is not one fails the exchange after the
// message "Please enter an integer.".
void ddx_int(DataExchange& dx, QLineEdit* edit, int& value);
// A check box: 0 cleared, 1 ticked.
void ddx_check(DataExchange& dx, QCheckBox* box, int& value);
// A group of radio buttons: the index of the checked one, -1 for none.
void ddx_radio(DataExchange& dx, const std::vector<QRadioButton*>& group, int& value);

// Fixed-width fields. The program keeps such a field as bytes blank-padded to
// its width; the field shows the text without its leading and trailing
// blanks, so that it takes what is typed at once (a field full of blanks, or
// a right-justified " 95" in three characters, would refuse every key), and
// the text is padded again (at its end) only when it is read.
//
// The text a field shows for bytes: without leading and trailing blanks.
QString fixed_field_text(std::string_view bytes);
// What the field holds as bytes of width (its maximum length): cut to the
// width, blank-padded to it.
std::string fixed_field_bytes(const QLineEdit* edit);
// Shows bytes in the field, unless it holds them already (blanks at either
// end aside), so that text being typed is left as it is.
void set_fixed_field(QLineEdit* edit, std::string_view bytes);
// Exchange of a fixed-width field: the field shows value trimmed; value
// becomes the field's text padded to the field's width.
void ddx_fixed(DataExchange& dx, QLineEdit* edit, std::string& value);

class Dialog : public QDialog {
public:
    explicit Dialog(QWidget* parent = nullptr, unsigned helpContext = 0);
    ~Dialog() override;

    // Shows the dialog modally: onInitDialog, then the event loop until
    // endDialog. The result given to endDialog (kIdCancel when the window
    // was closed). A dialog without a caption of its own carries the
    // program's title, and a dialog is never narrower than its title bar
    // needs.
    int doModal();
    // Shows the dialog without blocking (onInitDialog first); false when the
    // initialisation refused.
    bool createModeless();
    // Hides a modeless dialog (the object stays for the next use).
    void destroyWindow();
    // Ends the dialog with result (a modal loop returns it).
    void endDialog(int result);
    int result() const { return result_; }

    // Runs doDataExchange; false when a value was refused.
    bool updateData(bool saving = true);

    // Help context of the dialog (0: the dialog takes F1 and shows nothing).
    unsigned helpContext() const { return helpContext_; }
    // A part of the dialog with a help page of its own (a page of a paged
    // dialog, a child page): F1 with the focus inside it opens that context.
    static void setHelpContext(QWidget* part, unsigned context);
    // The context F1 opens with the focus on w: that of the nearest part
    // around w that has one of its own, else the dialog's.
    unsigned helpContextAt(const QWidget* w) const;
    // The help book that F1 opens at helpContext (set once by the program).
    static void setHelpBook(std::string book);

    // The handlers (public so that tests and callers can drive them the way
    // the buttons do).
    virtual bool onInitDialog();
    virtual void onOK();
    virtual void onCancel();
    // QDialog's accept and reject (Return, Esc, the standard buttons) run
    // the handlers above.
    void accept() override;
    void reject() override;

protected:
    virtual void doDataExchange(DataExchange& dx);

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void prepareWindow();

    unsigned helpContext_;
    int result_ = kIdCancel;
    bool ending_ = false;
};

// The narrowest a window may be for its title bar to show title whole: the
// title in the title bar's (bold) font, and room for the window's icon and
// three buttons.
int title_bar_width(const QString& title);

// Adds OK and Cancel buttons (or OK alone) connected to the handlers.
QWidget* ok_cancel_buttons(Dialog* dlg, bool withCancel = true);

}  // namespace fw
