// Helpers of the main program's tests: a prepared working directory with a
// data directory, and a library that records its calls and plays scripted
// runs.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>
#include <array>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "framework/emfexport.h"
#include "framework/messages.h"
#include "zelvo/app/library.h"
#include "zelvomat/support.h"
#include "zelvomat/zelvomat.h"

namespace zeltest {

// Types text into w key by key, as the keyboard does (any character, not
// only those with a key of their own).
inline void type_text(QWidget* w, const QString& text) {
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }
}

class FakeLibrary : public zelvo::Library {
public:
    std::vector<std::string> calls;
    std::string setpatError;
    std::string setpat() override {
        calls.push_back("setpat");
        return setpatError;
    }
    std::string obspat() override {
        calls.push_back("obspat");
        return observatoryList;
    }
    void obswri() override { calls.push_back("obswri"); }
    std::string inpo() override {
        calls.push_back("Inpo");
        return {};
    }
    void obsbak() override {
        calls.push_back("obsbak");
        lastErrorText = backupError;
    }
    void obsba1() override {
        calls.push_back("obsba1");
        lastErrorText = backupError;
    }
    std::string backupError;  // the failure of the observatory lists' backups
    void sea_ob1(int mode, const char* text, int len, int& found) override {
        calls.push_back("sea_ob1 " + std::to_string(mode) + " '" + std::string(text, static_cast<std::size_t>(len)) +
                        "'");
        found = seaFound;
        if (onSelect) onSelect();
    }
    std::function<void()> onSelect;  // stands for the library writing its selection

    // The line check: lines checked (first 80 characters) and the answers,
    // taken in order (err 0 when none is left).
    struct Check {
        int err = 0, firstCol = 0, lastCol = 0;
    };
    std::deque<Check> checks;
    std::vector<std::string> checked;
    std::vector<int> checkLengths;
    void cntl(int task, int system, int& err, int& firstCol, int& lastCol, int& layout, const char* line,
              int len) override {
        calls.push_back("cntl " + std::to_string(task) + " " + std::to_string(system));
        checked.emplace_back(line, 80);
        checkLengths.push_back(len);
        Check c;
        if (!checks.empty()) {
            c = checks.front();
            checks.pop_front();
        }
        err = c.err;
        firstCol = c.firstCol;
        lastCol = c.lastCol;
        layout = c.err == 0 ? 2 : 0;
    }

    // The drivers: each record counts as one callback step (O-C every tenth
    // record); stopAfter > 0 makes the driver honour a cancel only after
    // that many records, as the real drivers check between records.
    std::function<void()> onRun;  // runs inside the driver, before the records
    int OcCode = 0, OcModel = -1, OcRelSun = -1;
    std::array<int, 12> OcPerturbers{};
    std::vector<std::array<int, 3>> runCounters;  // counters at entry
    void O_C(int code, int model, const int* perturbers, int relSun, int& count, int& first, int& last,
             zelvo::ProgressCallback cb) override {
        calls.push_back("O_C");
        OcCode = code;
        OcModel = model;
        OcRelSun = relSun;
        for (std::size_t i = 0; i < 12; ++i) OcPerturbers[i] = perturbers[i];
        runCounters.push_back({count, first, last});
        if (onRun) onRun();
        count = std::abs(count);
        for (int i = first; i <= last; ++i) {
            ++count;
            if (count % 10 == 0 && cb(count, last - first + 1) != 0) {
                count = -count;
                return;
            }
        }
    }
    double tolRA = 0, tolDecl = 0;
    void IdCalc(int& status, int& first, int& last, double ra, double decl, zelvo::ProgressCallback cb) override {
        calls.push_back("IdCalc");
        tolRA = ra;
        tolDecl = decl;
        runCounters.push_back({status, first, last});
        if (onRun) onRun();
        const int total = status == 0 ? last - first + 1 : 9999;
        status = std::abs(status);
        for (int i = first + status; i <= last; ++i) {
            ++status;
            if (cb(status, total) != 0) {
                status = -status;
                return;
            }
        }
    }
    std::string plateLine;
    double magLimit = 0;
    void PltCalc(const char* line, int len, double mag, int& found) override {
        calls.push_back("PltCalc");
        plateLine.assign(line, static_cast<std::size_t>(len));
        magLimit = mag;
        found = 3;
    }
    double sepMin = 0, sepMax = 0;
    int sepObs = 0, sepCount = 0;
    void Separate(double minAbs, double maxAbs, int obs, int& count) override {
        calls.push_back("Separate");
        sepMin = minAbs;
        sepMax = maxAbs;
        sepObs = obs;
        count = sepCount;
    }
    // A failure of the ephemeris run: the driver ends at once with this
    // message, shown as the program's library shows it.
    std::string progrError;
    void progr(int& cont, int& interrupted, int& percent, zelvo::ProgressStepCallback cb) override {
        calls.push_back("progr");
        if (onRun) onRun();
        interrupted = 0;
        lastErrorText = progrError;
        if (!progrError.empty()) {
            fw::message(progrError, fw::Buttons::Ok, fw::Icon::Warning);
            return;
        }
        while (percent < 100) {
            const int step = percent == 0 ? 1 : 33;
            percent = std::min(100, percent + step);
            if (cb(step) != 0) {
                cont = interrupted = 1;
                return;
            }
        }
    }

    // The checks of the set-up pages are the library's own (they keep no
    // state); the kinds of the field checks asked are recorded.
    std::vector<int> fieldKinds;
    void contreph(int kind, char* text, int len, int& err, double& value, int& aux) override {
        fieldKinds.push_back(kind);
        ::contreph(kind, text, len, &err, &value, &aux);
    }
    void restr(const std::string& coord, const std::string& plane, const std::string& output, int* types, int* widths,
               int& mode) override {
        ::restr(coord.data(), static_cast<int>(coord.size()), plane.data(), static_cast<int>(plane.size()),
                output.data(), static_cast<int>(output.size()), types, widths, &mode);
    }
    void contr_vv(int type, char* text, int len, int& err, double& value) override {
        ::contr_vv(type, text, len, &err, &value);
    }
    // The record check: the library's, unless answers are queued.
    std::deque<std::pair<int, std::array<int, 7>>> conflAnswers;
    void confl(int& err, int* status) override {
        calls.push_back("confl");
        if (conflAnswers.empty()) {
            ::confl(&err, status);
            return;
        }
        err = conflAnswers.front().first;
        for (std::size_t i = 0; i < 7; ++i) status[i] = conflAnswers.front().second[i];
        conflAnswers.pop_front();
    }
    // The name search: each answer is the list of 54-byte matches written to
    // "observat.sp1"; a search that finds nothing leaves the file as the
    // last search wrote it.
    std::deque<std::vector<std::string>> seaObsAnswers;
    void sea_obs(const char* fragment, int len, int& count, std::string& fileName) override {
        calls.push_back("sea_obs '" + std::string(fragment, static_cast<std::size_t>(len)) + "'");
        std::vector<std::string> found;
        if (!seaObsAnswers.empty()) {
            found = seaObsAnswers.front();
            seaObsAnswers.pop_front();
        }
        fileName = "observat.sp1";
        count = static_cast<int>(found.size());
        if (found.empty()) return;
        std::string bytes;
        for (std::string r : found) {
            r.resize(54, ' ');
            bytes += r;
        }
        write_text(fileName, bytes);
    }

    // The checks and computations that the windows call: each call is
    // recorded and answered by the real library (the observatory checks read
    // the data directory that the test prepared).
    std::string lastErrorText;
    std::string lastError() override { return lastErrorText; }
    void cnto(int code, const char* line, int len, int& err, int& col) override {
        calls.push_back("cnto " + std::to_string(code));
        ::cnto(code, line, len, &err, &col);
    }
    void obscl(int mode, const char* in1, int len1, const char* in2, int len2, char* out1, int outLen1, char* out2,
               int outLen2) override {
        calls.push_back("obscl " + std::to_string(mode));
        ::obscl(mode, in1, len1, in2, len2, out1, outLen1, out2, outLen2);
    }
    void Control(int kind, char* text, int len, int& number, double& jd, int& err) override {
        calls.push_back("Control " + std::to_string(kind));
        ::Control(kind, text, len, &number, &jd, &err);
    }
    void namn1(char* name, unsigned len, int& number) override {
        calls.push_back("namn1");
        ::namn1(name, len, &number);
    }
    void NamePl(short mode, int& n) override {
        calls.push_back("NamePl " + std::to_string(mode));
        ::NamePl(mode, &n);
    }
    void NElem(int n, double* set) override {
        calls.push_back("NElem " + std::to_string(n));
        ::NElem(n, set);
    }
    void TXYZ(const double* set, double jd, double& x, double& y, double& z, double mass) override {
        ::TXYZ(set, jd, &x, &y, &z, mass);
    }
    void DateT(short mode, double value, double& result) override { ::DateT(mode, value, &result); }
    void MoonSun(int number, double jd, double* out) override { ::MoonSun(number, jd, out); }
    void Track(const int* objects, double date1, double date2, double& step, double& raFrom, double& raTo,
               double& declFrom, double& declTo) override {
        calls.push_back("Track");
        ::Track(objects, date1, date2, &step, &raFrom, &raTo, &declFrom, &declTo);
    }
    void Moid(const double* elements1, double a1, const double* elements2, double a2, double& moid) override {
        ::Moid(elements1, a1, elements2, a2, &moid);
    }
    void CT(const double* elements1, double a1, const double* elements2, double a2, double& t) override {
        ::CT(elements1, a1, elements2, a2, &t);
    }
    void dphot(int flag, int n, double h, double& diameter) override { ::dphot(flag, n, h, &diameter); }
    void t_per(double epoch, double M, double n, double& date, double& jd) override {
        ::t_per(epoch, M, n, &date, &jd);
    }
    void t_as_ds(double epoch, double M, double w, double e, double n, double& dateAsc, double& jdAsc, double& dateDesc,
                 double& jdDesc) override {
        ::t_as_ds(epoch, M, w, e, n, &dateAsc, &jdAsc, &dateDesc, &jdDesc);
    }
    void soizm(double n1, double n2, int maxTerm, int maxOrder, int tolerance, int& p, int& q) override {
        ::soizm(n1, n2, maxTerm, maxOrder, tolerance, &p, &q);
    }
    void Closlae() override { calls.push_back("Closlae"); }

    std::string observatoryList;
    int seaFound = 0;
};

// The message of a plot's Save As into a folder that does not exist.
inline std::string emf_not_written(const std::string& path) {
    return std::string(fw::kEmfWriteFailed) + "\nCannot write the file " + path +
           ".\nNo file can be made beside it (No such file or directory); the file was left as it was.";
}

// A settings file of 14 records whose edition byte (offset 1040) is flag and
// whose other bytes are fill.
inline std::vector<std::uint8_t> settings_bytes(std::uint8_t flag, std::uint8_t fill = 'a') {
    std::vector<std::uint8_t> b(14 * 80, fill);
    b[1040] = flag;
    return b;
}

// The working directory of a test: "setpath" naming the data directory
// "el/" beside it, which exists; "setpar" in the working directory unless
// told otherwise.
struct Package {
    ScopedWorkDir work;
    std::string dataDir;
    FakeLibrary lib;

    explicit Package(bool settingsInWorkDir = true, std::uint8_t flag = 0) {
        dataDir = work.dir_slash() + "el/";
        std::filesystem::create_directories(dataDir);
        write_text(work.path() / "setpath", dataDir + "\r\n");
        if (settingsInWorkDir) write_bytes(work.path() / "setpar", settings_bytes(flag));
        lib.observatoryList = dataDir + "observa1.dat";
    }
};

// A stand-in for the companion editor, at dir + name: a script that writes
// the arguments it was started with, one a line after their count, to
// dir + "args" (made whole at once, so a reader never sees half).
inline std::string recording_editor(const std::string& dir, const std::string& name = "zelvopad") {
    const std::string path = dir + name;
    write_text(path, "#!/bin/sh\n{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } > \"" + dir +
                         "args.part\" && mv \"" + dir + "args.part\" \"" + dir + "args\"\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

// What the stand-in editor of dir wrote, waiting up to ten seconds for it
// (it runs on its own); empty when it never ran.
inline std::string recorded_arguments(const std::string& dir) {
    const std::filesystem::path args = dir + "args";
    for (int i = 0; i < 1000 && !std::filesystem::exists(args); ++i) ::usleep(10000);
    std::ifstream in(args);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace zeltest
