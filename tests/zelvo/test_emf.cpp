// The metafiles of the plots read back by an independent reader of the
// format, libUEMF (the library Inkscape imports them with): every record is
// whole and sound by its checks, the header's counts, bounds and frame are
// right, and the shapes that the records describe, placed through the
// mapping records they carry, are where the screen picture of the same
// drawing has them.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <fstream>
#include <map>

#include "framework/emfdc.h"
#include "framework/qtdc.h"

extern "C" {
#include <uemf.h>
#include <uemf_safe.h>
}

using namespace fw;

namespace {

constexpr DeviceInfo kScreen{800, 600, 96.0, 96.0};
constexpr Colorref kBlue = rgb(0, 0, 255), kRed = rgb(255, 0, 0), kGreen = rgb(0, 160, 0), kDots = rgb(0, 100, 100);

// A plot-like picture: a frame in MM_TEXT, then y up from the middle as the
// orbit and track views have it, with shapes that do not overlap.
void draw_scene(Dc& dc) {
    dc.selectPen(Pen::solid(1, 0));
    dc.selectBrush(Brush::solid(rgb(200, 200, 200)));
    dc.rectangle(20, 10, 780, 590);
    dc.saveDC();
    dc.setMapMode(MapMode::Anisotropic);
    dc.setWindowExt(1000, 1000);
    dc.setViewportExt(800, -600);
    dc.setViewportOrg(400, 300);
    dc.selectBrush(Brush::solid(kBlue));
    dc.rectangle(-400, 400, -100, 100);
    dc.selectBrush(Brush::solid(kRed));
    dc.ellipse(100, 400, 300, 200);
    dc.selectPen(Pen::solid(1, kGreen));
    dc.selectBrush(Brush::solid(kGreen));
    const Point tri[] = {{-400, -100}, {-100, -100}, {-250, -400}};
    dc.polygon(tri);
    dc.selectBrush(Brush::solid(kBlue));
    dc.chord(100, -100, 300, -400, 200, -400, 200, -100);
    dc.fillRect({350, -300, 450, -400}, Brush::solid(kRed));
    std::vector<Point> dots;
    for (int i = 0; i < 40; ++i) dots.push_back({-50 + 5 * (i % 20), -50 - 5 * (i / 20)});
    dots.push_back(dots.front());  // twice: written once
    dc.setPixels(dots, kDots);
    dc.selectFont(LogFont::make(-28, kFontNormal, "Courier New"));
    dc.setTextColor(kBlue);
    dc.setBkMode(BkMode::Transparent);
    dc.textOut(-400, -430, "T = 2002  1  1.0");
    dc.restoreDC(-1);
    dc.moveTo(30, 580);
    dc.selectPen(Pen::solid(1, kRed));
    dc.lineTo(300, 580);
}

std::vector<char> read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Colorref colorref(const U_COLORREF& c) { return rgb(c.Red, c.Green, c.Blue); }

Colorref pixel(const QImage& img, Point p) {
    const QRgb c = img.pixel(p.x, p.y);
    return rgb(qRed(c), qGreen(c), qBlue(c));
}

// Plays the records' mapping the way a reader does (MM_TEXT and
// MM_ANISOTROPIC, with the saved states).
struct Mapping {
    std::uint32_t mode = 1;
    Point wo{0, 0}, vo{0, 0};
    Size we{1, 1}, ve{1, 1};
    Point map(int x, int y) const {
        if (mode == 1) return {x - wo.x + vo.x, y - wo.y + vo.y};
        auto r = [](double v) { return static_cast<int>(std::floor(v + 0.5)); };
        return {r((x - wo.x) * static_cast<double>(ve.cx) / we.cx) + vo.x,
                r((y - wo.y) * static_cast<double>(ve.cy) / we.cy) + vo.y};
    }
    Rect box(const U_RECTL& r) const {
        const Point a = map(r.left, r.top), b = map(r.right, r.bottom);
        return Rect{a.x, a.y, b.x, b.y}.normalized();
    }
};

}  // namespace

TEST(EmfFile, RecordsHeaderBoundsAndFrameReadBack) {
    QTemporaryDir dir;
    const std::string path = QDir(dir.path()).filePath("Plate.emf").toStdString();
    EmfDc emf(kScreen);
    draw_scene(emf);
    ASSERT_TRUE(emf.save(path));
    std::vector<char> file = read_all(path);
    ASSERT_GT(file.size(), 108u);

    const char* limit = file.data() + file.size();
    std::size_t offset = 0, count = 0;
    std::map<std::uint32_t, int> types;
    std::uint32_t maxHandle = 0, lastType = 0;
    while (offset < file.size()) {
        const char* rec = file.data() + offset;
        uint32_t size = 0, type = 0;
        // (1: the records are in the host's order)
        ASSERT_TRUE(U_emf_record_sizeok(rec, limit, &size, &type, 1)) << "record " << count;
        ASSERT_TRUE(U_emf_record_safe(rec)) << "record " << count << " type " << type;
        ASSERT_EQ(size % 4, 0u);
        ++types[type];
        if (type == U_EMR_CREATEPEN)
            maxHandle = std::max(maxHandle, reinterpret_cast<const U_EMRCREATEPEN*>(rec)->ihPen);
        if (type == U_EMR_CREATEBRUSHINDIRECT)
            maxHandle = std::max(maxHandle, reinterpret_cast<const U_EMRCREATEBRUSHINDIRECT*>(rec)->ihBrush);
        if (type == U_EMR_EXTCREATEFONTINDIRECTW)
            maxHandle = std::max(maxHandle, reinterpret_cast<const U_EMREXTCREATEFONTINDIRECTW*>(rec)->ihFont);
        lastType = type;
        offset += size;
        ++count;
    }
    EXPECT_EQ(offset, file.size());
    EXPECT_EQ(lastType, static_cast<std::uint32_t>(U_EMR_EOF));

    const auto* h = reinterpret_cast<const U_EMRHEADER*>(file.data());
    EXPECT_EQ(h->emr.iType, static_cast<std::uint32_t>(U_EMR_HEADER));
    EXPECT_EQ(h->dSignature, 0x464D4520u);
    EXPECT_EQ(h->nBytes, file.size());
    EXPECT_EQ(h->nRecords, count);
    EXPECT_GT(h->nHandles, maxHandle);
    EXPECT_EQ(h->szlDevice.cx, 800);
    EXPECT_EQ(h->szlMillimeters.cx, 212);  // 800 pixels at 96 per inch
    // The bounds: what was drawn, in the reference's pixels, inclusive.
    EXPECT_EQ(h->rclBounds.left, 20);
    EXPECT_EQ(h->rclBounds.top, 10);
    EXPECT_EQ(h->rclBounds.right, 779);
    EXPECT_EQ(h->rclBounds.bottom, 589);
    // The frame: the bounds in hundredths of a millimetre of the reference.
    const double mmPerPixel = static_cast<double>(h->szlMillimeters.cx) / h->szlDevice.cx;
    EXPECT_NEAR(h->rclFrame.left, 20 * 100 * mmPerPixel, 1.0);
    EXPECT_NEAR(h->rclFrame.right, 779 * 100 * mmPerPixel, 1.0);
    EXPECT_NEAR(h->rclFrame.bottom, 589 * 100 * h->szlMillimeters.cy / double(h->szlDevice.cy), 1.0);

    // The records the plot used, each present; the repeated pixel once.
    EXPECT_EQ(types[U_EMR_SETPIXELV], 40);
    for (int t :
         {U_EMR_RECTANGLE, U_EMR_ELLIPSE, U_EMR_POLYGON16, U_EMR_CHORD, U_EMR_BITBLT, U_EMR_EXTTEXTOUTW,
          U_EMR_SETMAPMODE, U_EMR_SETWINDOWEXTEX, U_EMR_SETVIEWPORTEXTEX, U_EMR_SETVIEWPORTORGEX, U_EMR_SAVEDC,
          U_EMR_RESTOREDC, U_EMR_MOVETOEX, U_EMR_LINETO, U_EMR_SELECTOBJECT, U_EMR_SETTEXTCOLOR, U_EMR_SETBKMODE})
        EXPECT_GE(types[static_cast<std::uint32_t>(t)], 1) << "record type " << t;
}

// The shapes as the records give them, placed by the records' own mapping,
// against the screen picture of the same drawing.
TEST(EmfFile, RecordsMatchTheScreenPicture) {
    QTemporaryDir dir;
    const std::string path = QDir(dir.path()).filePath("scene.emf").toStdString();
    EmfDc emf(kScreen);
    draw_scene(emf);
    ASSERT_TRUE(emf.save(path));
    QImage screen(800, 600, QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        QtDc dc(&screen);
        draw_scene(dc);
    }
    const std::vector<char> file = read_all(path);
    std::vector<Mapping> saved;
    Mapping m;
    std::map<std::uint32_t, std::pair<int, Colorref>> objects;  // handle -> (0 pen / 1 brush, colour)
    Colorref pen = 0, brush = 0xFFFFFF, text = 0;
    Point cp{0, 0};
    int shapes = 0, pixels = 0, texts = 0;
    for (std::size_t off = 0; off < file.size();) {
        const char* rec = file.data() + off;
        const auto* e = reinterpret_cast<const U_EMR*>(rec);
        off += e->nSize;
        switch (e->iType) {
            case U_EMR_SETMAPMODE:
                m.mode = reinterpret_cast<const U_EMRSETMAPMODE*>(rec)->iMode;
                break;
            case U_EMR_SETWINDOWEXTEX: {
                const auto& s = reinterpret_cast<const U_EMRSETWINDOWEXTEX*>(rec)->szlExtent;
                m.we = {s.cx, s.cy};
                break;
            }
            case U_EMR_SETVIEWPORTEXTEX: {
                const auto& s = reinterpret_cast<const U_EMRSETVIEWPORTEXTEX*>(rec)->szlExtent;
                m.ve = {s.cx, s.cy};
                break;
            }
            case U_EMR_SETVIEWPORTORGEX: {
                const auto& p = reinterpret_cast<const U_EMRSETVIEWPORTORGEX*>(rec)->ptlOrigin;
                m.vo = {p.x, p.y};
                break;
            }
            case U_EMR_SAVEDC:
                saved.push_back(m);
                break;
            case U_EMR_RESTOREDC:
                m = saved[saved.size() + reinterpret_cast<const U_EMRRESTOREDC*>(rec)->iRelative];
                saved.resize(saved.size() + reinterpret_cast<const U_EMRRESTOREDC*>(rec)->iRelative);
                break;
            case U_EMR_CREATEPEN: {
                const auto* r = reinterpret_cast<const U_EMRCREATEPEN*>(rec);
                objects[r->ihPen] = {0, colorref(r->lopn.lopnColor)};
                break;
            }
            case U_EMR_CREATEBRUSHINDIRECT: {
                const auto* r = reinterpret_cast<const U_EMRCREATEBRUSHINDIRECT*>(rec);
                objects[r->ihBrush] = {1, colorref(r->lb.lbColor)};
                break;
            }
            case U_EMR_EXTCREATEFONTINDIRECTW:
                objects[reinterpret_cast<const U_EMREXTCREATEFONTINDIRECTW*>(rec)->ihFont] = {2, 0};
                break;
            case U_EMR_SELECTOBJECT: {
                const auto& o = objects.at(reinterpret_cast<const U_EMRSELECTOBJECT*>(rec)->ihObject);
                if (o.first < 2) (o.first == 0 ? pen : brush) = o.second;
                break;
            }
            case U_EMR_SETTEXTCOLOR:
                text = colorref(reinterpret_cast<const U_EMRSETTEXTCOLOR*>(rec)->crColor);
                break;
            case U_EMR_RECTANGLE:
            case U_EMR_ELLIPSE: {
                const Rect b = m.box(reinterpret_cast<const U_EMRRECTANGLE*>(rec)->rclBox);
                SCOPED_TRACE(e->iType);
                // The middle in the brush, the top edge's middle in the pen,
                // the pixel left of the box untouched by this shape.
                EXPECT_EQ(pixel(screen, {(b.left + b.right) / 2, (b.top + b.bottom) / 2}), brush);
                EXPECT_EQ(pixel(screen, {(b.left + b.right) / 2, b.top}), pen);
                if (b.left > 0) {
                    EXPECT_NE(pixel(screen, {b.left - 1, (b.top + b.bottom) / 2}), brush);
                }
                ++shapes;
                break;
            }
            case U_EMR_POLYGON16: {
                const auto* r = reinterpret_cast<const U_EMRPOLYGON16*>(rec);
                ASSERT_EQ(r->cpts, 3u);
                const Point a = m.map(r->apts[0].x, r->apts[0].y), b = m.map(r->apts[1].x, r->apts[1].y),
                            c = m.map(r->apts[2].x, r->apts[2].y);
                EXPECT_EQ(pixel(screen, {(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3}), brush);
                EXPECT_EQ(pixel(screen, a), pen);
                ++shapes;
                break;
            }
            case U_EMR_CHORD: {
                const auto* r = reinterpret_cast<const U_EMRCHORD*>(rec);
                const Rect b = m.box(r->rclBox);
                const Point s = m.map(r->ptlStart.x, r->ptlStart.y), t = m.map(r->ptlEnd.x, r->ptlEnd.y);
                // From the bottom radial to the top one counterclockwise:
                // the right half.
                EXPECT_GT(s.y, t.y);
                EXPECT_EQ(pixel(screen, {b.right - 10, (b.top + b.bottom) / 2}), brush);
                EXPECT_NE(pixel(screen, {b.left + 10, (b.top + b.bottom) / 2}), brush);
                ++shapes;
                break;
            }
            case U_EMR_BITBLT: {
                const auto* r = reinterpret_cast<const U_EMRBITBLT*>(rec);
                ASSERT_EQ(r->cbBmiSrc, 0u);  // a pattern: no source picture
                const Point a = m.map(r->Dest.x, r->Dest.y), b = m.map(r->Dest.x + r->cDest.x, r->Dest.y + r->cDest.y);
                const Rect box = Rect{a.x, a.y, b.x, b.y}.normalized();
                EXPECT_EQ(pixel(screen, {box.left, box.top}), brush);
                EXPECT_EQ(pixel(screen, {box.right - 1, box.bottom - 1}), brush);
                EXPECT_NE(pixel(screen, {box.right, box.bottom}), brush);
                ++shapes;
                break;
            }
            case U_EMR_SETPIXELV: {
                const auto* r = reinterpret_cast<const U_EMRSETPIXELV*>(rec);
                EXPECT_EQ(pixel(screen, m.map(r->ptlPixel.x, r->ptlPixel.y)), colorref(r->crColor));
                ++pixels;
                break;
            }
            case U_EMR_MOVETOEX: {
                const auto& p = reinterpret_cast<const U_EMRMOVETOEX*>(rec)->ptl;
                cp = {p.x, p.y};
                break;
            }
            case U_EMR_LINETO: {
                const auto& p = reinterpret_cast<const U_EMRLINETO*>(rec)->ptl;
                EXPECT_EQ(pixel(screen, m.map(cp.x, cp.y)), pen);
                cp = {p.x, p.y};
                break;
            }
            case U_EMR_EXTTEXTOUTW: {
                const auto* r = reinterpret_cast<const U_EMREXTTEXTOUTW*>(rec);
                const auto* chars = reinterpret_cast<const std::uint16_t*>(rec + r->emrtext.offString);
                EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(chars), r->emrtext.nChars),
                          QStringLiteral("T = 2002  1  1.0"));
                // The text hangs below its reference point on the screen
                // picture: pixels in the text colour there, none above.
                const Point ref = m.map(r->emrtext.ptlReference.x, r->emrtext.ptlReference.y);
                int below = 0, above = 0;
                for (int y = ref.y - 15; y < ref.y + 20; ++y)
                    for (int x = ref.x; x < ref.x + 150; ++x)
                        if (pixel(screen, {x, y}) == text) ++(y < ref.y ? above : below);
                EXPECT_GT(below, 50);
                EXPECT_EQ(above, 0);
                ++texts;
                break;
            }
            default:
                break;
        }
    }
    EXPECT_EQ(shapes, 6);
    EXPECT_EQ(pixels, 40);
    EXPECT_EQ(texts, 1);
}

// A distribution of many points in one batch: the file stays sound and
// holds each pixel once.
TEST(EmfFile, BatchOfPixelsWrittenOncePerPixel) {
    std::vector<Point> pts;
    for (int i = 0; i < 100000; ++i) pts.push_back({100 + i % 350, 100 + (7 * i) % 347});
    pts.insert(pts.end(), pts.begin(), pts.begin() + 1000);  // drawn twice
    EmfDc emf(kScreen);
    emf.setPixels(pts, kDots);
    const std::vector<std::uint8_t> bytes = emf.bytes();
    std::vector<Point> unique = pts;
    std::sort(unique.begin(), unique.end(), [](Point a, Point b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
    const auto* h = reinterpret_cast<const U_EMRHEADER*>(bytes.data());
    EXPECT_EQ(h->nRecords, unique.size() + 2);
    EXPECT_EQ(bytes.size(), 108 + 20 * unique.size() + 20);
    EXPECT_EQ(h->rclBounds.left, 100);
    EXPECT_EQ(h->rclBounds.right, 449);
    EXPECT_EQ(h->rclBounds.bottom, 446);
}
