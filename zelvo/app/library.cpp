#include "zelvo/app/library.h"

#include <filesystem>
#include <string_view>

#include "framework/messages.h"
#include "zelvomat/io/files.h"
#include "zelvomat/zelvomat.h"

namespace zelvo {

namespace {
// The message the last exported call left, empty when it succeeded.
std::string last_error() {
    const int n = errmsg(nullptr, 0);
    if (n <= 0) return {};
    std::string text(static_cast<std::size_t>(n), ' ');
    errmsg(text.data(), n);
    return text;
}
}  // namespace

std::string ZelvomatLibrary::setpat() {
    ::setpat();
    return last_error();
}

std::string ZelvomatLibrary::inpo() {
    ::Inpo();
    return last_error();
}

// The path of the observatory list "observa1.dat" in the data directory, or
// an empty text when the library cannot name it (errmsg tells why).
std::string ZelvomatLibrary::obspat() {
    char path[256];
    ::obspat(path, static_cast<int>(sizeof path));
    if (errmsg(nullptr, 0) != 0) return {};
    const std::string_view p(path, sizeof path);
    return std::string(p.substr(0, p.find('\0')));
}

void ZelvomatLibrary::obswri() {
    ::obswri();
    if (const std::string e = last_error(); !e.empty()) fw::message(e, fw::Buttons::Ok, fw::Icon::Warning);
}

// The backups of the observatory lists; a failure shows the library's message
// (lastError() keeps it for the caller, which then does not open the list).
void ZelvomatLibrary::obsbak() {
    ::obsbak();
    if (const std::string e = last_error(); !e.empty()) fw::message(e, fw::Buttons::Ok, fw::Icon::Warning);
}
void ZelvomatLibrary::obsba1() {
    ::obsba1();
    if (const std::string e = last_error(); !e.empty()) fw::message(e, fw::Buttons::Ok, fw::Icon::Warning);
}

void ZelvomatLibrary::sea_ob1(int mode, const char* text, int len, int& found) {
    ::sea_ob1(mode, text, len, &found);
    if (const std::string e = last_error(); !e.empty()) fw::message(e, fw::Buttons::Ok, fw::Icon::Warning);
}

// The ephemeris task; a run that ends on a failure shows the library's
// message (the result file holds what was written before it).
void ZelvomatLibrary::progr(int& cont, int& interrupted, int& percent, ProgressStepCallback cb) {
    ::progr(&cont, &interrupted, &percent, cb);
    if (const std::string e = last_error(); !e.empty()) fw::message(e, fw::Buttons::Ok, fw::Icon::Warning);
}

void ZelvomatLibrary::cntl(int task, int system, int& err, int& firstCol, int& lastCol, int& layout, const char* line,
                           int len) {
    ::cntl(task, system, &err, &firstCol, &lastCol, &layout, line, len);
    // A line refused because a file could not be read comes with the reason.
    if (err != 0)
        if (const std::string e = last_error(); !e.empty()) fw::message(e, fw::Buttons::Ok, fw::Icon::Warning);
}

// The O-C run; a failure shows the library's message (the records written
// before it stay in "result.oc4").
void ZelvomatLibrary::O_C(int code, int model, const int* perturbers, int relSun, int& count, int& first, int& last,
                          ProgressCallback cb) {
    ::O_C(code, model, perturbers, relSun, &count, &first, &last, cb);
    if (const std::string e = last_error(); !e.empty()) fw::message(e, fw::Buttons::Ok, fw::Icon::Warning);
}

// The identification run; a failure shows the library's message.
void ZelvomatLibrary::IdCalc(int& status, int& first, int& last, double tolRA, double tolDecl, ProgressCallback cb) {
    ::IdCalc(&status, &first, &last, tolRA, tolDecl, cb);
    if (const std::string e = last_error(); !e.empty()) fw::message(e, fw::Buttons::Ok, fw::Icon::Warning);
}

// The plate search; a failure shows the library's message.
void ZelvomatLibrary::PltCalc(const char* line, int len, double magLimit, int& found) {
    ::PltCalc(line, len, magLimit, &found);
    if (const std::string e = last_error(); !e.empty()) fw::message(e, fw::Buttons::Ok, fw::Icon::Warning);
}

void ZelvomatLibrary::Separate(double minAbs, double maxAbs, int obs, int& count) {
    ::Separate(minAbs, maxAbs, obs, &count);
    if (const std::string e = last_error(); !e.empty()) fw::message(e, fw::Buttons::Ok, fw::Icon::Warning);
}

void ZelvomatLibrary::contreph(int kind, char* text, int len, int& err, double& value, int& aux) {
    ::contreph(kind, text, len, &err, &value, &aux);
    // A check that could not read its files gives its code; the reason
    // comes with it.
    if (err != 0)
        if (const std::string e = last_error(); !e.empty()) fw::message(e, fw::Buttons::Ok, fw::Icon::Warning);
}

void ZelvomatLibrary::restr(const std::string& coord, const std::string& plane, const std::string& output, int* types,
                            int* widths, int& mode) {
    ::restr(coord.data(), static_cast<int>(coord.size()), plane.data(), static_cast<int>(plane.size()), output.data(),
            static_cast<int>(output.size()), types, widths, &mode);
}

void ZelvomatLibrary::contr_vv(int type, char* text, int len, int& err, double& value) {
    ::contr_vv(type, text, len, &err, &value);
}

void ZelvomatLibrary::confl(int& err, int* status) {
    ::confl(&err, status);
    if (const std::string e = last_error(); !e.empty()) fw::message(e, fw::Buttons::Ok, fw::Icon::Warning);
}

void ZelvomatLibrary::sea_obs(const char* fragment, int len, int& count, std::string& fileName) {
    char name[64] = {};
    ::sea_obs(fragment, len, &count, name, static_cast<int>(sizeof name - 1));
    if (const std::string e = last_error(); !e.empty()) fw::message(e, fw::Buttons::Ok, fw::Icon::Warning);
    fileName.assign(name);
}

std::string ZelvomatLibrary::lastError() { return last_error(); }

void ZelvomatLibrary::cnto(int code, const char* line, int len, int& err, int& col) {
    ::cnto(code, line, len, &err, &col);
}

void ZelvomatLibrary::obscl(int mode, const char* in1, int len1, const char* in2, int len2, char* out1, int outLen1,
                            char* out2, int outLen2) {
    ::obscl(mode, in1, len1, in2, len2, out1, outLen1, out2, outLen2);
}

void ZelvomatLibrary::Control(int kind, char* text, int len, int& number, double& jd, int& err) {
    ::Control(kind, text, len, &number, &jd, &err);
}

void ZelvomatLibrary::namn1(char* name, unsigned len, int& number) { ::namn1(name, len, &number); }

void ZelvomatLibrary::NamePl(short mode, int& n) { ::NamePl(mode, &n); }

void ZelvomatLibrary::NElem(int n, double* set) { ::NElem(n, set); }

void ZelvomatLibrary::TXYZ(const double* set, double jd, double& x, double& y, double& z, double mass) {
    ::TXYZ(set, jd, &x, &y, &z, mass);
}

void ZelvomatLibrary::DateT(short mode, double value, double& result) { ::DateT(mode, value, &result); }

void ZelvomatLibrary::MoonSun(int number, double jd, double* out) { ::MoonSun(number, jd, out); }

void ZelvomatLibrary::Track(const int* objects, double date1, double date2, double& step, double& raFrom, double& raTo,
                            double& declFrom, double& declTo) {
    ::Track(objects, date1, date2, &step, &raFrom, &raTo, &declFrom, &declTo);
}

void ZelvomatLibrary::Moid(const double* elements1, double a1, const double* elements2, double a2, double& moid) {
    ::Moid(elements1, a1, elements2, a2, &moid);
}

void ZelvomatLibrary::CT(const double* elements1, double a1, const double* elements2, double a2, double& t) {
    ::CT(elements1, a1, elements2, a2, &t);
}

void ZelvomatLibrary::dphot(int flag, int n, double h, double& diameter) { ::dphot(flag, n, h, &diameter); }

void ZelvomatLibrary::t_per(double epoch, double M, double n, double& date, double& jd) {
    ::t_per(epoch, M, n, &date, &jd);
}

void ZelvomatLibrary::t_as_ds(double epoch, double M, double w, double e, double n, double& dateAsc, double& jdAsc,
                              double& dateDesc, double& jdDesc) {
    ::t_as_ds(epoch, M, w, e, n, &dateAsc, &jdAsc, &dateDesc, &jdDesc);
}

void ZelvomatLibrary::soizm(double n1, double n2, int maxTerm, int maxOrder, int tolerance, int& p, int& q) {
    ::soizm(n1, n2, maxTerm, maxOrder, tolerance, &p, &q);
}

void ZelvomatLibrary::Closlae() { ::Closlae(); }

void restore_work_dir(const std::string& dir) {
    std::error_code ec;
    if (!dir.empty()) std::filesystem::current_path(dir, ec);
}

}  // namespace zelvo
