#include "zelvo/observations/ocdialogs.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <charconv>

#include "framework/cp1252.h"
#include "framework/messages.h"
#include "zelvo/app/dialogs.h"
#include "zelvo/app/helpcontexts.h"
#include "zelvo/app/tables.h"

namespace zelvo {

namespace {

bool in_range(int v) { return v >= 1 && v <= 3; }

// The standard decimal conversion: leading blanks, a sign, the number up to
// the first other character; 0 when there is none.
double decimalValue(std::string_view t) {
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    bool negative = false;
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    double v = 0;
    std::from_chars(t.data(), t.data() + t.size(), v);
    return negative ? -v : v;
}

std::string fitted(std::string_view t, std::size_t n) {
    std::string s(t.substr(0, std::min(t.size(), n)));
    s.resize(n, ' ');
    return s;
}

std::string ltrimmed(const std::string& t) {
    const std::size_t a = t.find_first_not_of(' ');
    return a == std::string::npos ? std::string() : t.substr(a);
}

QRadioButton* makeRadio(const char* text, int id) {
    auto* b = new QRadioButton(QString::fromUtf8(text));
    b->setObjectName(QStringLiteral("id%1").arg(id));
    b->setAutoExclusive(false);
    return b;
}

}  // namespace

// ---- Observation type ----------------------------------------------------------------

void ObsTypeModel::start(int code) {
    positions = code / 100;
    mainPlane = (code % 100) / 10;
    equinox = code % 10;
}

void ObsTypeModel::onShow() {
    if (in_range(positions)) choosePositions(positions);
}

void ObsTypeModel::choosePositions(int p) {
    positions = p;
    switch (p) {
        case 1:
            if (mainPlane == 2 || mainPlane == 3) mainPlane = 1;
            if (equinox == 3) equinox = 1;
            break;
        case 2:
            if (mainPlane == 3) mainPlane = 1;
            break;
        case 3:
            if (equinox == 1 || equinox == 2) equinox = 3;
            break;
        default:
            break;
    }
}

void ObsTypeModel::chooseMainPlane(int c) {
    if (positions == 1 && equinox == 3) equinox = 1;
    if (positions == 3 && (equinox == 1 || equinox == 2)) equinox = 3;
    mainPlane = c;
}

void ObsTypeModel::chooseEquinox(int e) {
    if (positions == 1 && (mainPlane == 2 || mainPlane == 3)) mainPlane = 1;
    if (positions == 2 && mainPlane == 3) mainPlane = 1;
    equinox = e;
}

bool ObsTypeModel::planeEnabled(int c) const {
    switch (positions) {
        case 1:
            return c == 1;
        case 2:
            return c <= 2;
        default:
            return true;
    }
}

bool ObsTypeModel::equinoxEnabled(int e) const {
    switch (positions) {
        case 1:
            return e <= 2;
        case 3:
            return e == 3;
        default:
            return true;
    }
}

bool ObsTypeModel::ok() {
    if (positions < 0 || mainPlane < 0 || equinox < 0) return false;
    typeCode = 100 * positions + 10 * mainPlane + equinox;
    return true;
}

std::string obsTypeHeader(int positions, int mainPlane, int equinox, const OcAccuracySettings& accuracy) {
    static const char* planes[3] = {"Equator and equinox  ", "Ecliptic and equinox ", "Horizon  and meridian "};
    static const char* equinoxes[3] = {" 2000.0  ", " 1950.0  ", " True  "};
    static const char* kinds[3] = {"Astrometric positions  ", "Geometric positions  ", "Apparent positions  "};
    std::string t = " ";
    if (in_range(mainPlane)) t += planes[mainPlane - 1];
    if (in_range(equinox)) t += equinoxes[equinox - 1];
    if (in_range(positions)) t += kinds[positions - 1];
    return t + accuracy_text(accuracy.model, accuracy, false);
}

CObsTypeDlg::CObsTypeDlg(ObsTypeModel& model, QWidget* parent) : fw::Dialog(parent, help::kObservationType), m_(model) {
    setWindowTitle(QStringLiteral("Observation type"));
    auto* layout = new QVBoxLayout(this);
    auto* pos = new QGroupBox(QStringLiteral("Positions"));
    auto* posLayout = new QVBoxLayout(pos);
    const char* posTexts[3] = {"Astrometric", "Geometric", "Apparent"};
    for (int i = 0; i < 3; ++i) {
        positions_[static_cast<std::size_t>(i)] = makeRadio(posTexts[i], 1002 + i);
        posLayout->addWidget(positions_[static_cast<std::size_t>(i)]);
        QObject::connect(positions_[static_cast<std::size_t>(i)], &QRadioButton::clicked, this, [this, i] {
            m_.choosePositions(i + 1);
            showModel();
        });
    }
    auto* plane = new QGroupBox(QStringLiteral("Main Plane         Equinox"));
    auto* grid = new QGridLayout(plane);
    const char* planeTexts[3] = {"Equator", "Ecliptic", "Horizon"};
    const char* eqTexts[3] = {"2000.0", "1950.0", "True"};
    for (int i = 0; i < 3; ++i) {
        planes_[static_cast<std::size_t>(i)] = makeRadio(planeTexts[i], 1043 + i);
        equinoxes_[static_cast<std::size_t>(i)] = makeRadio(eqTexts[i], 1046 + i);
        grid->addWidget(planes_[static_cast<std::size_t>(i)], i, 0);
        grid->addWidget(equinoxes_[static_cast<std::size_t>(i)], i, 1);
        QObject::connect(planes_[static_cast<std::size_t>(i)], &QRadioButton::clicked, this, [this, i] {
            m_.chooseMainPlane(i + 1);
            showModel();
        });
        QObject::connect(equinoxes_[static_cast<std::size_t>(i)], &QRadioButton::clicked, this, [this, i] {
            m_.chooseEquinox(i + 1);
            showModel();
        });
    }
    auto* row = new QHBoxLayout;
    row->addWidget(pos);
    row->addWidget(plane);
    layout->addLayout(row);
    layout->addWidget(fw::ok_cancel_buttons(this));
}

bool CObsTypeDlg::onInitDialog() {
    fw::Dialog::onInitDialog();
    for (auto* group : {&positions_, &planes_, &equinoxes_})
        for (QRadioButton* b : *group) b->setChecked(false);
    return true;
}

void CObsTypeDlg::showEvent(QShowEvent* event) {
    fw::Dialog::showEvent(event);
    m_.onShow();
    showModel();
}

void CObsTypeDlg::showModel() {
    for (int i = 1; i <= 3; ++i) {
        positionsButton(i)->setChecked(m_.positions == i);
        planeButton(i)->setChecked(m_.mainPlane == i);
        equinoxButton(i)->setChecked(m_.equinox == i);
        planeButton(i)->setEnabled(m_.planeEnabled(i));
        equinoxButton(i)->setEnabled(m_.equinoxEnabled(i));
    }
}

void CObsTypeDlg::onOK() {
    if (!m_.ok()) {
        if (fw::message("Unknown file format.Ignore?", fw::Buttons::YesNo, fw::Icon::Question) != fw::Answer::Yes)
            return;
        m_.acceptUnknown();
    }
    endDialog(fw::kIdOk);
}

// ---- Orbit parameters ------------------------------------------------------------------

OcChoices::OcChoices() {
    accuracy.model = accuracy.runModel = 1;
    accuracy.perturbers.fill(1);
}

OrbitParamModel::Choice OrbitParamModel::init() {
    if (record_.size() < 1418) record_.resize(1418, ' ');
    std::string key = record_.substr(0, 4);
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (key == "ZELV") {
        choice_ = Catalogue;
    } else if (key == "EELM" || key == "FELM") {
        record_.replace(0, 4, key);
        chooseElements();
    } else if (key == "XXYZ" || key == "FXYZ") {
        record_.replace(0, 4, key);
        chooseCoordinates();
    } else {
        choice_ = None;
    }
    return choice_;
}

void OrbitParamModel::chooseCatalogue() {
    choices_.orbitIntroduced = false;
    record_.replace(0, 4, "ZELV");
    choice_ = Catalogue;
}

void OrbitParamModel::chooseElements() {
    choices_.orbitIntroduced = true;
    choices_.orbitAsElements = true;
    record_.replace(0, 4, record_.compare(0, 4, "FELM") == 0 ? "FELM" : "EELM");
    choices_.orbitListFile = record_.substr(1218, 80);
    choice_ = Elements;
}

void OrbitParamModel::chooseCoordinates() {
    choices_.orbitIntroduced = true;
    choices_.orbitAsElements = false;
    record_.replace(0, 4, record_.compare(0, 4, "FXYZ") == 0 ? "FXYZ" : "XXYZ");
    choices_.orbitListFile = record_.substr(1318, 80);
    choice_ = Coordinates;
}

COrbitParamDlg::COrbitParamDlg(OrbitParamModel& model, std::function<void(bool)> openOrbitInput, QWidget* parent)
    : fw::Dialog(parent, help::kOrbitParameters),
      m_(model),
      openOrbitInput_(std::move(openOrbitInput)),
      elementsButton_(new QPushButton(QStringLiteral("..."))),
      coordinatesButton_(new QPushButton(QStringLiteral("..."))) {
    setWindowTitle(QString::fromStdString(fw::messageTitle()));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Orbit parameters"));
    auto* grid = new QGridLayout(group);
    radios_[0] = makeRadio("Orbit from data base of the package", 1235);
    radios_[1] = makeRadio("Introduced orbital elements", 1234);
    radios_[2] = makeRadio("Introduced coordinates and  velocities", 1233);
    elementsButton_->setObjectName(QStringLiteral("id1237"));
    coordinatesButton_->setObjectName(QStringLiteral("id1236"));
    grid->addWidget(radios_[0], 0, 0);
    grid->addWidget(radios_[1], 1, 0);
    grid->addWidget(elementsButton_, 1, 1);
    grid->addWidget(radios_[2], 2, 0);
    grid->addWidget(coordinatesButton_, 2, 1);
    layout->addWidget(group);
    layout->addWidget(fw::ok_cancel_buttons(this));
    QObject::connect(radios_[0], &QRadioButton::clicked, this, [this] {
        m_.chooseCatalogue();
        showModel();
    });
    QObject::connect(radios_[1], &QRadioButton::clicked, this, [this] {
        m_.chooseElements();
        showModel();
    });
    QObject::connect(radios_[2], &QRadioButton::clicked, this, [this] {
        m_.chooseCoordinates();
        showModel();
    });
    QObject::connect(elementsButton_, &QPushButton::clicked, this, [this] {
        if (openOrbitInput_) openOrbitInput_(true);
    });
    QObject::connect(coordinatesButton_, &QPushButton::clicked, this, [this] {
        if (openOrbitInput_) openOrbitInput_(false);
    });
}

bool COrbitParamDlg::onInitDialog() {
    fw::Dialog::onInitDialog();
    m_.init();
    showModel();
    return true;
}

void COrbitParamDlg::showModel() {
    for (int i = 0; i < 3; ++i) radios_[static_cast<std::size_t>(i)]->setChecked(m_.choice() == i);
    elementsButton_->setEnabled(m_.elementsButtonEnabled());
    coordinatesButton_->setEnabled(m_.coordinatesButtonEnabled());
}

// ---- Separation -------------------------------------------------------------------------

SeparationModel::SeparationModel(AppContext& ctx, Library& lib) : ctx_(ctx), lib_(lib) {}

bool SeparationModel::isNoLowerLimit(std::string_view text) {
    // The configuration's own "no lower limit": -1, however it is written.
    const std::string t = ltrimmed(std::string(text));
    return !t.empty() && t.front() == '-' && decimalValue(t) == -1.0;
}

bool SeparationModel::isNoUpperLimit(std::string_view text) {
    // The configuration's "no upper limit", 1.0E+26: a number no field of
    // nine characters can be typed as, so the field shows it blank.
    const std::string t = ltrimmed(std::string(text));
    double v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    return ec == std::errc() && v >= kNoUpperLimit;
}

void SeparationModel::init() {
    editedField = -1;
    editing = false;
    // Blank is "no upper limit" in the field and in the result's footer.
    if (isNoUpperLimit(maxText)) maxText = std::string(9, ' ');
    savedCode_ = codeText;
    savedMax_ = maxText;
    savedMin_ = minText;
    fieldEnabled = {false, false, false, false};
    observatoryBoxChecked = selectObservatory != 0;
    limitsBoxChecked = separateByOC != 0;
    field[1] = offCodeText;
    field[2] = offMaxText;
    field[3] = offMinText;
    if (conditionsOn != 0) {
        noSeparationsChecked = false;
        conditionsChecked = true;
        boxesEnabled = true;
        if (selectObservatory != 0) {
            fieldEnabled[1] = true;
            field[1] = savedCode_;
            observatory = observatoryOf(savedCode_);
        }
        if (separateByOC != 0) {
            fieldEnabled[2] = fieldEnabled[3] = true;
            field[2] = savedMax_;
            field[3] = savedMin_;
        }
    } else {
        noSeparationsChecked = true;
        conditionsChecked = false;
        boxesEnabled = false;
    }
}

int SeparationModel::observatoryOf(const std::string& text) {
    std::string code = fitted(ltrimmed(text), 3);
    int err = 0, aux = -1;
    double value = 0;
    lib_.contreph(6, code.data(), 3, err, value, aux);
    return aux;
}

void SeparationModel::clickObservatory(bool checked) {
    observatoryBoxChecked = checked;
    if (checked) {
        codeText = savedCode_;
        observatory = observatoryOf(codeText);
        selectObservatory = 1;
        fieldEnabled[1] = true;
        field[1] = codeText;
    } else {
        savedCode_ = field[1];
        field[1] = offCodeText;
        fieldEnabled[1] = false;
        selectObservatory = 0;
    }
}

void SeparationModel::clickLimits(bool checked) {
    limitsBoxChecked = checked;
    if (checked) {
        maxText = savedMax_;
        minText = savedMin_;
        separateByOC = 1;
        fieldEnabled[2] = fieldEnabled[3] = true;
        field[2] = maxText;
        field[3] = minText;
    } else {
        savedMax_ = field[2];
        savedMin_ = field[3];
        field[2] = offMaxText;
        field[3] = offMinText;
        fieldEnabled[2] = fieldEnabled[3] = false;
        separateByOC = 0;
    }
}

void SeparationModel::clickNoSeparations() {
    // A field that is switched off shows its off text: its remembered text
    // stays what it was.
    if (fieldEnabled[1]) savedCode_ = field[1];
    if (fieldEnabled[2]) savedMax_ = field[2];
    if (fieldEnabled[3]) savedMin_ = field[3];
    boxesEnabled = false;
    observatoryBoxChecked = limitsBoxChecked = false;
    fieldEnabled = {false, false, false, false};
    field[1] = offCodeText;
    field[2] = offMaxText;
    field[3] = offMinText;
    conditionsChecked = false;
    noSeparationsChecked = true;
    conditionsOn = 0;
}

void SeparationModel::clickConditions() {
    codeText = savedCode_;
    maxText = savedMax_;
    minText = savedMin_;
    fieldEnabled = {false, false, false, false};
    noSeparationsChecked = false;
    conditionsChecked = true;
    boxesEnabled = true;
    observatoryBoxChecked = selectObservatory != 0;
    limitsBoxChecked = separateByOC != 0;
    field[1] = selectObservatory != 0 ? codeText : offCodeText;
    fieldEnabled[1] = selectObservatory != 0;
    field[2] = separateByOC != 0 ? maxText : offMaxText;
    field[3] = separateByOC != 0 ? minText : offMinText;
    fieldEnabled[2] = fieldEnabled[3] = separateByOC != 0;
    conditionsOn = 1;
}

void SeparationModel::takeFields() {
    codeText = field[1];
    maxText = field[2];
    minText = field[3];
}

bool SeparationModel::checkEditedField() {
    focus = 0;  // the hidden box while the field is checked
    lastCheckPassed = false;
    editing = false;
    takeFields();
    const int f = editedField;
    auto refuse = [&](const std::string& line1, const std::string& line2) {
        if (showFieldError) showFieldError({f, line1, line2});
        focus = f;
        editing = true;  // the field keeps the focus and stays the one edited
        return false;
    };
    if (f == 1) {
        const int aux = observatoryOf(field[1]);
        if (aux < 0) return refuse(" Change the number of Observatory.", "");
        observatory = aux;
    } else if (f == 2 || f == 3) {
        std::string text = field[static_cast<std::size_t>(f)].substr(0, 9);
        if (IsBlankText(text)) {
            field[static_cast<std::size_t>(f)] = std::string(9, ' ');
        } else if (f == 3 && isNoLowerLimit(text)) {
            // Accepted as it stands: the limit is off.
            field[3] = fitted(ltrimmed(text), 9);
        } else {
            text = fitted(text, 9);
            int err = 0, aux = 0;
            double value = 0;
            lib_.contreph(15, text.data(), 9, err, value, aux);
            if (err != 0)
                return refuse("Wrong field definition.", f == 2 ? " Change the field abs(O-C)(arcsec) <="
                                                                : " Change the field abs(O-C)(arcsec) >=");
            field[static_cast<std::size_t>(f)] = text;
        }
    }
    takeFields();
    lastCheckPassed = true;
    if (enteredField > 0) {
        focus = enteredField;
        editedField = enteredField;
        editing = true;
    }
    return true;
}

void SeparationModel::enterField(int i) {
    enteredField = i;
    focus = i;
    if (editedField > 0 && editedField != i && editing) {
        checkEditedField();
        return;
    }
    editedField = i;
    editing = true;
}

void SeparationModel::enter() {
    if (editedField > 0 && editing) focus = editedField;
}

bool SeparationModel::ok() {
    lastCheckPassed = true;
    enteredField = -1;
    codeFieldText = field[1];
    if (editedField > 0 && editing) checkEditedField();
    if (!lastCheckPassed) return false;
    if (decimalValue(field[2]) < 0) {
        fw::message("The maximum value (0-C) must be positive");
        return false;
    }
    if (decimalValue(field[3]) < 0 && !isNoLowerLimit(field[3])) {
        fw::message("The minimum value (0-C) must be positive");
        return false;
    }
    ctx_.OcResultFromRun = 0;
    ctx_.CalcInterrupted = 0;
    takeFields();
    return true;
}

CSeparationDlg::CSeparationDlg(SeparationModel& model, QWidget* parent)
    : fw::Dialog(parent, help::kSeparation),
      m_(model),
      noSep_(makeRadio("No separations", 1257)),
      conditions_(makeRadio("Separation conditions", 1008)),
      observatory_(new QCheckBox(QStringLiteral("Selection of observatory  "))),
      limits_(new QCheckBox(QStringLiteral("O-C separating out "))) {
    setWindowTitle(QStringLiteral("Separation Dialogue"));
    observatory_->setObjectName(QStringLiteral("id1219"));
    limits_->setObjectName(QStringLiteral("id1010"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(noSep_, 0, 0);
    grid->addWidget(conditions_, 0, 1);
    grid->addWidget(observatory_, 1, 0);
    labels_[0] = new QLabel(QStringLiteral(" with number:"));
    labels_[1] = new QLabel(QStringLiteral("abs(O-C)(arcsec)<="));
    labels_[2] = new QLabel(QStringLiteral("abs(O-C)(arcsec)>="));
    const int ids[4] = {0, 1256, 1255, 1006};
    for (int i = 1; i <= 3; ++i) {
        auto* e = new QLineEdit;
        e->setObjectName(QStringLiteral("id%1").arg(ids[i]));
        e->setMaxLength(i == 1 ? 3 : 9);
        e->installEventFilter(this);
        edits_[static_cast<std::size_t>(i)] = e;
    }
    grid->addWidget(labels_[0], 2, 0);
    grid->addWidget(edits_[1], 2, 1);
    grid->addWidget(limits_, 3, 0);
    grid->addWidget(labels_[1], 4, 0);
    grid->addWidget(edits_[2], 4, 1);
    grid->addWidget(labels_[2], 5, 0);
    grid->addWidget(edits_[3], 5, 1);
    auto* hidden = new QCheckBox;
    hidden->setObjectName(QStringLiteral("id1097"));
    hidden->hide();
    grid->addWidget(hidden, 6, 0);
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("id1108"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("id2"));
    for (QPushButton* b : {ok, cancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 7, 0, 1, 2);
    QObject::connect(ok, &QPushButton::clicked, this, [this] {
        readEdits();
        const bool done = m_.ok();
        showModel();
        if (done) endDialog(fw::kIdOk);
    });
    QObject::connect(cancel, &QPushButton::clicked, this, [this] { onCancel(); });
    QObject::connect(noSep_, &QRadioButton::clicked, this, [this] {
        readEdits();
        m_.clickNoSeparations();
        showModel();
    });
    QObject::connect(conditions_, &QRadioButton::clicked, this, [this] {
        readEdits();
        m_.clickConditions();
        showModel();
    });
    QObject::connect(observatory_, &QCheckBox::clicked, this, [this](bool on) {
        readEdits();
        m_.clickObservatory(on);
        showModel();
    });
    QObject::connect(limits_, &QCheckBox::clicked, this, [this](bool on) {
        readEdits();
        m_.clickLimits(on);
        showModel();
    });
    m_.showFieldError = [this](const SeparationModel::FieldError& e) {
        CFieldErrorDlg dlg(this);
        dlg.message = e.line1;
        dlg.hint1 = e.line2;
        dlg.doModal();
    };
}

bool CSeparationDlg::onInitDialog() {
    fw::Dialog::onInitDialog();
    m_.init();
    showModel();
    return true;
}

void CSeparationDlg::readEdits() {
    for (int i = 1; i <= 3; ++i)
        if (edits_[static_cast<std::size_t>(i)]->isEnabled())
            m_.type(i, fw::fixed_field_bytes(edits_[static_cast<std::size_t>(i)]));
}

void CSeparationDlg::showModel() {
    syncing_ = true;
    noSep_->setChecked(m_.noSeparationsChecked);
    conditions_->setChecked(m_.conditionsChecked);
    observatory_->setChecked(m_.observatoryBoxChecked);
    limits_->setChecked(m_.limitsBoxChecked);
    observatory_->setEnabled(m_.boxesEnabled);
    limits_->setEnabled(m_.boxesEnabled);
    for (QLabel* l : labels_) l->setEnabled(m_.boxesEnabled);
    for (int i = 1; i <= 3; ++i) {
        QLineEdit* e = edits_[static_cast<std::size_t>(i)];
        fw::set_fixed_field(e, m_.field[static_cast<std::size_t>(i)]);
        e->setEnabled(m_.fieldEnabled[static_cast<std::size_t>(i)]);
    }
    if (m_.focus > 0 && m_.focus <= 3) {
        QLineEdit* e = edits_[static_cast<std::size_t>(m_.focus)];
        if (e->isEnabled() && !e->hasFocus()) {
            e->setFocus();
            e->setCursorPosition(0);
        }
    }
    syncing_ = false;
}

bool CSeparationDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && !syncing_) {
        for (int i = 1; i <= 3; ++i)
            if (watched == edits_[static_cast<std::size_t>(i)]) {
                readEdits();
                m_.enterField(i);
                showModel();
                break;
            }
    }
    return fw::Dialog::eventFilter(watched, event);
}

void CSeparationDlg::onOK() {
    // Enter does not close the dialog: the caret goes back to the field
    // being edited.
    readEdits();
    m_.enter();
    showModel();
}

}  // namespace zelvo
