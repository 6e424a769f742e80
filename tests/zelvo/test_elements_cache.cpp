// The catalogue caches of the element list: the records built from a small
// catalogue byte for byte, texts that never run into the next field, the
// settings they are built from, and when caches are reused or built anew.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "element_fixture.h"
#include "zelvo/graphics/elcache.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo::elements;
using zeltest::FixtureObject;

std::vector<FixtureObject> small_catalogue() {
    std::vector<FixtureObject> o(5);
    o[0] = {"Ceres", " 3.33", " 0.12", 231.53973, 73.29975, 80.24963, 10.58789, 0.0795763, 2.7656157};
    // G without a point: two implied decimals, as the library reads it.
    o[1] = {"Pallas", " 4.12", "   11", 211.52977, 310.9334, 172.88859, 34.92832, 0.230643, 2.7699258};
    o[2].h = "     ";  // a number the catalogue does not hold
    o[3] = {"AbcdefghijklmnopqR", "   12", std::nullopt, 10, 20, 30, 120.5, 0.5, 5.2};
    // Unnumbered: its G entry is not taken (the library gives it none).
    o[4] = {"K15V00A", "18.40", " 0.30", 1, 2, 3, 4, 0.1, 2.5};
    return o;
}

std::vector<std::uint8_t> file_record(const std::string& path, std::size_t size, std::size_t index) {
    const auto all = zeltest::read_bytes(path);
    return std::vector<std::uint8_t>(all.begin() + static_cast<long>(index * size),
                                     all.begin() + static_cast<long>((index + 1) * size));
}

// A text record made of (offset, text) pieces, every other byte zero.
std::vector<std::uint8_t> text_record(const std::vector<std::pair<std::size_t, std::string>>& pieces) {
    std::vector<std::uint8_t> r(kTextRecord, 0);
    for (const auto& [at, t] : pieces) std::memcpy(&r[at], t.data(), t.size());
    return r;
}

TEST(ElementCache, RecordsOfASmallCatalogue) {
    zeltest::FixtureCatalogue cat;
    cat.write(small_catalogue(), 4);
    CatalogueCache cache;
    ASSERT_TRUE(cache.openOrBuild(cat.settings()));
    ASSERT_EQ(cache.count(), 5);
    EXPECT_EQ(fs::file_size(cat.dataDir + "_elemdat"), 5 * kDataRecord);
    EXPECT_EQ(fs::file_size(cat.dataDir + "_elemtxt"), 5 * kTextRecord);

    // Ceres: every byte of both records.
    const double n = zeltest::motion_of(2.7656157) * kDegreesPerRadian;
    char nText[16];
    std::snprintf(nText, sizeof nText, "%10.8f", n);
    EXPECT_EQ(file_record(cat.dataDir + "_elemtxt", kTextRecord, 0), text_record({{0, "     1"},
                                                                                  {7, "Ceres"},
                                                                                  {26, " 3.33"},
                                                                                  {32, " 0.12"},
                                                                                  {38, "231.53973"},
                                                                                  {48, " 73.29975"},
                                                                                  {58, " 80.24963"},
                                                                                  {68, "10.58789"},
                                                                                  {78, "0.0795763"},
                                                                                  {88, nText},
                                                                                  {99, "2.7656157"}}));
    const auto dat = file_record(cat.dataDir + "_elemdat", kDataRecord, 0);
    double v[9];
    std::memcpy(v, dat.data(), sizeof v);
    EXPECT_EQ(v[0], 3.33);
    EXPECT_EQ(v[1], 0.12);
    EXPECT_NEAR(v[2], 231.53973, 1e-11);
    EXPECT_NEAR(v[5], 10.58789, 1e-11);
    EXPECT_EQ(v[6], 0.0795763);
    EXPECT_NEAR(v[7], n, 1e-15);
    EXPECT_NEAR(v[8], 2.7656157, 1e-12);  // a back from n

    struct Case {
        std::int32_t r;
        const char *name, *h, *g, *incl, *a;
        double hValue, gValue;
    };
    const Case cases[] = {
        {1, "Pallas", " 4.12", "   11", "34.92832", "2.7699258", 4.12, 0.11},
        {2, " ", "     ", "  X", " 0.00000", "*********", 0.0, kMissingSlope},
        {3, "AbcdefghijklmnopqR", "   12", "  X", "120.50000", "5.2000000", 12.0, kMissingSlope},
        {4, "K15V00A", "18.40", "  X", " 4.00000", "2.5000000", 18.4, kMissingSlope},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const char* t = cache.text(c.r);
        EXPECT_EQ(textField(t, txt::kName), c.name);
        EXPECT_EQ(textField(t, txt::kH), c.h);
        EXPECT_EQ(textField(t, txt::kG), c.g);
        EXPECT_EQ(textField(t, txt::kIncl), c.incl);
        EXPECT_EQ(textField(t, txt::kA), c.a);
        const ElementRecord rec = cache.record(c.r);
        EXPECT_DOUBLE_EQ(rec.H, c.hValue);
        EXPECT_DOUBLE_EQ(rec.G, c.gValue);
    }
    EXPECT_TRUE(cache.record(2).absent());
    EXPECT_FALSE(cache.record(3).absent());
    EXPECT_EQ(effectiveSlope(cache.record(3).G), 0.15);
}

TEST(ElementCache, TextsNeverRunIntoTheNextField) {
    struct Case {
        const char* what;
        std::int32_t number;
        double a;  // AU; 0 for no motion
        const char *numberText, *aText;
    };
    const Case cases[] = {
        {"six digits", 617103, 2.5, "617103", "2.5000000"},
        {"seven digits", 1234567, 2.5, "******", "2.5000000"},
        {"no mean motion", 5, 0, "     5", "*********"},
        {"far orbit, fewer decimals", 5, 1234.56789, "     5", "1234.567890"},
        {"farther still", 5, 98765432.1, "     5", "98765432.10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CatalogueObject o;
        o.number = c.number;
        o.name = "Abcdefghijklmnopqr";
        o.hText = "ab.cd";
        o.elements = {0.1, 0.2, 0.3, 0.4, 0.5, c.a > 0 ? zeltest::motion_of(c.a) : 0.0};
        ElementRecord rec;
        TextRecord text;
        makeRecords(o, rec, text);
        EXPECT_EQ(textField(text.data(), txt::kNumber), c.numberText);
        EXPECT_EQ(text[txt::kNumber + txt::kNumberRoom], '\0');
        EXPECT_EQ(textField(text.data(), txt::kName), "Abcdefghijklmnopqr");
        EXPECT_EQ(textField(text.data(), txt::kA), c.aText);
        // An H that is not a number keeps its text and has no value.
        EXPECT_EQ(textField(text.data(), txt::kH), "ab.cd");
        EXPECT_TRUE(std::isnan(rec.H));
    }
    // A damaged record without its zero bytes still gives each field alone.
    TextRecord full;
    full.fill('7');
    EXPECT_EQ(textField(full.data(), txt::kNumber).size(), txt::kNumberRoom);
    EXPECT_EQ(textField(full.data(), txt::kName).size(), txt::kNameRoom);
    EXPECT_EQ(textField(full.data(), txt::kA).size(), kTextRecord - txt::kA - 1);
}

TEST(ElementCache, SettingsOfTheWorkingDirectory) {
    zeltest::FixtureCatalogue cat;
    cat.writeSettings(620391, 617103, 107, 2461000.5);
    const auto s = ReadCatalogueSettings(cat.work.dir_slash() + "setpar");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->dataDir, cat.dataDir);
    EXPECT_EQ(s->objects, 620391);
    EXPECT_EQ(s->numbered, 617103);
    EXPECT_EQ(s->slopeCount, 107);
    EXPECT_EQ(s->epochJd, 2461000.5);
    // Too short to hold the counts, or missing: refused.
    fs::resize_file(cat.work.path() / "setpar", 410);
    EXPECT_FALSE(ReadCatalogueSettings(cat.work.dir_slash() + "setpar"));
    EXPECT_FALSE(ReadCatalogueSettings(cat.work.dir_slash() + "nothing"));
}

TEST(ElementCache, ReusedWhenWholeBuiltAnewOtherwise) {
    zeltest::FixtureCatalogue cat;
    auto objects = small_catalogue();
    cat.write(objects, 4);
    const CatalogueSettings s = cat.settings();
    const std::string dat = cat.dataDir + "_elemdat", txtPath = cat.dataDir + "_elemtxt";
    const auto firstName = [&] {
        CatalogueCache c;
        EXPECT_TRUE(c.openOrBuild(s));
        return c.count() > 0 ? std::string(textField(c.text(0), txt::kName)) : std::string();
    };
    ASSERT_EQ(firstName(), "Ceres");

    // Whole caches are reused as they are, even after the catalogue changed.
    objects[0].name = "Changed";
    cat.write(objects, 4);
    EXPECT_EQ(firstName(), "Ceres");

    // A cache shorter than the catalogue is built anew.
    fs::resize_file(txtPath, 4 * kTextRecord);
    EXPECT_EQ(firstName(), "Changed");

    // What an interrupted build leaves (its own file, one cache missing).
    objects[0].name = "Again";
    cat.write(objects, 4);
    fs::remove(dat);
    zeltest::write_text(dat + ".99.part", "partial");
    EXPECT_EQ(firstName(), "Again");
    EXPECT_EQ(fs::file_size(dat), 5 * kDataRecord);
    fs::remove(dat + ".99.part");

    // A catalogue file that is missing or short: no cache at all.
    for (const char* damage : {"remove elih", "short elitel"}) {
        SCOPED_TRACE(damage);
        cat.write(objects, 4);
        fs::remove(dat);
        if (std::string(damage) == "remove elih")
            fs::remove(cat.dataDir + "elih");
        else
            fs::resize_file(cat.dataDir + "elitel", 4 * 48 + 10);
        CatalogueCache c;
        EXPECT_FALSE(c.openOrBuild(s));
        for (const auto& e : fs::directory_iterator(cat.dataDir))
            EXPECT_EQ(e.path().filename().string().rfind("_elem", 0), std::string::npos) << e.path();
    }

    // A catalogue of no objects: two empty caches.
    cat.write({}, 0);
    CatalogueCache empty;
    ASSERT_TRUE(empty.openOrBuild(cat.settings()));
    EXPECT_EQ(empty.count(), 0);
    EXPECT_EQ(fs::file_size(dat), 0u);
}

}  // namespace
