// The recent-file list: newest first, each file once, four at most, kept in
// the settings and shown with the menu's numbers.
#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include "recentfiles.h"

namespace {

TEST(RecentFiles, NewestFirstOnceAndAtMostFour) {
    zpad::RecentFiles r;
    for (const char* f : {"/a", "/b", "/c", "/b", "/d", "/e"}) r.add(QString::fromLatin1(f));
    EXPECT_EQ(r.files(), QStringList({"/e", "/d", "/b", "/c"}));
    r.remove(QStringLiteral("/d"));
    EXPECT_EQ(r.files(), QStringList({"/e", "/b", "/c"}));
}

TEST(RecentFiles, KeptInTheSettings) {
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("pad.ini")), QSettings::IniFormat);
    zpad::RecentFiles r;
    r.add(QStringLiteral("/data/obs 1.oc"));
    r.add(QStringLiteral("/data/R&D.txt"));
    r.save(settings);
    zpad::RecentFiles back;
    back.load(settings);
    EXPECT_EQ(back.files(), r.files());
    EXPECT_EQ(back.menuText(0), QStringLiteral("&1 /data/R&&D.txt"));
    EXPECT_EQ(back.menuText(1), QStringLiteral("&2 /data/obs 1.oc"));

    // A shorter list leaves no old entries behind.
    back.remove(QStringLiteral("/data/R&D.txt"));
    back.save(settings);
    zpad::RecentFiles again;
    again.load(settings);
    EXPECT_EQ(again.files(), QStringList({"/data/obs 1.oc"}));
}

}  // namespace
