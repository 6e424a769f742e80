// The drawing interface of the plots: mapping modes, saved states, the
// pixel rules of shapes and lines, upright text under a flipped y axis,
// chords, flood fill and the batch of pixels.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QTemporaryDir>

#include "framework/gdifont.h"
#include "framework/qtdc.h"
#include "framework/recorddc.h"

using namespace fw;

namespace {

constexpr Colorref kRed = rgb(255, 0, 0);
constexpr Colorref kBlue = rgb(0, 0, 255);

QImage white_image(int w = 40, int h = 30) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

Colorref at(const QImage& img, int x, int y) {
    const QRgb c = img.pixel(x, y);
    return rgb(qRed(c), qGreen(c), qBlue(c));
}

// The box of the pixels that differ from white: left, top, right, bottom
// inclusive.
Rect painted_box(const QImage& img) {
    Rect r{img.width(), img.height(), -1, -1};
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (at(img, x, y) != 0xFFFFFF)
                r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x), std::max(r.bottom, y)};
    return r;
}

}  // namespace

// Points through the window and viewport of each mapping mode; each case
// is worked out by hand from the extents and origins.
TEST(DrawingMapping, PointsThroughWindowAndViewport) {
    struct Case {
        const char* what;
        DeviceInfo device;
        MapMode mode;
        Point windowOrg;
        Size windowExt;
        Point viewportOrg;
        Size viewportExt;
        Point lp;
        Point dp;
        Size fitted;  // viewport extent in force
    };
    const Case cases[] = {
        {"text: both origins",
         {800, 600},
         MapMode::Text,
         {10, 20},
         {5, 5},
         {100, 50},
         {7, 7},
         {0, 0},
         {90, 30},
         {1, 1}},
        {"anisotropic, y up from the middle",
         {800, 600},
         MapMode::Anisotropic,
         {0, 0},
         {1000, 1000},
         {400, 300},
         {800, -600},
         {500, 500},
         {800, 0},
         {800, -600}},
        {"anisotropic, window origin",
         {800, 600},
         MapMode::Anisotropic,
         {100, -100},
         {1000, 1000},
         {400, 300},
         {800, -600},
         {-900, 900},
         {-400, -300},
         {800, -600}},
        // The orbit window: 1000 units span the smaller side of 640 x 480.
        {"isotropic fits the wider axis",
         {640, 480},
         MapMode::Isotropic,
         {0, 0},
         {1000, 1000},
         {320, 240},
         {640, -480},
         {1000, -1000},
         {800, 720},
         {480, -480}},
        // A printed page: 800 x 600 units on a page of 1000 x 1000 pixels.
        {"isotropic fits the taller axis",
         {1000, 1000},
         MapMode::Isotropic,
         {0, 0},
         {800, 600},
         {20, 20},
         {1000, 1000},
         {800, 600},
         {1020, 770},
         {1000, 750}},
        // Pixels twice as tall as wide: equal lengths need half the x pixels.
        {"isotropic on oblong pixels",
         {1000, 1000, 300.0, 600.0},
         MapMode::Isotropic,
         {0, 0},
         {1000, 1000},
         {0, 0},
         {1000, 1000},
         {100, 100},
         {50, 100},
         {500, 1000}},
        {"isotropic, halves round up",
         {100, 100},
         MapMode::Isotropic,
         {0, 0},
         {4, 4},
         {0, 0},
         {2, 2},
         {1, 3},
         {1, 2},
         {2, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingDc dc(c.device);
        dc.setMapMode(c.mode);
        dc.setWindowOrg(c.windowOrg.x, c.windowOrg.y);
        dc.setWindowExt(c.windowExt.cx, c.windowExt.cy);
        dc.setViewportOrg(c.viewportOrg.x, c.viewportOrg.y);
        dc.setViewportExt(c.viewportExt.cx, c.viewportExt.cy);
        EXPECT_EQ(dc.viewportExt(), c.fitted);
        EXPECT_EQ(dc.lpToDp(c.lp), c.dp);
        // A rectangle drawn there lands on the same device point.
        dc.rectangle(c.lp.x, c.lp.y, c.lp.x + 1, c.lp.y + 1);
        ASSERT_FALSE(dc.drawings().empty());
        EXPECT_EQ(dc.drawings().back().device.front(), c.dp);
    }
}

TEST(DrawingMapping, DeviceToLogicalAndBack) {
    RecordingDc dc({640, 480});
    dc.setMapMode(MapMode::Isotropic);
    dc.setWindowExt(1000, 1000);
    dc.setViewportExt(640, -480);
    dc.setViewportOrg(320, 240);
    for (const Point lp : {Point{0, 0}, Point{1000, -1000}, Point{-500, 250}, Point{123, -456}}) {
        SCOPED_TRACE(lp.x);
        // One device pixel is 1000/480 units: back within one pixel's width.
        const Point back = dc.dpToLp(dc.lpToDp(lp));
        EXPECT_LE(std::abs(back.x - lp.x), 2);
        EXPECT_LE(std::abs(back.y - lp.y), 2);
    }
    EXPECT_EQ(dc.dpToLp({320, 240}), (Point{0, 0}));
    EXPECT_EQ(dc.dpToLp({800, 0}), (Point{1000, 500}));
}

TEST(DrawingMapping, ExtentsAreIgnoredInTextModeAndMetricDefaultsInIsotropic) {
    RecordingDc dc({960, 480, 96.0, 96.0});
    dc.setWindowExt(1000, 1000);
    dc.setViewportExt(10, 10);
    EXPECT_EQ(dc.lpToDp({7, 9}), (Point{7, 9}));
    // Switching to MM_ISOTROPIC: tenths of a millimetre, y up, until set.
    dc.setMapMode(MapMode::Isotropic);
    EXPECT_EQ(dc.windowExt(), (Size{2540, 1270}));
    EXPECT_EQ(dc.viewportExt(), (Size{960, -480}));
    // Back to MM_TEXT: one unit per pixel again; MM_ANISOTROPIC keeps that.
    dc.setMapMode(MapMode::Text);
    dc.setMapMode(MapMode::Anisotropic);
    EXPECT_EQ(dc.lpToDp({-3, 4}), (Point{-3, 4}));
}

TEST(DrawingState, SaveAndRestoreByLevelAndRelative) {
    RecordingDc dc;
    dc.selectPen(Pen::solid(1, kRed));
    dc.setTextColor(kBlue);
    const int first = dc.saveDC();
    dc.setMapMode(MapMode::Anisotropic);
    dc.setWindowExt(10, 10);
    dc.setViewportExt(20, -20);
    dc.selectPen(Pen::null());
    const int second = dc.saveDC();
    dc.setTextColor(0);
    dc.moveTo(5, 5);
    dc.saveDC();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
    // -1: the last saved state.
    ASSERT_TRUE(dc.restoreDC(-1));
    EXPECT_EQ(dc.currentPosition(), (Point{5, 5}));
    // An absolute level drops the states saved after it.
    ASSERT_TRUE(dc.restoreDC(first));
    EXPECT_EQ(dc.mapMode(), MapMode::Text);
    EXPECT_EQ(dc.pen(), Pen::solid(1, kRed));
    EXPECT_EQ(dc.textColor(), kBlue);
    EXPECT_EQ(dc.lpToDp({3, 3}), (Point{3, 3}));
    EXPECT_FALSE(dc.restoreDC(-1));
    EXPECT_FALSE(dc.restoreDC(2));
    EXPECT_FALSE(dc.restoreDC(0));
}

// Which pixels each shape covers, on an image, in MM_TEXT and under a
// flipped y axis (the device box is the same in both).
TEST(DrawingPixels, EdgesOfShapesAndLines) {
    struct Case {
        const char* what;
        void (*draw)(Dc&);
        Rect painted;  // inclusive
    };
    const Case cases[] = {
        {"rectangle with a pen covers left..right-1",
         [](Dc& dc) {
             dc.selectBrush(Brush::solid(kRed));
             dc.rectangle(5, 4, 15, 10);
         },
         {5, 4, 14, 9}},
        {"rectangle without a pen is a pixel narrower and lower",
         [](Dc& dc) {
             dc.selectPen(Pen::null());
             dc.selectBrush(Brush::solid(kRed));
             dc.rectangle(5, 4, 15, 10);
         },
         {5, 4, 13, 8}},
        {"rectangle given right to left, bottom to top",
         [](Dc& dc) {
             dc.selectBrush(Brush::solid(kRed));
             dc.rectangle(15, 10, 5, 4);
         },
         {5, 4, 14, 9}},
        {"fill without outline",
         [](Dc& dc) {
             dc.fillRect({5, 4, 15, 10}, Brush::solid(kBlue));
         },
         {5, 4, 14, 9}},
        {"pattern fill",
         [](Dc& dc) {
             dc.selectBrush(Brush::solid(kBlue));
             dc.patBlt(5, 4, 10, 6);
         },
         {5, 4, 14, 9}},
        {"ellipse with a pen",
         [](Dc& dc) {
             dc.selectBrush(Brush::solid(kRed));
             dc.ellipse(5, 4, 19, 18);
         },
         {5, 4, 18, 17}},
        {"ellipse without a pen",
         [](Dc& dc) {
             dc.selectPen(Pen::null());
             dc.selectBrush(Brush::solid(kRed));
             dc.ellipse(5, 4, 19, 18);
         },
         {5, 4, 17, 16}},
        {"a line leaves out its end point",
         [](Dc& dc) {
             dc.moveTo(3, 7);
             dc.lineTo(20, 7);
         },
         {3, 7, 19, 7}},
        {"a polyline leaves out its last point",
         [](Dc& dc) {
             const Point p[] = {{3, 3}, {3, 12}, {20, 12}};
             dc.polyline(p);
         },
         {3, 3, 19, 12}},
        {"a polygon without a pen fills up to its right and bottom edges",
         [](Dc& dc) {
             dc.selectPen(Pen::null());
             dc.selectBrush(Brush::solid(kRed));
             const Point p[] = {{2, 2}, {12, 2}, {12, 9}, {2, 9}};
             dc.polygon(p);
         },
         {2, 2, 11, 8}},
        {"a polygon's outline closes on its first point",
         [](Dc& dc) {
             dc.selectBrush(Brush::null());
             const Point p[] = {{2, 2}, {12, 2}, {12, 9}, {2, 9}};
             dc.polygon(p);
         },
         {2, 2, 12, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QImage plain = white_image();
        {
            QtDc dc(&plain);
            c.draw(dc);
        }
        EXPECT_EQ(painted_box(plain), c.painted);
    }
}

// Under a y axis that points up the rules hold on the device: a rectangle
// whose logical top is its larger y covers the same pixels as its mirror
// image in MM_TEXT.
TEST(DrawingPixels, EdgesHoldOnTheDeviceUnderAFlippedAxis) {
    QImage plain = white_image(), flipped = white_image();
    {
        QtDc dc(&plain);
        dc.selectBrush(Brush::solid(kRed));
        dc.rectangle(5, 4, 15, 10);
        dc.ellipse(20, 4, 34, 18);
    }
    {
        QtDc dc(&flipped);
        dc.setMapMode(MapMode::Anisotropic);
        dc.setViewportExt(1, -1);
        dc.setViewportOrg(0, 30);
        dc.selectBrush(Brush::solid(kRed));
        dc.rectangle(5, 26, 15, 20);
        dc.ellipse(20, 26, 34, 12);
    }
    EXPECT_EQ(plain, flipped);
}

TEST(DrawingPixels, AlternateAndWindingFill) {
    // A five-pointed star drawn in one stroke: alternate filling leaves its
    // centre empty, winding fills it.
    const Point star[] = {{20, 2}, {31, 28}, {5, 12}, {35, 12}, {9, 28}};
    for (const auto& [mode, centre] :
         {std::pair{PolyFillMode::Alternate, 0xFFFFFFu}, std::pair{PolyFillMode::Winding, kRed}}) {
        QImage img = white_image();
        {
            QtDc dc(&img);
            dc.selectPen(Pen::null());
            dc.selectBrush(Brush::solid(kRed));
            dc.setPolyFillMode(mode);
            dc.polygon(star);
        }
        EXPECT_EQ(at(img, 20, 17), centre);
        EXPECT_EQ(at(img, 20, 6), kRed);  // a point of the star
    }
}

TEST(DrawingPixels, DottedPenAndOpaqueGaps) {
    QImage img = white_image();
    {
        QtDc dc(&img);
        dc.selectPen(Pen{PenStyle::Dot, 1, kBlue});
        dc.setBkMode(BkMode::Transparent);
        dc.moveTo(0, 2);
        dc.lineTo(30, 2);
        dc.setBkMode(BkMode::Opaque);
        dc.setBkColor(kRed);
        dc.moveTo(0, 5);
        dc.lineTo(30, 5);
    }
    // Three pixels on, three off; in opaque mode the gaps take the
    // background colour.
    for (int x = 0; x < 12; ++x) {
        SCOPED_TRACE(x);
        const bool on = (x / 3) % 2 == 0;
        EXPECT_EQ(at(img, x, 2), on ? kBlue : 0xFFFFFFu);
        EXPECT_EQ(at(img, x, 5), on ? kBlue : kRed);
    }
}

// A chord's arc runs counterclockwise on the device from the first radial
// to the second, whichever way the logical y axis points: the half Moon of
// the track view (y up) and of its metafile (y down, negated) agree.
TEST(DrawingPixels, ChordRunsCounterclockwiseOnTheDevice) {
    QImage up = white_image(80, 80), down = white_image(80, 80);
    {
        QtDc dc(&up);
        dc.setMapMode(MapMode::Anisotropic);
        dc.setViewportExt(1, -1);
        dc.setViewportOrg(0, 0);
        dc.selectBrush(Brush::solid(kRed));
        dc.chord(10, -10, 70, -70, 40, -70, 40, -10);  // from the bottom to the top
    }
    {
        QtDc dc(&down);
        dc.selectBrush(Brush::solid(kRed));
        dc.chord(10, 10, 70, 70, 40, 70, 40, 10);
    }
    EXPECT_EQ(up, down);
    EXPECT_EQ(at(up, 60, 40), kRed);       // the right half is filled
    EXPECT_EQ(at(up, 20, 40), 0xFFFFFFu);  // the left is not
}

TEST(DrawingPixels, BatchOfPixelsEqualsOnePixelAtATime) {
    std::vector<Point> pts;
    for (int i = 0; i < 2000; ++i) pts.push_back({(i * 37) % 300 - 20, (i * 91) % 260 - 30});  // some off the image
    for (const bool mapped : {false, true}) {
        SCOPED_TRACE(mapped);
        QImage batch = white_image(200, 150), single = white_image(200, 150);
        for (QImage* img : {&batch, &single}) {
            QtDc dc(img);
            if (mapped) {
                dc.setMapMode(MapMode::Isotropic);
                dc.setWindowExt(300, 300);
                dc.setViewportExt(200, -150);
                dc.setViewportOrg(20, 140);
            }
            if (img == &batch) {
                dc.setPixels(pts, kBlue);
            } else {
                for (const Point& p : pts) dc.setPixel(p.x, p.y, kBlue);
            }
        }
        EXPECT_EQ(batch, single);
        EXPECT_NE(painted_box(batch).right, -1);
    }
}

TEST(DrawingPixels, FloodFillOnARasterOnly) {
    QImage img = white_image(60, 40);
    {
        QtDc dc(&img);
        dc.selectPen(Pen::solid(1, kBlue));
        dc.selectBrush(Brush::null());
        dc.rectangle(10, 10, 30, 30);  // a closed blue border
        dc.selectBrush(Brush::solid(kRed));
        EXPECT_TRUE(dc.extFloodFill(20, 20, kBlue, FloodFillMode::Border));
        // Starting on the border colour, or on another colour for a
        // surface fill, fills nothing.
        EXPECT_FALSE(dc.extFloodFill(10, 20, kBlue, FloodFillMode::Border));
        EXPECT_FALSE(dc.extFloodFill(50, 5, kBlue, FloodFillMode::Surface));
        dc.selectBrush(Brush::solid(rgb(0, 255, 0)));
        EXPECT_TRUE(dc.extFloodFill(50, 5, 0xFFFFFF, FloodFillMode::Surface));
    }
    EXPECT_EQ(at(img, 11, 11), kRed);
    EXPECT_EQ(at(img, 28, 28), kRed);
    EXPECT_EQ(at(img, 10, 10), kBlue);         // the border stays
    EXPECT_EQ(at(img, 5, 5), rgb(0, 255, 0));  // the outside: surface fill of white
    // A device without pixels to read (a recorded picture) cannot flood.
    QPicture picture;
    QtDc dc(&picture);
    EXPECT_FALSE(dc.extFloodFill(1, 1, kBlue, FloodFillMode::Border));
}

// Text stays upright under a flipped y axis: the same text at the same
// device point gives the same pixels in MM_TEXT and with y pointing up, and
// the font's size follows the vertical scale.
TEST(DrawingText, UprightUnderAFlippedAxis) {
    QImage plain = white_image(200, 60), flipped = white_image(200, 60);
    const LogFont font = LogFont::make(-13, kFontBold, "Courier New");
    {
        QtDc dc(&plain);
        dc.selectFont(font);
        dc.setBkMode(BkMode::Transparent);
        dc.textOut(10, 20, "T = 2002");
    }
    {
        QtDc dc(&flipped);
        dc.setMapMode(MapMode::Anisotropic);
        dc.setViewportExt(1, -1);
        dc.setViewportOrg(0, 60);
        dc.selectFont(font);
        dc.setBkMode(BkMode::Transparent);
        dc.textOut(10, 40, "T = 2002");
    }
    EXPECT_EQ(plain, flipped);
    // The text hangs below its reference point on the device.
    const Rect box = painted_box(plain);
    EXPECT_GE(box.top, 20);
    EXPECT_LE(box.bottom, 20 + 16);

    // Recorded: the cell lies below the reference point on the device under
    // y up too, and 1000 units over 500 pixels halve the font.
    RecordingDc rec({500, 500});
    rec.setMapMode(MapMode::Isotropic);
    rec.setWindowExt(1000, 1000);
    rec.setViewportExt(500, -500);
    rec.setViewportOrg(0, 250);
    rec.selectFont(LogFont::make(-28, kFontNormal, "Courier New"));
    rec.textOut(100, 200, "Upright");
    const DrawOp op = rec.drawings().back();
    EXPECT_EQ(op.deviceEm, 14);
    EXPECT_EQ(op.deviceBox.top, 150);
    EXPECT_GT(op.deviceBox.bottom, op.deviceBox.top);
    EXPECT_EQ(op.deviceBox.left, 50);
}

TEST(DrawingText, AlignmentClippingAndExtent) {
    RecordingDc dc;
    dc.selectFont(LogFont::make(-13, kFontBold, "Courier New"));
    const TextMetrics m = dc.textMetrics();
    EXPECT_GE(m.maxCharWidth, m.aveCharWidth);
    EXPECT_EQ(m.height, m.ascent + m.descent);
    const int w = dc.textExtent("12").cx;
    EXPECT_EQ(w, 2 * dc.textExtent("1").cx);

    // Right-aligned in its rectangle, clipped to it (the label pieces).
    Rect r{100, 10, 100 + 3 * m.maxCharWidth, 10 + m.height};
    dc.drawText("12", r, draw_text::kRight);
    DrawOp op = dc.drawings().back();
    EXPECT_EQ(op.deviceBox.right, r.right);
    EXPECT_EQ(op.deviceBox.top, 10);
    EXPECT_NE(op.options & text_out::kClipped, 0u);
    dc.drawText("12", r, draw_text::kRight | draw_text::kNoClip);
    EXPECT_EQ(dc.drawings().back().options & text_out::kClipped, 0u);

    // The reference point of the text alignment: right and baseline.
    dc.setTextAlign(text_align::kRight | text_align::kBaseline);
    dc.textOut(300, 100, "12");
    op = dc.drawings().back();
    EXPECT_EQ(op.deviceBox.right, 300);
    EXPECT_EQ(op.deviceOrigin.y, 100);

    Rect calc{0, 0, 0, 0};
    EXPECT_EQ(dc.drawText("1234", calc, draw_text::kCalcRect), m.height);
    EXPECT_EQ(calc.right, dc.textExtent("1234").cx);

    // On an image nothing of a clipped text lies outside its rectangle.
    QImage img = white_image(200, 40);
    {
        QtDc q(&img);
        q.selectFont(LogFont::make(-13, kFontBold, "Courier New"));
        Rect narrow{50, 5, 50 + m.maxCharWidth, 5 + m.height};
        q.drawText("12345", narrow, draw_text::kRight);
    }
    const Rect painted = painted_box(img);
    EXPECT_GE(painted.left, 50);
    EXPECT_LT(painted.right, 50 + m.maxCharWidth);
}

TEST(DrawingText, FontsOfTheOriginalFacesAndSizes) {
    EXPECT_EQ(font_family("Courier New"), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(face_for_family(QStringLiteral("Liberation Mono")), "Courier New");
    // A negative height is the character height, a positive one the cell.
    DeviceFont character(LogFont::make(-28, kFontNormal, "Courier New"), 1.0);
    DeviceFont cell(LogFont::make(28, kFontNormal, "Courier New"), 1.0);
    EXPECT_EQ(character.em(), 28);
    EXPECT_EQ(cell.metrics().height, 28);
    EXPECT_LT(cell.em(), 28);
    // Courier New's advances are 1229/2048 of the character height.
    EXPECT_EQ(character.advances("W").front(), 17);
    // The logical font record: 60 bytes, little-endian.
    LogFont lf = LogFont::make(-13, kFontBold, "Courier New");
    lf.charSet = 204;
    lf.pitchAndFamily = 0x31;
    const auto b = lf.toBytes();
    EXPECT_EQ(b[0], 0xF3);
    EXPECT_EQ(b[3], 0xFF);
    EXPECT_EQ(b[16], 0xBC);
    EXPECT_EQ(b[17], 0x02);
    EXPECT_EQ(b[23], 204);
    EXPECT_EQ(b[27], 0x31);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[28])), "Courier New");
    EXPECT_EQ(LogFont::fromBytes(b), lf);
}

TEST(DrawingMemory, PictureCopiedOntoAnother) {
    MemoryDc work(50, 40);
    work.dc().fillRect({0, 0, 50, 40}, Brush::solid(kBlue));
    work.dc().setPixel(5, 6, kRed);
    MemoryDc shown(50, 40);
    EXPECT_EQ(at(shown.image(), 5, 6), 0u);  // black when created
    shown.dc().bitBlt(0, 0, 50, 40, work.image(), 0, 0);
    EXPECT_EQ(at(shown.image(), 5, 6), kRed);
    EXPECT_EQ(at(shown.image(), 49, 39), kBlue);
}

// A page of a print job: the context draws through the job's painter at
// the printer's resolution, under the mapping a plot prints with.
TEST(DrawingPrinter, PageDrawnThroughThePrintersPainter) {
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
    QPainter painter;
    ASSERT_TRUE(painter.begin(&printer));
    {
        QtDc dc(painter);
        const DeviceInfo d = dc.device();
        EXPECT_EQ(d.dpiX, printer.resolution());
        EXPECT_GT(d.width, 3000);
        dc.setMapMode(MapMode::Isotropic);
        dc.setWindowExt(800, 600);
        dc.setViewportExt(d.width, d.height);
        dc.setViewportOrg(20, 20);
        // 800 units across the page's width: a font of 28 units grows with it.
        EXPECT_NEAR(dc.scaleX(), d.width / 800.0, 0.01);
        dc.selectFont(LogFont::make(-28, kFontNormal, "Courier New"));
        EXPECT_NEAR(dc.textMetrics().height, 31, 1);  // in logical units as on the screen
        dc.rectangle(60, 90, 580, 420);
        dc.textOut(60, 10, "Records number: 620000");
        EXPECT_FALSE(dc.extFloodFill(100, 100, 0, FloodFillMode::Border));  // no raster to read
    }
    ASSERT_TRUE(painter.end());
    EXPECT_GT(QFileInfo(dir.filePath(QStringLiteral("page.pdf"))).size(), 500);
}
