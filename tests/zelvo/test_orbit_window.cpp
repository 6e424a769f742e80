// The orbit windows on the small data package through the real library:
// Tasks|Orbits with the last state of "orlast.cfg", windows that share the
// bodies and the date but keep their own animation, the input rules of the
// "Input Data" dialog, the dialogs' refusals, a frame of the picture on the
// recording context, and the metafile read back by libUEMF.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <map>

#include "element_fixture.h"
#include "framework/childframe.h"
#include "framework/emfexport.h"
#include "framework/filedialogs.h"
#include "framework/messages.h"
#include "framework/recorddc.h"
#include "shell_support.h"
#include "zelvo/app/commands.h"
#include "zelvo/graphics/orbitview.h"
#include "zelvo/graphics/plottoolbars.h"
#include "zelvo/shell/app.h"
#include "zelvomat/small_package.h"

extern "C" {
#include <uemf.h>
#include <uemf_safe.h>
}

namespace {

namespace fs = std::filesystem;
using namespace zelvo;
using namespace zelvo::orbit;

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << text;
}

// The program on the small package, with scripted boxes and file dialogs.
struct OrbitProgram {
    fs::path pkg = zeltest::small_package();
    std::unique_ptr<zeltest::LinkedPackage> linked;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    fw::ScriptedFileDialogService files;
    fw::ScopedFileDialogService useFiles{files};
    ZelvomatLibrary lib;
    std::unique_ptr<TaskApp> app;

    bool start() {
        if (pkg.empty()) return false;
        linked = std::make_unique<zeltest::LinkedPackage>(pkg);
        return true;
    }
    void launch() {
        app = std::make_unique<TaskApp>(lib, linked->work.dir_slash() + "bin/");
        ASSERT_TRUE(app->initInstance());
    }
    fs::path work() const { return linked->work.path(); }
    COrbitView* open() {
        EXPECT_TRUE(app->routeCommand(cmd::kTasksOrbits));
        fw::ChildFrame* f = app->frame()->activeChildFrame();
        return f != nullptr ? dynamic_cast<COrbitView*>(f->view()) : nullptr;
    }
    static void close(COrbitView* v) {
        ASSERT_TRUE(v->frame()->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

#define START_PROGRAM(p) \
    OrbitProgram p;      \
    if (!p.start()) FAIL() << "the small data package cannot be built (see package-small/build.log)";

// The last state comes back: bodies, names and date; the window shows them
// and closing it writes the state back. A second window shares the bodies
// and the date, keeps its own animation, and neither stops the other.
TEST(OrbitWindow, LastStateSharedSceneAndOwnAnimations) {
    START_PROGRAM(p);
    write_file(p.work() / "orlast.cfg", "1 3 433 4 0 9 2461000.500000");
    p.launch();
    COrbitView* a = p.open();
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(p.boxes.shown.empty());
    OrbitScene& s = a->scene();
    EXPECT_EQ(s.objects[0].number, 1);
    EXPECT_EQ(s.objects[0].name, "Ceres");
    EXPECT_EQ(s.objects[1].number, 433);
    EXPECT_EQ(s.objects[1].name, "Eros");
    EXPECT_EQ(s.planets[0].name, "Earth");
    EXPECT_EQ(s.planets[1].name, "Mars");
    EXPECT_EQ(s.planets[2].name, "Pluto");
    EXPECT_EQ(s.date, 2461000.5);
    EXPECT_NEAR(a->viewState().scale, 39.8, 1e-12);  // Pluto's orbit
    EXPECT_GT(s.objects[0].elements[el::kMotion], 0);
    EXPECT_EQ(p.app->context().CurrentToolbarId, cmd::kOrbitToolbar);

    // The window animates: each tick moves the shared date by the step once.
    a->onVelocityPlus();
    EXPECT_TRUE(a->window()->hasTimer(1));
    EXPECT_EQ(a->animation().stepDays, 6);
    a->tick();
    EXPECT_EQ(s.date, 2461006.5);
    a->window()->updateWindow();  // repaints never move the date
    a->onScalePlus();
    a->window()->updateWindow();
    EXPECT_EQ(s.date, 2461006.5);

    // A second window, from the first one's own Tasks menu: the same bodies
    // and date, its own view and animation.
    ASSERT_EQ(p.app->frame()->menuResource(), cmd::kOrbitMenu);
    QAction* orbits = p.app->frame()->action(cmd::kTasksOrbits);
    ASSERT_NE(orbits, nullptr);
    orbits->trigger();
    fw::ChildFrame* second = p.app->frame()->activeChildFrame();
    ASSERT_NE(second, nullptr);
    COrbitView* b = dynamic_cast<COrbitView*>(second->view());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(p.app->frame()->windowMenuEntries().size(), 2u);
    ASSERT_NE(a, b);
    EXPECT_EQ(&b->scene(), &s);
    EXPECT_EQ(s.date, 2461006.5);
    EXPECT_TRUE(a->window()->hasTimer(1));
    EXPECT_TRUE(a->animation().running);
    EXPECT_NEAR(a->viewState().scale, 38.8, 1e-12);
    b->onStop();
    EXPECT_TRUE(a->window()->hasTimer(1));
    EXPECT_FALSE(b->window()->hasTimer(1));
    a->onBackMotion();
    a->tick();
    EXPECT_EQ(s.date, 2461000.5);
    b->tick();  // not running: nothing moves
    EXPECT_EQ(s.date, 2461000.5);
    a->onStop();
    EXPECT_FALSE(a->window()->hasTimer(1));

    s.date = 2461100.25;
    OrbitProgram::close(b);
    EXPECT_EQ(read_file(p.work() / "orlast.cfg"), "1 3 433 4 0 9 2461100.250000");
    OrbitProgram::close(a);
    EXPECT_TRUE(p.boxes.shown.empty());
}

// Without "orlast.cfg" the scene keeps the planets of a new window; planet
// number 10 is refused once; a missing "setpar" is reported and leaves
// "orlast.cfg" as it was.
TEST(OrbitWindow, MissingOrWrongSettings) {
    START_PROGRAM(p);
    p.launch();
    {
        COrbitView* v = p.open();
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->scene().planets[0].number, 3);
        EXPECT_EQ(v->scene().planets[2].name, "Jupiter");
        EXPECT_EQ(v->scene().objects[0].number, 0);
        EXPECT_GT(v->scene().date, 2400000);  // the planets' epoch
        OrbitProgram::close(v);
    }
    const std::string written = read_file(p.work() / "orlast.cfg");
    EXPECT_EQ(written.substr(0, 12), "0 3 0 4 0 5 ");

    // orbitMain.cfg was written whole and is read by the next window.
    EXPECT_EQ(fs::file_size(p.work() / "orbitMain.cfg"), 104u);

    write_file(p.work() / "orlast.cfg", "1 10 2 3 0 0 0.000000");
    {
        COrbitView* v = p.open();
        ASSERT_NE(v, nullptr);
        ASSERT_EQ(p.boxes.shown.size(), 1u);
        EXPECT_EQ(p.boxes.shown[0].text, "Wrong input number of major planet");
        EXPECT_EQ(p.boxes.shown[0].title, "Error!");
        EXPECT_EQ(v->scene().planets[0].number, 0);
        EXPECT_EQ(v->scene().planets[1].name, "Earth");
        EXPECT_EQ(v->scene().objects[1].name, "Pallas");
        OrbitProgram::close(v);
    }
    p.boxes.shown.clear();

    // A damaged last state far larger than its line is refused at once.
    write_file(p.work() / "orlast.cfg", "1 3 433 4 0 5 2461000.500000" + std::string(100000, ' '));
    {
        COrbitView* v = p.open();
        ASSERT_NE(v, nullptr);
        ASSERT_EQ(p.boxes.shown.size(), 1u);
        EXPECT_EQ(p.boxes.shown[0].text, "The file " + p.work().string() +
                                             "/orlast.cfg is not the last state of the orbit window (100028 bytes); "
                                             "the window starts with its defaults.");
        EXPECT_NE(v->scene().objects[1].number, 433);
        OrbitProgram::close(v);
    }
    p.boxes.shown.clear();

    const std::string kept = "1 3 433 4 0 5 2461000.500000";
    write_file(p.work() / "orlast.cfg", kept);
    fs::rename(p.work() / "setpar", p.work() / "setpar.away");
    {
        COrbitView* v = p.open();
        ASSERT_NE(v, nullptr);
        ASSERT_EQ(p.boxes.shown.size(), 1u);
        EXPECT_EQ(p.boxes.shown[0].text, "Cannot read setpar!");
        OrbitProgram::close(v);
    }
    EXPECT_EQ(read_file(p.work() / "orlast.cfg"), kept);
}

// The rules of the "Input Data" dialog's fields, on the scene.
TEST(OrbitInput, PlanetAndObjectEntries) {
    START_PROGRAM(p);
    p.launch();
    COrbitView* v = p.open();
    ASSERT_NE(v, nullptr);
    OrbitScene& s = v->scene();
    const std::string tmp = (p.work() / "orbit.tmp").string();
    ASSERT_EQ(s.objectsInAll, 891);
    ASSERT_EQ(s.numberedObjects, 881);

    const struct {
        const char* text;
        int number;
        const char* name;
        const char* message;
    } planets[] = {
        {"5", 5, "Jupiter", nullptr},       {"jup", 5, "Jupiter", nullptr},
        {"JUPITER", 5, "Jupiter", nullptr}, {"-5", 5, "Jupiter", nullptr},
        {"plu", 9, "Pluto", nullptr},       {"10", 0, "", "Wrong input number of major planet"},
        {"Moon", 0, "moo", nullptr},        {"ab", 0, "", nullptr},
    };
    for (const auto& c : planets) {
        SCOPED_TRACE(c.text);
        p.boxes.shown.clear();
        s.planets[1] = {};
        s.planets[1].name = "Mars";
        InputFields f = inputFieldsOf(s, p.lib);
        f.planets[1] = c.text;
        applyInput(s, p.lib, tmp, f, 2461000.5);
        EXPECT_EQ(s.planets[1].number, c.number);
        EXPECT_EQ(s.planets[1].name, c.name);
        EXPECT_EQ(p.boxes.shown.size(), c.message != nullptr ? 1u : 0u);
        if (c.message != nullptr && !p.boxes.shown.empty()) {
            EXPECT_EQ(p.boxes.shown[0].text, c.message);
            EXPECT_EQ(p.boxes.shown[0].title, "Error!");
        }
        if (c.number == 5) {
            EXPECT_NEAR(semiAxisOfMotion(s.planets[1].elements[el::kMotion]), 5.2, 0.05);
        }
    }

    // A field left as the dialog showed it keeps its slot, even an empty one.
    s.planets[0] = {0, "Earth", {}};
    InputFields same = inputFieldsOf(s, p.lib);
    applyInput(s, p.lib, tmp, same, s.date);
    EXPECT_EQ(s.planets[0].number, 0);

    const struct {
        int field;
        std::string text;
        int number;
        std::string name;
        const char* message;
    } objects[] = {
        {0, "Ceres", 1, "1  Ceres ", nullptr},
        {0, "433", 433, "433  Eros ", nullptr},
        {1, "Nonesuch", 0, "", "Wrong input name of minor planet"},
        {2, "Nonesuch", 0, "", "Wrong input name of object"},
        {0, "885", 0, "", "Wrong input name of object"},  // a typed number beyond the numbered
        {2, "eros", 433, "433  Eros ", nullptr},
        {0, "a name much too long for the field", 0, "", "Wrong input name of object"},
    };
    for (const auto& c : objects) {
        SCOPED_TRACE(c.text);
        p.boxes.shown.clear();
        InputFields f = inputFieldsOf(s, p.lib);
        f.objects[static_cast<std::size_t>(c.field)] = c.text;
        applyInput(s, p.lib, tmp, f, s.date);
        const OrbitBodySlot& slot = s.objects[static_cast<std::size_t>(c.field)];
        EXPECT_EQ(slot.number, c.number);
        EXPECT_EQ(slot.name, c.name);
        EXPECT_EQ(p.boxes.shown.size(), c.message != nullptr ? 1u : 0u);
        if (c.message != nullptr && !p.boxes.shown.empty()) {
            EXPECT_EQ(p.boxes.shown[0].text, c.message);
            EXPECT_EQ(p.boxes.shown[0].title, "Error!");
        }
    }
    // After a lookup orbit.tmp holds a defined number.
    const auto rec = readTmpRecord(tmp);
    ASSERT_TRUE(rec);
    EXPECT_GE(rec->number, 0);

    // Clearing a field empties the slot but keeps its elements for the
    // scale.
    s.objects[0] = {0, "", {}};
    InputFields f = inputFieldsOf(s, p.lib);
    f.objects[0] = "Ceres";
    applyInput(s, p.lib, tmp, f, s.date);
    const double ceresN = s.objects[0].elements[el::kMotion];
    f = inputFieldsOf(s, p.lib);
    f.objects[0].clear();
    applyInput(s, p.lib, tmp, f, s.date);
    EXPECT_EQ(s.objects[0].number, 0);
    EXPECT_EQ(s.objects[0].name, "");
    EXPECT_EQ(s.objects[0].elements[el::kMotion], ceresN);
    OrbitProgram::close(v);
}

// The dialogs refuse what the date conversion or the scale's range cannot
// take, and stay open.
TEST(OrbitInput, DialogRefusals) {
    START_PROGRAM(p);
    p.launch();
    COrbitView* v = p.open();
    ASSERT_NE(v, nullptr);
    const struct {
        const char *y, *m, *d;
        bool taken;
    } dates[] = {{"2026", "2", "28.5", true}, {"0", "1", "1", false},     {"10001", "1", "1", false},
                 {"2026", "13", "1", false},  {"2026", "1", "32", false}, {"2026", "x", "1", false},
                 {"10000", "1", "1", true}};
    for (const auto& c : dates) {
        SCOPED_TRACE(testing::Message() << c.y << " " << c.m << " " << c.d);
        p.boxes.shown.clear();
        COrbitObjectsDlg dlg(p.lib);
        dlg.fields = inputFieldsOf(v->scene(), p.lib);
        dlg.onInitDialog();
        dlg.yearEdit()->setText(QString::fromLatin1(c.y));
        dlg.monthEdit()->setText(QString::fromLatin1(c.m));
        dlg.dayEdit()->setText(QString::fromLatin1(c.d));
        dlg.onOK();
        EXPECT_EQ(dlg.result() == fw::kIdOk, c.taken);
        EXPECT_EQ(p.boxes.shown.empty(), c.taken);
        if (c.taken && std::string(c.y) == "2026") {
            EXPECT_EQ(dlg.jd, 2461100.0);  // 2026-02-28 12h
        }
    }
    for (const char* text : {"0", "0.5", "101", "nan", "x"}) {
        COrbitScaleDlg dlg;
        dlg.scale = 5.2;
        dlg.onInitDialog();
        dlg.scaleEdit()->setText(QString::fromLatin1(text));
        dlg.onOK();
        EXPECT_NE(dlg.result(), fw::kIdOk) << text;
        EXPECT_EQ(dlg.scale, 5.2) << text;
    }
    COrbitScaleDlg dlg;
    dlg.onInitDialog();
    dlg.scaleEdit()->setText(QStringLiteral("100"));
    dlg.onOK();
    EXPECT_EQ(dlg.result(), fw::kIdOk);
    EXPECT_EQ(dlg.scale, 100);
    OrbitProgram::close(v);
}

// A frame on the recording context: background, the half-plane of the
// line of nodes as a polygon through the Sun in the fill colour, dotted
// southern orbit on the screen and none in the output, the Sun, the
// captions; Line of Nodes refuses two objects.
TEST(OrbitPicture, RecordedFrame) {
    START_PROGRAM(p);
    write_file(p.work() / "orlast.cfg", "1 3 0 4 0 5 2461000.500000");
    p.launch();
    COrbitView* v = p.open();
    ASSERT_NE(v, nullptr);
    v->onLineOfNodes();
    ASSERT_TRUE(v->viewState().nodesShown);

    fw::RecordingDc dc({800, 600, 96.0, 96.0});
    v->paint(dc);
    const auto ops = dc.ops();
    std::map<fw::DrawOp::Kind, int> kinds;
    std::vector<std::string> texts;
    const fw::DrawOp* half = nullptr;
    const fw::DrawOp* sun = nullptr;
    for (const fw::DrawOp& op : ops) {
        ++kinds[op.kind];
        if (op.kind == fw::DrawOp::Kind::Text) texts.push_back(op.text);
        if (op.kind == fw::DrawOp::Kind::Polygon) half = &op;
        if (op.kind == fw::DrawOp::Kind::Ellipse && op.logical.size() == 2 && op.logical[0] == fw::Point{90, -10})
            sun = &op;
    }
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(half->brush.color, 0xFA0000u);
    EXPECT_EQ(half->pen.color, 0x0000FFu);
    EXPECT_EQ(half->logical.back(), (fw::Point{100, 0}));
    EXPECT_GT(half->logical.size(), 100u);
    ASSERT_NE(sun, nullptr);
    // The whole picture fits the window: the Sun in the middle across, its
    // disc of 20 units shown 20 x 800 / 1680 pixels wide.
    EXPECT_NEAR((sun->deviceBox.left + sun->deviceBox.right) / 2.0, 400, 1);
    EXPECT_NEAR(sun->deviceBox.width(), 20 * 800 / 1680.0, 1);
    EXPECT_EQ(sun->brush.color, 0x32C8FFu);
    EXPECT_GE(kinds[fw::DrawOp::Kind::Pixels], 4);  // Ceres' south and three planets
    EXPECT_EQ(texts.front(), "Ceres");
    const std::vector<std::string> captions = {"Longitude =320.0\xB0", "Latitude =40.0\xB0", "Scale = 5.2 a.u.",
                                               "T =2025  11  21.0",    "Major planets:",     "Objects:"};
    for (const std::string& c : captions) EXPECT_NE(std::find(texts.begin(), texts.end(), c), texts.end()) << c;

    fw::RecordingDc out({800, 600, 96.0, 96.0});
    v->drawPicture(out, PictureKind::Output);
    int pixels = 0;
    for (const fw::DrawOp& op : out.ops()) pixels += op.kind == fw::DrawOp::Kind::Pixels;
    EXPECT_EQ(pixels, 0);

    // Two named objects: no line of nodes.
    v->onLineOfNodes();
    EXPECT_FALSE(v->viewState().nodesShown);
    v->scene().objects[1] = {433, "Eros", v->scene().objects[1].elements};
    v->onLineOfNodes();
    EXPECT_FALSE(v->viewState().nodesShown);
    ASSERT_EQ(p.boxes.shown.size(), 1u);
    EXPECT_EQ(p.boxes.shown[0].text,
              "The second and the third minor planets should not be specified before this option is introduced");
    EXPECT_EQ(p.boxes.shown[0].title, "Attention!");
    OrbitProgram::close(v);
}

// File|Save As: the metafile, read back record by record by libUEMF.
TEST(OrbitPicture, MetafileReadBack) {
    START_PROGRAM(p);
    write_file(p.work() / "orlast.cfg", "1 3 0 4 0 5 2461000.500000");
    p.launch();
    COrbitView* v = p.open();
    ASSERT_NE(v, nullptr);
    const std::string path = (p.work() / "Orbit.emf").string();
    p.files.answers.push_back(path);
    ASSERT_TRUE(p.app->routeCommand(cmd::kOrbitSaveAs));
    ASSERT_EQ(p.files.asked.size(), 1u);
    EXPECT_EQ(p.files.asked[0].defaultExt, "emf");
    EXPECT_EQ(p.files.asked[0].filter, "Windows Metafile (*.emf)|*.emf||");
    EXPECT_TRUE(p.files.asked[0].overwritePrompt);
    // A path that cannot be written is said so.
    p.files.answers.push_back((p.work() / "no-such-dir" / "Orbit.emf").string());
    ASSERT_TRUE(p.app->routeCommand(cmd::kOrbitSaveAs));
    ASSERT_FALSE(p.boxes.shown.empty());
    EXPECT_EQ(p.boxes.shown.back().text, zeltest::emf_not_written((p.work() / "no-such-dir" / "Orbit.emf").string()));
    const std::string file = read_file(path);
    ASSERT_GT(file.size(), 108u);
    const char* limit = file.data() + file.size();
    std::size_t offset = 0;
    std::map<std::uint32_t, int> types;
    std::uint32_t last = 0;
    while (offset < file.size()) {
        const char* rec = file.data() + offset;
        uint32_t size = 0, type = 0;
        ASSERT_TRUE(U_emf_record_sizeok(rec, limit, &size, &type, 1));
        ASSERT_TRUE(U_emf_record_safe(rec)) << type;
        ++types[type];
        last = type;
        offset += size;
    }
    EXPECT_EQ(last, static_cast<std::uint32_t>(U_EMR_EOF));
    EXPECT_EQ(types[U_EMR_SETPIXELV], 0);  // every orbit a line
    EXPECT_GE(types[U_EMR_POLYLINE16] + types[U_EMR_POLYLINE], 4);
    EXPECT_GE(types[U_EMR_ELLIPSE], 9);  // bodies, legend discs, the Sun
    EXPECT_GE(types[U_EMR_EXTTEXTOUTW], 10);
    const auto* h = reinterpret_cast<const U_EMRHEADER*>(file.data());
    EXPECT_EQ(h->nBytes, file.size());
    // Drawn in the reference's pixels, y downward, the picture's frame from
    // the origin: what is drawn lies inside it and fills it (orbits off the
    // picture are cut, they do not widen it).
    EXPECT_GE(h->rclBounds.left, 0);
    EXPECT_GE(h->rclBounds.top, 0);
    EXPECT_LE(h->rclBounds.right, kPictureFrame.width());
    EXPECT_LE(h->rclBounds.bottom, kPictureFrame.height());
    EXPECT_GT(h->rclBounds.right - h->rclBounds.left, kPictureFrame.width() * 6 / 10);
    EXPECT_GT(h->rclBounds.bottom - h->rclBounds.top, kPictureFrame.height() * 8 / 10);
    // The frame is those bounds, in hundredths of a millimetre of the
    // reference device.
    const auto hmm = [&](int px, int mm, int device) { return std::lround(px * 100.0 * mm / device); };
    EXPECT_EQ(h->rclFrame.left, hmm(h->rclBounds.left, h->szlMillimeters.cx, h->szlDevice.cx));
    EXPECT_EQ(h->rclFrame.right, hmm(h->rclBounds.right, h->szlMillimeters.cx, h->szlDevice.cx));
    EXPECT_EQ(h->rclFrame.bottom, hmm(h->rclBounds.bottom, h->szlMillimeters.cy, h->szlDevice.cy));
    OrbitProgram::close(v);
}

// Printing draws one page, upright, and does not move the date of a
// running animation.
TEST(OrbitPicture, PrintsOnePage) {
    START_PROGRAM(p);
    write_file(p.work() / "orlast.cfg", "1 3 0 4 0 5 2461000.500000");
    p.launch();
    COrbitView* v = p.open();
    ASSERT_NE(v, nullptr);
    v->onVelocityPlus();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::string pdf = (p.work() / "orbit.pdf").string();
    printer.setOutputFileName(QString::fromStdString(pdf));
    EXPECT_EQ(fw::printJob(*v, printer, fw::PrintInfo{}), 1);
    EXPECT_EQ(v->scene().date, 2461000.5);
    EXPECT_GT(fs::file_size(pdf), 1000u);

    // The page's picture across the page's width at its top: the Sun in the
    // middle across, 570 of the frame's 1160 units down; nothing below the
    // picture.
    QImage page(800, 1200, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        fw::PrintInfo info;
        info.pageRect = QRect(0, 0, 800, 1200);
        v->onPrint(painter, info);
    }
    const double unit = 800.0 / kPictureFrame.width();
    EXPECT_EQ(page.pixel(400, static_cast<int>(570 * unit)), qRgb(255, 200, 50));
    EXPECT_EQ(page.pixel(400 - 40, static_cast<int>(570 * unit)), qRgb(255, 255, 255));
    for (int y = static_cast<int>(kPictureFrame.height() * unit) + 2; y < 1200; y += 7)
        for (int x = 0; x < 800; x += 5) ASSERT_EQ(page.pixel(x, y), qRgb(255, 255, 255)) << x << " " << y;
    v->onStop();
    OrbitProgram::close(v);
}

}  // namespace
