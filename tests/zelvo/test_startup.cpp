// The start-up check: every branch, its message and the exit code.
#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>

#include "framework/messages.h"
#include "shell_support.h"
#include "zelvo/shell/app.h"
#include "zelvo/shell/startup.h"

namespace {

namespace fs = std::filesystem;
using zeltest::Package;

struct Check {
    fw::ScriptedMessageService boxes;
    zelvo::AppContext ctx;
    bool ok = false;
    void check(Package& p, const std::string& programDir = "/opt/zelvo/bin/") {
        fw::ScopedMessageService use(boxes);
        ok = zelvo::runStartupCheck(ctx, p.lib, programDir);
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& s : boxes.shown) t.push_back(s.text);
        return t;
    }
};

TEST(StartupCheck, FailuresShowTheirMessageAndStopTheStart) {
    // The messages send the user to the notes beside the program and say
    // what was tried.
    const std::string doc = "/opt/zelvo/bin/ZelvoDoc/Zelvo.txt";
    struct Case {
        const char* what;
        void (*prepare)(Package&);
        std::string (*message)(Package&, const std::string& doc);
    } cases[] = {
        {"no path file", [](Package&) { fs::remove("setpath"); },
         [](Package& p, const std::string& d) {
             return "Setpath. file is not found; \nlook " + d +
                    " for possible solution.\n(Tried: " + p.work.dir_slash() + "setpath)";
         }},
        {"data directory missing", [](Package& p) { zeltest::write_text("setpath", p.work.dir_slash() + "none/\r\n"); },
         [](Package& p, const std::string& d) {
             return "Wrong Setpath. file. \nlook " + d + " for possible solution.\n(Tried: the data directory \"" +
                    p.work.dir_slash() + "none/\" named in " + p.work.dir_slash() + "setpath)";
         }},
        {"empty path file", [](Package&) { zeltest::write_text("setpath", ""); },
         [](Package& p, const std::string& d) {
             return "Wrong Setpath. file. \nlook " + d +
                    " for possible solution.\n(Tried: the data directory \"\" named in " + p.work.dir_slash() +
                    "setpath)";
         }},
        {"no settings file anywhere", [](Package&) { fs::remove("setpar"); },
         [](Package& p, const std::string& d) {
             return "Setpar file is not found; \nlook " + d +
                    " about possible solution.\n(Tried: " + p.work.dir_slash() + "setpar and " + p.dataDir + "setpar)";
         }},
        {"library refuses the paths", [](Package& p) { p.lib.setpatError = "The data directory is too long."; },
         [](Package&, const std::string&) { return std::string("The data directory is too long."); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Package p;
        c.prepare(p);
        Check r;
        r.check(p);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.texts(), std::vector<std::string>{c.message(p, doc)});
        EXPECT_EQ(r.boxes.shown[0].title, "ZELVO-21");
    }
}

TEST(StartupCheck, OverlongDirectoriesAreReportedNotCut) {
    {
        Package p;
        // A data directory of 68 characters: with "observa1.dat" and its zero
        // byte it no longer fits the 80-character record.
        std::string dir = p.work.dir_slash();
        dir += std::string(67 - dir.size(), 'd') + "/";
        ASSERT_EQ(dir.size(), 68u);
        fs::create_directories(dir);
        zeltest::write_text("setpath", dir + "\r\n");
        Check r;
        r.check(p);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.texts(),
                  std::vector<std::string>{zelvo::msgDataDirTooLong(dir, zelvo::startupDoc("/opt/zelvo/bin/"))});
        EXPECT_TRUE(p.lib.calls.empty());
        // 67 characters are accepted.
        dir = p.work.dir_slash() + std::string(66 - p.work.dir_slash().size(), 'e') + "/";
        fs::create_directories(dir);
        zeltest::write_text("setpath", dir + "\r\n");
        Check r2;
        r2.check(p);
        EXPECT_TRUE(r2.ok);
        EXPECT_EQ(r2.ctx.DataDir, dir);
    }
    {
        Package p;
        const fs::path deep = p.work.path() / std::string(100, 'w');
        fs::create_directories(deep);
        fs::copy_file("setpath", deep / "setpath");
        fs::copy_file("setpar", deep / "setpar");
        fs::current_path(deep);
        Check r;
        r.check(p);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.texts(), std::vector<std::string>{zelvo::msgWorkDirTooLong(deep.string())});
    }
}

TEST(StartupCheck, SettingsOfTheWorkingDirectoryAreUsedUnchanged) {
    Package p;
    zeltest::write_bytes(p.dataDir + "setpar", zeltest::settings_bytes(0, 'd'));
    Check r;
    r.check(p, "/opt/zelvo/bin/");
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.boxes.shown.empty());
    EXPECT_EQ(zeltest::read_bytes("setpar"), zeltest::settings_bytes(0));
    EXPECT_EQ(p.lib.calls, (std::vector<std::string>{"setpat", "obspat"}));
    EXPECT_EQ(r.ctx.WorkDir, p.work.dir_slash());
    EXPECT_EQ(r.ctx.DataDir, p.dataDir);
    EXPECT_EQ(r.ctx.ProgramDir, "/opt/zelvo/bin/");
    EXPECT_EQ(r.ctx.ObservatoryDir, p.dataDir);
    EXPECT_FALSE(r.ctx.CometMode);
    EXPECT_EQ(r.ctx.AppTitle, "ZELVO-21");
    EXPECT_EQ(r.ctx.EpochText, "Ecliptic and equinox 2000.0, epoch 2007 October 27.0 TT");
    EXPECT_FALSE(fs::exists(p.dataDir + "xxxx"));
}

TEST(StartupCheck, DeliveredSettingsAreInstalledEverywhere) {
    Package p;
    // The program lies in <install>/bin/; the installation keeps a copy in
    // <install>/SetPar/.
    const fs::path install = p.work.path() / "install";
    fs::create_directories(install / "bin");
    fs::create_directories(install / "SetPar");
    const auto fresh = zeltest::settings_bytes(0, 'n');
    zeltest::write_bytes(p.dataDir + "Setpar.NEW", fresh);  // found whatever its case
    zeltest::write_bytes(p.dataDir + "setpar", zeltest::settings_bytes(0, 'o'));
    zeltest::write_text(p.dataDir + "_elemdat", "cache");
    zeltest::write_text(p.dataDir + "_elemtxt", "cache");
    Check r;
    r.check(p, (install / "bin").string() + "/");
    ASSERT_TRUE(r.ok);
    EXPECT_FALSE(fs::exists(p.dataDir + "Setpar.NEW"));
    EXPECT_EQ(zeltest::read_bytes(p.dataDir + "setpar"), fresh);
    EXPECT_EQ(zeltest::read_bytes("setpar"), fresh);
    EXPECT_EQ(zeltest::read_bytes(install / "SetPar" / "setpar"), fresh);
    EXPECT_FALSE(fs::exists(p.dataDir + "_elemdat"));
    EXPECT_FALSE(fs::exists(p.dataDir + "_elemtxt"));
}

TEST(StartupCheck, DeliveredSettingsStayWhenTheyCannotBeInstalled) {
    Package p;
    const auto fresh = zeltest::settings_bytes(0, 'n');
    zeltest::write_bytes(p.dataDir + "setpar.new", fresh);
    fs::create_directories(p.dataDir + "setpar");  // a directory in the way: the copy fails
    zeltest::write_text(p.dataDir + "_elemdat", "cache");
    Check r;
    r.check(p);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(zeltest::read_bytes(p.dataDir + "setpar.new"), fresh);
    EXPECT_TRUE(fs::exists(p.dataDir + "_elemdat"));
    EXPECT_EQ(zeltest::read_bytes("setpar"), zeltest::settings_bytes(0));
}

TEST(StartupCheck, EditionTitleAndEpochText) {
    {
        Package p(true, 1);
        zeltest::write_text(p.dataDir + "EPOCH", "Equinox J2000, epoch 2024 March 31.0 TT   \r\nsecond line\r\n");
        Check r;
        r.check(p);
        ASSERT_TRUE(r.ok);
        EXPECT_TRUE(r.ctx.CometMode);
        EXPECT_EQ(r.ctx.AppTitle, "ZELVO-21 for Comets");
        EXPECT_EQ(fw::messageTitle(), "ZELVO-21 for Comets");
        EXPECT_EQ(r.ctx.EpochText, "Equinox J2000, epoch 2024 March 31.0 TT");
    }
    {
        // No settings in the working directory: the installation's file is
        // copied there and its edition byte counts.
        Package p(false);
        zeltest::write_bytes(p.dataDir + "setpar", zeltest::settings_bytes(1, 'c'));
        Check r;
        r.check(p);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(zeltest::read_bytes("setpar"), zeltest::settings_bytes(1, 'c'));
        EXPECT_TRUE(r.ctx.CometMode);
    }
    {
        // A path file line without the final "/" names the directory itself.
        Package p;
        zeltest::write_text("setpath", p.dataDir.substr(0, p.dataDir.size() - 1));
        Check r;
        r.check(p);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.ctx.DataDir, p.dataDir);
        fw::setMessageTitle("ZELVO-21");
    }
}

TEST(StartupCheck, AFailedStartEndsTheProgramWithExitCodeZero) {
    zeltest::ScopedWorkDir empty;
    zeltest::FakeLibrary lib;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use(boxes);
    zelvo::TaskApp app(lib, "/opt/zelvo/bin/");
    EXPECT_EQ(app.run(), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              zelvo::msgNoPathFile(empty.dir_slash() + "setpath", zelvo::startupDoc("/opt/zelvo/bin/")));
    EXPECT_EQ(app.mainFrame(), nullptr);
}

#ifdef ZELVO_PROGRAM
TEST(StartupCheck, TheProgramReportsAndExitsWithZero) {
    zeltest::ScopedWorkDir empty;
    QProcess p;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("ZELVO_NONINTERACTIVE"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(QString::fromStdString(empty.path().string()));
    p.start(QStringLiteral(ZELVO_PROGRAM), {});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("ZELVO-21: Setpath. file is not found; \nlook "))) << err.toStdString();
    // The notes the message names are there, beside the program.
    const QString doc = err.section(QStringLiteral("\nlook "), 1).section(QStringLiteral(" for possible"), 0, 0);
    EXPECT_EQ(doc.toStdString(), zelvo::startupDoc(fs::path(ZELVO_PROGRAM).parent_path().string() + "/"));
    EXPECT_TRUE(fs::is_regular_file(doc.toStdString())) << doc.toStdString();
}
#endif

}  // namespace
