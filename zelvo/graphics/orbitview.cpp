#include "zelvo/graphics/orbitview.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

#include "framework/application.h"
#include "framework/emfdc.h"
#include "framework/emfexport.h"
#include "framework/filedialogs.h"
#include "framework/help.h"
#include "framework/ids.h"
#include "framework/linelist.h"
#include "framework/messages.h"
#include "framework/qtdc.h"
#include "zelvo/app/colorsfonts.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/helpcontexts.h"
#include "zelvo/app/mainframe.h"
#include "zelvo/app/tables.h"
#include "zelvo/graphics/elcache.h"
#include "zelvo/graphics/plottoolbars.h"

namespace zelvo {

using namespace orbit;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The integer a text starts with (after blanks, with its sign), 0 for none.
long long leadingInt(const std::string& s) {
    char* end = nullptr;
    const long long v = std::strtoll(s.c_str(), &end, 10);
    return end == s.c_str() ? 0 : v;
}

void wrongPlanetNumber() {
    fw::titled_message("Error!", "Wrong input number of major planet", fw::Buttons::Ok, fw::Icon::Error);
}

}  // namespace

namespace orbit {

OrbitTaskState& orbit_state(AppContext& ctx) {
    if (!ctx.Orbits) ctx.Orbits = std::make_shared<OrbitTaskState>();
    return *ctx.Orbits;
}

InputFields inputFieldsOf(const OrbitScene& s, Library& lib) {
    InputFields f;
    for (std::size_t k = 0; k < 3; ++k) {
        f.planets[k] = s.planets[k].name;
        f.objects[k] = s.objects[k].name;
    }
    if (s.date >= 0 && std::isfinite(s.date)) {
        double packed = kNaN;
        lib.DateT(2, s.date, packed);
        if (std::isfinite(packed)) {
            const CivilDate d = splitPackedDate(packed);
            f.year = d.year;
            f.month = d.month;
            char buf[32];
            std::snprintf(buf, sizeof buf, "%3.2f", d.day);
            f.day = std::strtod(buf, nullptr);
        }
    }
    return f;
}

std::optional<double> inputDate(Library& lib, const InputFields& f) {
    if (f.year < 1 || f.year > 10000 || f.month < 1 || f.month > 12 || !(f.day >= 0 && f.day <= 31))
        return std::nullopt;
    double jd = kNaN;
    lib.DateT(1, f.year * 10000.0 + f.month * 100.0 + f.day, jd);
    if (!std::isfinite(jd)) return std::nullopt;
    return jd;
}

void applyInput(OrbitScene& s, Library& lib, const std::string& tmpPath, const InputFields& f, double jd) {
    s.date = jd;
    for (std::size_t j = 0; j < 3; ++j) {
        OrbitBodySlot& slot = s.planets[j];
        std::string text = f.planets[j];
        if (text == slot.name) continue;
        long long v = std::llabs(leadingInt(text));
        if (v != 0) {
            text = majorPlanetName(static_cast<int>(std::min<long long>(v, 1000)));
            if (text.empty()) {
                wrongPlanetNumber();
                v = 0;
            }
        } else {
            int n = 0;
            majorPlanetByPrefix(n, text);
            v = n;
        }
        slot.number = static_cast<int>(v);
        if (v != 0) lib.NElem(static_cast<int>(v) - 100, slot.elements.data());
        slot.name = text;
    }
    static const char* const kWrong[3] = {"Wrong input name of object", "Wrong input name of minor planet",
                                          "Wrong input name of object"};
    for (std::size_t i = 0; i < 3; ++i) {
        OrbitBodySlot& slot = s.objects[i];
        const std::string& text = f.objects[i];
        if (text.empty()) {
            slot.name.clear();
            slot.number = 0;
            continue;
        }
        if (text == slot.name) continue;
        slot.name.clear();
        // A text longer than the name field names no object.
        const int v = text.size() <= kTmpNameBytes ? objectNumberOf(lib, tmpPath, text) : 0;
        const bool typedBeyondNumbered = v > s.numberedObjects && leadingInt(text) == v;
        if (v == 0 || v > s.objectsInAll || typedBeyondNumbered) {
            fw::titled_message("Error!", kWrong[i], fw::Buttons::Ok, fw::Icon::Error);
            slot.number = 0;
            continue;
        }
        slot.number = v;
        int n = v;
        if (writeTmpRecord(tmpPath, {std::string(kTmpNameBytes, ' '), v})) lib.NamePl(2, n);
        std::string name;
        if (const auto r = readTmpRecord(tmpPath)) {
            // The name up to its second blank.
            const std::size_t first = r->name.find(' ');
            const std::size_t second = first == std::string::npos ? first : r->name.find(' ', first + 1);
            name = second == std::string::npos ? r->name : r->name.substr(0, second);
        }
        lib.NElem(v, slot.elements.data());
        if (v <= s.numberedObjects) name = std::to_string(v) + "  " + name;
        slot.name = name;
    }
}

bool restoreLastState(OrbitScene& s, Library& lib, const std::string& workDir) {
    // The last state is one short line: a larger file is no last state of
    // this window (reading a damaged one of a gigabyte whole would take that
    // much memory and time); it is refused at once.
    constexpr std::uintmax_t kMaxLastStateBytes = 4096;
    std::error_code ec;
    if (const std::uintmax_t size = std::filesystem::file_size(workDir + "orlast.cfg", ec);
        !ec && size > kMaxLastStateBytes) {
        fw::message("The file " + workDir + "orlast.cfg is not the last state of the orbit window (" +
                        std::to_string(size) + " bytes); the window starts with its defaults.",
                    fw::Buttons::Ok, fw::Icon::Warning);
        return false;
    }
    const auto text = readTextFile(workDir + "orlast.cfg");
    if (!text) return false;
    LastState before;
    for (std::size_t k = 0; k < 3; ++k) {
        before.objects[k] = s.objects[k].number;
        before.planets[k] = s.planets[k].number;
    }
    const LastState st = parseLastState(*text, before);
    s.date = st.date;
    for (std::size_t j = 0; j < 3; ++j) {
        OrbitBodySlot& p = s.planets[j];
        const int n = st.planets[j];
        p.number = n;
        if (n < 1 || n > 10) {
            p.number = 0;
            p.name.clear();
            continue;
        }
        p.name = majorPlanetName(n);
        if (p.name.empty()) {
            wrongPlanetNumber();
            p.number = 0;
        }
    }
    for (std::size_t i = 0; i < 3; ++i) {
        OrbitBodySlot& o = s.objects[i];
        const int n = st.objects[i];
        if (n >= 1 && n <= s.objectsInAll) {
            o.number = n;
            if (const auto name = objectNameOf(lib, workDir + "orbit.tmp", n)) o.name = *name;
        } else {
            o.number = 0;
        }
    }
    return true;
}

}  // namespace orbit

// ---- The view ------------------------------------------------------------------------

COrbitView::COrbitView(AppContext& ctx, Library& lib) : ctx_(ctx), lib_(lib), state_(orbit_state(ctx)) {
    using namespace fw::ids;
    colors_.load(ctx_.WorkDir + "orbitMain.cfg");
    OrbitScene& s = state_.scene;
    if (state_.views.empty()) {
        // The first orbit window: the bodies and the date of the last run.
        restore_work_dir(ctx_.WorkDir);
        s.setDefaultPlanets();
        const auto settings = elements::ReadCatalogueSettings(ctx_.WorkDir + "setpar");
        if (settings) {
            s.objectsInAll = settings->objects;
            s.numberedObjects = settings->numbered;
            state_.lastStateTrusted = true;
        } else {
            fw::message("Cannot read setpar!");
            // The objects of "orlast.cfg" cannot be checked: the file is
            // kept as it is when this window closes.
            state_.lastStateTrusted = false;
        }
        restoreLastState(s, lib_, ctx_.WorkDir);
        loadElements(s, lib_);
    }
    view_.scale = fitSceneScale(s);
    state_.views.push_back(this);

    onCommandId(cmd::kOrbitInputData, [this] { OnInputData(); });
    onCommandId(cmd::kOrbitLineOfNodes, [this] { onLineOfNodes(); });
    for (int id : {cmd::kOrbitMenuScalePlus, cmd::kOrbitScalePlus}) onCommandId(id, [this] { onScalePlus(); });
    for (int id : {cmd::kOrbitMenuScaleMinus, cmd::kOrbitScaleMinus}) onCommandId(id, [this] { onScaleMinus(); });
    onCommandId(cmd::kOrbitSelectScale, [this] { OnSelectScale(); });
    for (int id : {cmd::kOrbitMenuVelocityPlus, cmd::kOrbitVelocityPlus}) onCommandId(id, [this] { onVelocityPlus(); });
    for (int id : {cmd::kOrbitMenuVelocityMinus, cmd::kOrbitVelocityMinus})
        onCommandId(id, [this] { onVelocityMinus(); });
    for (int id : {cmd::kOrbitMenuLatitudePlus, cmd::kOrbitLatitudePlus}) onCommandId(id, [this] { onLatitudePlus(); });
    for (int id : {cmd::kOrbitMenuLatitudeMinus, cmd::kOrbitLatitudeMinus})
        onCommandId(id, [this] { onLatitudeMinus(); });
    for (int id : {cmd::kOrbitMenuLongitudePlus, cmd::kOrbitLongitudePlus})
        onCommandId(id, [this] { onLongitudePlus(); });
    for (int id : {cmd::kOrbitMenuLongitudeMinus, cmd::kOrbitLongitudeMinus})
        onCommandId(id, [this] { onLongitudeMinus(); });
    for (int id : {cmd::kOrbitMenuBackMotion, cmd::kOrbitBackMotion}) onCommandId(id, [this] { onBackMotion(); });
    for (int id : {cmd::kOrbitMenuStop, cmd::kOrbitStop}) onCommandId(id, [this] { onStop(); });
    onCommandId(cmd::kOrbitOptions, [this] { OnOptions(); });
    onCommandId(cmd::kOrbitSaveAs, [this] { OnFileSaveAs(); });
    for (int id : {kFilePrint, cmd::kOrbitPrint}) onCommandId(id, [this] { fw::printWithDialog(*this); });
    onCommandId(kFilePrintPreview, [this] {
        fw::PrintPreviewWindow preview(*this, main_frame());
        preview.exec();
    });
    onCommandId(kHelp, [this] { fw::show_help(AppDirectory(ctx_) + HelpFileName(ctx_), help::kOrbitView); });
}

COrbitView::~COrbitView() {
    if (window_ != nullptr) window_->killTimer(1);
    saveSettings();
    auto& v = state_.views;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void COrbitView::saveSettings() {
    colors_.save(ctx_.WorkDir + "orbitMain.cfg");
    if (state_.lastStateTrusted) writeTextFile(ctx_.WorkDir + "orlast.cfg", formatLastState(state_.scene));
}

QWidget* COrbitView::createWidget(QWidget* parent) {
    window_ = new fw::DrawingView(*this, parent);
    return window_;
}

void COrbitView::onActivateView(bool active) {
    if (!active) return;
    ctx_.CurrentToolbarId = cmd::kOrbitToolbar;
    if (MainFrame* mf = main_frame()) {
        if (mf->loadToolBar(cmd::kOrbitToolbar) && mf->toolBar() != nullptr) mf->toolBar()->show();
    }
}

void COrbitView::invalidate(bool erase) {
    if (window_ != nullptr) window_->invalidate(erase);
}

void COrbitView::eraseBackground(fw::Dc& dc, const fw::Rect& area) {
    dc.fillRect(area, fw::Brush::solid(colors_.colors[0]));
}

void COrbitView::paint(fw::Dc& dc) {
    const fw::DeviceInfo d = dc.device();
    const int w = d.width, h = d.height;
    dc.selectPen(fw::Pen::solid(1, colors_.colors[0]));
    dc.selectBrush(fw::Brush::solid(colors_.colors[0]));
    dc.patBlt(0, 0, w, h);
    const int saved = dc.saveDC();
    mapScreenPicture(dc, w, h);
    drawPicture(dc, PictureKind::Screen);
    dc.restoreDC(saved);
}

void COrbitView::drawPicture(fw::Dc& dc, PictureKind kind) {
    if (!state_.scene.elementsLoaded) loadElements(state_.scene, lib_);
    drawOrbitPicture(dc, state_.scene, view_, colors_, lib_, kind);
}

void COrbitView::timer(int id) {
    if (id == 1) tick();
}

void COrbitView::tick() {
    if (!anim_.running) return;
    state_.scene.date += anim_.stepDays;
    for (COrbitView* v : state_.views) v->invalidate(false);
}

void COrbitView::focusChanged(bool) { invalidate(true); }

void COrbitView::onBeginPrinting(fw::PrintInfo& info) { info.maxPage = 1; }

void COrbitView::onPrint(QPainter& painter, const fw::PrintInfo& info) {
    fw::QtDc dc(painter);
    mapPagePicture(dc, info.pageRect.width(), info.pageRect.height());
    drawPicture(dc, PictureKind::Output);
}

void COrbitView::OnInputData() {
    COrbitObjectsDlg dlg(lib_, window_);
    dlg.fields = inputFieldsOf(state_.scene, lib_);
    if (dlg.doModal() == fw::kIdOk) {
        if (view_.nodesShown) {
            view_.nodesShown = false;
            invalidate(true);
        }
        QApplication::setOverrideCursor(Qt::WaitCursor);
        restore_work_dir(ctx_.WorkDir);
        applyInput(state_.scene, lib_, ctx_.WorkDir + "orbit.tmp", dlg.fields, dlg.jd);
        QApplication::restoreOverrideCursor();
    }
    view_.scale = fitSceneScale(state_.scene);
    for (COrbitView* v : state_.views) v->invalidate(true);
}

void COrbitView::onLineOfNodes() {
    if (view_.nodesShown) {
        view_.nodesShown = false;
        invalidate(true);
        return;
    }
    const auto named = std::count_if(state_.scene.objects.begin(), state_.scene.objects.end(),
                                     [](const OrbitBodySlot& o) { return o.name.size() > 1; });
    if (named == 1) {
        view_.nodesShown = true;
        invalidate(false);
    } else if (named > 1) {
        fw::titled_message(
            "Attention!",
            "The second and the third minor planets should not be specified before this option is introduced",
            fw::Buttons::Ok, fw::Icon::Warning);
    } else {
        fw::titled_message("Attention!", "The information about minor planet is required", fw::Buttons::Ok,
                           fw::Icon::Warning);
    }
}

void COrbitView::onScalePlus() {
    view_.scaleDown();
    invalidate(true);
}

void COrbitView::onScaleMinus() {
    view_.scaleUp();
    invalidate(true);
}

void COrbitView::OnSelectScale() {
    COrbitScaleDlg dlg(window_);
    dlg.scale = view_.scale;
    if (dlg.doModal() == fw::kIdOk) view_.setScale(dlg.scale);
    invalidate(true);
}

void COrbitView::onVelocityPlus() {
    anim_.faster();
    if (window_ != nullptr) window_->setTimer(1, kTimerMs);
    invalidate(false);
}

void COrbitView::onVelocityMinus() {
    anim_.slower();
    if (window_ != nullptr) window_->setTimer(1, kTimerMs);
    invalidate(false);
}

void COrbitView::onLatitudePlus() {
    view_.latitudeStep(10);
    invalidate(true);
}

void COrbitView::onLatitudeMinus() {
    view_.latitudeStep(-10);
    invalidate(true);
}

void COrbitView::onLongitudePlus() {
    view_.longitudeStep(-10);
    invalidate(true);
}

void COrbitView::onLongitudeMinus() {
    view_.longitudeStep(10);
    invalidate(true);
}

void COrbitView::onBackMotion() { anim_.back(); }

void COrbitView::onStop() {
    anim_.stop();
    if (window_ != nullptr) window_->killTimer(1);
    invalidate(true);
}

void COrbitView::OnOptions() {
    COrbitColorsDlg dlg(window_);
    for (std::size_t k = 0; k < 10; ++k) dlg.model().resultColors[k] = colors_.colors[k];
    dlg.model().resultFonts[0] = colors_.font;
    if (dlg.doModal() != fw::kIdOk) return;
    for (std::size_t k = 0; k < 10; ++k) colors_.colors[k] = dlg.model().resultColors[k];
    colors_.font = dlg.model().resultFonts[0];
    invalidate(true);
}

void COrbitView::OnFileSaveAs() {
    fw::save_as_emf("Orbit", [this](const std::string& path) { return saveMetafile(path); });
    invalidate(true);
}

fw::WriteStatus COrbitView::saveMetafile(const std::string& path) {
    fw::DeviceInfo reference = window_ != nullptr ? window_->deviceInfo() : fw::DeviceInfo{800, 600, 96.0, 96.0};
    return fw::write_emf(path, reference, [this](fw::EmfDc& dc) {
        mapMetafilePicture(dc);
        drawPicture(dc, PictureKind::Output);
    });
}

// ---- Dialogs ---------------------------------------------------------------------------

COrbitObjectsDlg::COrbitObjectsDlg(Library& lib, QWidget* parent) : fw::Dialog(parent, help::kOrbitInput), lib_(lib) {
    setWindowTitle(QStringLiteral("Input Data"));
    setFont(fw::fixed_font(12));
    auto* top = new QVBoxLayout(this);
    auto* box = new QGroupBox(QStringLiteral("Objects"));
    auto* grid = new QGridLayout(box);
    const auto edit = [this](const char* name, int width) {
        auto* e = new QLineEdit;
        e->setObjectName(QString::fromLatin1(name));
        e->setMinimumWidth(width);
        return e;
    };
    year_ = edit("ctl1078", 60);
    month_ = edit("ctl1197", 40);
    day_ = edit("ctl1198", 55);
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(new QLabel(QStringLiteral("Time:")));
    for (auto [label, e] : {std::pair{"y", year_}, std::pair{"m", month_}, std::pair{"d", day_}}) {
        auto* col = new QVBoxLayout;
        col->addWidget(new QLabel(QString::fromLatin1(label)));
        col->addWidget(e);
        dateRow->addLayout(col);
    }
    grid->addLayout(dateRow, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Numbers or names of objects:")), 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Major planets:")), 2, 0);
    grid->addWidget(new QLabel(QStringLiteral("Objects:")), 2, 1);
    for (int k = 0; k < 3; ++k) {
        planets_[static_cast<std::size_t>(k)] = edit(k == 0 ? "ctl1191" : k == 1 ? "ctl1192" : "ctl1193", 100);
        objects_[static_cast<std::size_t>(k)] = edit(k == 0 ? "ctl1194" : k == 1 ? "ctl1195" : "ctl1196", 150);
        grid->addWidget(planets_[static_cast<std::size_t>(k)], 3 + k, 0);
        grid->addWidget(objects_[static_cast<std::size_t>(k)], 3 + k, 1);
    }
    top->addWidget(box);
    auto* buttons = new QHBoxLayout;
    // An invisible default button: Return in a field does not close the
    // dialog.
    auto* idle = new QPushButton(QStringLiteral("O"));
    idle->setDefault(true);
    idle->setFixedSize(0, 0);
    idle->setFlat(true);
    auto* ok = new QPushButton(QStringLiteral("OK"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, [this] { onOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { onCancel(); });
    buttons->addWidget(idle);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    top->addLayout(buttons);
}

void COrbitObjectsDlg::doDataExchange(fw::DataExchange& dx) {
    for (std::size_t k = 0; k < 3; ++k) fw::ddx_text(dx, planets_[k], fields.planets[k]);
    for (std::size_t k = 0; k < 3; ++k) fw::ddx_text(dx, objects_[k], fields.objects[k]);
    if (!dx.saving()) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%3.2f", fields.day);
        day_->setText(QString::fromLatin1(buf).trimmed());
        month_->setText(QString::number(fields.month));
        year_->setText(QString::number(fields.year));
        return;
    }
    bool ok = false;
    const double day = day_->text().trimmed().toDouble(&ok);
    if (!ok || !(day >= 0 && day <= 31)) {
        fw::message("Please enter a number between 0 and 31.", fw::Buttons::Ok, fw::Icon::Warning);
        return dx.fail(day_);
    }
    const int month = month_->text().trimmed().toInt(&ok);
    if (!ok || month < 1 || month > 12) {
        fw::message("Please enter an integer between 1 and 12.", fw::Buttons::Ok, fw::Icon::Warning);
        return dx.fail(month_);
    }
    const int year = year_->text().trimmed().toInt(&ok);
    if (!ok || year < 1 || year > 10000) {
        fw::message("Please enter an integer between 1 and 10000.", fw::Buttons::Ok, fw::Icon::Warning);
        return dx.fail(year_);
    }
    fields.day = day;
    fields.month = month;
    fields.year = year;
}

void COrbitObjectsDlg::onOK() {
    if (!updateData(true)) return;
    const auto date = inputDate(lib_, fields);
    if (!date) {
        fw::message("This date cannot be taken.", fw::Buttons::Ok, fw::Icon::Warning);
        day_->setFocus();
        return;
    }
    jd = *date;
    endDialog(fw::kIdOk);
}

COrbitScaleDlg::COrbitScaleDlg(QWidget* parent) : fw::Dialog(parent, help::kOrbitScale) {
    setWindowTitle(QStringLiteral("Select scale"));
    setFont(fw::fixed_font(12));
    auto* top = new QVBoxLayout(this);
    edit_ = new QLineEdit;
    edit_->setObjectName(QStringLiteral("ctl1051"));
    top->addWidget(edit_);
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { onOK(); });
    top->addWidget(ok);
}

void COrbitScaleDlg::doDataExchange(fw::DataExchange& dx) {
    if (!dx.saving()) {
        edit_->setText(QString::fromStdString(orbit::scaleText(scale)));
        return;
    }
    bool ok = false;
    const double v = edit_->text().trimmed().toDouble(&ok);
    if (!ok || !(v >= kMinScale && v <= kMaxScale)) {
        fw::message("Please enter a number between 1 and 100.", fw::Buttons::Ok, fw::Icon::Warning);
        return dx.fail(edit_);
    }
    scale = v;
}

// ---- Resources -----------------------------------------------------------------------

void addOrbitResources(fw::ResourceTables& r) {
    using namespace fw::ids;
    const fw::MenuItem file{"&File",
                            0,
                            {{"Save &As", cmd::kOrbitSaveAs, {}},
                             {"&Print", kFilePrint, {}},
                             {"Print Pre&view", kFilePrintPreview, {}},
                             {"P&rint Setup", kFilePrintSetup, {}}}};
    const fw::MenuItem orbitMenu{
        "&Orbit",
        0,
        {{"&Input data", cmd::kOrbitInputData, {}},
         {"", 0, {}},
         {"&Line of Nodes", cmd::kOrbitLineOfNodes, {}},
         {"", 0, {}},
         {"&Scale",
          0,
          {{"+", cmd::kOrbitMenuScalePlus, {}},
           {"-", cmd::kOrbitMenuScaleMinus, {}},
           {"&Select scale", cmd::kOrbitSelectScale, {}}}},
         {"&Velocity", 0, {{"+", cmd::kOrbitMenuVelocityPlus, {}}, {"-", cmd::kOrbitMenuVelocityMinus, {}}}},
         {"&Rotation",
          0,
          {{"&Latitude", 0, {{"+", cmd::kOrbitMenuLatitudePlus, {}}, {"-", cmd::kOrbitMenuLatitudeMinus, {}}}},
           {"&Longitude", 0, {{"+", cmd::kOrbitMenuLongitudePlus, {}}, {"-", cmd::kOrbitMenuLongitudeMinus, {}}}}}},
         {"&Back motion", cmd::kOrbitMenuBackMotion, {}},
         {"S&top", cmd::kOrbitMenuStop, {}},
         {"&Options", cmd::kOrbitOptions, {}}}};
    const fw::MenuItem viewMenu{"&View", 0, {{"&Toolbar", kViewToolbar, {}}, {"&Status Bar", kViewStatusBar, {}}}};
    r.menus[cmd::kOrbitMenu] = taskWindowMenu(r, file, {orbitMenu, viewMenu});
}

std::unique_ptr<fw::Document> makeOrbitDocument() { return std::make_unique<COrbitDoc>(); }

std::unique_ptr<fw::View> makeOrbitView(AppContext& ctx, Library& lib) {
    return std::make_unique<COrbitView>(ctx, lib);
}

}  // namespace zelvo
