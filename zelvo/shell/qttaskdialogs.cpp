#include "zelvo/shell/qttaskdialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>
#include <memory>

#include "framework/captionline.h"
#include "framework/cp1252.h"
#include "framework/dialog.h"
#include "framework/linelist.h"
#include "framework/messages.h"
#include "zelvo/app/accuracy.h"
#include "zelvo/app/context.h"
#include "zelvo/app/helpcontexts.h"
#include "zelvo/app/tables.h"
#include "zelvo/observations/obsdialogs.h"
#include "zelvo/observations/ocdialogs.h"
#include "zelvo/observations/platedialogs.h"

namespace zelvo {

namespace {

QWidget* parentWindow() { return QApplication::activeWindow(); }

std::string bytes_of(const QString& s) { return fw::toCp1252(s); }

// "String Editor" (resource 156): the line under its title and masks, which
// are drawn in the line's font from the screen column of its first
// character, so that each mask stands over its field.
class CStringEditDlg final : public fw::Dialog {
public:
    explicit CStringEditDlg(const StringEditRequest& r) : fw::Dialog(parentWindow(), help::kStringEditor), request_(r) {
        setWindowTitle(QStringLiteral("String Editor"));
        setFont(fw::list_font());
        auto* layout = new QVBoxLayout(this);
        auto* top = new QGridLayout;
        top->addWidget(new QLabel(QStringLiteral("String:")), 0, 0);
        number_ = new QLineEdit(QString::number(r.lineNumber));
        number_->setObjectName(QStringLiteral("ctl1024"));
        number_->setReadOnly(true);
        number_->setAlignment(Qt::AlignRight);
        number_->setMaximumWidth(80);
        top->addWidget(number_, 0, 1);
        auto* message = new QLineEdit(fw::fromCp1252(r.message));
        message->setObjectName(QStringLiteral("ctl1006"));
        message->setReadOnly(true);
        top->addWidget(message, 0, 2);
        layout->addLayout(top);
        line_ = new QTextEdit;
        line_->setObjectName(QStringLiteral("ctl1014"));
        line_->setAcceptRichText(false);
        line_->setLineWrapMode(QTextEdit::NoWrap);
        line_->setFont(fw::list_font());
        line_->setPlainText(fw::fromCp1252(r.lineText));
        // The line is one line: Enter saves it, as the dialog's default button.
        line_->installEventFilter(this);
        line_->setFixedHeight(QFontMetrics(line_->font()).lineSpacing() + 14);
        line_->setMinimumWidth(QFontMetrics(line_->font()).horizontalAdvance(QString(84, QLatin1Char('x'))));
        lineColumns_ = std::make_unique<fw::EditorColumns>(line_);
        const std::pair<int, const std::string*> masks[3] = {
            {1020, &r.title}, {1017, &r.minutesMask}, {1015, &r.secondsMask}};
        for (const auto& [id, text] : masks) {
            auto* mask = new fw::CaptionLine(fw::fromCp1252(*text));
            mask->setObjectName(QStringLiteral("ctl%1").arg(id));
            mask->follow(lineColumns_.get());
            layout->addWidget(mask);
        }
        layout->addWidget(line_);
        // "Save" (id 1) at the right; Esc or closing the window cancels.
        auto* buttons = new QHBoxLayout;
        auto* save = new QPushButton(QStringLiteral("Save"));
        save->setObjectName(QStringLiteral("id1"));
        QObject::connect(save, &QPushButton::clicked, this, [this] { onOK(); });
        buttons->addStretch(1);
        buttons->addWidget(save);
        layout->addLayout(buttons);
    }
    bool onInitDialog() override {
        fw::Dialog::onInitDialog();
        // The caret before the first column of the faulty field.
        QTextCursor c = line_->textCursor();
        c.setPosition(std::clamp(request_.caret, 0, static_cast<int>(line_->toPlainText().size())));
        line_->setTextCursor(c);
        line_->setFocus();
        return true;
    }
    std::string text() const { return bytes_of(line_->toPlainText().split(QLatin1Char('\n')).front()); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == line_ && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                onOK();
                return true;
            }
        }
        return fw::Dialog::eventFilter(watched, event);
    }

private:
    StringEditRequest request_;
    QLineEdit* number_;
    QTextEdit* line_;
    std::unique_ptr<fw::EditorColumns> lineColumns_;
};

// A dialog of labelled text fields.
class FieldsDlg final : public fw::Dialog {
public:
    FieldsDlg(const QString& title, const std::vector<std::pair<QString, std::string>>& fields)
        : fw::Dialog(parentWindow()) {
        setWindowTitle(title);
        setFont(fw::list_font());
        auto* layout = new QVBoxLayout(this);
        auto* form = new QFormLayout;
        for (const auto& [label, text] : fields) {
            auto* e = new QLineEdit(fw::fromCp1252(text));
            edits.push_back(e);
            form->addRow(label, e);
        }
        layout->addLayout(form);
        layout->addWidget(fw::ok_cancel_buttons(this));
    }
    std::vector<QLineEdit*> edits;
    std::string text(std::size_t i) const { return bytes_of(edits[i]->text()); }
};

}  // namespace

std::optional<std::string> QtTaskDialogs::editLine(const StringEditRequest& request) {
    CStringEditDlg dlg(request);
    if (dlg.doModal() != fw::kIdOk) return std::nullopt;
    return dlg.text();
}

std::optional<std::string> QtTaskDialogs::magnitude(const std::string& text, Library& lib) {
    CMagnitudeDlg dlg(lib, parentWindow());
    dlg.limitText = text;
    if (dlg.doModal() != fw::kIdOk) return std::nullopt;
    return dlg.limitText;
}

std::optional<std::pair<std::string, std::string>> QtTaskDialogs::tolerance(const std::string& ra,
                                                                            const std::string& decl) {
    if (lib_ == nullptr) return std::nullopt;
    ToleranceModel m(*lib_);
    m.raText = ra;
    m.declText = decl;
    CToleranceDlg dlg(m, parentWindow());
    if (dlg.doModal() != fw::kIdOk) return std::nullopt;
    return std::make_pair(m.raText, m.declText);
}

std::optional<ObsChoice> QtTaskDialogs::observatoryChoice() {
    if (lib_ == nullptr) return std::nullopt;
    ObsChoiceModel m(*lib_);
    CObsChoiceDlg dlg(m, parentWindow());
    if (dlg.doModal() != fw::kIdOk) return std::nullopt;
    return ObsChoice{m.choice, m.nameText, m.numberText};
}

void QtTaskDialogs::parallax(const std::string& record) {
    if (lib_ == nullptr) return;
    ParallaxModel m(*lib_);
    if (!record.empty()) m.startFrom(record);
    CParallaxCalcDlg dlg(m, parentWindow());
    dlg.doModal();
}

std::optional<SeparationChoice> QtTaskDialogs::separation(const SeparationChoice& start, AppContext& ctx,
                                                          Library& lib) {
    SeparationModel m(ctx, lib);
    m.conditionsOn = start.separation;
    m.selectObservatory = start.oneObservatory;
    m.separateByOC = start.limits;
    m.codeText = m.codeFieldText = start.code;
    m.maxText = start.upper;
    m.minText = start.lower;
    CSeparationDlg dlg(m, parentWindow());
    if (dlg.doModal() != fw::kIdOk) return std::nullopt;
    SeparationChoice r;
    r.separation = m.conditionsOn;
    r.oneObservatory = m.selectObservatory;
    r.limits = m.separateByOC;
    r.code = m.codeText;
    r.upper = m.maxText;
    r.lower = m.minText;
    r.observatory = m.observatory;
    return r;
}

bool QtTaskDialogs::observationType(ObsTypeModel& model) {
    CObsTypeDlg dlg(model, parentWindow());
    return dlg.doModal() == fw::kIdOk;
}

bool QtTaskDialogs::accuracy(AppContext& ctx, OcAccuracySettings& settings, bool orbitIntroduced) {
    CAccuracyDlg dlg(ctx, settings, orbitIntroduced, parentWindow());
    return dlg.doModal() == fw::kIdOk;
}

void QtTaskDialogs::orbitParameters(OrbitParamModel& model, std::function<void(bool)> openOrbitInput) {
    COrbitParamDlg dlg(model, std::move(openOrbitInput), parentWindow());
    dlg.doModal();
}

}  // namespace zelvo
