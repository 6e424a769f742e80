#include "zelvo/observations/obsdialogs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "framework/messages.h"
#include "zelvo/app/helpcontexts.h"

namespace zelvo {

namespace {

std::string padded(std::string s, std::size_t n) {
    s.resize(n, ' ');
    return s;
}

std::string trim_right(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
    return s;
}

std::string trimLeft(const std::string& s) {
    const std::size_t b = s.find_first_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b);
}

std::string trim(const std::string& s) { return trim_right(trimLeft(s)); }

// Whether the text is a number of value 0 and nothing else ("0", "0.000",
// "-0."); a text that is no number is not zero but goes to the check.
bool isZeroNumber(const std::string& s) {
    const std::string t = trim(s);
    if (t.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    return end == t.c_str() + t.size() && v == 0.0;
}

std::string fieldMessage(const char* field) {
    return std::string("Wrong field definition. Please enter number in field \"") + field + "\" ";
}

QString q(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
std::string b(const QString& s) { return s.toLatin1().toStdString(); }

QLineEdit* makeEdit(const char* id, int maxLength) {
    auto* e = new QLineEdit;
    e->setObjectName(QString::fromLatin1(id));
    if (maxLength > 0) e->setMaxLength(maxLength);
    return e;
}

}  // namespace

int check_dialog_field(Library& lib, int kind, const std::string& text, int width, std::string* normalized,
                       double* value, int* aux) {
    std::string field = padded(text.substr(0, static_cast<std::size_t>(width)), static_cast<std::size_t>(width));
    int err = 0, a = 0;
    double v = 0;
    lib.contreph(kind, field.data(), width, err, v, a);
    if (normalized != nullptr) *normalized = field;
    if (value != nullptr) *value = v;
    if (aux != nullptr) *aux = a;
    return err;
}

// ---- Tolerance ------------------------------------------------------------------------

bool ToleranceModel::ok() {
    failed_ = -1;
    const std::string* texts[2] = {&raText, &declText};
    const char* names[2] = {"R.A.", "Decl."};
    for (int i = 0; i < 2; ++i) {
        const std::string& t = *texts[i];
        if (t == "0.0") continue;
        if (check_dialog_field(lib_, 13, t, 7) != 0) {
            fw::message(fieldMessage(names[i]));
            failed_ = i;
            return false;
        }
    }
    return true;
}

std::string tolerancePaneText(double tolerance) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.7f", std::fabs(tolerance));
    const std::string all(buf);
    const std::size_t point = all.find('.');
    std::string whole = all.substr(0, point);
    std::string frac = point == std::string::npos ? std::string("0") : all.substr(point + 1);
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    // Seven significant places in all, at least one after the point.
    const std::size_t keep = whole.size() >= 7 ? 1 : 7 - whole.size();
    if (!whole.empty()) frac = frac.substr(0, keep);
    while (frac.size() > 1 && frac.back() == '0') frac.pop_back();
    return whole + "." + frac;
}

CToleranceDlg::CToleranceDlg(ToleranceModel& model, QWidget* parent)
    : fw::Dialog(parent, help::kTolerance), m_(model), ra_(makeEdit("id1221", 0)), decl_(makeEdit("id1223", 0)) {
    setWindowTitle(QStringLiteral("Tolerance"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Place a tolerance on O-C(in arcsec) ")), 0, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("xxxx.x")), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("xxxx.x")), 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("R.A.")), 2, 0);
    grid->addWidget(ra_, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("\" Decl.")), 2, 2);
    grid->addWidget(decl_, 2, 3);
    grid->addWidget(new QLabel(QStringLiteral("\"")), 2, 4);
    grid->addWidget(fw::ok_cancel_buttons(this), 3, 0, 1, 5);
}

bool CToleranceDlg::onInitDialog() {
    ra_->setText(q(m_.raText));
    decl_->setText(q(m_.declText));
    return fw::Dialog::onInitDialog();
}

void CToleranceDlg::onOK() {
    m_.raText = b(ra_->text());
    m_.declText = b(decl_->text());
    if (!m_.ok()) {
        (m_.failedField() == 0 ? ra_ : decl_)->setFocus();
        return;
    }
    endDialog(fw::kIdOk);
}

// ---- Observatory choice ---------------------------------------------------------------

bool ObsChoiceModel::ok() {
    if (choice == 1) {
        nameText = trim(nameText);
        return true;
    }
    const std::string code = padded(trimLeft(numberText).substr(0, 3), 3);
    int aux = -1;
    check_dialog_field(lib_, 6, code, 3, nullptr, nullptr, &aux);
    // A blank field names no observatory either.
    if (aux < 0 || trim(code).empty()) {
        fw::message("Wrong observatory number.");
        return false;
    }
    number = aux;
    numberText = trim_right(code);
    return true;
}

CObsChoiceDlg::CObsChoiceDlg(ObsChoiceModel& model, QWidget* parent)
    : fw::Dialog(parent, help::kObservatoryChoice),
      m_(model),
      byNumber_(new QRadioButton(QStringLiteral("Observatory number: "))),
      byName_(new QRadioButton(QStringLiteral("Observatory name: "))),
      number_(makeEdit("id1012", 0)),
      name_(makeEdit("id1014", 0)) {
    setWindowTitle(QStringLiteral("Data retrieval from Observatory list"));
    byNumber_->setObjectName(QStringLiteral("id1011"));
    byName_->setObjectName(QStringLiteral("id1013"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(byNumber_, 0, 0);
    grid->addWidget(number_, 0, 1);
    grid->addWidget(byName_, 1, 0);
    grid->addWidget(name_, 1, 1);
    grid->addWidget(fw::ok_cancel_buttons(this), 2, 0, 1, 2);
    QObject::connect(byNumber_, &QRadioButton::clicked, this, [this] {
        m_.choice = 0;
        showChoice();
    });
    QObject::connect(byName_, &QRadioButton::clicked, this, [this] {
        m_.choice = 1;
        showChoice();
    });
}

void CObsChoiceDlg::showChoice() {
    byNumber_->setChecked(m_.choice != 1);
    byName_->setChecked(m_.choice == 1);
    number_->setEnabled(m_.choice != 1);
    name_->setEnabled(m_.choice == 1);
}

bool CObsChoiceDlg::onInitDialog() {
    m_.choice = 0;
    showChoice();
    number_->setText(q(m_.numberText));
    name_->setText(q(m_.nameText));
    number_->setFocus();
    return fw::Dialog::onInitDialog();
}

void CObsChoiceDlg::onOK() {
    m_.choice = byName_->isChecked() ? 1 : 0;
    m_.numberText = b(number_->text());
    m_.nameText = b(name_->text());
    if (!m_.ok()) {
        number_->setFocus();
        return;
    }
    number_->setText(q(m_.numberText));
    name_->setText(q(m_.nameText));
    endDialog(fw::kIdOk);
}

// ---- Parallax constants ---------------------------------------------------------------

void ParallaxModel::startFrom(const std::string& record) {
    const std::string r = padded(record, 79);
    dxyText = r.substr(13, 8);
    dzText = r.substr(21, 9);
}

bool ParallaxModel::runToLatitude() {
    focus.clear();
    auto fail = [this](const std::string& text, const char* field) {
        fw::message(text);
        latitudeResult.clear();
        heightResult.clear();
        focus = field;
        return false;
    };
    // One parallax constant: blank counts as "0"; a zero is kept as typed.
    auto take = [&](std::string& t, int kind, int width, const char* name, const char* field, bool& zero) {
        t = trim_right(t);
        if (trimLeft(t).empty()) t = "0";
        zero = isZeroNumber(t);
        if (zero) {
            t = t.substr(0, static_cast<std::size_t>(width));
            return true;
        }
        std::string norm;
        if (check_dialog_field(lib_, kind, t, width, &norm) != 0) return fail(fieldMessage(name), field);
        t = norm;
        return true;
    };
    bool dxyZero = false, dzZero = false;
    if (!take(dxyText, 8, 8, "dxy", "dxy", dxyZero)) return false;
    if (!take(dzText, 9, 9, "dz", "dz", dzZero)) return false;
    if (dxyZero && dzZero) return fail("Wrong field definition. Zero value of dxy and dz", "");
    std::string in1 = padded(dxyText, 8), in2 = padded(dzText, 9);
    std::string out1(9, ' '), out2(9, ' ');
    lib_.obscl(1, in1.data(), 8, in2.data(), 9, out1.data(), 9, out2.data(), 9);
    latitudeResult = out1;
    heightResult = out2;
    return true;
}

bool ParallaxModel::runToParallax() {
    focus.clear();
    auto fail = [this](const std::string& text, const char* field) {
        fw::message(text);
        dxyResult.clear();
        dzResult.clear();
        focus = field;
        return false;
    };
    auto take = [&](std::string& t, int kind, const char* name, const char* field, bool showChecked) {
        if (trim(t).empty()) t = "0";
        const std::string bare = trim(t);
        if (bare == "0" || bare == "0." || bare == "0.0") return true;
        std::string norm;
        if (check_dialog_field(lib_, kind, t, 9, &norm) != 0) {
            if (showChecked) t = norm;
            return fail(fieldMessage(name), field);
        }
        t = norm;
        return true;
    };
    if (!take(latitudeText, 10, "Latitude", "latitude", true)) return false;
    if (!take(heightText, 11, "Height", "height", false)) return false;
    std::string in1 = padded(latitudeText, 9), in2 = padded(heightText, 9);
    std::string out1(9, ' '), out2(9, ' ');
    lib_.obscl(2, in1.data(), 9, in2.data(), 9, out1.data(), 9, out2.data(), 9);
    dxyResult = out1;
    dzResult = out2;
    return true;
}

CParallaxCalcDlg::CParallaxCalcDlg(ParallaxModel& model, QWidget* parent)
    : fw::Dialog(parent, help::kParallaxCalc),
      m_(model),
      dxy_(makeEdit("id1145", 8)),
      dz_(makeEdit("id1006", 9)),
      lat_(makeEdit("id1019", 9)),
      height_(makeEdit("id1020", 9)),
      latRes_(makeEdit("id1172", 0)),
      heightRes_(makeEdit("id1125", 0)),
      dxyRes_(makeEdit("id1183", 0)),
      dzRes_(makeEdit("id1177", 0)) {
    setWindowTitle(QStringLiteral("Calculation"));
    for (QLineEdit* e : {latRes_, heightRes_, dxyRes_, dzRes_}) e->setReadOnly(true);
    // One direction of the conversion: the prompt, two values in, Run, two
    // results out.
    auto group = [](const char* title, const char* prompt, const char* in1, QLineEdit* edit1, const char* in2,
                    QLineEdit* edit2, const char* runId, const char* out1, QLineEdit* res1, const char* out2,
                    QLineEdit* res2) {
        auto* box = new QGroupBox(QString::fromLatin1(title));
        auto* g = new QGridLayout(box);
        g->addWidget(new QLabel(QString::fromLatin1(prompt)), 0, 0, 1, 2);
        g->addWidget(new QLabel(QString::fromLatin1(in1)), 1, 0);
        g->addWidget(edit1, 1, 1);
        g->addWidget(new QLabel(QString::fromLatin1(in2)), 2, 0);
        g->addWidget(edit2, 2, 1);
        auto* run = new QPushButton(QStringLiteral("Run"));
        run->setObjectName(QString::fromLatin1(runId));
        g->addWidget(run, 3, 1);
        g->addWidget(new QLabel(QStringLiteral("Results: ")), 4, 0, 1, 2);
        g->addWidget(new QLabel(QString::fromLatin1(out1)), 5, 0);
        g->addWidget(res1, 5, 1);
        g->addWidget(new QLabel(QString::fromLatin1(out2)), 6, 0);
        g->addWidget(res2, 6, 1);
        return std::pair{box, run};
    };
    auto [left, runLeftButton] =
        group("Geographic latitude", "Please insert dxy and dz   \nof some point(in parts of\nEarth equatorial radius)",
              "dxy: ", dxy_, "dz: ", dz_, "id1170", "Lat.: ", latRes_, "Height:", heightRes_);
    auto [right, runRightButton] =
        group("dxy,dz",
              "Please insert geographic latitude\nof some point (in degrees) and its\n"
              "height above the sea level(in meters)",
              "Geographic latitude: ", lat_, "Height: ", height_, "id1026", "dxy: ", dxyRes_, "dz: ", dzRes_);
    auto* exit = new QPushButton(QStringLiteral("Exit"));
    auto* top = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout;
    groups->addWidget(left);
    groups->addWidget(right);
    top->addLayout(groups);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(exit);
    top->addLayout(buttons);
    for (QPushButton* p : {runLeftButton, runRightButton, exit}) p->setAutoDefault(false);
    QObject::connect(runLeftButton, &QPushButton::clicked, this, [this] { runLeft(); });
    QObject::connect(runRightButton, &QPushButton::clicked, this, [this] { runRight(); });
    QObject::connect(exit, &QPushButton::clicked, this, [this] { onCancel(); });
}

QLineEdit* CParallaxCalcDlg::edit(int id) const {
    switch (id) {
        case 1145:
            return dxy_;
        case 1006:
            return dz_;
        case 1019:
            return lat_;
        case 1020:
            return height_;
        case 1172:
            return latRes_;
        case 1125:
            return heightRes_;
        case 1183:
            return dxyRes_;
        case 1177:
            return dzRes_;
        default:
            return nullptr;
    }
}

bool CParallaxCalcDlg::onInitDialog() {
    showModel();
    return fw::Dialog::onInitDialog();
}

void CParallaxCalcDlg::showModel() {
    // The four typed fields are fixed-width: shown trimmed, read padded.
    fw::set_fixed_field(dxy_, m_.dxyText);
    fw::set_fixed_field(dz_, m_.dzText);
    fw::set_fixed_field(lat_, m_.latitudeText);
    fw::set_fixed_field(height_, m_.heightText);
    latRes_->setText(q(m_.latitudeResult));
    heightRes_->setText(q(m_.heightResult));
    dxyRes_->setText(q(m_.dxyResult));
    dzRes_->setText(q(m_.dzResult));
    QLineEdit* f = m_.focus == "dxy"        ? dxy_
                   : m_.focus == "dz"       ? dz_
                   : m_.focus == "latitude" ? lat_
                   : m_.focus == "height"   ? height_
                                            : nullptr;
    if (f != nullptr) {
        f->setFocus();
        f->setCursorPosition(0);
    }
}

void CParallaxCalcDlg::readEdits() {
    m_.dxyText = fw::fixed_field_bytes(dxy_);
    m_.dzText = fw::fixed_field_bytes(dz_);
    m_.latitudeText = fw::fixed_field_bytes(lat_);
    m_.heightText = fw::fixed_field_bytes(height_);
}

void CParallaxCalcDlg::runLeft() {
    readEdits();
    m_.runToLatitude();
    showModel();
}

void CParallaxCalcDlg::runRight() {
    readEdits();
    m_.runToParallax();
    showModel();
}

}  // namespace zelvo
