// The orbit window (template "Orb"): document COrbitDoc, view COrbitView,
// its dialogs "Input Data" (154) and "Select scale" (102), the input rules
// behind them, and menu 151. The scene and the picture are those of
// orbitscene.h; this file only shows them and forwards the commands.
//
// The bodies and the date are shared by all orbit windows; each window has
// its own direction of view, scale, line-of-nodes switch, colours, font and
// animation timer.
#pragma once

#include <QPointer>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/binfile.h"
#include "framework/dialog.h"
#include "framework/document.h"
#include "framework/drawingview.h"
#include "framework/printing.h"
#include "framework/resources.h"
#include "framework/view.h"
#include "zelvo/app/context.h"
#include "zelvo/app/library.h"
#include "zelvo/graphics/orbitscene.h"

class QLineEdit;

namespace zelvo {

namespace cmd {
inline constexpr int kOrbitMenu = 151;
inline constexpr int kOrbitInputData = 32790;
inline constexpr int kOrbitLineOfNodes = 32810;
inline constexpr int kOrbitMenuScalePlus = 32802;
inline constexpr int kOrbitMenuScaleMinus = 32803;
inline constexpr int kOrbitSelectScale = 40016;
inline constexpr int kOrbitMenuVelocityPlus = 32804;
inline constexpr int kOrbitMenuVelocityMinus = 32805;
inline constexpr int kOrbitMenuLatitudePlus = 32807;
inline constexpr int kOrbitMenuLatitudeMinus = 32808;
inline constexpr int kOrbitMenuLongitudePlus = 32806;
inline constexpr int kOrbitMenuLongitudeMinus = 32776;
inline constexpr int kOrbitMenuBackMotion = 32821;
inline constexpr int kOrbitMenuStop = 32809;
inline constexpr int kOrbitOptions = 40033;
inline constexpr int kOrbitSaveAs = 40031;
inline constexpr int kOrbitPrint = 57608;  // the second print id of the menu
}  // namespace cmd

class COrbitView;

namespace orbit {

// What the program keeps for the orbit windows: the shared scene, the
// windows that are open, and whether "orlast.cfg" was read with the
// catalogue counts (when "setpar" could not be read it is left as it is).
struct OrbitTaskState {
    OrbitScene scene;
    std::vector<COrbitView*> views;
    bool lastStateTrusted = true;
};
OrbitTaskState& orbit_state(AppContext& ctx);

// ---- Input data ----------------------------------------------------------------------

// The values of the "Input Data" dialog.
struct InputFields {
    std::array<std::string, 3> planets;
    std::array<std::string, 3> objects;
    int year = 0;
    int month = 0;
    double day = 0;
};
// The dialog's values for the scene: the slots' names and the date (the
// day rounded to two decimals); a scene without a date shows 0 0 0.
InputFields inputFieldsOf(const OrbitScene& s, Library& lib);
// The Julian date of the fields; nothing when the library cannot convert it.
std::optional<double> inputDate(Library& lib, const InputFields& f);
// Applies confirmed fields to the scene: the date, then the planet slots and
// the object slots (objects resolved through "orbit.tmp" at tmpPath);
// refused entries are reported in message boxes and empty their slots.
void applyInput(OrbitScene& s, Library& lib, const std::string& tmpPath, const InputFields& f, double jd);

// Restores "orlast.cfg" of workDir into the scene: the numbers, the date,
// the names (objects through "orbit.tmp"). A missing file leaves the scene as
// it is; false then.
bool restoreLastState(OrbitScene& s, Library& lib, const std::string& workDir);

}  // namespace orbit

class COrbitDoc final : public fw::Document {};

class COrbitView final : public fw::View, public fw::DrawingClient, public fw::Printable {
public:
    COrbitView(AppContext& ctx, Library& lib);
    ~COrbitView() override;

    QWidget* createWidget(QWidget* parent) override;
    void onActivateView(bool active) override;

    // The drawing window's messages.
    void eraseBackground(fw::Dc& dc, const fw::Rect& area) override;
    void paint(fw::Dc& dc) override;
    void timer(int id) override;
    void focusChanged(bool gained) override;

    // Printing: one page.
    void onBeginPrinting(fw::PrintInfo& info) override;
    void onPrint(QPainter& painter, const fw::PrintInfo& info) override;

    // The picture on a context whose mapping is set (screen: y up).
    void drawPicture(fw::Dc& dc, orbit::PictureKind kind);
    // One timer tick: the scene date advances by the step and every orbit
    // window shows it.
    void tick();

    // Commands.
    void OnInputData();
    void onLineOfNodes();
    void onScalePlus();
    void onScaleMinus();
    void OnSelectScale();
    void onVelocityPlus();
    void onVelocityMinus();
    void onLatitudePlus();
    void onLatitudeMinus();
    void onLongitudePlus();
    void onLongitudeMinus();
    void onBackMotion();
    void onStop();
    void OnOptions();
    void OnFileSaveAs();
    // Writes the metafile of the picture; false when it cannot be written.
    fw::WriteStatus saveMetafile(const std::string& path);

    orbit::OrbitScene& scene() { return state_.scene; }
    orbit::OrbitViewState& viewState() { return view_; }
    orbit::Animation& animation() { return anim_; }
    orbit::OrbitColors& colors() { return colors_; }
    fw::DrawingView* window() const { return window_; }
    // Asks for a repaint (no effect before the window exists).
    void invalidate(bool erase);

private:
    void saveSettings();

    AppContext& ctx_;
    Library& lib_;
    orbit::OrbitTaskState& state_;
    orbit::OrbitViewState view_;
    orbit::Animation anim_;
    orbit::OrbitColors colors_;
    // The child frame's widget: Qt may delete it before this view, and the
    // pointer clears itself then.
    QPointer<fw::DrawingView> window_;
};

// "Input Data" (154).
class COrbitObjectsDlg final : public fw::Dialog {
public:
    COrbitObjectsDlg(Library& lib, QWidget* parent = nullptr);
    orbit::InputFields fields;
    double jd = 0;  // the date of the fields after OK
    QLineEdit* planetEdit(int j) const { return planets_[static_cast<std::size_t>(j)]; }
    QLineEdit* objectEdit(int i) const { return objects_[static_cast<std::size_t>(i)]; }
    QLineEdit* yearEdit() const { return year_; }
    QLineEdit* monthEdit() const { return month_; }
    QLineEdit* dayEdit() const { return day_; }
    void onOK() override;

protected:
    void doDataExchange(fw::DataExchange& dx) override;

private:
    Library& lib_;
    std::array<QLineEdit*, 3> planets_{};
    std::array<QLineEdit*, 3> objects_{};
    QLineEdit* year_ = nullptr;
    QLineEdit* month_ = nullptr;
    QLineEdit* day_ = nullptr;
};

// "Select scale" (102).
class COrbitScaleDlg final : public fw::Dialog {
public:
    explicit COrbitScaleDlg(QWidget* parent = nullptr);
    double scale = 0;
    QLineEdit* scaleEdit() const { return edit_; }

protected:
    void doDataExchange(fw::DataExchange& dx) override;

private:
    QLineEdit* edit_ = nullptr;
};

void addOrbitResources(fw::ResourceTables& r);
std::unique_ptr<fw::Document> makeOrbitDocument();
std::unique_ptr<fw::View> makeOrbitView(AppContext& ctx, Library& lib);

}  // namespace zelvo
