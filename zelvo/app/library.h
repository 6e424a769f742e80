// The computing library as the main program sees it. The program calls the
// library only through this interface, so tests can put a recording one in
// its place. The functions mirror the library's exports: numbers the library
// sets are passed by reference, texts as pointer and length.
#pragma once

#include <string>

namespace zelvo {

// The progress callbacks that the task drivers call: (done, total) or a
// percentage increment; a non-zero result asks the driver to stop.
using ProgressCallback = int (*)(int done, int total);
using ProgressStepCallback = int (*)(int increment);

class Library {
public:
    virtual ~Library() = default;
    // Brings the settings file's path records in step with the path file;
    // the library's message on failure, empty on success.
    virtual std::string setpat() = 0;
    // Path of the observatory text list.
    virtual std::string obspat() = 0;
    // Rebuilds the observatory record list from the text list.
    virtual void obswri() = 0;
    // Loads the package settings; the library's message on failure.
    virtual std::string inpo() = 0;
    // Backs up the observatory record list and the text list.
    virtual void obsbak() = 0;
    virtual void obsba1() = 0;
    // Observatory lines chosen by code (mode 1) or name fragment (mode 2)
    // into "result.ob4"; found := the number of lines written.
    virtual void sea_ob1(int mode, const char* text, int len, int& found) = 0;

    // Check of one 80-column input line (task 1 plate, 2 identification,
    // 3 O-C; system 1 when the first angle is in hours): the check error,
    // the first and last column of the faulty field (1-based) and the angle
    // layout found. At least 80 characters are passed.
    virtual void cntl(int task, int system, int& err, int& firstCol, int& lastCol, int& layout, const char* line,
                      int len) = 0;
    // O-C residuals of the lines of "input.oc1" first..last into
    // "result.oc4". code P C E, model 0 elliptic, 1 nodes, 2 integration,
    // perturbers[12], relSun. count comes back negated after a stop; a
    // continuation passes the counters back unchanged.
    virtual void O_C(int code, int model, const int* perturbers, int relSun, int& count, int& first, int& last,
                     ProgressCallback cb) = 0;
    // Identification of the lines of "input.id1" into "result.id4";
    // tolerances in seconds of arc. status comes back negative after a stop.
    virtual void IdCalc(int& status, int& first, int& last, double tolRA, double tolDecl, ProgressCallback cb) = 0;
    // Objects on the plate of an 80-column plate line brighter than magLimit
    // into "result.pl4"; found := their number.
    virtual void PltCalc(const char* line, int len, double magLimit, int& found) = 0;
    // Residuals of "result.oc4" with minAbs < |O-C| <= maxAbs (arcseconds)
    // of observatory obs (-1 any) into "result.oc5"; count := records.
    virtual void Separate(double minAbs, double maxAbs, int obs, int& count) = 0;
    // The ephemeris run of "eph.cfg" into "result.ep4"; cont 1 continues a
    // stopped run; interrupted := 1 after a stop; percent done.
    virtual void progr(int& cont, int& interrupted, int& percent, ProgressStepCallback cb) = 0;

    // Checks of the ephemeris set-up. contreph: one typed field of the given
    // kind in text[0..len), normalised in place on success; err the check
    // error, value and aux its numbers. restr: the restriction types and
    // bound widths of the ten quantities of a coordinate set, and its layout
    // mode (0 none possible). contr_vv: one restriction bound of a type,
    // normalised in place on success. confl: the check of "eph.cf1", one
    // state per section (0 correct, 1 absent, 2 in conflict).
    virtual void contreph(int kind, char* text, int len, int& err, double& value, int& aux) = 0;
    virtual void restr(const std::string& coord, const std::string& plane, const std::string& output, int* types,
                       int* widths, int& mode) = 0;
    virtual void contr_vv(int type, char* text, int len, int& err, double& value) = 0;
    virtual void confl(int& err, int* status) = 0;
    // Observatories whose name contains fragment into the file named in
    // fileName (54-byte records); count := the number written.
    virtual void sea_obs(const char* fragment, int len, int& count, std::string& fileName) = 0;

    // The library's message of the last call, empty when it succeeded.
    virtual std::string lastError() = 0;

    // Check of one edited line of the observatory list in the row of
    // observatory number code: err 0, 1 mask, 2 longitude, 8 geocentre,
    // 10 code changed; col the column at fault.
    virtual void cnto(int code, const char* line, int len, int& err, int& col) = 0;
    // Parallax constants to geodetic latitude and height (mode 1) and back
    // (mode 2), texts in and out.
    virtual void obscl(int mode, const char* in1, int len1, const char* in2, int len2, char* out1, int outLen1,
                       char* out2, int outLen2) = 0;
    // Object or date check of the views (kinds 1-3 objects, 4-5 dates).
    virtual void Control(int kind, char* text, int len, int& number, double& jd, int& err) = 0;
    // Object of a typed 18-character name: number 0 when none.
    virtual void namn1(char* name, unsigned len, int& number) = 0;
    // Name and number exchange through "orbit.tmp".
    virtual void NamePl(short mode, int& n) = 0;
    // Element set (epoch and six elements) of a catalogue object (n >= 1) or
    // a major planet (n = k - 100).
    virtual void NElem(int n, double* set) = 0;
    // Heliocentric ecliptic J2000 position of an element set at jd.
    virtual void TXYZ(const double* set, double jd, double& x, double& y, double& z, double mass) = 0;
    // Packed date <-> Julian date.
    virtual void DateT(short mode, double value, double& result) = 0;
    // Geocentric place of one body (number > 0 object, -1..-9 planets, -10
    // the Sun, -11 the Moon): out[5].
    virtual void MoonSun(int number, double jd, double* out) = 0;
    // Set-up of a track plot of up to three objects between two packed dates.
    virtual void Track(const int* objects, double date1, double date2, double& step, double& raFrom, double& raTo,
                       double& declFrom, double& declTo) = 0;
    // Orbit properties of catalogue elements (six elements, a apart).
    virtual void Moid(const double* elements1, double a1, const double* elements2, double a2, double& moid) = 0;
    virtual void CT(const double* elements1, double a1, const double* elements2, double a2, double& t) = 0;
    virtual void dphot(int flag, int n, double h, double& diameter) = 0;
    virtual void t_per(double epoch, double M, double n, double& date, double& jd) = 0;
    virtual void t_as_ds(double epoch, double M, double w, double e, double n, double& dateAsc, double& jdAsc,
                         double& dateDesc, double& jdDesc) = 0;
    virtual void soizm(double n1, double n2, int maxTerm, int maxOrder, int tolerance, int& p, int& q) = 0;
    // Closes the planetary ephemeris file and the catalogue files.
    virtual void Closlae() = 0;
};

// The shared library libzelvomat. The task drivers and the line check that
// this build's library does not export yet answer with a message and leave
// the counters as they were.
class ZelvomatLibrary final : public Library {
public:
    std::string setpat() override;
    std::string obspat() override;
    void obswri() override;
    std::string inpo() override;
    void obsbak() override;
    void obsba1() override;
    void sea_ob1(int mode, const char* text, int len, int& found) override;
    void cntl(int task, int system, int& err, int& firstCol, int& lastCol, int& layout, const char* line,
              int len) override;
    void O_C(int code, int model, const int* perturbers, int relSun, int& count, int& first, int& last,
             ProgressCallback cb) override;
    void IdCalc(int& status, int& first, int& last, double tolRA, double tolDecl, ProgressCallback cb) override;
    void PltCalc(const char* line, int len, double magLimit, int& found) override;
    void Separate(double minAbs, double maxAbs, int obs, int& count) override;
    void progr(int& cont, int& interrupted, int& percent, ProgressStepCallback cb) override;
    void contreph(int kind, char* text, int len, int& err, double& value, int& aux) override;
    void restr(const std::string& coord, const std::string& plane, const std::string& output, int* types, int* widths,
               int& mode) override;
    void contr_vv(int type, char* text, int len, int& err, double& value) override;
    void confl(int& err, int* status) override;
    void sea_obs(const char* fragment, int len, int& count, std::string& fileName) override;
    std::string lastError() override;
    void cnto(int code, const char* line, int len, int& err, int& col) override;
    void obscl(int mode, const char* in1, int len1, const char* in2, int len2, char* out1, int outLen1, char* out2,
               int outLen2) override;
    void Control(int kind, char* text, int len, int& number, double& jd, int& err) override;
    void namn1(char* name, unsigned len, int& number) override;
    void NamePl(short mode, int& n) override;
    void NElem(int n, double* set) override;
    void TXYZ(const double* set, double jd, double& x, double& y, double& z, double mass) override;
    void DateT(short mode, double value, double& result) override;
    void MoonSun(int number, double jd, double* out) override;
    void Track(const int* objects, double date1, double date2, double& step, double& raFrom, double& raTo,
               double& declFrom, double& declTo) override;
    void Moid(const double* elements1, double a1, const double* elements2, double a2, double& moid) override;
    void CT(const double* elements1, double a1, const double* elements2, double a2, double& t) override;
    void dphot(int flag, int n, double h, double& diameter) override;
    void t_per(double epoch, double M, double n, double& date, double& jd) override;
    void t_as_ds(double epoch, double M, double w, double e, double n, double& dateAsc, double& jdAsc, double& dateDesc,
                 double& jdDesc) override;
    void soizm(double n1, double n2, int maxTerm, int maxOrder, int tolerance, int& p, int& q) override;
    void Closlae() override;
};

// The library reads and writes its work files ("setpar", the task records
// and results) in the working directory: back to dir, the program's working
// directory, after anything that may have left it (nothing for an empty
// dir). The one place that changes the working directory.
void restore_work_dir(const std::string& dir);

}  // namespace zelvo
