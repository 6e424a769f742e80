// The plate plot: one plate drawn in the tangent plane of its centre, with
// the objects that the plate search found on it, their daily motions, the
// markers of the centre and the edges, the date and the centre's
// coordinates, and the coordinate net (platenet.h).
//
// PlatePicture is the whole picture without a window: its colours and fonts
// ("plate.cfg"), its switches, the drawing through the drawing interface,
// and what a click at a pixel of the last drawing shows. CPlatePict is the
// window of the template "Pict" that shows it, prints it, previews it and
// exports it as an enhanced metafile. Each plot owns its picture: the
// pixels of its objects and the plate it was opened on stay its own.
#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/binfile.h"
#include "framework/drawingview.h"
#include "framework/gdi.h"
#include "framework/printing.h"
#include "framework/view.h"
#include "zelvo/app/context.h"
#include "zelvo/app/library.h"
#include "zelvo/observations/platedata.h"
#include "zelvo/observations/platenet.h"

namespace zelvo {

// The colour items, in the order of "plate.cfg" and of the Colors dialog.
enum PlateColor { kBackground, kSky, kText, kBorder, kObjects, kMotion, kMarkers, kNet, kPlateColorCount };
using PlateColors = std::array<fw::Colorref, kPlateColorCount>;
inline constexpr PlateColors kPlateScreenColors{0xAF0000, 0xFF0000, 0xFFFFFF, 0x000000,
                                                0x00FFFF, 0xFF00FF, 0x0000FF, 0xFFFFFF};
// Printing and the metafile: a white page.
inline constexpr PlateColors kPlatePrintColors{0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000,
                                               0xFF0000, 0x0000FF, 0x000000, 0x000000};

inline constexpr const char* kPlateSettingsFile = "plate.cfg";

// Colours and fonts of the plot, with their defaults.
struct PlateSettings {
    PlateColors colors = kPlateScreenColors;
    fw::LogFont infoFont = defaultInfoFont();      // the date and the centre's coordinates
    fw::LogFont labelsFont = defaultLabelsFont();  // the net's labels

    static fw::LogFont defaultInfoFont();
    static fw::LogFont defaultLabelsFont();
    // A missing or short file keeps the defaults for what it does not hold.
    void load(const std::string& path);
    // False when the file cannot be written (a warning names the file and
    // the reason).
    bool save(const std::string& path) const;
};

// The half sizes a plate is drawn with: degrees of Decl., minutes of time.
double ClampDeclHalfSize(double h);
double ClampRaHalfSize(double h);
// The larger side of the plate for a client area: at most 450 pixels, and
// small enough that the plate and the label of its centre's declination
// right of it (kPlateRightRoom) stay inside the area.
inline constexpr int kPlateRightRoom = 130, kPlateBottomRoom = 10;
int platePlotSizeFor(int width, int height);
// Where a dialog of size dialog goes inside area (global coordinates) so
// that it leaves point, and margin pixels round it, in sight.
QPoint dialogBesidePoint(const QRect& area, const QSize& dialog, const QPoint& point, int margin);

// The eight texts of the Object Info dialog.
struct ObjectInfo {
    std::string raHours, raMinutes, raSeconds, declDegrees, declMinutes, declSeconds, name, magnitude;
    bool operator==(const ObjectInfo&) const = default;
};

class PlatePicture {
public:
    PlatePicture(std::string plateLine, std::vector<PlateObjectRecord> objects);
    void setPlate(std::string plateLine, std::vector<PlateObjectRecord> objects);

    PlateSettings settings;
    bool netOn = false;
    bool motionOn = false;
    // The size of the larger side of the plate and the client area it is
    // laid out in (layout() sets them from the window; printing changes
    // them until the next layout).
    int plotSize = 0;
    int clientWidth = 0, clientHeight = 0;
    void layout(int width, int height);

    // The object shown in the Object Info dialog.
    bool highlightOn = false;
    fw::Point highlight;

    // Draws the whole picture.
    void draw(fw::Dc& dc);

    // The last drawing: its geometry, net mode and the object pixels.
    const PlateGeometry& geometry() const { return g_; }
    NetMode netMode() const { return netMode_; }
    const std::vector<fw::Point>& pixels() const { return pixels_; }
    const PlateNet::Stats& netStats() const { return netStats_; }
    const std::vector<PlateObjectRecord>& objects() const { return objects_; }
    const std::string& plateLine() const { return plateLine_; }

    // The first object whose dot lies within 3 pixels each way of (x, y)
    // in the last drawing; -1 for none.
    int hit(int x, int y) const;
    ObjectInfo objectInfo(int index) const;
    // The sky position of a window pixel in the last drawing.
    ObjectInfo pointInfo(int x, int y) const;

    // Printing and the metafile: the print colours in force while set.
    void beginPrinting();
    void endPrinting();
    bool printing() const { return printing_; }

private:
    std::string plateLine_;
    std::vector<PlateObjectRecord> objects_;
    PlateGeometry g_;
    NetMode netMode_ = NetMode::Ordinary;
    std::vector<fw::Point> pixels_;
    PlateNet::Stats netStats_;
    PlateColors saved_{};
    bool printing_ = false;
};

// The window: the view of the template "Pict".
class CPlatePict : public fw::View, public fw::DrawingClient, public fw::Printable {
public:
    CPlatePict(AppContext& ctx, Library& lib);
    ~CPlatePict() override;

    QWidget* createWidget(QWidget* parent) override;
    void onInitialUpdate() override;
    void onActivateView(bool active) override;

    // DrawingClient.
    void eraseBackground(fw::Dc& dc, const fw::Rect& area) override;
    void paint(fw::Dc& dc) override;
    void buttonDown(fw::MouseButton b, fw::Point p) override;
    void buttonUp(fw::MouseButton b, fw::Point p) override;
    void resized(int width, int height) override;

    // Printable.
    void onBeginPrinting(fw::PrintInfo& info) override;
    void onPrint(QPainter& painter, const fw::PrintInfo& info) override;
    void onEndPrinting(const fw::PrintInfo& info) override;

    void OnCoordinateNet();
    void OnDailyMotion();
    void OnOptions();
    void OnFileSaveAs();
    // The picture into a metafile at path (print colours); false when it
    // could not be written.
    fw::WriteStatus saveMetafile(const std::string& path);

    PlatePicture* picture() { return picture_.get(); }
    fw::DrawingView* view() const { return view_; }

    // Shows the Object Info dialog (tests replace it).
    std::function<void(const ObjectInfo&)> showInfo;
    // The pixel (client coordinates) that the dialog of showInfo describes.
    fw::Point infoPoint() const { return infoPoint_; }

private:
    void refresh();

    AppContext& ctx_;
    Library& lib_;
    std::unique_ptr<PlatePicture> picture_;
    // The child frame's widget: Qt may delete it before this view, and the
    // pointer clears itself then.
    QPointer<fw::DrawingView> view_;
    fw::Point infoPoint_{0, 0};
    std::string settingsPath_;
};

}  // namespace zelvo
