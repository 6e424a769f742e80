// The track window (template "Trace"): the sky tracks of up to three
// objects with the Sun and the Moon (the picture: trackplot.h), its Tracks
// menu with the Input data, Scale, Step and Options dialogs, the toolbar's
// Sun, Moon and time buttons, "trace.cfg", printing, print preview and the
// metafile export.
//
// The picture is drawn one step per message of timer 1 into two memory
// pictures: the work picture holds the frame, grid and tracks as they grow,
// the shown picture that plus the legend. The lock that guards the pictures
// is taken only for one step, one paint and the step's value, never around
// a dialog, so a paint during a dialog never waits for it.
#pragma once

#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "framework/binfile.h"
#include "framework/dialog.h"
#include "framework/document.h"
#include "framework/drawingview.h"
#include "framework/printing.h"
#include "framework/qtdc.h"
#include "framework/resources.h"
#include "framework/view.h"
#include "zelvo/app/context.h"
#include "zelvo/app/library.h"
#include "zelvo/graphics/trackplot.h"

class QLineEdit;

namespace zelvo {

namespace cmd {
inline constexpr int kTraceMenu = 158;
inline constexpr int kTracksInputData = 32826;
inline constexpr int kTracksScale = 32827;
inline constexpr int kTracksStep = 40018;
inline constexpr int kTracksOptions = 40019;
}  // namespace cmd

// Dialog 155 "Input Data (Track task)": three objects and two dates.
class CTraceInputDlg final : public fw::Dialog {
public:
    CTraceInputDlg(Library& lib, QWidget* parent = nullptr);
    std::array<std::string, 3> objects;
    int year1 = 0, month1 = 0;
    double day1 = 0.0;
    int year2 = 0, month2 = 0;
    double day2 = 0.0;
    QLineEdit* objectEdit(int i) const { return objects_[static_cast<std::size_t>(i)]; }
    // 0 .. 2 initial year, month, day; 3 .. 5 final.
    QLineEdit* dateEdit(int i) const { return dates_[static_cast<std::size_t>(i)]; }

protected:
    void doDataExchange(fw::DataExchange& dx) override;

private:
    Library& lib_;
    std::array<QLineEdit*, 3> objects_{};
    std::array<QLineEdit*, 6> dates_{};
};

// Dialog 157 "Scale Change": the sky window in hours and minutes of R.A.
// and degrees and arc minutes of Decl.
class CTraceScaleDlg final : public fw::Dialog {
public:
    explicit CTraceScaleDlg(QWidget* parent = nullptr);
    track::ScaleValues values;
    // 1208, 1213, 1209, 1214, 1211, 1215, 1210, 1216.
    QLineEdit* edit(int i) const { return edits_[static_cast<std::size_t>(i)]; }

protected:
    void doDataExchange(fw::DataExchange& dx) override;

private:
    std::array<QLineEdit*, 8> edits_{};
};

// Dialog 120 "Step Change": the step of the time buttons, days.
class CTraceStepDlg final : public fw::Dialog {
public:
    explicit CTraceStepDlg(QWidget* parent = nullptr);
    double step = 0.0;
    QLineEdit* stepEdit() const { return edit_; }

protected:
    void doDataExchange(fw::DataExchange& dx) override;

private:
    QLineEdit* edit_ = nullptr;
};

// A number of a dialog field with its range: the framework's parse and range
// messages on failure.
void ddxDoubleRange(fw::DataExchange& dx, QLineEdit* edit, double& value, double lo, double hi);
void ddxIntRange(fw::DataExchange& dx, QLineEdit* edit, int& value, int lo, int hi);

class CTraceDoc final : public fw::Document {};

class CTraceView final : public fw::View, public fw::DrawingClient, public fw::Printable {
public:
    CTraceView(AppContext& ctx, Library& lib);
    ~CTraceView() override;

    QWidget* createWidget(QWidget* parent) override;
    void onInitialUpdate() override;
    void onActivateView(bool active) override;

    // The window's messages.
    void eraseBackground(fw::Dc& dc, const fw::Rect& area) override;
    void paint(fw::Dc& dc) override;
    void resized(int width, int height) override;
    void timer(int id) override;

    // Printing.
    void onBeginPrinting(fw::PrintInfo& info) override;
    void onPrint(QPainter& painter, const fw::PrintInfo& info) override;
    void onEndPrinting(const fw::PrintInfo& info) override;

    // Commands.
    void OnTracksInputData();
    void OnTracksScale();
    void OnTracksStep();
    void OnTracksOptions();
    void OnShowSun();
    void OnShowMoon();
    void OnTimeForward();
    void OnTimeBackward();
    void OnFileSaveAs();
    // The picture as an enhanced metafile at path (print colours); false
    // when it cannot be written.
    fw::WriteStatus saveMetafile(const std::string& path);
    void OnFilePrintPreview();

    // Applies the input (keep: only the step changed) and starts drawing.
    void ApplyTrackInput(bool keep, const std::array<std::string, 3>& texts);
    // One step of the drawing, as timer 1 gives it.
    void StepTraceDrawing();
    void StartTraceDrawing();
    void StopTraceDrawing();
    bool drawingRunning() const { return running_; }

    track::TrackPicture& picture() { return pic_; }
    fw::DrawingView* view() const { return view_; }
    const QImage* shownImage() const;  // the picture or the work picture, as a paint shows it
    bool commandsEnabled() const { return commandsEnabled_; }
    bool stepEnabled() const { return stepEnabled_; }
    bool scaleEnabled() const { return scaleEnabled_; }
    int year1 = 0, month1 = 0, year2 = 0, month2 = 0;
    double day1 = 0.0, day2 = 0.0;

    // How the dialogs run: the program's modal dialogs; tests put their
    // answers in the dialog and return its result.
    std::function<int(fw::Dialog&)> runDialog = [](fw::Dialog& d) { return d.doModal(); };
    // The settings file of the view (the working directory's "trace.cfg").
    std::string settingsPath = "trace.cfg";

private:
    void ResolveTrackObject(int i, const std::string& text);
    void ComputeTrackInterval();
    void CreateTrackBuffers();
    void DestroyTrackBuffers();
    void DrawEmptyFrame();
    void redrawLegend();
    void setStatus(const std::string& text);
    void loadSettings();
    bool saveSettings();

    AppContext& ctx_;
    Library& lib_;
    track::TrackPicture pic_;
    // The child frame's widget: Qt may delete it before this view, and the
    // pointer clears itself then.
    QPointer<fw::DrawingView> view_;
    std::unique_ptr<fw::MemoryDc> pictureDc_, workDc_;
    int clientW_ = 0, clientH_ = 0;
    bool commandsEnabled_ = false, stepEnabled_ = false, scaleEnabled_ = false;
    bool running_ = false;
    bool waitCursor_ = false;
    track::ScaleValues shownScale_;
    track::Palette savedColors_{};
    bool paletteSwapped_ = false;  // the print palette is active, the screen one saved
    std::mutex lock_;
};

// Menu 158 of the track window.
void addTraceResources(fw::ResourceTables& r);
std::unique_ptr<fw::Document> makeTraceDocument();
std::unique_ptr<fw::View> makeTraceView(AppContext& ctx, Library& lib);

}  // namespace zelvo
