// The histogram and distribution of an element list as windows: the
// commands of the element list that ask for the values and limits and hand
// them over (Elements|Histogram, Elements|Distribution), their four dialogs,
// and the two plot windows (templates "Histogram" and "Distribution") with
// Options, Save As (an enhanced metafile), Print and Print Preview, and
// their settings files "ElHist.cfg" and "ElDist.cfg". The rules and the
// drawing are in elplot.h.
#pragma once

#include <QPointer>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "framework/binfile.h"
#include "framework/dialog.h"
#include "framework/drawingview.h"
#include "framework/printing.h"
#include "framework/resources.h"
#include "framework/view.h"
#include "zelvo/app/context.h"
#include "zelvo/graphics/elplot.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace zelvo {

namespace cmd {
inline constexpr int kHistogramMenu = 112;
inline constexpr int kDistributionMenu = 115;
inline constexpr int kHistOptions = 40029;
inline constexpr int kDistOptions = 40030;
inline constexpr int kPlotSaveAs = 40031;
inline constexpr int kHistPrev = 1298;
inline constexpr int kDistPrev = 1306;
}  // namespace cmd

namespace elements {

class ElementList;

// What the Histogram command asks; each answer as the dialogs give it.
struct HistogramDialogs {
    // Dialog 109: the selection (0 "H" .. 8 "a", 9 the derived value), or
    // nothing when cancelled.
    std::function<std::optional<int>(int derivedCode)> element;
    // Dialog 111 over the texts (changed in place): fw::kIdOk, fw::kIdCancel
    // or cmd::kHistPrev.
    std::function<int(HistLimitTexts& texts, const std::string& name)> limits;
    std::function<void(const std::string&)> message;
};
// Elements|Histogram over list: the request for the new window, or nothing
// (cancelled, or after the message).
std::optional<HistogramRequest> prepareHistogram(const ElementList& list, const HistogramDialogs& dialogs);

struct DistributionDialogs {
    // Dialog 113: the selections of X, Y and Z (Z -1 for "None").
    std::function<std::optional<std::array<int, 3>>(int derivedCode)> axes;
    // Dialog 116 over the limits and the projection flag: fw::kIdOk,
    // fw::kIdCancel or cmd::kDistPrev.
    std::function<int(DistLimits& limits, int& projection, bool hasZ, const std::array<std::string, 3>& names)> limits;
};
std::optional<DistributionRequest> prepareDistribution(const ElementList& list, const DistributionDialogs& dialogs);

// The requests on their way from the command to the window it opens.
struct PlotRequests {
    std::optional<HistogramRequest> histogram;
    std::optional<DistributionRequest> distribution;
};
PlotRequests& plotRequests(AppContext& ctx);

// The Histogram and Distribution commands of an element list window, with
// the program's dialogs; the plot window opens when the command completes.
void OnHistogram(AppContext& ctx, const ElementList& list, QWidget* parent);
void OnDistribution(AppContext& ctx, const ElementList& list, QWidget* parent);

}  // namespace elements

// Dialog 109 "Select element".
class CElHistElementDlg final : public fw::Dialog {
public:
    CElHistElementDlg(int derivedCode, QWidget* parent = nullptr);
    bool onInitDialog() override;
    void onOK() override;
    QComboBox* list() const { return list_; }
    int selection = 0;

private:
    int derivedCode_;
    QComboBox* list_;
};

// Dialog 111 "Limits".
class CElHistLimitsDlg final : public fw::Dialog {
public:
    CElHistLimitsDlg(double min, double max, double step, const std::string& name, QWidget* parent = nullptr);
    void onOK() override;
    void OnPrev();
    QLineEdit* edit(elements::HistField f) const;
    elements::HistLimitTexts texts;
    std::string name;

protected:
    void doDataExchange(fw::DataExchange& dx) override;

private:
    QLineEdit *name_, *min_, *max_, *step_;
};

// Dialog 113 "Distribution: select elements.".
class CElDistAxesDlg final : public fw::Dialog {
public:
    CElDistAxesDlg(int derivedCode, QWidget* parent = nullptr);
    bool onInitDialog() override;
    void onOK() override;
    QComboBox* list(int axis) const { return lists_[static_cast<std::size_t>(axis)]; }
    std::array<int, 3> selection{0, 0, -1};

private:
    int derivedCode_;
    std::array<QComboBox*, 3> lists_{};
};

// Dialog 116 "Distribution: set Min/Max".
class CElDistLimitsDlg final : public fw::Dialog {
public:
    CElDistLimitsDlg(bool hasZ, const elements::DistLimits& limits, const std::array<std::string, 3>& names,
                     QWidget* parent = nullptr);
    bool onInitDialog() override;
    void onOK() override;
    void OnPrev();
    // The limit edits: axis 0..2, 0 min 1 max.
    QLineEdit* edit(int axis, int which) const { return edits_[static_cast<std::size_t>(axis * 2 + which)]; }
    QCheckBox* projectionBox() const { return projectionBox_; }
    elements::DistLimits limits;
    int projection = 0;

private:
    bool hasZ_;
    std::array<std::string, 3> names_;
    std::array<QLineEdit*, 6> edits_{};
    std::array<QLineEdit*, 3> nameEdits_{};
    QCheckBox* projectionBox_ = nullptr;
};

// What the two plot windows share: the drawing view, the settings file,
// Options, Save As and printing.
class ElPlotView : public fw::View, public fw::DrawingClient, public fw::Printable {
public:
    ~ElPlotView() override;
    QWidget* createWidget(QWidget* parent) override;
    fw::DrawingView* drawingView() const { return view_; }

    std::array<fw::Colorref, 5> colors;
    fw::LogFont font = elements::plotDefaultFont();

    void eraseBackground(fw::Dc& dc, const fw::Rect& area) override;
    // Paints the plot on the window's canvas: the client area, no smaller
    // than the plot's minimum.
    void paint(fw::Dc& dc) override;
    void OnOptions();
    // Save As: the file dialog, then saveMetafile.
    void OnSaveAs();
    // The plot as an enhanced metafile at path, on a white background.
    fw::WriteStatus saveMetafile(const std::string& path);
    void onBeginPrinting(fw::PrintInfo& info) override;
    void onPrint(QPainter& painter, const fw::PrintInfo& info) override;
    void onEndPrinting(const fw::PrintInfo& info) override;
    // The page as printed: print colours, 800 x 600 fitted into the page.
    void printPage(fw::Dc& dc, int width, int height);
    // Writes the settings file (the window closes).
    bool writeSettings() const;
    const std::string& settingsPath() const { return settingsPath_; }

protected:
    ElPlotView(AppContext& ctx, const std::array<fw::Colorref, 5>& defaults,
               const std::array<fw::Colorref, 5>& printColors, std::string settingsFile, int optionsCommand,
               const char* defaultName, unsigned helpContext, fw::Size minimumCanvas);
    // Draws the plot on canvas_ (logical units).
    virtual void draw(fw::Dc& dc) = 0;
    virtual bool colorsDialog() = 0;
    AppContext& ctx_;
    bool printing_ = false;
    fw::Size canvas_;

private:
    std::array<fw::Colorref, 5> printColors_;
    std::string settingsPath_;
    const char* defaultName_;
    fw::Size minimumCanvas_;
    // The child frame's widget: Qt may delete it before this view, and the
    // pointer clears itself then.
    QPointer<fw::DrawingView> view_;
};

class CElHistView final : public ElPlotView {
public:
    explicit CElHistView(AppContext& ctx);
    QWidget* createWidget(QWidget* parent) override;
    const elements::HistogramPlot& plot() const { return plot_; }

protected:
    void draw(fw::Dc& dc) override;
    bool colorsDialog() override;

private:
    elements::HistogramPlot plot_;
};

class CElDistView final : public ElPlotView {
public:
    explicit CElDistView(AppContext& ctx);
    QWidget* createWidget(QWidget* parent) override;
    const elements::DistributionRequest& request() const { return request_; }

protected:
    void draw(fw::Dc& dc) override;
    bool colorsDialog() override;

private:
    elements::DistributionRequest request_;
};

// The menus of the two windows (112 and 115).
void addPlotResources(fw::ResourceTables& r);
std::unique_ptr<fw::View> makeHistogramView(AppContext& ctx);
std::unique_ptr<fw::View> makeDistributionView(AppContext& ctx);

}  // namespace zelvo
