// The binary settings files of the plots: byte layout, round trip, and the
// defaults that a missing, empty or short file leaves in place.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>

#include "framework/messages.h"
#include "framework/plotsettings.h"

using namespace fw;

namespace {

// The plate plot's file: eight colours, the information and label fonts.
struct PlateSettings {
    Colorref colors[8] = {0xAF0000, 0xFF0000, 0xFFFFFF, 0x000000, 0x00FFFF, 0xFF00FF, 0x0000FF, 0xFFFFFF};
    LogFont info = LogFont::make(-13, kFontBold, "Courier New");
    LogFont labels = LogFont::make(-11, kFontNormal, "Courier New");
    SettingsFile layout() {
        SettingsFile f;
        f.colors(colors).font(info).font(labels);
        return f;
    }
};

// A layout with names, numbers and a double, as the track view keeps.
struct TraceLike {
    std::string name1 = "1 Ceres", name2;
    std::int32_t number = 1;
    double step = 10.0;
    SettingsFile layout() {
        SettingsFile f;
        f.text(name1, 30).text(name2, 30).int32(number).float64(step);
        return f;
    }
};

std::vector<std::uint8_t> file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

TEST(PlotSettings, LayoutBytesAndRoundTrip) {
    QTemporaryDir dir;
    const std::string path = QDir(dir.path()).filePath("plate.cfg").toStdString();
    PlateSettings s;
    s.info.charSet = 204;
    s.info.outPrecision = 3;
    s.info.clipPrecision = 2;
    s.info.quality = 1;
    s.info.pitchAndFamily = 0x31;
    ASSERT_EQ(s.layout().size(), 152u);
    ASSERT_TRUE(s.layout().write(path));
    const std::vector<std::uint8_t> b = file_bytes(path);
    ASSERT_EQ(b.size(), 152u);
    // Colour 0 (dark blue 0x00AF0000) little-endian, then the fonts at 32 and 92.
    EXPECT_EQ((std::vector<std::uint8_t>(b.begin(), b.begin() + 4)),
              (std::vector<std::uint8_t>{0x00, 0x00, 0xAF, 0x00}));
    EXPECT_EQ(b[32], 0xF3);  // height -13
    EXPECT_EQ(b[48], 0xBC);  // weight 700
    EXPECT_EQ(b[55], 204);   // character set
    EXPECT_EQ(b[59], 0x31);  // pitch and family
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[60])), "Courier New");
    EXPECT_EQ(b[92], 0xF5);  // labels: height -11

    // Read into other values and written again: the same bytes.
    PlateSettings other;
    for (Colorref& c : other.colors) c = 0x123456;
    other.info = LogFont::make(-20, 0, "Arial");
    EXPECT_EQ(other.layout().read(path), SettingsFile::Outcome::Whole);
    EXPECT_EQ(other.info, s.info);
    EXPECT_EQ(other.colors[4], 0x00FFFFu);
    EXPECT_EQ(other.layout().bytes(), b);
}

TEST(PlotSettings, MissingEmptyAndShortFilesKeepTheDefaults) {
    QTemporaryDir dir;
    const std::string path = QDir(dir.path()).filePath("plate.cfg").toStdString();
    PlateSettings defaults;

    PlateSettings missing;
    EXPECT_EQ(missing.layout().read(path), SettingsFile::Outcome::Missing);
    EXPECT_EQ(missing.layout().bytes(), defaults.layout().bytes());

    put_file(path, {});
    PlateSettings empty;
    EXPECT_EQ(empty.layout().read(path), SettingsFile::Outcome::Empty);
    EXPECT_EQ(empty.layout().bytes(), defaults.layout().bytes());

    // 40 bytes: the eight colours from the file, the first 8 bytes of the
    // information font (height and width) from the file, the rest default.
    std::vector<std::uint8_t> short40;
    for (int k = 0; k < 8; ++k) short40.insert(short40.end(), {0x11, 0x11, 0x11, 0x00});
    for (int b : {0xF0, 0xFF, 0xFF, 0xFF, 0x07, 0x00, 0x00, 0x00}) short40.push_back(static_cast<std::uint8_t>(b));
    put_file(path, short40);
    PlateSettings cut;
    EXPECT_EQ(cut.layout().read(path), SettingsFile::Outcome::Short);
    for (Colorref c : cut.colors) EXPECT_EQ(c, 0x111111u);
    EXPECT_EQ(cut.info.height, -16);
    EXPECT_EQ(cut.info.width, 7);
    EXPECT_EQ(cut.info.weight, kFontBold);
    EXPECT_EQ(cut.info.face(), "Courier New");
    EXPECT_EQ(cut.labels, defaults.labels);

    // A colour cut short takes the bytes there over its default.
    put_file(path, {0x01, 0x02, 0x03, 0x00, 0xAA});
    PlateSettings oneAndAByte;
    oneAndAByte.layout().read(path);
    EXPECT_EQ(oneAndAByte.colors[0], 0x030201u);
    EXPECT_EQ(oneAndAByte.colors[1], 0xFF00AAu);
    EXPECT_EQ(oneAndAByte.colors[2], defaults.colors[2]);
}

TEST(PlotSettings, AFontNoFontCanHaveKeepsItsDefault) {
    // Damaged files: each font field below is refused (a height of INT_MIN
    // or INT_MAX overflows the drawing's arithmetic) and the font keeps its
    // default; the edge values are fonts and are taken.
    struct Case {
        const char* what;
        std::function<void(LogFont&)> damage;
        bool taken;
    };
    const Case cases[] = {
        {"height INT_MIN", [](LogFont& f) { f.height = std::numeric_limits<std::int32_t>::min(); }, false},
        {"height INT_MAX", [](LogFont& f) { f.height = std::numeric_limits<std::int32_t>::max(); }, false},
        {"height 1001", [](LogFont& f) { f.height = 1001; }, false},
        {"width -1001", [](LogFont& f) { f.width = -1001; }, false},
        {"escapement 3601", [](LogFont& f) { f.escapement = 3601; }, false},
        {"orientation INT_MIN", [](LogFont& f) { f.orientation = std::numeric_limits<std::int32_t>::min(); }, false},
        {"weight -1", [](LogFont& f) { f.weight = -1; }, false},
        {"weight 1001", [](LogFont& f) { f.weight = 1001; }, false},
        {"height -1000 and width 1000", [](LogFont& f) { f.height = -1000, f.width = 1000; }, true},
        {"escapement -3600, weight 1000", [](LogFont& f) { f.escapement = -3600, f.weight = 1000; }, true},
    };
    QTemporaryDir dir;
    const std::string path = QDir(dir.path()).filePath("plate.cfg").toStdString();
    const PlateSettings defaults;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlateSettings damaged;
        damaged.colors[0] = 0x010203;
        c.damage(damaged.info);
        c.damage(damaged.labels);
        put_file(path, damaged.layout().bytes());
        PlateSettings read;
        EXPECT_EQ(read.layout().read(path), SettingsFile::Outcome::Whole);
        EXPECT_EQ(read.colors[0], 0x010203u);  // the fields around them are taken
        EXPECT_EQ(read.info, c.taken ? damaged.info : defaults.info);
        EXPECT_EQ(read.labels, c.taken ? damaged.labels : defaults.labels);
    }
    // Random bytes: whatever the fonts read, none is out of range.
    std::uint32_t x = 12345;
    for (int k = 0; k < 200; ++k) {
        std::vector<std::uint8_t> noise(152);
        for (std::uint8_t& b : noise) b = static_cast<std::uint8_t>((x = x * 1664525u + 1013904223u) >> 24);
        put_file(path, noise);
        PlateSettings read;
        read.layout().read(path);
        for (const LogFont* f : {&read.info, &read.labels}) {
            EXPECT_LE(std::abs(f->height), 1000);
            EXPECT_LE(std::abs(f->width), 1000);
            EXPECT_TRUE(f->weight >= 0 && f->weight <= 1000);
        }
    }
}

TEST(PlotSettings, NamesAreTakenOnlyWholeAndNumbersByTheirBytes) {
    TraceLike written;
    written.name1 = "433  Eros";
    written.name2 = "1";
    written.number = 433;
    written.step = 2.5;
    const std::vector<std::uint8_t> b = written.layout().bytes();
    ASSERT_EQ(b.size(), 72u);
    EXPECT_EQ(b[9], 0);  // zero-padded after the name

    TraceLike all;
    EXPECT_EQ(all.layout().parse(b), SettingsFile::Outcome::Whole);
    EXPECT_EQ(all.name1, "433  Eros");
    EXPECT_EQ(all.step, 2.5);

    // 45 bytes: the first name whole, the second cut: it keeps its default.
    TraceLike cut;
    EXPECT_EQ(cut.layout().parse(std::span(b).first(45)), SettingsFile::Outcome::Short);
    EXPECT_EQ(cut.name1, "433  Eros");
    EXPECT_EQ(cut.name2, "");
    EXPECT_EQ(cut.number, 1);
    // 66 bytes: the double cut after two of its bytes keeps the other six.
    TraceLike partDouble;
    partDouble.layout().parse(std::span(b).first(66));
    EXPECT_EQ(partDouble.number, 433);
    EXPECT_EQ(partDouble.step, 10.0);  // 2.5 and 10.0 share their two low bytes (zero)
    // A name longer than its field is cut to the field.
    TraceLike longName;
    longName.name1 = std::string(40, 'x');
    TraceLike back;
    back.layout().parse(longName.layout().bytes());
    EXPECT_EQ(back.name1, std::string(30, 'x'));
}

TEST(PlotSettings, DamagedValuesAreRefusedByNameAndKeepTheirDefaults) {
    // The fields of the track window's kind: names, numbers within bounds,
    // doubles, colours and a font. Each case damages one or two fields of a
    // good file; they keep their defaults, every other field is taken, and
    // the warning names the file and the fields.
    struct Track {
        std::string name = "1 Ceres";
        std::int32_t number = 1, month = 1;
        double step = 10.0;
        Colorref colors[2] = {0x0000FF, 0x00FF00};
        LogFont font = LogFont::make(-13, kFontNormal, "Courier New");
        SettingsFile layout() {
            SettingsFile f;
            f.text(name, 30).int32(number, "object number", 0).int32(month, "initial month", 1, 12);
            f.float64(step, "time step", 0.01, 10000.0).colors(colors).font(font);
            return f;
        }
    };
    Track defaults;
    Track good;
    good.name = "433 Eros";
    good.number = 433;
    good.month = 12;
    good.step = 0.01;
    good.colors[0] = 0xFFFFFF;
    good.font.height = -20;
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        std::string refused;  // "" when the file is taken whole
    };
    const auto put_i32 = [](std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    const auto put_f64 = [](std::vector<std::uint8_t>& b, std::size_t at, double v) {
        std::memcpy(b.data() + at, &v, 8);
    };
    // Offsets: name 0, number 30, month 34, step 38, colours 46 and 50, font 54.
    const Case cases[] = {
        {"the file as written", [](auto&) {}, ""},
        {"a negative object number", [&](auto& b) { put_i32(b, 30, 0xFFFFFFFFu); }, "object number"},
        {"month 0 and month 13",
         [&](auto& b) {
             put_i32(b, 34, 13);
             put_i32(b, 30, 0x80000000u);
         },
         "object number, initial month"},
        {"a step of NaN", [&](auto& b) { put_f64(b, 38, std::numeric_limits<double>::quiet_NaN()); }, "time step"},
        {"a step of infinity", [&](auto& b) { put_f64(b, 38, std::numeric_limits<double>::infinity()); }, "time step"},
        {"a step below its bound", [&](auto& b) { put_f64(b, 38, 0.001); }, "time step"},
        {"a step of -1e300", [&](auto& b) { put_f64(b, 38, -1e300); }, "time step"},
        {"a colour with its fourth byte set", [&](auto& b) { put_i32(b, 50, 0x01000000u); }, "colour 2"},
        {"a colour of all bits", [&](auto& b) { put_i32(b, 46, 0xFFFFFFFFu); }, "colour 1"},
        {"a font height of INT_MIN", [&](auto& b) { put_i32(b, 54, 0x80000000u); }, "font 1"},
    };
    QTemporaryDir dir;
    const std::string path = QDir(dir.path()).filePath("trace.cfg").toStdString();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> bytes = good.layout().bytes();
        ASSERT_EQ(bytes.size(), 114u);
        c.damage(bytes);
        put_file(path, bytes);
        ScriptedMessageService boxes;
        ScopedMessageService use(boxes);
        Track read;
        SettingsFile f = read.layout();
        EXPECT_EQ(f.read(path), SettingsFile::Outcome::Whole);
        EXPECT_EQ(read.name, good.name);
        const auto refused = [&](const char* field) { return c.refused.find(field) != std::string::npos; };
        EXPECT_EQ(read.number, refused("object number") ? defaults.number : good.number);
        EXPECT_EQ(read.month, refused("initial month") ? defaults.month : good.month);
        EXPECT_EQ(read.step, refused("time step") ? defaults.step : good.step);
        EXPECT_EQ(read.colors[0], refused("colour 1") ? defaults.colors[0] : good.colors[0]);
        EXPECT_EQ(read.colors[1], refused("colour 2") ? defaults.colors[1] : good.colors[1]);
        EXPECT_EQ(read.font, refused("font 1") ? defaults.font : good.font);
        if (c.refused.empty()) {
            EXPECT_TRUE(boxes.shown.empty());
        } else {
            ASSERT_EQ(boxes.shown.size(), 1u);
            EXPECT_EQ(boxes.shown[0].text,
                      "The file " + path + " holds values out of range (" + c.refused + "); they keep their defaults.");
        }
    }

    // A file larger than the layout is not read at all.
    std::vector<std::uint8_t> larger = good.layout().bytes();
    larger.push_back(0);
    put_file(path, larger);
    ScriptedMessageService boxes;
    ScopedMessageService use(boxes);
    Track read;
    EXPECT_EQ(read.layout().read(path), SettingsFile::Outcome::TooLarge);
    EXPECT_EQ(read.layout().bytes(), defaults.layout().bytes());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "The file " + path +
                                       " is not a settings file of this window (115 bytes; at most 114); the window "
                                       "keeps its defaults.");
}

TEST(PlotSettings, AFileThatCannotBeWrittenIsReported) {
    PlateSettings s;
    EXPECT_FALSE(s.layout().write("/nonexistent-dir/plate.cfg"));
}
