#include "zelvo/app/accuracy.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "framework/cp1252.h"
#include "framework/linelist.h"
#include "zelvo/app/helpcontexts.h"

namespace zelvo {

namespace {
// Columns of the motion model in the task record (0-based offsets).
constexpr std::size_t kModelColumn = 1164;   // column 1165
constexpr std::size_t kBodiesColumn = 1165;  // columns 1166-1177
constexpr std::size_t kRelSunColumn = 1177;  // column 1178

int digit(std::string_view record, std::size_t at) {
    if (at >= record.size()) return 0;
    const char c = record[at];
    return c >= '0' && c <= '9' ? c - '0' : 0;
}
}  // namespace

void AccuracyPageModel::setBodies(const std::array<int, 12>& switches, int relSun) {
    for (std::size_t i = 0; i < 12; ++i) boxes[i] = switches[i] != 0 ? 1 : 0;
    const int e = switches[kBoxEarth];
    earthMode = e != 0 ? e - 1 : 0;
    boxes[kBoxRelSun] = relSun != 0 ? 1 : 0;
}

void AccuracyPageModel::finishInit(bool introducedOrbit) {
    if (introducedOrbit && model == 1) model = 0;
    perturbersEnabled = model == 2;
    nodesEnabled = !introducedOrbit;
}

void AccuracyPageModel::initFromSettings(const OcAccuracySettings& s, bool introducedOrbit) {
    model = s.model;
    setBodies(s.perturbers, s.relSun);
    finishInit(introducedOrbit);
}

void AccuracyPageModel::initFromRecord(std::string_view record, bool introducedOrbit) {
    model = digit(record, kModelColumn);
    std::array<int, 12> switches{};
    for (std::size_t i = 0; i < 12; ++i) switches[i] = digit(record, kBodiesColumn + i);
    setBodies(switches, digit(record, kRelSunColumn));
    finishInit(introducedOrbit);
}

void AccuracyPageModel::onEllipticMotion() {
    model = 0;
    perturbersEnabled = false;
}

void AccuracyPageModel::onNodes() {
    model = 1;
    perturbersEnabled = false;
}

void AccuracyPageModel::onIntegration() {
    model = 2;
    perturbersEnabled = true;
}

void AccuracyPageModel::onPerturberClicked(int i, bool ticked) {
    if (i < 0 || i > kBoxRelSun) return;
    boxes[static_cast<std::size_t>(i)] = ticked ? 1 : 0;
    if (ticked) return;
    for (int b : boxes)
        if (b != 0) return;
    model = 1;
    perturbersEnabled = false;
}

void AccuracyPageModel::store(OcAccuracySettings& s) const {
    s.model = model;
    s.runModel = model;
    for (std::size_t i = 0; i < 12; ++i) s.perturbers[i] = boxes[i];
    s.perturbers[kBoxEarth] = boxes[kBoxEarth] != 0 ? earthMode + 1 : 0;
    s.relSun = boxes[kBoxRelSun];
}

void AccuracyPageModel::storeRecord(std::string& record) const {
    if (record.size() < kRelSunColumn + 1) record.resize(kRelSunColumn + 1, ' ');
    OcAccuracySettings s;
    store(s);
    record[kModelColumn] = static_cast<char>('0' + std::clamp(s.model, 0, 2));
    for (std::size_t i = 0; i < 12; ++i) record[kBodiesColumn + i] = static_cast<char>('0' + s.perturbers[i]);
    record[kRelSunColumn] = static_cast<char>('0' + s.relSun);
}

CAccuracyPage::CAccuracyPage(AccuracyPageModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    fw::Dialog::setHelpContext(this, help::kAccuracyPage);
    setFont(fw::fixed_font(11));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QButtonGroup(this);
    const char* names[3] = {"Elliptic motion", "Nodes", "Integration"};
    const int radioIds[3] = {1134, 1137, 1139};
    auto* modelRow = new QHBoxLayout;
    for (int m = 0; m < 3; ++m) {
        auto* r = new QRadioButton(fw::fromCp1252(names[m]));
        r->setObjectName(QStringLiteral("ctl%1").arg(radioIds[m]));
        group->addButton(r, m);
        modelRow->addWidget(r);
        radios_[static_cast<std::size_t>(m)] = r;
        QObject::connect(r, &QRadioButton::clicked, this, [this, m] {
            if (m == 0)
                model_.onEllipticMotion();
            else if (m == 1)
                model_.onNodes();
            else
                model_.onIntegration();
            showModel();
        });
    }
    layout->addLayout(modelRow);

    // The Earth's box names the body that its two radios split.
    const char* bodies[12] = {"Mercury", "Venus",   "Earth", "Mars",  "Jupiter", "Saturn",
                              "Uranus",  "Neptune", "Pluto", "Ceres", "Pallas",  "Vesta"};
    const int boxIds[13] = {1140, 1141, 1142, 1143, 1144, 1145, 1146, 1147, 1148, 1150, 1154, 1155, 1156};
    for (int i = 0; i < 13; ++i) {
        auto* b = new QCheckBox(i < 12 ? fw::fromCp1252(bodies[i]) : QString());
        b->setObjectName(QStringLiteral("ctl%1").arg(boxIds[i]));
        boxes_[static_cast<std::size_t>(i)] = b;
        QObject::connect(b, &QCheckBox::clicked, this, [this, i] { clicked(i); });
    }
    auto* major = new QGroupBox(QStringLiteral("Major perturbing planets"));
    auto* mg = new QGridLayout(major);
    const int majorOrder[9] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    for (int k = 0; k < 9; ++k) mg->addWidget(boxes_[static_cast<std::size_t>(majorOrder[k])], k % 5, k / 5);
    auto* earthFrame = new QGroupBox;
    auto* eh = new QHBoxLayout(earthFrame);
    const char* earthNames[2] = {"Earth + Moon", "Earth, Moon"};
    auto* earthGroup = new QButtonGroup(this);
    for (int m = 0; m < 2; ++m) {
        auto* r = new QRadioButton(fw::fromCp1252(earthNames[m]));
        r->setObjectName(QStringLiteral("ctl%1").arg(m == 0 ? 1151 : 1152));
        earthGroup->addButton(r, m);
        eh->addWidget(r);
        earth_[static_cast<std::size_t>(m)] = r;
        QObject::connect(r, &QRadioButton::clicked, this, [this, m] { model_.earthMode = m; });
    }
    mg->addWidget(earthFrame, 2, 2);
    auto* minor = new QGroupBox(QStringLiteral("Minor perturbing planets"));
    auto* ng = new QVBoxLayout(minor);
    for (int i = 9; i < 12; ++i) ng->addWidget(boxes_[static_cast<std::size_t>(i)]);
    auto* relFrame = new QGroupBox;
    auto* rh = new QHBoxLayout(relFrame);
    relText_ = new QPlainTextEdit(QStringLiteral(" Relativistic\n perturbations\n from Sun"));
    relText_->setReadOnly(true);
    relText_->setFixedHeight(fw::fixed_font(11).pixelSize() * 5);
    // The box's caption is the text beside it.
    boxes_[kBoxRelSun]->setAccessibleName(QStringLiteral("Relativistic perturbations from Sun"));
    rh->addWidget(boxes_[kBoxRelSun]);
    rh->addWidget(relText_);
    layout->addWidget(major);
    auto* lower = new QHBoxLayout;
    lower->addWidget(minor);
    lower->addWidget(relFrame);
    layout->addLayout(lower);
    groups_ = {major, minor, relFrame, earthFrame};
}

void CAccuracyPage::clicked(int i) {
    model_.onPerturberClicked(i, boxes_[static_cast<std::size_t>(i)]->isChecked());
    showModel();
}

void CAccuracyPage::showModel() {
    for (int m = 0; m < 3; ++m) {
        QRadioButton* r = radios_[static_cast<std::size_t>(m)];
        r->setAutoExclusive(false);
        r->setChecked(model_.model == m);
        r->setAutoExclusive(true);
    }
    radios_[1]->setEnabled(model_.nodesEnabled);
    for (std::size_t i = 0; i < 13; ++i) {
        boxes_[i]->setChecked(model_.boxes[i] != 0);
        boxes_[i]->setEnabled(model_.perturbersEnabled);
    }
    for (QWidget* g : groups_) g->setEnabled(model_.perturbersEnabled);
    relText_->setEnabled(model_.perturbersEnabled);
    for (int m = 0; m < 2; ++m) {
        QRadioButton* r = earth_[static_cast<std::size_t>(m)];
        r->setAutoExclusive(false);
        r->setChecked(model_.earthMode == m);
        r->setAutoExclusive(true);
        r->setEnabled(model_.earthRadiosEnabled());
    }
}

CAccuracyDlg::CAccuracyDlg(AppContext& ctx, OcAccuracySettings& settings, bool orbitIntroduced, QWidget* parent)
    : fw::PagedDialog(parent, help::kAccuracyDialog, 60),
      ctx_(ctx),
      settings_(settings),
      orbitIntroduced_(orbitIntroduced),
      page_(new CAccuracyPage(model_)) {
    setWindowTitle(QStringLiteral("Calculation accuracy"));
    QTreeWidgetItem* root = addItem(QStringLiteral("OC"), nullptr);
    addItem(QStringLiteral("Accuracy"), page_, root);
    root->setExpanded(true);
    mainLayout()->addWidget(fw::ok_cancel_buttons(this));
}

bool CAccuracyDlg::onInitDialog() {
    fw::PagedDialog::onInitDialog();
    // The page now serves the O-C task.
    ctx_.EphemerisMode = false;
    model_.initFromSettings(settings_, orbitIntroduced_);
    page_->showModel();
    selectItem(tree()->topLevelItem(0)->child(0));
    return true;
}

void CAccuracyDlg::onOK() {
    model_.store(settings_);
    endDialog(fw::kIdOk);
}

}  // namespace zelvo
