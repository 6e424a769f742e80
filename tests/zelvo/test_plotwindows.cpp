// What the plot windows share: the Colors and Fonts dialogs of the five
// plots, the drawing view with its kept picture, and the plot toolbars and
// the first status pane of the main frame.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontDialog>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>

#include "framework/application.h"
#include "framework/choosers.h"
#include "framework/drawingview.h"
#include "framework/ids.h"
#include "framework/mainframe.h"
#include "framework/toolicons.h"
#include "zelvo/app/colorsfonts.h"
#include "zelvo/app/mainframe.h"
#include "zelvo/graphics/plottoolbars.h"
#include "zelvo/shell/mainmenus.h"

using namespace fw;
using namespace zelvo;

namespace {

// Installs scripted colour and font dialogs for a test.
struct Choosers {
    ScriptedColorChooser colors;
    ScriptedFontChooser fonts;
    Choosers() {
        setColorChooser(&colors);
        setFontChooser(&fonts);
    }
    ~Choosers() {
        setColorChooser(nullptr);
        setFontChooser(nullptr);
    }
};

const LogFont kInfo = LogFont::make(-13, kFontBold, "Courier New");
const LogFont kLabels = LogFont::make(-11, kFontNormal, "Courier New");

// The owner's protocol: colours and fonts in, the dialog's handlers, and
// the results back only after OK.
struct PlateOwner {
    std::vector<Colorref> colors{0xAF0000, 0xFF0000, 0xFFFFFF, 0x000000, 0x00FFFF, 0xFF00FF, 0x0000FF, 0xFFFFFF};
    LogFont info = kInfo, labels = kLabels;

    void fill(CColorsFontsDlg& dlg) {
        dlg.model().resultColors = colors;
        dlg.model().resultFonts = {info, labels};
    }
    void takeBack(CColorsFontsDlg& dlg) {
        colors = dlg.model().resultColors;
        info = dlg.model().resultFonts[0];
        labels = dlg.model().resultFonts[1];
    }
};

}  // namespace

TEST(ColorsFonts, FiveDialogsWithTheirItemsIdsAndFonts) {
    struct Case {
        std::unique_ptr<CColorsFontsDlg> dlg;
        int id;
        const char* caption;
        int items;
        const char* firstItem;
        const char* lastItem;
        int fonts;
        bool trueTypeOnly;
        unsigned help;
    };
    Case cases[] = {
        {std::make_unique<CPlateColorsDlg>(), 122, "Plate: Colors and Fonts", 8, "Background", "Coordination net", 2,
         true, 0x2007A},
        {std::make_unique<COrbitColorsDlg>(), 123, "Orbit: Colors and Fonts", 10, "Background", "3rd object", 1, false,
         0x2007B},
        {std::make_unique<CTraceColorsDlg>(), 121, "Trace: Colors and Fonts", 10, "Background", "3rd object", 1, false,
         0x20079},
        {std::make_unique<CElHistColorsDlg>(), 179, "Histogram: Colors and Fonts", 5, "Background", "2nd column", 1,
         false, 0x200B3},
        {std::make_unique<CElDistColorsDlg>(), 180, "Distribution: Colors and Fonts", 5, "Background", "Dots", 1, false,
         0x200B4},
    };
    Choosers c;
    for (Case& k : cases) {
        SCOPED_TRACE(k.caption);
        CColorsFontsDlg& d = *k.dlg;
        EXPECT_EQ(d.model().shape().resourceId, k.id);
        EXPECT_EQ(d.windowTitle(), QString::fromLatin1(k.caption));
        EXPECT_EQ(d.helpContext(), k.help);
        ASSERT_EQ(d.itemList()->count(), k.items);
        EXPECT_EQ(d.itemList()->itemText(0), QString::fromLatin1(k.firstItem));
        EXPECT_EQ(d.itemList()->itemText(k.items - 1), QString::fromLatin1(k.lastItem));
        EXPECT_EQ(d.model().resultFonts.size(), static_cast<std::size_t>(k.fonts));
        EXPECT_EQ(d.model().resultColors.size(), k.id == 122 ? 8u : 10u);
        // Every font dialog lists fixed-pitch fonts; the plate's only
        // TrueType ones.
        d.onInitDialog();
        d.fontButton(k.fonts - 1)->click();
        ASSERT_FALSE(c.fonts.asked.empty());
        EXPECT_TRUE(c.fonts.asked.back().choice.fixedPitchOnly);
        EXPECT_EQ(c.fonts.asked.back().choice.trueTypeOnly, k.trueTypeOnly);
    }
}

TEST(ColorsFonts, CancelKeepsTheOwnersValuesAndOkWithoutChangeGivesThemBack) {
    Choosers c;
    PlateOwner owner;
    {
        CPlateColorsDlg dlg;
        owner.fill(dlg);
        dlg.onInitDialog();
        dlg.itemList()->setCurrentIndex(4);
        c.colors.answers.push_back({rgb(1, 2, 3), {}});
        dlg.colorButton()->click();
        c.fonts.answers.push_back(LogFont::make(-20, kFontNormal, "Courier New"));
        dlg.fontButton(1)->click();
        dlg.onCancel();
        EXPECT_EQ(dlg.result(), kIdCancel);
        // The owner takes nothing on Cancel.
    }
    EXPECT_EQ(owner.colors[4], 0x00FFFFu);
    EXPECT_EQ(owner.labels, kLabels);
    {
        CPlateColorsDlg dlg;
        owner.fill(dlg);
        dlg.onInitDialog();
        dlg.onOK();
        ASSERT_EQ(dlg.result(), kIdOk);
        PlateOwner before = owner;
        owner.takeBack(dlg);
        EXPECT_EQ(owner.colors, before.colors);
        EXPECT_EQ(owner.info, kInfo);
        EXPECT_EQ(owner.labels, kLabels);
    }
}

TEST(ColorsFonts, ColourDialogOpensOnTheColourJustChosenAndTheLastChoiceStays) {
    Choosers c;
    PlateOwner owner;
    CPlateColorsDlg dlg;
    owner.fill(dlg);
    dlg.onInitDialog();
    dlg.itemList()->setCurrentIndex(5);  // "Motion"
    c.colors.answers.push_back({rgb(10, 0, 0), {}});
    c.colors.answers.push_back({rgb(20, 0, 0), {}});
    dlg.colorButton()->click();
    dlg.colorButton()->click();
    ASSERT_EQ(c.colors.asked.size(), 2u);
    // The first opens on the colour handed in, the second on the one just
    // chosen.
    EXPECT_EQ(c.colors.asked[0].initial, 0xFF00FFu);
    EXPECT_EQ(c.colors.asked[1].initial, rgb(10, 0, 0));
    // Another item and back: the choice for the first is kept.
    dlg.itemList()->setCurrentIndex(1);
    c.colors.answers.push_back({std::nullopt, {}});  // cancelled: nothing changes
    dlg.colorButton()->click();
    dlg.itemList()->setCurrentIndex(5);
    c.colors.answers.push_back({std::nullopt, {}});
    dlg.colorButton()->click();
    ASSERT_EQ(c.colors.asked.size(), 4u);
    EXPECT_EQ(c.colors.asked[2].initial, 0xFF0000u);
    EXPECT_EQ(c.colors.asked[3].initial, rgb(20, 0, 0));
    dlg.onOK();
    owner.takeBack(dlg);
    EXPECT_EQ(owner.colors[5], rgb(20, 0, 0));
    EXPECT_EQ(owner.colors[1], 0xFF0000u);
}

TEST(ColorsFonts, FontDialogOpensOnTheLastChoice) {
    Choosers c;
    PlateOwner owner;
    CPlateColorsDlg dlg;
    owner.fill(dlg);
    dlg.onInitDialog();
    const LogFont first = LogFont::make(-16, kFontNormal, "Courier New");
    const LogFont second = LogFont::make(-18, kFontBold, "Courier New");
    c.fonts.answers = {first, second, std::nullopt};
    dlg.fontButton(0)->click();
    dlg.fontButton(0)->click();
    dlg.fontButton(0)->click();  // cancelled
    ASSERT_EQ(c.fonts.asked.size(), 3u);
    EXPECT_EQ(c.fonts.asked[0].font, kInfo);
    EXPECT_EQ(c.fonts.asked[1].font, first);
    EXPECT_EQ(c.fonts.asked[2].font, second);
    dlg.onOK();
    owner.takeBack(dlg);
    EXPECT_EQ(owner.info, second);
    EXPECT_EQ(owner.labels, kLabels);
}

// The font dialog shows its sample in the font, with room for a line of it
// (the hidden effects box would leave it no height).
TEST(ColorsFonts, FontDialogShowsItsSample) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        auto* sample = dlg->findChild<QLineEdit*>(QStringLiteral("qt_fontDialog_sampleEdit"));
        ASSERT_NE(sample, nullptr);
        EXPECT_TRUE(sample->isVisible());
        EXPECT_FALSE(sample->text().isEmpty());
        EXPECT_GE(sample->height(), QFontMetrics(sample->font()).height());
        seen = true;
        dlg->reject();
    });
    LogFont font = LogFont::make(-28, kFontNormal, "Courier New");
    QtFontChooser chooser;
    EXPECT_FALSE(chooser.choose(font, {true, false}));
    EXPECT_TRUE(seen);
}

TEST(ColorsFonts, EachDialogClassKeepsItsOwnCustomColours) {
    Choosers c;
    CElHistColorsDlg::CustomColors.fill(0xFFFFFF);
    CElDistColorsDlg::CustomColors.fill(0xFFFFFF);
    {
        CElHistColorsDlg hist;
        hist.onInitDialog();
        c.colors.answers.push_back({std::nullopt, {{0, rgb(9, 8, 7)}}});
        hist.colorButton()->click();
    }
    {
        CElHistColorsDlg again;
        again.onInitDialog();
        again.colorButton()->click();
        CElDistColorsDlg dist;
        dist.onInitDialog();
        dist.colorButton()->click();
    }
    ASSERT_EQ(c.colors.asked.size(), 3u);
    EXPECT_EQ(c.colors.asked[0].custom[0], 0xFFFFFFu);  // white at start
    EXPECT_EQ(c.colors.asked[1].custom[0], rgb(9, 8, 7));
    EXPECT_EQ(c.colors.asked[2].custom[0], 0xFFFFFFu);
}

TEST(ColorsFonts, OrbitDialogLeavesAnEleventhColourOfItsOwnerAlone) {
    Choosers c;
    std::vector<Colorref> orbit(11, 0x123456);
    orbit[10] = 0xABCDEF;
    COrbitColorsDlg dlg;
    std::copy_n(orbit.begin(), 10, dlg.model().resultColors.begin());
    dlg.onInitDialog();
    c.colors.answers.push_back({rgb(1, 1, 1), {}});
    dlg.colorButton()->click();
    dlg.onOK();
    std::copy_n(dlg.model().resultColors.begin(), 10, orbit.begin());
    EXPECT_EQ(orbit[0], rgb(1, 1, 1));
    EXPECT_EQ(orbit[10], 0xABCDEFu);
}

namespace {

// A plot that counts its messages and paints a square where it is told.
struct Plot : DrawingClient {
    int erased = 0, painted = 0, ticks = 0;
    Point clicked{-1, -1};
    Point square{10, 10};
    void eraseBackground(Dc& dc, const Rect& area) override {
        ++erased;
        dc.fillRect(area, Brush::solid(rgb(0, 0, 128)));
    }
    void paint(Dc& dc) override {
        ++painted;
        dc.fillRect({square.x, square.y, square.x + 5, square.y + 5}, Brush::solid(rgb(255, 255, 0)));
    }
    void buttonDown(MouseButton b, Point p) override {
        if (b == MouseButton::Left) clicked = p;
    }
    void timer(int) override { ++ticks; }
};

QRgb at(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

}  // namespace

TEST(DrawingViews, PictureKeptBetweenPaintsUnlessErased) {
    Plot plot;
    DrawingView view(plot);
    view.resize(200, 150);
    view.show();
    view.updateWindow();
    EXPECT_EQ(plot.erased, 1);
    EXPECT_EQ(at(view.picture(), 12, 12), 0xFFFF00u);
    // Without erase the old square stays beside the new one.
    plot.square = {50, 10};
    view.invalidate(false);
    view.updateWindow();
    EXPECT_EQ(at(view.picture(), 12, 12), 0xFFFF00u);
    EXPECT_EQ(at(view.picture(), 52, 12), 0xFFFF00u);
    // With erase only the new one.
    plot.square = {90, 10};
    view.invalidate(true);
    view.updateWindow();
    EXPECT_EQ(at(view.picture(), 52, 12), 0x000080u);
    EXPECT_EQ(at(view.picture(), 92, 12), 0xFFFF00u);

    // A picture larger than the window scrolls; the context follows.
    view.setScrollSizes({800, 600});
    view.horizontalScrollBar()->setValue(40);
    view.updateWindow();
    EXPECT_EQ(view.scrollPosition().x, 40);
    EXPECT_EQ(at(view.picture(), 52, 12), 0xFFFF00u);  // 92 - 40
}

TEST(DrawingViews, ClicksInWindowPixelsAndTimers) {
    Plot plot;
    DrawingView view(plot);
    view.resize(200, 150);
    view.show();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(33, 44), QPointF(33, 44), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &press);
    EXPECT_EQ(plot.clicked, (Point{33, 44}));
    view.setTimer(1, 0);
    EXPECT_TRUE(view.hasTimer(1));
    for (int i = 0; i < 50 && plot.ticks < 3; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_GE(plot.ticks, 3);
    view.killTimer(1);
    EXPECT_FALSE(view.hasTimer(1));
}

namespace {
class ToolbarApp : public fw::Application {
public:
    bool initInstance() override {
        addMainResources(resources());
        auto frame = std::make_unique<fw::MainFrame>(*this);
        if (!frame->loadFrame(128)) return false;
        setMainFrame(std::move(frame));
        return true;
    }
};
}  // namespace

TEST(PlotToolbars, OrbitAndTrackToolbarsWithDrawnPictures) {
    ToolbarApp app;
    ASSERT_TRUE(app.initInstance());
    fw::MainFrame& mf = *app.mainFrame();
    struct Case {
        int toolbar;
        std::vector<int> buttons;  // 0: separator
    };
    const Case cases[] = {
        {151,
         {32822, 32811, 32812, 0, 32813, 32814, 32815, 32816, 0, 32787, 32818, 0, 32819, 0, ids::kAppAbout,
          ids::kFilePrint}},
        {158, {32828, 0, 32829, 32830, 0, 32831, 32832}},
        {128,
         {ids::kFileNew, ids::kFileOpen, ids::kFileSave, 0, ids::kEditCut, ids::kEditCopy, ids::kEditPaste, 0,
          ids::kFilePrint, ids::kAppAbout}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.toolbar);
        ASSERT_TRUE(mf.loadToolBar(c.toolbar));
        std::vector<int> got;
        for (QAction* a : mf.toolBar()->actions()) {
            got.push_back(a->isSeparator() ? 0 : a->data().toInt());
            if (!a->isSeparator()) {
                EXPECT_TRUE(has_tool_icon(a->data().toInt())) << a->data().toInt();
                EXPECT_FALSE(a->icon().isNull());
            }
        }
        EXPECT_EQ(got, c.buttons);
    }
    // Text in the first pane stays until the next one.
    mf.setMessageText("Wait: trace drawing process...");
    app.runIdle();
    EXPECT_EQ(mf.paneText(ids::kSeparator), QStringLiteral("Wait: trace drawing process..."));
}
