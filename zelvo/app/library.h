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
};

}  // namespace zelvo
