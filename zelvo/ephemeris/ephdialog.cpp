#include "zelvo/ephemeris/ephdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "framework/cp1252.h"
#include "framework/dialog.h"
#include "framework/filedialogs.h"
#include "framework/linelist.h"
#include "framework/messages.h"
#include "framework/process.h"
#include "zelvo/app/accuracy.h"
#include "zelvo/app/dialogs.h"
#include "zelvo/app/helpcontexts.h"
#include "zelvo/app/tables.h"

namespace zelvo {

using namespace eph;

namespace {

QString q(const std::string& s) { return fw::fromCp1252(s); }
std::string s(const QString& t) { return fw::toCp1252(t); }

void setRadio(QRadioButton* r, bool on, bool enabled = true) {
    r->setAutoExclusive(false);
    r->setChecked(on);
    r->setAutoExclusive(true);
    r->setEnabled(enabled);
}

// A fixed-width field of the set-up: shown without its trailing blanks.
void set_text(QLineEdit* e, const std::string& t, bool enabled) {
    fw::set_fixed_field(e, t);
    e->setEnabled(enabled);
}

const char* const kPageNames[10] = {"Ephemerides",       "Object(s)",       "Coordinates",   "Main plane",
                                    "Center (observer)", "Interval",        "Output format", "Calculation accuracy",
                                    "Restrictions",      "Task description"};

}  // namespace

CEphTaskDlg::CEphTaskDlg(AppContext& ctx, Library& lib, EphemerisWindows windows, QWidget* parent)
    : fw::PagedDialog(parent, help::kEphemerisSetup, 190),
      ctx_(ctx),
      windows_(windows),
      setup_(std::make_unique<EphSetup>(ctx, lib)) {
    setWindowTitle(QStringLiteral("Ephemerides"));
    setFont(fw::fixed_font(11));
    showFieldError = [this](const FieldError& e) {
        if (e.plainBox) {
            fw::message(e.message);
            return;
        }
        CFieldErrorDlg dlg(this);
        dlg.message = e.message;
        dlg.hint1 = e.hint1;
        dlg.hint2 = e.hint2;
        dlg.doModal();
    };
    accuracyPage_ = new CAccuracyPage(setup_->accuracy);
    QWidget* pages[10] = {nullptr,
                          buildObjectPage(),
                          buildCoordinatesPage(),
                          buildPlanePage(),
                          buildCentrePage(),
                          buildIntervalPage(),
                          buildOutputPage(),
                          accuracyPage_,
                          buildRestrictionsPage(),
                          buildDescriptionPage()};
    // Each page answers F1 with its own help page.
    const unsigned pageHelp[10] = {0,
                                   help::kObjectPage,
                                   help::kCoordinatesPage,
                                   help::kPlanePage,
                                   help::kCentrePage,
                                   help::kIntervalPage,
                                   help::kOutputPage,
                                   help::kAccuracyPage,
                                   help::kRestrictionsPage,
                                   help::kDescriptionPage};
    for (int p = 1; p < 10; ++p) setHelpContext(pages[p], pageHelp[p]);
    items_[0] = addItem(fw::fromCp1252(kPageNames[0]), nullptr);
    for (int p = 1; p < 10; ++p)
        items_[static_cast<std::size_t>(p)] = addItem(fw::fromCp1252(kPageNames[p]), pages[p], items_[0]);
    // Changes on the accuracy page reach the description at the next page
    // change; its own widgets keep the model.
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* run = new QPushButton(QStringLiteral("Run"));
    run->setObjectName(QStringLiteral("id1"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("id2"));
    buttons->addWidget(run);
    buttons->addWidget(cancel);
    QObject::connect(run, &QPushButton::clicked, this, [this] { runPressed(); });
    QObject::connect(cancel, &QPushButton::clicked, this, [this] { onCancel(); });
    mainLayout()->addLayout(buttons);
}

CEphTaskDlg::~CEphTaskDlg() = default;

QRadioButton* CEphTaskDlg::radio(const char* text, int ctlId, std::function<void()> handler) {
    auto* r = new QRadioButton(fw::fromCp1252(text));
    r->setObjectName(QStringLiteral("ctl%1").arg(ctlId));
    QObject::connect(r, &QRadioButton::clicked, this, [this, handler = std::move(handler)] {
        if (refreshing_) return;
        handler();
        showState();
    });
    return r;
}

QLineEdit* CEphTaskDlg::testedField(int page, int index, int ctlId, int width) {
    auto* e = new QLineEdit;
    e->setObjectName(QStringLiteral("ctl%1").arg(ctlId));
    e->setMaxLength(width);
    e->setProperty("ephPage", page);
    e->setProperty("ephField", index);
    e->installEventFilter(this);
    return e;
}

// ---- Pages ---------------------------------------------------------------------------------

QWidget* CEphTaskDlg::buildObjectPage() {
    auto* page = new QGroupBox(QStringLiteral("Object choice"));
    auto* g = new QGridLayout(page);
    const char* names[6] = {"Number(s)",   "Object name", "Oppositions",
                            "Object list", "Elements",    "Coordinates and Velocities"};
    const int ids[6] = {1140, 1141, 1004, 1147, 1166, 1167};
    const std::function<void()> handlers[6] = {
        [this] { setup_->OnNumbers(); },     [this] { setup_->OnObjectName(); },
        [this] { setup_->OnOppositions(); }, [this] { setup_->OnObjectList(); },
        [this] { setup_->OnElements(); },    [this] { setup_->OnCoordinatesVelocities(); }};
    for (int i = 0; i < 6; ++i) objRadio_[static_cast<std::size_t>(i)] = radio(names[i], ids[i], handlers[i]);
    const int fieldIds[6] = {1149, 1151, 1156, 1015, 1016, 1021};
    for (int k = 0; k < 6; ++k) {
        const auto ku = static_cast<std::size_t>(k);
        objField_[ku] = testedField(kObjectPage, k, fieldIds[k], static_cast<int>(ObjectPageState::kWidth[ku]));
        QObject::connect(objField_[ku], &QLineEdit::textEdited, this,
                         [this, ku] { setup_->object.text[ku] = fw::fixed_field_bytes(objField_[ku]); });
    }
    editBtn_ = new QPushButton(QStringLiteral("Edit"));
    browseBtn_ = new QPushButton(QStringLiteral("Browse..."));
    elemBtn_ = new QPushButton(QStringLiteral("..."));
    coordBtn_ = new QPushButton(QStringLiteral("..."));
    editBtn_->setObjectName(QStringLiteral("ctl1062"));
    browseBtn_->setObjectName(QStringLiteral("ctl1022"));
    elemBtn_->setObjectName(QStringLiteral("ctl1168"));
    coordBtn_->setObjectName(QStringLiteral("ctl1169"));
    g->addWidget(objRadio_[0], 0, 0);
    g->addWidget(new QLabel(QStringLiteral("From:")), 0, 1);
    g->addWidget(objField_[0], 0, 2);
    g->addWidget(new QLabel(QStringLiteral("to:")), 0, 3);
    g->addWidget(objField_[1], 0, 4);
    g->addWidget(objRadio_[1], 1, 0);
    g->addWidget(objField_[2], 1, 2, 1, 3);
    g->addWidget(objRadio_[2], 2, 0);
    g->addWidget(new QLabel(QStringLiteral("From:")), 2, 1);
    g->addWidget(objField_[3], 2, 2);
    g->addWidget(new QLabel(QStringLiteral("to:")), 2, 3);
    g->addWidget(objField_[4], 2, 4);
    g->addWidget(objRadio_[3], 3, 0);
    g->addWidget(new QLabel(QStringLiteral("File:")), 3, 1);
    g->addWidget(objField_[5], 3, 2, 1, 3);
    g->addWidget(editBtn_, 4, 2);
    g->addWidget(browseBtn_, 4, 3);
    g->addWidget(objRadio_[4], 5, 0);
    g->addWidget(elemBtn_, 5, 2);
    g->addWidget(objRadio_[5], 6, 0);
    g->addWidget(coordBtn_, 6, 2);

    QObject::connect(browseBtn_, &QPushButton::clicked, this, [this] {
        setup_->cancelPendingCheck();
        fw::FileDialogRequest desc;
        desc.filter = "Object files (*.*)|*.*||";
        if (auto path = fw::fileDialogs().ask(desc)) setup_->setBrowsedListFile(*path);
        showState();
    });
    QObject::connect(editBtn_, &QPushButton::clicked, this, [this] {
        const std::string file = setup_->object.text[5];
        if (IsBlankText(file)) {
            fw::message("Enter file name or select file through BROWSE");
            return;
        }
        fw::start_editor(editorProgramPath(ctx_), file);
        restore_work_dir(ctx_.WorkDir);
    });
    const auto orbit = [this](bool elements) {
        setup_->cancelPendingCheck();
        ctx_.OrbitAsElements = elements;
        if (windows_.orbitInput != nullptr)
            windows_.orbitInput->runOrbitInput(this, elements);
        else
            fw::message("The orbit input dialog is not available in this version of the program.");
        if (elements)
            setup_->OnElements();
        else
            setup_->OnCoordinatesVelocities();
        showState();
    };
    QObject::connect(elemBtn_, &QPushButton::clicked, this, [orbit] { orbit(true); });
    QObject::connect(coordBtn_, &QPushButton::clicked, this, [orbit] { orbit(false); });
    return page;
}

QWidget* CEphTaskDlg::buildCoordinatesPage() {
    auto* page = new QGroupBox(QStringLiteral("Coordinates"));
    auto* h = new QHBoxLayout(page);
    auto* type = new QGroupBox(QStringLiteral("Type"));
    auto* tl = new QVBoxLayout(type);
    typeRadio_[0] = radio("Spherical", 1034, [this] { setup_->OnSpherical(); });
    typeRadio_[1] = radio("Rectangular", 1035, [this] { setup_->OnRectangular(); });
    for (auto* r : typeRadio_) tl->addWidget(r);
    auto* pos = new QGroupBox(QStringLiteral("Position"));
    auto* pl = new QVBoxLayout(pos);
    posRadio_[0] = radio("Astrometric", 1036, [this] { setup_->OnAstrometric(); });
    posRadio_[1] = radio("Geometric", 1037, [this] { setup_->OnGeometric(); });
    posRadio_[2] = radio("Apparent", 1038, [this] { setup_->OnApparent(); });
    for (auto* r : posRadio_) pl->addWidget(r);
    h->addWidget(type);
    h->addWidget(pos);
    return page;
}

QWidget* CEphTaskDlg::buildPlanePage() {
    auto* page = new QGroupBox(QStringLiteral("Main plane"));
    auto* h = new QHBoxLayout(page);
    auto* plane = new QGroupBox;
    auto* pl = new QVBoxLayout(plane);
    planeRadio_[0] = radio("Equator", 1043, [this] { setup_->OnEquator(); });
    planeRadio_[1] = radio("Ecliptic", 1044, [this] { setup_->OnEcliptic(); });
    planeRadio_[2] = radio("Horizon", 1045, [this] { setup_->OnHorizon(); });
    for (auto* r : planeRadio_) pl->addWidget(r);
    auto* eq = new QGroupBox(QStringLiteral("Equinox"));
    auto* el = new QVBoxLayout(eq);
    eqRadio_[0] = radio("2000.0", 1046, [this] { setup_->onEquinox(0); });
    eqRadio_[1] = radio("1950.0", 1047, [this] { setup_->onEquinox(1); });
    eqRadio_[2] = radio("True", 1048, [this] { setup_->OnTrueEquinox(); });
    for (auto* r : eqRadio_) el->addWidget(r);
    h->addWidget(plane);
    h->addWidget(eq);
    return page;
}

QWidget* CEphTaskDlg::buildCentrePage() {
    auto* page = new QGroupBox(QStringLiteral("Center (observer's position)"));
    auto* g = new QGridLayout(page);
    centreCombo_ = new QComboBox;
    centreCombo_->setObjectName(QStringLiteral("ctl1053"));
    for (const char* n : kCentreNames) centreCombo_->addItem(fw::fromCp1252(n));
    QObject::connect(centreCombo_, &QComboBox::activated, this, [this](int i) {
        if (refreshing_) return;
        setup_->onCentreSelected(i);
        showState();
    });
    numberLabel_ = new QLabel(QStringLiteral("Number:"));
    numberField_ = new QLineEdit;
    numberField_->setObjectName(QStringLiteral("ctl1073"));
    numberField_->setMaxLength(6);
    QObject::connect(numberField_, &QLineEdit::textEdited, this,
                     [this](const QString& t) { setup_->centre.minorNumber = s(t); });
    g->addWidget(new QLabel(QStringLiteral("Object:")), 0, 0);
    g->addWidget(centreCombo_, 0, 1, 1, 2);
    g->addWidget(numberLabel_, 0, 3);
    g->addWidget(numberField_, 0, 4);
    obsRadio_[0] = radio("Geocenter", 1055, [this] { setup_->onGeocenter(); });
    obsRadio_[1] = radio("Topocenter", 1056, [this] { setup_->onTopocenter(); });
    g->addWidget(obsRadio_[0], 1, 0);
    g->addWidget(obsRadio_[1], 1, 1);
    const char* modes[4] = {"Catalog code", "Name of place", "Parallax constants :", "Geographic. coord. :"};
    for (int m = 0; m < 4; ++m)
        modeRadio_[static_cast<std::size_t>(m)] = radio(modes[m], 1187 + m, [this, m] { setup_->onObserverMode(m); });
    const int ids[7] = {1058, 1062, 1064, 1068, 1070, 1072, 1066};
    for (int k = 0; k < 7; ++k) {
        const auto ku = static_cast<std::size_t>(k);
        centreField_[ku] = testedField(kCentrePage, k, ids[k], static_cast<int>(CentrePageState::kWidth[ku]));
        QObject::connect(centreField_[ku], &QLineEdit::textEdited, this,
                         [this, ku] { setup_->centre.text[ku] = fw::fixed_field_bytes(centreField_[ku]); });
    }
    placeCombo_ = new QComboBox;
    placeCombo_->setObjectName(QStringLiteral("ctl1060"));
    placeCombo_->setEditable(true);
    placeCombo_->lineEdit()->setMaxLength(static_cast<int>(CentrePageState::kPlaceWidth));
    QObject::connect(placeCombo_->lineEdit(), &QLineEdit::textEdited, this,
                     [this] { setup_->centre.place = fw::fixed_field_bytes(placeCombo_->lineEdit()); });
    selectPlaceBtn_ = new QPushButton(QStringLiteral("Click here to select place..."));
    selectPlaceBtn_->setObjectName(QStringLiteral("ctl1141"));
    QObject::connect(selectPlaceBtn_, &QPushButton::clicked, this, [this] {
        if (windows_.observatorySearch == nullptr) {
            fw::message("The observatory search is not available in this version of the program.");
            return;
        }
        const auto line = windows_.observatorySearch->searchObservatory(this);
        if (!line) return;
        const auto e = setup_->setChosenObservatory(*line);
        showState();
        if (e) {
            showFieldError(*e);
            placeCombo_->setFocus();
        }
    });
    g->addWidget(modeRadio_[0], 2, 0);
    g->addWidget(centreField_[0], 2, 1);
    g->addWidget(modeRadio_[1], 3, 0);
    g->addWidget(placeCombo_, 3, 1, 1, 4);
    g->addWidget(selectPlaceBtn_, 4, 1, 1, 2);
    g->addWidget(modeRadio_[2], 5, 0);
    g->addWidget(new QLabel(QStringLiteral("Longtitude(o)")), 5, 1);
    g->addWidget(centreField_[1], 5, 2);
    g->addWidget(new QLabel(QStringLiteral("dxy")), 6, 1);
    g->addWidget(centreField_[2], 6, 2);
    g->addWidget(new QLabel(QStringLiteral("dz")), 7, 1);
    g->addWidget(centreField_[6], 7, 2);
    g->addWidget(modeRadio_[3], 8, 0);
    g->addWidget(new QLabel(QStringLiteral("Longtitude(o)")), 8, 1);
    g->addWidget(centreField_[3], 8, 2);
    g->addWidget(new QLabel(QStringLiteral("Latitude(o)")), 9, 1);
    g->addWidget(centreField_[4], 9, 2);
    g->addWidget(new QLabel(QStringLiteral("Height(m)")), 10, 1);
    g->addWidget(centreField_[5], 10, 2);
    return page;
}

QWidget* CEphTaskDlg::buildIntervalPage() {
    auto* page = new QGroupBox(QStringLiteral("Define interval"));
    auto* g = new QGridLayout(page);
    intervalRadio_[0] = radio("Near-opposition ephemerides", 1076, [this] { setup_->OnNearOpposition(); });
    intervalRadio_[1] = radio("Arbitrary", 1077, [this] { setup_->OnArbitrary(); });
    const int ids[5] = {1079, 1083, 1085, 1087, 1089};
    for (int k = 0; k < 5; ++k) {
        const auto ku = static_cast<std::size_t>(k);
        intervalField_[ku] = testedField(kIntervalPage, k, ids[k], static_cast<int>(IntervalPageState::kWidth[ku]));
        QObject::connect(intervalField_[ku], &QLineEdit::textEdited, this,
                         [this, ku] { setup_->interval.text[ku] = fw::fixed_field_bytes(intervalField_[ku]); });
    }
    coverageCombo_ = new QComboBox;
    coverageCombo_->setObjectName(QStringLiteral("ctl1081"));
    for (const char* c : CoverageChoices) coverageCombo_->addItem(fw::fromCp1252(c));
    QObject::connect(coverageCombo_, &QComboBox::activated, this, [this](int i) {
        if (!refreshing_) setup_->interval.coverage = CoverageChoices[static_cast<std::size_t>(i)];
    });
    g->addWidget(intervalRadio_[0], 0, 0, 1, 4);
    g->addWidget(new QLabel(QStringLiteral("Year:")), 1, 0);
    g->addWidget(intervalField_[0], 1, 1);
    g->addWidget(new QLabel(QStringLiteral("Coverage:")), 1, 2);
    g->addWidget(coverageCombo_, 1, 3);
    g->addWidget(new QLabel(QStringLiteral("Step:")), 2, 0);
    g->addWidget(intervalField_[1], 2, 1);
    g->addWidget(intervalRadio_[1], 3, 0, 1, 4);
    g->addWidget(new QLabel(QStringLiteral("Begin:")), 4, 0);
    g->addWidget(intervalField_[2], 4, 1);
    g->addWidget(new QLabel(QStringLiteral("End:")), 5, 0);
    g->addWidget(intervalField_[3], 5, 1);
    g->addWidget(new QLabel(QStringLiteral("Step:")), 6, 0);
    g->addWidget(intervalField_[4], 6, 1);
    g->addWidget(new QLabel(QStringLiteral("Calendar date: yyyymmdd.ddddd\n  Julian date: ddddddd.ddddd")), 4, 2, 2, 2);
    return page;
}

QWidget* CEphTaskDlg::buildOutputPage() {
    auto* page = new QGroupBox(QStringLiteral("Output format"));
    auto* l = new QVBoxLayout(page);
    outRadio_[0] = radio("EMP", 1091, [this] { setup_->onOutput(0); });
    outRadio_[1] = radio("Positions", 1092, [this] { setup_->onOutput(1); });
    outRadio_[2] = radio("Positions + velocities", 1093, [this] { setup_->onOutput(2); });
    for (auto* r : outRadio_) l->addWidget(r);
    l->addStretch(1);
    return page;
}

QWidget* CEphTaskDlg::buildRestrictionsPage() {
    auto* page = new QGroupBox;
    auto* g = new QGridLayout(page);
    restrictRadio_[0] = radio("No restrictions", 1097, [this] { setup_->onNoRestrictions(); });
    restrictRadio_[1] = radio("Set restrictions", 1098, [this] { setup_->onSetRestrictions(); });
    rejectBox_ = new QCheckBox(QStringLiteral("Reject solitary headings"));
    rejectBox_->setObjectName(QStringLiteral("ctl1128"));
    QObject::connect(rejectBox_, &QCheckBox::clicked, this, [this](bool on) { setup_->restrict.reject = on ? 1 : 0; });
    g->addWidget(restrictRadio_[0], 0, 0, 1, 2);
    g->addWidget(restrictRadio_[1], 0, 2, 1, 2);
    g->addWidget(rejectBox_, 1, 0, 1, 4);
    const int boxIds[10] = {1099, 1100, 1101, 1102, 1103, 1104, 1105, 1106, 1107, 1108};
    const int lowIds[10] = {1109, 1112, 1115, 1118, 1121, 1124, 1127, 1130, 1133, 1136};
    const int capIds[10] = {1050, 1052, 1055, 1057, 1058, 1060, 1062, 1064, 1066, 1068};
    const int upIds[10] = {1110, 1114, 1117, 1120, 1123, 1126, 1129, 1132, 1135, 1138};
    for (int i = 0; i < 10; ++i) {
        const auto iu = static_cast<std::size_t>(i);
        // The row's caption field names the quantity that the box switches.
        rowBox_[iu] = new QCheckBox;
        rowBox_[iu]->setObjectName(QStringLiteral("ctl%1").arg(boxIds[i]));
        rowBox_[iu]->setAccessibleName(QStringLiteral("Restriction %1").arg(i + 1));
        QObject::connect(rowBox_[iu], &QCheckBox::clicked, this, [this, i](bool on) {
            std::optional<FieldError> e;
            setup_->onRowSwitch(i, on, &e);
            showState();
            after(e);
        });
        for (int side = 0; side < 2; ++side) {
            const int k = i + 10 * side;
            const auto ku = static_cast<std::size_t>(k);
            boundField_[ku] = testedField(kRestrictionsPage, k, side == 0 ? lowIds[i] : upIds[i], 10);
            QObject::connect(boundField_[ku], &QLineEdit::textEdited, this,
                             [this, ku] { setup_->restrict.current[ku] = fw::fixed_field_bytes(boundField_[ku]); });
        }
        caption_[iu] = new QLineEdit;
        caption_[iu]->setObjectName(QStringLiteral("ctl%1").arg(capIds[i]));
        caption_[iu]->setReadOnly(true);
        caption_[iu]->setAlignment(Qt::AlignCenter);
        caption_[iu]->setFocusPolicy(Qt::NoFocus);
        g->addWidget(rowBox_[iu], 2 + i, 0);
        g->addWidget(boundField_[iu], 2 + i, 1);
        g->addWidget(caption_[iu], 2 + i, 2);
        g->addWidget(boundField_[10 + iu], 2 + i, 3);
    }
    hint_ = new QLabel;
    hint_->setObjectName(QStringLiteral("ctl1030"));
    g->addWidget(hint_, 12, 0, 1, 4);
    return page;
}

QWidget* CEphTaskDlg::buildDescriptionPage() {
    auto* page = new QWidget;
    auto* l = new QVBoxLayout(page);
    l->addWidget(new QLabel(QStringLiteral("Task description:")));
    const int ids[3] = {1186, 1187, 1188};
    for (std::size_t i = 0; i < 3; ++i) {
        descr_[i] = new QPlainTextEdit;
        descr_[i]->setObjectName(QStringLiteral("ctl%1").arg(ids[i]));
        descr_[i]->setReadOnly(true);
        descr_[i]->setLineWrapMode(QPlainTextEdit::NoWrap);
        l->addWidget(descr_[i]);
    }
    return page;
}

// ---- State into the widgets ---------------------------------------------------------------

void CEphTaskDlg::showState() {
    refreshing_ = true;
    const EphSetup& st = *setup_;
    // Object(s)
    for (int i = 0; i < 6; ++i) setRadio(objRadio_[static_cast<std::size_t>(i)], st.object.radio == i);
    for (int k = 0; k < 6; ++k)
        set_text(objField_[static_cast<std::size_t>(k)], st.object.text[static_cast<std::size_t>(k)],
                 st.object.fieldEnabled(k));
    editBtn_->setEnabled(st.object.listButtonsEnabled());
    browseBtn_->setEnabled(st.object.listButtonsEnabled());
    elemBtn_->setEnabled(st.object.elementsOrbitEnabled());
    coordBtn_->setEnabled(st.object.coordinatesOrbitEnabled());
    // Coordinates, main plane, output
    const FramePagesState& f = st.frame;
    for (int i = 0; i < 2; ++i) setRadio(typeRadio_[static_cast<std::size_t>(i)], f.type == i);
    for (std::size_t i = 0; i < 3; ++i) {
        const int ii = static_cast<int>(i);
        setRadio(posRadio_[i], f.position == ii, f.positionEnabled[i]);
        setRadio(planeRadio_[i], f.plane == ii, f.planeEnabled[i]);
        setRadio(eqRadio_[i], f.equinox == ii, f.equinoxEnabled[i]);
        setRadio(outRadio_[i], f.output == ii, f.outputEnabled[i]);
    }
    // Center
    const CentrePageState& c = st.centre;
    centreCombo_->setCurrentIndex(c.centre);
    numberLabel_->setVisible(c.numberShown);
    numberField_->setVisible(c.numberShown);
    if (numberField_->text() != q(c.minorNumber)) numberField_->setText(q(c.minorNumber));
    setRadio(obsRadio_[0], c.observer == 0, c.geoEnabled);
    setRadio(obsRadio_[1], c.observer == 1, c.topoEnabled);
    for (int m = 0; m < 4; ++m) setRadio(modeRadio_[static_cast<std::size_t>(m)], c.mode == m, c.modeRadiosEnabled());
    for (int k = 0; k < 7; ++k)
        set_text(centreField_[static_cast<std::size_t>(k)], c.text[static_cast<std::size_t>(k)], c.fieldEnabled(k));
    fw::set_fixed_field(placeCombo_->lineEdit(), c.place);
    placeCombo_->setEnabled(c.placeEnabled());
    selectPlaceBtn_->setEnabled(c.placeEnabled());
    // Interval
    const IntervalPageState& iv = st.interval;
    setRadio(intervalRadio_[0], iv.kind == 0, iv.nearOppositionEnabled);
    setRadio(intervalRadio_[1], iv.kind == 1);
    for (int k = 0; k < 5; ++k)
        set_text(intervalField_[static_cast<std::size_t>(k)], iv.text[static_cast<std::size_t>(k)],
                 iv.fieldEnabled(k) && (k > 1 || iv.nearOppositionEnabled));
    coverageCombo_->setCurrentIndex(iv.coverageIndex());
    coverageCombo_->setEnabled(iv.coverageEnabled() && iv.nearOppositionEnabled);
    // Accuracy
    accuracyPage_->showModel();
    // Restrictions
    const RestrictPageState& r = st.restrict;
    setRadio(restrictRadio_[0], r.choice == 0);
    setRadio(restrictRadio_[1], r.choice == 1);
    rejectBox_->setChecked(r.reject != 0);
    rejectBox_->setEnabled(r.rejectEnabled);
    for (int i = 0; i < 10; ++i) {
        const auto iu = static_cast<std::size_t>(i);
        rowBox_[iu]->setChecked(r.rowEnabled() && r.rowOn[iu] != 0);
        rowBox_[iu]->setEnabled(r.rowBoxEnabled(i));
        caption_[iu]->setText(q(r.captions[iu]));
        for (int side = 0; side < 2; ++side) {
            const int k = i + 10 * side;
            set_text(boundField_[static_cast<std::size_t>(k)],
                     r.rowEnabled() ? r.current[static_cast<std::size_t>(k)] : std::string(10, ' '), r.boundEnabled(k));
        }
    }
    hint_->setText(r.hintRow >= 0 ? q(restrictionHint(r.types[static_cast<std::size_t>(r.hintRow)])) : QString());
    refreshing_ = false;
}

void CEphTaskDlg::showDescription() {
    const TaskDescription& d = setup_->description;
    const std::string* blocks[3] = {&d.block1, &d.block2, &d.block3};
    for (std::size_t i = 0; i < 3; ++i) {
        QString t = q(*blocks[i]);
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        descr_[i]->setPlainText(t);
    }
}

QLineEdit* CEphTaskDlg::field(int page, int index) const {
    const auto k = static_cast<std::size_t>(index);
    switch (page) {
        case kObjectPage:
            return index >= 0 && index < 6 ? objField_[k] : nullptr;
        case kCentrePage:
            return index >= 0 && index < 7 ? centreField_[k] : nullptr;
        case kIntervalPage:
            return index >= 0 && index < 5 ? intervalField_[k] : nullptr;
        case kRestrictionsPage:
            return index >= 0 && index < 20 ? boundField_[k] : nullptr;
        default:
            return nullptr;
    }
}

int CEphTaskDlg::currentPageNumber() const {
    QTreeWidgetItem* cur = tree()->currentItem();
    for (int p = 0; p < 10; ++p)
        if (items_[static_cast<std::size_t>(p)] == cur) return p;
    return -1;
}

// ---- The check protocol in the widgets ---------------------------------------------------

void CEphTaskDlg::focusPending() {
    QLineEdit* e = field(setup_->check.page, setup_->check.editedField);
    if (e == nullptr) return;
    e->setFocus();
    e->setCursorPosition(0);
}

// After a handler: a failed check is shown and the focus goes back to the
// faulty field.
void CEphTaskDlg::after(const std::optional<FieldError>& e) {
    if (!e) return;
    showFieldError(*e);
    focusPending();
}

bool CEphTaskDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && !refreshing_) {
        const int page = watched->property("ephPage").toInt();
        const int index = watched->property("ephField").toInt();
        const auto e = setup_->fieldFocused(page, index);
        if (page == kRestrictionsPage && !e) {
            setup_->restrict.hintRow = index % 10;
            hint_->setText(q(restrictionHint(setup_->restrict.types[static_cast<std::size_t>(index % 10)])));
        }
        if (e) {
            // Leave the focus event first, then report and go back.
            QTimer::singleShot(0, this, [this, e] {
                showState();
                after(e);
            });
        } else {
            // The field checked on the way shows its normalised text.
            QTimer::singleShot(0, this, [this] { showState(); });
        }
    }
    return fw::PagedDialog::eventFilter(watched, event);
}

bool CEphTaskDlg::onSelChanging(QTreeWidgetItem*, QTreeWidgetItem* to) {
    int target = -1;
    for (int p = 0; p < 10; ++p)
        if (items_[static_cast<std::size_t>(p)] == to) target = p;
    if (showingMarked_) return true;
    std::optional<FieldError> e;
    if (!setup_->treeSelecting(target, &e)) {
        showState();
        QTimer::singleShot(0, this, [this, e] { after(e); });
        return false;
    }
    showState();
    showDescription();
    return true;
}

bool CEphTaskDlg::onInitDialog() {
    fw::PagedDialog::onInitDialog();
    if (!setup_->load()) return false;
    items_[0]->setExpanded(true);
    showState();
    setup_->treeSelecting(kDescriptionPage);
    showState();
    showDescription();
    selectItem(items_[kDescriptionPage]);
    return true;
}

void CEphTaskDlg::onOK() {
    // Enter in a tested field goes back to the field being edited.
    QWidget* w = focusWidget();
    if (w != nullptr && w->property("ephPage").isValid()) {
        focusPending();
        return;
    }
    runPressed();
}

void CEphTaskDlg::runPressed() {
    std::optional<FieldError> e;
    switch (setup_->runTaskCheck(&e)) {
        case EphSetup::RunResult::FieldError:
            showState();
            after(e);
            break;
        case EphSetup::RunResult::RecordRejected:
            showState();
            showingMarked_ = true;
            selectItem(items_[kDescriptionPage]);
            showingMarked_ = false;
            showDescription();
            break;
        case EphSetup::RunResult::Accepted:
            endDialog(fw::kIdOk);
            break;
    }
}

void CEphTaskDlg::onCancel() {
    if (onCancelled) onCancelled();
    ctx_.EphemerisMode = false;
    endDialog(fw::kIdCancel);
}

std::string CEphTaskDlg::RunEphemerisComputation() {
    OutputFileName = setup_->RunEphemerisComputation();
    return OutputFileName;
}

CTaskInfoDlg::CTaskInfoDlg(QWidget* parent) : fw::Dialog(parent, help::kTaskInfo), edit_(new QPlainTextEdit) {
    setWindowTitle(QStringLiteral("Task Info"));
    setFont(fw::fixed_font(11));
    edit_->setObjectName(QStringLiteral("ctl1124"));
    edit_->setReadOnly(true);
    edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit_->setMinimumSize(520, 220);
    auto* l = new QVBoxLayout(this);
    l->addWidget(edit_);
    l->addWidget(fw::ok_cancel_buttons(this, false));
}

void CTaskInfoDlg::doDataExchange(fw::DataExchange& dx) {
    if (dx.saving()) return;
    QString t = q(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    edit_->setPlainText(t);
}

}  // namespace zelvo
