// The widgets of the orbit input dialog: they show OrbitInputModel and
// forward the user's actions to it.
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "framework/cp1252.h"
#include "framework/linelist.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/dialogs.h"
#include "zelvo/app/helpcontexts.h"
#include "zelvo/app/tables.h"
#include "zelvo/ephemeris/orbitinput.h"

namespace zelvo {

namespace {

QString text_of(const std::string& bytes) { return fw::fromCp1252(bytes); }

std::string bytes_of(const QString& text) { return fw::toCp1252(text); }

constexpr unsigned kHelpContext = help::kObjectPage;  // the Object(s) page's help

}  // namespace

COrbitInputDlg::COrbitInputDlg(OrbitInputModel& model, QWidget* parent) : fw::Dialog(parent, kHelpContext), m_(model) {
    setFont(fw::fixed_font(12));
    setWindowTitle(QString());
    auto* all = new QVBoxLayout(this);

    // Source and list file.
    auto* sourceRow = new QHBoxLayout;
    singleRadio_ = new QRadioButton(QStringLiteral("Single orbit"));
    listRadio_ = new QRadioButton(QStringLiteral("List of orbits"));
    singleRadio_->setObjectName(QStringLiteral("ctl1171"));
    listRadio_->setObjectName(QStringLiteral("ctl1172"));
    sourceRow->addWidget(singleRadio_);
    sourceRow->addWidget(listRadio_);
    all->addLayout(sourceRow);
    auto* fileRow = new QHBoxLayout;
    fileLabel_ = new QLabel(QStringLiteral("File:"));
    file_ = new QLineEdit;
    file_->setObjectName(QStringLiteral("ctl1173"));
    browse_ = new QPushButton(QStringLiteral("Browse..."));
    edit_ = new QPushButton(QStringLiteral("Edit file"));
    fileRow->addWidget(fileLabel_);
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(browse_);
    fileRow->addWidget(edit_);
    all->addLayout(fileRow);

    // The columns: a check box or radio and a field each.
    auto* middle = new QHBoxLayout;
    elementsGroup_ =
        new QGroupBox(m_.elements ? QStringLiteral("Elements") : QStringLiteral("Coordinates and Velocities"));
    auto* grid = new QGridLayout(elementsGroup_);
    frameLabel_ = new QLabel(m_.elements ? QStringLiteral("Ecliptic and equinox 2000.0, center: Sun")
                                         : QStringLiteral("Equator and equinox 2000.0, center: Sun"));
    grid->addWidget(frameLabel_, 0, 0, 1, 3);
    static const char* const kBoxText[kOrbitFields] = {"Designation",
                                                       "H",
                                                       "G",
                                                       "Epoch",
                                                       "M ",
                                                       "T",
                                                       "Peri",
                                                       "Node",
                                                       "i",
                                                       "e",
                                                       "n",
                                                       "a(au)",
                                                       "q(au)",
                                                       "X (au)",
                                                       "Y (au)",
                                                       "Z (au)",
                                                       "dX/dt (au/day)",
                                                       "dY/dt (au/day)",
                                                       "dZ/dt (au/day)"};
    static const int kBoxIds[kOrbitFields] = {1179, 1180, 1181, 1182, 1210, 1185, 1186, 1187, 1188, 1189,
                                              1191, 1192, 1193, 1184, 1215, 1219, 1222, 1226, 1005};
    static const int kFieldIds[kOrbitFields] = {1194, 1195, 1196, 1197, 1198, 1199, 1200, 1201, 1202, 1203,
                                                1204, 1205, 1206, 1208, 1217, 1221, 1225, 1227, 1006};
    // The boxes of the two choices of columns (M or T; n, a or q) are
    // captioned by the radios beside them; the group holds them even in the
    // form of coordinates, which does not show them.
    auto* mt = new QCheckBox(elementsGroup_);
    auto* naq = new QCheckBox(elementsGroup_);
    mt->setObjectName(QStringLiteral("ctl1183"));
    naq->setObjectName(QStringLiteral("ctl1190"));
    mt->setAccessibleName(QStringLiteral("M or T"));
    naq->setAccessibleName(QStringLiteral("n, a or q"));
    boxes_[kGroupMT] = mt;
    boxes_[kGroupNAQ] = naq;
    int row = 1;
    for (int i = 0; i < kOrbitFields; ++i) {
        if (!orbitFieldInForm(i, m_.elements)) {
            fields_[static_cast<std::size_t>(i)] = nullptr;
            continue;
        }
        const bool radio = i == kFieldM || i == kFieldT || i == kFieldN || i == kFieldA || i == kFieldQ;
        QAbstractButton* b = radio ? static_cast<QAbstractButton*>(new QRadioButton(fw::fromCp1252(kBoxText[i])))
                                   : static_cast<QAbstractButton*>(new QCheckBox(fw::fromCp1252(kBoxText[i])));
        if (radio) b->setAutoExclusive(false);  // the model decides which one is chosen
        b->setObjectName(QStringLiteral("ctl%1").arg(kBoxIds[i]));
        auto* f = new QLineEdit;
        f->setObjectName(QStringLiteral("ctl%1").arg(kFieldIds[i]));
        f->setMaxLength(18);
        f->installEventFilter(this);
        boxes_[static_cast<std::size_t>(i)] = b;
        fields_[static_cast<std::size_t>(i)] = f;
        if (i == kFieldM) grid->addWidget(mt, row, 0);
        if (i == kFieldN) grid->addWidget(naq, row, 0);
        grid->addWidget(b, row, 1);
        grid->addWidget(f, row, 2);
        if (m_.elements && i >= kFieldM && i <= kFieldI && i != kFieldT && i != kFieldE)
            grid->addWidget(new QLabel(QStringLiteral("(o)")), row, 3);
        ++row;
        const int control = i;
        QObject::connect(b, &QAbstractButton::clicked, this, [this, control] { clicked(control); });
        QObject::connect(f, &QLineEdit::textEdited, this,
                         [this, control, f] { m_.setFieldText(control, fw::fixed_field_bytes(f)); });
    }
    if (!m_.elements) {
        mt->hide();
        naq->hide();
    }
    QObject::connect(mt, &QAbstractButton::clicked, this, [this] { clicked(kGroupMT); });
    QObject::connect(naq, &QAbstractButton::clicked, this, [this] { clicked(kGroupNAQ); });
    middle->addWidget(elementsGroup_, 1);

    // The column order of a list.
    orderGroup_ = new QGroupBox(QStringLiteral("Order"));
    auto* orderLayout = new QVBoxLayout(orderGroup_);
    order_ = new QPlainTextEdit;
    order_->setObjectName(QStringLiteral("ctl1211"));
    order_->setReadOnly(true);
    orderLayout->addWidget(order_);
    modify_ = new QPushButton(QStringLiteral("Modify"));
    restore_ = new QPushButton(QStringLiteral("Restore"));
    clear_ = new QPushButton(QStringLiteral("Clear"));
    for (QPushButton* b : {modify_, restore_, clear_}) orderLayout->addWidget(b);
    hint_ = new QPlainTextEdit;
    hint_->setReadOnly(true);
    hint_->setObjectName(QStringLiteral("ctl1220"));
    hint_->setMaximumHeight(70);
    orderLayout->addWidget(hint_);
    middle->addWidget(orderGroup_);
    all->addLayout(middle);

    // The nongravitational parameters of a comet.
    nongravGroup_ = new QGroupBox(QStringLiteral("*Nongravitational forces"));
    auto* ng = new QHBoxLayout(nongravGroup_);
    static const int kNgIds[3] = {1233, 1234, 1235};
    for (int i = 0; i < 3; ++i) {
        ng->addWidget(new QLabel(QStringLiteral("A%1").arg(i + 1)));
        auto* e = new QLineEdit;
        e->setObjectName(QStringLiteral("ctl%1").arg(kNgIds[i]));
        nongrav_[static_cast<std::size_t>(i)] = e;
        ng->addWidget(e);
        QObject::connect(e, &QLineEdit::textEdited, this,
                         [this, i](const QString& t) { m_.nongrav[static_cast<std::size_t>(i)] = bytes_of(t); });
    }
    all->addWidget(nongravGroup_);
    all->addWidget(fw::ok_cancel_buttons(this));

    QObject::connect(singleRadio_, &QRadioButton::clicked, this, [this] {
        m_.onSingleOrbit();
        showModel();
    });
    QObject::connect(listRadio_, &QRadioButton::clicked, this, [this] {
        m_.onListOfOrbits();
        showModel();
    });
    QObject::connect(file_, &QLineEdit::textEdited, this, [this](const QString& t) { m_.setFileText(bytes_of(t)); });
    QObject::connect(browse_, &QPushButton::clicked, this, [this] {
        m_.onBrowse();
        showModel();
    });
    QObject::connect(edit_, &QPushButton::clicked, this, [this] { m_.onEditFile(); });
    QObject::connect(modify_, &QPushButton::clicked, this, [this] {
        m_.onModify();
        showModel();
    });
    QObject::connect(restore_, &QPushButton::clicked, this, [this] {
        m_.onRestore();
        showModel();
    });
    QObject::connect(clear_, &QPushButton::clicked, this, [this] {
        m_.onClear();
        showModel();
    });
    if (!m_.fieldError)
        m_.fieldError = [this](const std::string& line1, const std::string& line2) {
            CFieldErrorDlg dlg(this);
            dlg.message = line1;
            dlg.hint1 = line2;
            dlg.doModal();
        };
}

bool COrbitInputDlg::onInitDialog() {
    fw::Dialog::onInitDialog();
    m_.init();
    showModel();
    return true;
}

void COrbitInputDlg::showModel() {
    syncing_ = true;
    singleRadio_->setChecked(m_.source == 0);
    listRadio_->setChecked(m_.source == 1);
    file_->setText(text_of(m_.fileText));
    for (QWidget* w : std::initializer_list<QWidget*>{fileLabel_, file_, browse_, edit_})
        w->setEnabled(m_.fileControlsEnabled);
    elementsGroup_->setEnabled(m_.elementsGroupEnabled);
    orderGroup_->setEnabled(true);
    order_->setEnabled(m_.orderGroupEnabled);
    order_->setPlainText(text_of(m_.orderText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    modify_->setEnabled(m_.modifyEnabled);
    restore_->setEnabled(m_.restoreEnabled);
    clear_->setEnabled(m_.clearEnabled);
    for (int i = 0; i < kOrbitControls; ++i) {
        QAbstractButton* b = boxes_[static_cast<std::size_t>(i)];
        if (b == nullptr) continue;
        b->setEnabled(m_.boxEnabled[static_cast<std::size_t>(i)]);
        b->setChecked(m_.boxChecked[static_cast<std::size_t>(i)]);
    }
    for (int i = 0; i < kOrbitFields; ++i) {
        QLineEdit* f = fields_[static_cast<std::size_t>(i)];
        if (f == nullptr) continue;
        f->setEnabled(m_.fieldEnabled[static_cast<std::size_t>(i)]);
        fw::set_fixed_field(f, m_.fieldTexts[static_cast<std::size_t>(i)]);
    }
    hint_->setVisible(m_.hintVisible);
    hint_->setPlainText(text_of(m_.hintText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    nongravGroup_->setVisible(m_.nongravVisible);
    for (std::size_t i = 0; i < 3; ++i) nongrav_[i]->setText(text_of(m_.nongrav[i]));
    syncing_ = false;
}

void COrbitInputDlg::clicked(int control) {
    if (syncing_) return;
    QAbstractButton* b = boxes_[static_cast<std::size_t>(control)];
    m_.onColumnCheck(control, b->isChecked());
    showModel();
    focusFailedField();
}

void COrbitInputDlg::focusFailedField() {
    if (m_.failedField < 0) return;
    if (QLineEdit* f = fields_[static_cast<std::size_t>(m_.failedField)]) {
        f->setFocus();
        f->selectAll();
    }
}

bool COrbitInputDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && !syncing_) {
        for (int i = 0; i < kOrbitFields; ++i) {
            if (fields_[static_cast<std::size_t>(i)] != watched) continue;
            if (!m_.onFieldFocus(i)) {
                // The failed field takes the focus back once this event is
                // over (its own focus event then finds nothing pending).
                QTimer::singleShot(0, this, [this] {
                    showModel();
                    focusFailedField();
                });
            } else {
                QTimer::singleShot(0, this, [this] { showModel(); });
            }
            break;
        }
    }
    return fw::Dialog::eventFilter(watched, event);
}

void COrbitInputDlg::onOK() {
    if (m_.onOK()) {
        endDialog(fw::kIdOk);
        return;
    }
    showModel();
    focusFailedField();
}

void COrbitInputDlg::onCancel() {
    m_.onCancel();
    endDialog(fw::kIdCancel);
}

int runOrbitInputDialog(AppContext& ctx, Library& lib, std::string& taskRecord, QWidget* parent) {
    return runOrbitInputDialog(ctx, lib, taskRecord, ctx.OrbitAsElements, ctx.OrbitListFile, parent);
}

int runOrbitInputDialog(AppContext& ctx, Library& lib, std::string& taskRecord, bool asElements,
                        std::string& orbitListFile, QWidget* parent) {
    OrbitInputModel model(lib, taskRecord, orbitListFile, asElements, ctx.EphemerisMode, ctx.CometMode, ctx.WorkDir);
    model.editorProgram = editorProgramPath(ctx);
    COrbitInputDlg dlg(model, parent);
    return dlg.doModal();
}

int runOrbitInputDialog(AppContext& ctx, Library& lib, zelvomat::EphTaskRecord& record, QWidget* parent) {
    std::string text(record.text().begin(), record.text().end());
    const int result = runOrbitInputDialog(ctx, lib, text, parent);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    if (auto changed = zelvomat::EphTaskRecord::from_bytes(std::span(bytes, text.size())); changed.ok())
        record = *changed;
    return result;
}

}  // namespace zelvo
