/*
 * Zelvomat: the computing library of the Zelvo workbench.
 *
 * The exported interface, callable from C. Conventions:
 *  - numbers that a function may set are passed by pointer; arrays are
 *    pointers to their first element;
 *  - texts are a pointer followed by their length; a routine that reads a
 *    fixed width reads no further than the length given (a shorter text counts
 *    as blank-padded) and writes no further either;
 *  - Julian dates are single doubles here; packed calendar dates are
 *    YYYYMMDD.ddddd (fraction of the civil day from midnight);
 *  - inside the library angles are radians, distances AU (149597870.691 km),
 *    velocities AU per day, frames the mean equator and equinox J2000.0.
 *
 * Errors. The library never ends the process. Every exported call clears the
 * error channel when it starts; a call that fails keeps its message there
 * (the texts are those the user is shown) and returns its documented failure
 * result. errmsg() reads the message of the last call.
 *
 * The library keeps working state between calls (settings, the planetary
 * ephemeris file, the catalogue, a run being continued); it serves one thread.
 */
#ifndef ZELVOMAT_H
#define ZELVOMAT_H

#if defined(ZELVOMAT_BUILDING)
#define ZELVOMAT_API __attribute__((visibility("default")))
#else
#define ZELVOMAT_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Error channel ------------------------------------------------------ */

/* Message of the failure of the last exported call, blank-padded into text
 * (len characters, no terminating zero written). Returns the message length:
 * 0 when the last call succeeded. text may be NULL to ask for the length. */
ZELVOMAT_API int errmsg(char *text, int len);

/* ---- Package settings (working directory files "setpar" and "setpath") ---- */

/* Loads the package settings from "setpar" into the library (data paths,
 * catalogue span and counts, package years, planetary ephemeris span) and
 * opens the element catalogue. On failure errmsg() tells why and the library
 * keeps no half-loaded settings. */
ZELVOMAT_API void Inpo(void);

/* Brings records 3, 4 and 5 of "setpar" (ephemeris file path, data directory,
 * temporary directory) in step with the first line of "setpath", the data
 * directory of the installation ending with "/". Writes nothing when the
 * directory is unchanged. A directory too long for its record is refused
 * (errmsg) and the file is left as it was. */
ZELVOMAT_API void setpat(void);

/* ---- Dates ---------------------------------------------------------------- */

/* mode 1: x is a packed date YYYYMMDD.ddddd (civil, from midnight; rounded to
 *         5 decimals), *y := its Julian date.
 * mode 2: x is a Julian date, *y := the packed date rounded to 5 decimals; a
 *         fraction that rounds to a whole day gives the next day's date.
 * Other modes leave *y unchanged. Gregorian calendar for every date. An x that
 * is not a number, a packed date of a year beyond +-999999 or a Julian date
 * beyond +-5e8 leaves *y unchanged and errmsg() tells why. */
ZELVOMAT_API void DateT(short mode, double x, double *y);

/* ---- Observatory lists (data directory) --------------------------------- */
/* The data directory (record 4 of "setpar", read at each call) holds the text
 * list "observa1.dat" (79-byte lines, no line ends: code, longitude in degrees
 * east, rho cos phi' and rho sin phi' in Earth radii, name) and the record list
 * "observat.dat" (78-byte little-endian records: 16-bit observatory number,
 * the three values as doubles, 50-character name, two blanks). Line and
 * record n belong to observatory number n - 1 (codes 000-999 are 0-999,
 * A00-Z99 are 1000-3599). */

/* path (len characters) receives the path of "observa1.dat", a zero byte and
 * blanks up to len. When that does not fit, or the settings cannot be read,
 * path receives an empty name (a zero byte, then blanks) and errmsg() tells
 * why. */
ZELVOMAT_API void obspat(char *path, int len);

/* Rebuilds "observat.dat" from "observa1.dat": record k from line k, and the
 * file ends after the last line's record. A line whose code or numbers cannot
 * be read, or a missing text list, is reported by errmsg() (naming the line)
 * and leaves "observat.dat" as it was; so does a failed write (the list is
 * written beside the old one and renamed over it). */
ZELVOMAT_API void obswri(void);

/* Copies "observat.dat" to "observat.bak" (whole 78-byte records; the backup
 * holds exactly the copy). A missing list is reported by errmsg(); a failed
 * write too, and it leaves the old backup as it was. */
ZELVOMAT_API void obsbak(void);

/* Copies "observa1.dat" to "observa1.bak" (whole 79-byte lines; the backup
 * holds exactly the copy). A missing list is reported by errmsg(); a failed
 * write too, and it leaves the old backup as it was. */
ZELVOMAT_API void obsba1(void);

/* ---- Planetary ephemeris file and catalogue files ------------------------ */

/* Closes the files that the library keeps open between calls: the planetary
 * ephemeris file and the files of the element catalogue. The next task or
 * track run opens again what it needs. */
ZELVOMAT_API void Closlae(void);

/* ---- Object names and numbers (element catalogue of the data package) ---- */

/* Object of a typed name: name (len characters; at least 18 are meant, a
 * shorter text counts as blank-padded) holds a catalogue number, a proper name
 * or a provisional designation (any case, with or without its blank). Opens
 * the catalogue first. Found: *n := its catalogue number (1 .. total count)
 * and the first 18 characters of name (no more than len) := its catalogue
 * name. A major body, a number that is no object of the catalogue or a text
 * found nowhere: *n := 0 and name is left as typed. Failure: *n := 0, errmsg. */
ZELVOMAT_API void namn1(char *name, unsigned len, int *n);

/* Name and number of the orbit view's object through the exchange file
 * "orbit.tmp" of the working directory (one 22-byte record: the name, 18
 * characters, then the catalogue number, 32-bit little-endian), which must
 * exist. Opens the catalogue, reads the record and writes it back:
 *  mode 2 (number to name): the name := the catalogue name of the stored
 *         number; a number that is no object of the catalogue (0, negative,
 *         beyond the catalogue, absent) gives a blank name and the number 0;
 *  mode 1 (name to number): the number := the catalogue number of the stored
 *         name, 0 when it names no minor object; the name is not changed.
 * *n := the number written (other modes write nothing and give the stored
 * number). Failure: *n unchanged, errmsg. */
ZELVOMAT_API void NamePl(short mode, int *n);
/* ---- Restrictions of an ephemeris task ------------------------------------ */

/* Which of the ten quantities a coordinate set offers for restrictions and how
 * their bounds are typed. coord "SPH"/"REC", plane "EQT"/"ECL"/"HRZ", output
 * "EMP"/"POS"/"PSV" (three characters each, with their lengths). Fills
 * types[10] (restriction types 1-14, 14 = no quantity), widths[10] (width of
 * each bound field, 0-10 characters) and *mode: 0 no restriction possible
 * (rectangular coordinates with "EMP"), 1 rectangular, 2 equator, 3 ecliptic,
 * 4 horizon. */
ZELVOMAT_API void restr(const char *coord, int coord_len, const char *plane, int plane_len, const char *output,
                        int output_len, int *types, int *widths, int *mode);

/* Checks one typed restriction bound of the given type (1-14) in text[0..len).
 * *err := 0 passed, 1 format error, 2 out of range. A blank text passes and
 * leaves text and *value untouched. Otherwise blanks within the type's width
 * are filled ("+" in the sign place, "." in the point place, "0" elsewhere),
 * e.g. "12" as a time angle becomes "120000.00", and *value := the number in
 * the form typed (hhmmss.ss, +ddmmss.s, degrees, AU, AU/day, km/s or
 * magnitudes; 123000.5 for 12 h 30 m 0.5 s). The filled text is written back
 * (never past len) only when *err is 0; on failure text is unchanged. */
ZELVOMAT_API void contr_vv(int type, char *text, int len, int *err, double *value);
/* ---- Magnitudes and diameters -------------------------------------------- */

/* Diameter of a minor planet, *diameter := 2 x 10^(3.25 - 0.2 H) km.
 * flag 0: H is the given h. Otherwise H is the absolute magnitude of record n
 * of "M2C.K2C" in the data directory (record 4 of "setpar", read at each
 * call; 16-byte records, the first 8 bytes a little-endian double), or 15.7
 * when that record holds 0 or cannot be read (no message). An H that is not a
 * finite number gives *diameter = 0 (unknown). */
ZELVOMAT_API void dphot(int flag, int n, double h, double *diameter);

/* ---- Element sets of objects and major planets ---------------------------- */

/* Fills elements[0..6] with an element set: the epoch (Julian date, TT), then
 * M, argument of perihelion, ascending node, inclination (radians, ecliptic
 * and equinox J2000), eccentricity, mean motion (radians per day).
 *  n >= 1: catalogue object n at the catalogue epoch (the catalogue must have
 *          been opened in this process, as namn1 and NamePl do);
 *  n = k - 100, k = 1 (Mercury) .. 9 (Pluto): the planet's mean elements from
 *          "orb.elm" of the data directory, with the catalogue epoch of
 *          "setpar" (both read at each call);
 *  n = 0:  nothing is written.
 * Any other number, an object absent from the catalogue, or a file that cannot
 * be read: nothing is written and errmsg() tells why. */
ZELVOMAT_API void NElem(int n, double *elements);

/* ---- Observatory search ---------------------------------------------------- */

/* Observatories of the record list "observat.dat" (data directory) whose
 * 50-character name contains fragment (fragment_len characters, at most 50
 * taken; letters A-Z compared without regard to case; the leading and
 * trailing blanks of the fragment take no part). A blank fragment chooses
 * every observatory that has a name. The matches are written in list order
 * into "observat.sp1" of the working directory, which is emptied first and so
 * holds exactly *count records of 54 bytes: the 3-character code, a blank and
 * the 50-character name. out_name (out_name_len characters, at least 13)
 * receives "observat.sp1" and a zero byte; the rest of it is left as it was.
 * *count := the number of matches, 0 on failure (errmsg). */
ZELVOMAT_API void sea_obs(const char *fragment, int fragment_len, int *count, char *out_name, int out_name_len);

/* Copies lines of the text list "observa1.dat" (data directory) into
 * "result.ob4" of the working directory, which is written anew: record k
 * (79 bytes) holds the first 70 characters of the k-th chosen line (code,
 * longitude, parallax constants, the first 40 characters of the name) and 9
 * zero bytes.
 *  mode 1: the line of the observatory whose code is the first 3 characters
 *          of text (text_len characters); none for a blank code or a code past
 *          the end of the list; an unreadable code is reported by errmsg;
 *  mode 2: the lines whose name contains the fragment text (as sea_obs); a
 *          blank fragment chooses the lines without a name (the free codes);
 *  other modes choose nothing.
 * *found := the number of lines written, 0 on failure (errmsg). */
ZELVOMAT_API void sea_ob1(int mode, const char *text, int text_len, int *found);
/* ---- Observatory parallax constants ------------------------------------- */

/* Converts the typed coordinates of an observatory between its parallax
 * constants and its geodetic latitude and height (GRS 80 ellipsoid,
 * a = 6378137 m, f = 1/298.257222101).
 * mode 1: in1 = rho cos phi', in2 = rho sin phi' (equatorial radii) ->
 *         out1 = geodetic latitude (degrees, signed), out2 = height above the
 *         ellipsoid (whole metres, signed; left as it was when 1e8 m or more).
 * mode 2: in1 = geodetic latitude (degrees), in2 = height (metres) ->
 *         out1 = rho cos phi', out2 = rho sin phi' (signed).
 * Each input is read from its first 9 characters, the point anywhere. The
 * outputs carry as many decimals as the inputs justify and are blank-padded
 * to their lengths. Other modes do nothing. A text that is blank or not a
 * number, or a point too near the Earth's centre, is refused (errmsg) and the
 * outputs are left as they were. */
ZELVOMAT_API void obscl(int mode, const char *in1, int in1_len, const char *in2, int in2_len, char *out1, int out1_len,
                        char *out2, int out2_len);

/* ---- Field checks of the set-up dialogs and the views ---------------------- */

/* Checks one typed field of a set-up dialog, text[0..len) blank-padded.
 * *err := the check's code: 0 no error, 1 format, 2 out of range, 3 no such
 * observatory (or a faulty column order list), 7 date outside the package,
 * 8 the geocentre, 9 no data for the observatory.
 * Kinds 1-15 (field lengths 6, 10, 4, 9, 14, 3, 9, 8, 9, 9, 9, 9, 7, 6, 9):
 *  1 object number (*aux := it; -12 .. numbered count), 2 date YYYYMMDD.d
 *  (*value := that number; within the package's years), 3 year (*aux), 4 step
 *  in days >= 0, 5 date YYYYMMDD.ddddd or Julian date (*value := the Julian
 *  date, civil day from midnight, Gregorian, years 1800-2101), 6 observatory
 *  code (*aux := its number, -1 when its characters fail), 7 longitude
 *  0-360 degrees east, 8 rho cos phi' 0-1.1 and 9 rho sin phi' +-1.1 Earth
 *  radii, 10 geodetic latitude +-90 degrees, 11 height in metres, 12 step in
 *  days > 0, 13 tolerance, 14 magnitude limit, 15 limit of the residuals;
 *  *value := the number typed (kinds 4, 5, 7-15). On success text := the
 *  field left-justified, decimals beyond the field's allowance cut, blank-
 *  padded to len (kind 5 as YYYYMMDD.ddddd or the Julian date in 13 columns
 *  with 5 decimals and a blank). *aux is an output, 0 unless said above.
 * Kinds 16-29: the fields of a typed orbit (16 designation, 17 H, 18 G,
 *  19 epoch, 20 M, 21 T, 22 argument of perihelion, 23 node, 24 i, 25 e,
 *  26 n in degrees per day, 27 a, 28 q in AU, 29 the column order list);
 *  *aux is an input, 1 elements, 2 coordinates and velocities (kinds 20-25
 *  then X, Y, Z in AU and their rates in AU per day, no range test); *value
 *  := the number (a Julian date for kinds 19 and 21). text is not changed.
 * On any failure text is left exactly as it was. Kinds 1-3 read "setpar",
 * kind 6 also "observat.dat" of the data directory; when they cannot be read
 * *err is not 0 and errmsg() tells why. */
ZELVOMAT_API void contreph(int kind, char *text, int len, int *err, double *value, int *aux);

/* The object or date check of the views, text[0..len) blank-padded. *err :=
 * 0 accepted, 1 refused; *number := 0, *jd := 0 unless said below. A text
 * blank in its first 18 characters is no input: *err 0, *number 0.
 *  kinds 1-3: the name or number of an object (any case; the catalogue is
 *             opened when it is not open): *number := its catalogue
 *             number (typed as a number: numbered objects only) or -1, -2,
 *             -4 .. -9 for the planets other than the Earth, and text :=
 *             the object's name (the planets' in mixed case), blank-
 *             padded to len. The Earth, the Sun, the Moon, the barycentres
 *             and a text found nowhere are refused.
 *  kinds 4-5: a date YYYYMMDD.dddddd (civil day from midnight, Gregorian) or
 *             a Julian date, blanks anywhere: *jd := the Julian date; text
 *             is not changed.
 *  other kinds: nothing is tested.
 * On refusal text is left as it was. */
ZELVOMAT_API void Control(int kind, char *text, int len, int *number, double *jd, int *err);

/* *value := the first 6 characters of text (no more than len; a shorter
 * text counts as blank-padded) read as an integer: blanks skipped, an
 * optional sign, all blanks 0. Anything else leaves *value unchanged and
 * errmsg() tells why. */
ZELVOMAT_API void FortrAI(int *value, const char *text, int len);
/* ---- Check of an ephemeris task record ------------------------------------ */

/* Checks the ephemeris task record "eph.cf1" of the working directory (1418
 * bytes, written by the set-up dialog) section by section. status[7]
 * receives, for the sections 1 object, 2 coordinates, 3 main plane, 4 centre
 * and observer, 5 interval, 6 output format, 7 restrictions: 0 correct,
 * 1 data absent, 2 in conflict with another section. *err := 0 when all are
 * correct, 1 when a section is absent or a restriction bound has its decimal
 * point out of place, 2 when a section is in conflict.
 * For the centre index 13 the object number in the file "minor" is tested
 * against the package's object count ("setpar"): an invalid number rewrites
 * "minor" as "1" and leaves section 4 absent. A missing or short "eph.cf1"
 * gives every section 2; a missing "minor" or unreadable "setpar" gives
 * section 4 the state 2; in these cases errmsg() tells which file could not
 * be read, and no file is changed. */
ZELVOMAT_API void confl(int *err, int *status);
/* ---- Checks of observation lines and of the observatory list ------------ */
/* Error codes *err of these checks: 0 no error, 1 format error, 2 data out of
 * range, 3 observatory code absent, 4 plate too great in R.A., 5 plate too
 * great in Decl., 6 plate dimensions absent, 7 date out of range for the
 * package, 8 geocentre, 9 no data for the observatory, 10 observatory code
 * cannot be changed. The checks never change the texts they are given. */

/* Checks one 80-column observation or plate line (the Minor Planet Center's
 * record: date 16-31 UT, angles 33-55, plate half sizes 59-63 and 67-70 or
 * magnitude 66-69, observatory code 78-80; at most 80 of len characters are
 * read, a shorter line counts as blank-padded).
 *  task: 1 plate line, 2 identification line, 3 O-C line;
 *  system: 1 the first angle is a right ascension in hours, other: degrees.
 * *err := the error code; *firstCol, *lastCol := the columns (1-80) of the
 * faulty field, 0 when the fault has none; *layout := the angles' layout, 1
 * decimal minutes, 2 seconds, 0 when the check stopped before the angles.
 * The date must lie from 1 November of the package's first year to the end of
 * March of its last (tasks 1, 2; "setpar" record 6) or in the years 1800-2100
 * (task 3); the code must have its record in "observat.dat" of the data
 * directory. The settings are read on the first check after a task run, an
 * observatory's record when the code changes or the list has been rebuilt.
 * When a file cannot be read the line is refused (code 7 or 3) and errmsg()
 * tells why. */
ZELVOMAT_API void cntl(int task, int system, int *err, int *firstCol, int *lastCol, int *layout, const char *line,
                       int len);

/* Checks one edited line of the observatory list "observa1.dat" (at most 79
 * of len characters; code 1-3, longitude east in degrees 5-13 as ddd.ddddd,
 * rho cos phi' 14-21 and rho sin phi' 22-30 in Earth radii, name 31-79) in the
 * row of observatory number code (row n holds number n - 1). *err := 0, 1
 * (mask; also a code that does not read), 8 (the geocentre's row, code 500),
 * 10 (the line's code is not the row's) or 2 (longitude outside 0..360);
 * *col := the column of the fault, 0 when none. */
ZELVOMAT_API void cnto(int code, const char *line, int len, int *err, int *col);

/* Checks a pair of typed numbers (each text up to its last non-blank).
 *  kind 1: rho cos phi' in 0..1.1 and rho sin phi' in -1.1..1.1 (Earth
 *          radii), not both 0 (code 8);
 *  kind 2: geodetic latitude in -90..90 (degrees), height >= 0 (metres);
 *  other kinds: only that both are numbers.
 * *err := the error code (1 for a text that is blank or not a number);
 * *field := 1 or 2 for the text at fault, 3 for the pair, 0 when none. */
ZELVOMAT_API void controb(int kind, const char *text1, int len1, const char *text2, int len2, int *err, int *field);
/* ---- Orbit properties ------------------------------------------------------ */
/* Elements here are six doubles: M, argument of perihelion, ascending node,
 * inclination (radians, ecliptic and equinox J2000), eccentricity, mean motion
 * (radians per day); the semi-major axis (AU) is given apart. An element set
 * is seven doubles: the epoch (Julian date, TT) followed by those six. Packed
 * dates are YYYYMMDD.ddddd (civil day fraction from midnight, not rounded).
 * The calls keep no state. A failed call tells why in errmsg(). */

/* Minimum orbit intersection distance of the two elliptic orbits, *moid in AU
 * (orbit 1 is normally the planet, orbit 2 the object; the scan step follows
 * orbit 2's inclination and eccentricity). A scan of one orbit's eccentric
 * anomaly finds the nearest critical pair of points, which a local
 * minimisation then refines (to rounding for well-separated minima). Orbits it cannot treat (e outside
 * [0, 1), a mean motion or semi-major axis that is not positive, values that
 * are not numbers) give *moid = -1 and errmsg(). */
ZELVOMAT_API void Moid(const double *elements1, double a1, const double *elements2, double a2, double *moid);

/* Tisserand parameter of orbit 2 with respect to orbit 1 (the perturbing
 * planet): *t := a1/a2 + 2 cos I sqrt(a2/a1 (1 - e2^2)), I the angle between
 * the orbit planes. Semi-major axes that are not positive or e2 outside
 * [0, 1): *t unchanged, errmsg(). */
ZELVOMAT_API void CT(const double *elements1, double a1, const double *elements2, double a2, double *t);

/* Nearest commensurability of two mean motions n1, n2 (degrees per day):
 * *p:*q with 1 <= p, q <= maxTerm and |p/q - n1/n2| < tolerance/n2, the
 * tolerance in arcseconds per day; the smallest such p and, for it, the
 * smallest q (lowest terms). None, or |p - q| > maxOrder: 0:0. */
ZELVOMAT_API void soizm(double n1, double n2, int maxTerm, int maxOrder, int tolerance, int *p, int *q);

/* Perihelion passage from the mean anomaly M (radians) at the epoch (Julian
 * date) with the mean motion n (radians per day): the last passage when
 * M < pi, the next one otherwise. *jd its Julian date, *date the packed date.
 * n not positive: outputs unchanged, errmsg(). */
ZELVOMAT_API void t_per(double epoch, double M, double n, double *date, double *jd);

/* Passages through the ascending and the descending node (argument of
 * perihelion w, eccentricity e) in the revolution from aphelion to aphelion
 * around the perihelion nearest the epoch; packed dates and Julian dates.
 * e outside [0, 1) or n not positive: outputs unchanged, errmsg(). */
ZELVOMAT_API void t_as_ds(double epoch, double M, double w, double e, double n, double *dateAsc, double *jdAsc,
                          double *dateDesc, double *jdDesc);

/* Heliocentric ecliptic J2000 position *x, *y, *z (AU) at the Julian date jd
 * of the body with the element set set[0..6]; mass in solar masses (0 for
 * minor planets). An orbit that is not elliptic, a mean motion that is not
 * positive, or a position that is not a finite number (a mean motion so small
 * that the orbit has no size that can be computed): outputs unchanged,
 * errmsg(). */
ZELVOMAT_API void TXYZ(const double *set, double jd, double *x, double *y, double *z, double mass);

/* ---- Ephemeris task ------------------------------------------------------- */

/* The progress callback of the ephemeris task: receives an increment of the
 * percentage done (whole percent); a non-zero result asks the task to stop. */
typedef int (*ProgressStepCallback)(int increment);

/* Runs the ephemeris task of "eph.cfg" (working directory; 1418 bytes, the
 * record of the set-up dialog, checked by confl): the objects (catalogue
 * numbers, a name, the objects in opposition between two dates, a list file,
 * typed orbits), each at the dates of its blocks (an arbitrary interval, or a
 * window around each opposition of a year), through the position routine;
 * dates are Julian dates TT. The lines that pass the restrictions, the object
 * headings and the messages go into "result.ep4" (82-byte records, written
 * record by record and never cut: the caller deletes it before a new run),
 * the description and the column headings into "eph.hat" (new runs).
 *  *cont:        in: 0 a new run, 1 continue the stopped run (low byte);
 *                out: 1 when the callback stopped the run, else unchanged.
 *  *interrupted: out: 1 stopped by the callback, 0 the run ended.
 *  *percent:     out: the sum of the increments sent; 100 after a run that
 *                ended.
 *  cb:           called after the first date and after every 100th date of
 *                the call with whole increments whose sum stays at most 99,
 *                and once more at the end with the rest to 100 (not after a
 *                stop). May be NULL.
 * A continuation reads the settings and package files again but not
 * "eph.cfg", skips the dates done and appends to "result.ep4". A file that
 * cannot be read or written, a task field that does not read, an unknown
 * observatory or a date the position routine cannot compute ends the run:
 * *interrupted 0, errmsg() tells why, and the records written are whole; a
 * new run that fails before its first date leaves the stopped run, if any,
 * ready to be continued. Only a stopped run can be continued: after a run
 * that ended or failed, a continuation is refused (errmsg, *interrupted 0)
 * and writes nothing. */
ZELVOMAT_API void progr(int *cont, int *interrupted, int *percent, ProgressStepCallback cb);
/* ---- Sky of the track view: the Sun, the Moon and tracked objects ---------- */

/* Geocentric astrometric direction of body number at the Julian date jd
 * (TDB), mean equator and equinox J2000 (light time iterated, no aberration,
 * no precession to the date). number: a catalogue object (>= 1), or a major
 * body as the negative of its code (-1 Mercury .. -9 Pluto, -10 the Sun,
 * -11 the Moon, -12 the Earth-Moon barycentre). out[5] := right ascension
 * (radians, 0 .. 2 pi), declination (radians), their rates (radians per day),
 * then: a catalogue object's apparent magnitude; for the Moon its elongation
 * from the Sun in [0, 2 pi) (east of the Sun below pi, west of it 2 pi minus
 * the elongation); 0 for the other bodies. The planetary ephemeris file gives
 * the major bodies within its span, the fallback theory of the data directory
 * outside it; catalogue objects are integrated from their catalogue elements
 * with the planets' perturbations (the library's integration, its legs kept
 * between calls) wherever the ephemeris file covers the way from the
 * catalogue epoch to the date, and move on their osculating elements at the
 * date beyond it.
 * out is zeroed first and stays zero for 0, numbers below -12 and the Earth
 * (-3); an object not in the catalogue, a file that cannot be read or is
 * damaged, a jd beyond +-5e8 or a value that cannot be computed (not a
 * number) leaves it zero and errmsg() tells why. */
ZELVOMAT_API void MoonSun(int number, double jd, double *out);

/* Set-up of a track plot of up to three objects (objects[3]: numbers as for
 * MoonSun, 0 for an empty slot) from the packed civil date date1 to date2
 * (YYYYMMDD.ddddd, 5 decimals). Opens the planetary ephemeris file of the
 * package settings for the position requests that follow (Inpo must have
 * loaded them). Returns the plotting step in days (*step: 30 when the span
 * exceeds 200 days, 10 when it exceeds 20, else 1) and the frame of the plot
 * in radians (*raFrom, *raTo, *declFrom, *declTo; J2000 equator): the whole
 * sky (0 .. 2 pi, -pi/2 .. pi/2) for two or three objects, for no object, for
 * a span over 1000 days or under 1e-6 day, for the Earth, the Sun, the Moon
 * and the Earth-Moon barycentre; otherwise a frame fitted to the one object's
 * path, snapped to whole minutes of time and whole degrees (*raTo may pass
 * 2 pi when the path crosses 0h). On failure (ephemeris file not found,
 * object not in the catalogue, a date that is not a date of the calendar, a
 * path that cannot be computed) the outputs are unchanged and errmsg() tells
 * why. */
ZELVOMAT_API void Track(const int *objects, double date1, double date2, double *step, double *raFrom, double *raTo,
                        double *declFrom, double *declTo);
/* ---- O-C task: residuals and their selection ------------------------------ */

/* Progress of a task driver: (done, total); a non-zero result stops the run. */
typedef int (*ProgressCallback)(int done, int total);

/* Observed minus computed residuals of the 80-column observation lines
 * first..last of "input.oc1" (working directory; 82-byte records, the line
 * and CR LF) into "result.oc4" (70-byte records: designation, date, "*" for a
 * position not of full accuracy, the residuals in the two angles in
 * arcseconds, the first times the cosine of the observed second angle, the
 * magnitude residual, band flag and observatory code). Writes the header
 * "omc.hat" at every call.
 *  code:  100 P + 10 C + E: P 1 astrometric, 2 geometric, 3 apparent
 *         positions; C 1 equator (R.A. in hours), 2 ecliptic, 3 horizon
 *         (degrees); E 1 mean equinox J2000.0, 2 B1950.0, 3 true of date.
 *         Observation times are UT, turned into TT with the package's
 *         Delta T; observatory 500 is the geocentre.
 *  model: 0 two-body motion, 1 osculating elements of the yearly files
 *         (typed orbits: taken as 0), 2 numerical integration with the
 *         perturbers[12] switched on (Mercury .. Pluto, the third 1 for the
 *         Earth-Moon barycentre, 2 the Earth and the Moon apart; Ceres,
 *         Pallas, Vesta) and the Sun's relativistic term when relSun != 0.
 *  The orbits come from "omc.cfg" (ephemeris task record layout): "ZELV"
 *  compares each line with its catalogue object ("Object not found" records
 *  for the others), any other key every line with every typed orbit.
 *  *count: records written so far, 0 for a new run (which replaces
 *  "result.oc4"); on return the records written, negated when cb stopped the
 *  run. *first: in catalogue mode the next line to take on return; *last is
 *  not changed. A continuation passes the three back unchanged. cb(count,
 *  total) is called after every tenth line computed in the call.
 * Failures (errmsg): a file that cannot be read or written, a line of
 * first..last that "input.oc1" does not hold or that cannot be computed (the
 * message names the line); the records written stay, whole, and *count (not
 * negated) and *first tell how far the run went, so that the same call with
 * them goes on from there. When the planetary
 * ephemeris file, "result.oc4" or "input.oc1" cannot be opened, the notes
 * "resoc913.res", "resoc713.res", "resoc398.res" or "resoc99.res" are also
 * written and nothing else is changed. */
ZELVOMAT_API void O_C(int code, int model, const int *perturbers, int relSun, int *count, int *first, int *last,
                      ProgressCallback cb);

/* Copies from "result.oc4" into "result.oc5" (written from record 1, not
 * truncated: the caller empties it) the residual records with
 * max(|O-C|) >= minAbs and both |O-C| <= maxAbs (arcseconds, the limits as
 * given; minAbs < 0 no lower limit, maxAbs = 1e26 no upper limit) of
 * observatory number obs (negative: any). With no limit at all the records
 * that are no residuals (blank and typed-orbit records, code -1; "Object not
 * found" records, their code) are copied when their code equals obs.
 * *count := the records written; 0 for a missing or empty "result.oc4". A
 * residual record whose numbers or code do not read fails the call (errmsg,
 * *count 0). */
ZELVOMAT_API void Separate(double minAbs, double maxAbs, int obs, int *count);

/* ---- Identification of observations ---------------------------------------- */

/* IdCalc reports its progress through the ProgressCallback of the O-C task. */

/* Identifies the observation lines *first .. *last of "input.id1" (working
 * directory; 82-byte records, 80 columns and CR LF, the Minor Planet Center's
 * format, right ascension in hours) with the objects of the element
 * catalogue: candidates are the objects whose opposition (files opp<YYYY>)
 * lies in a window predicted from the line's distance to the anti-solar
 * point, and every object of the special list "uplist". Each candidate's
 * astrometric place (two-body motion, light time, topocentric, mean equator
 * and equinox J2000, TT = UT + Delta T) is compared with the observed one;
 * every candidate with |residual in R.A.| x cos(observed Decl.) <= tolRA and
 * |residual in Decl.| <= tolDecl (seconds of arc) gives an 82-byte record of
 * "result.id4" (residuals observed minus computed, arcsec and magnitudes);
 * a line with none gives the record "Object not found". The header "ide.hat"
 * is written at every call with the two tolerances.
 *  *status: 0 starts a new run ("result.id4" replaced, cb's total is
 *           *last - *first + 1); otherwise the count of records so far (its
 *           sign dropped) and the records are appended (a continuation, cb's
 *           total 9999). On return: the records written, negated when the
 *           run stopped before *last.
 *  *first:  set to the line to go on from when the run stops, else left.
 *  cb:      called after every line with (lines done since the first line
 *           of the last new run, total); non-zero stops the run. May be NULL.
 * A line that cannot be parsed (an observatory code that does not read or
 * has no record, a number that does not read), a value that cannot be
 * computed, or a package file or result write that fails during a line stops
 * the run at that line (*status negative, *first = that line, none of its
 * records kept) and errmsg() tells why. Settings, package files, "input.id1" or
 * "result.id4" that cannot be opened: nothing is processed, the counters are
 * left, errmsg() tells why. */
ZELVOMAT_API void IdCalc(int *status, int *first, int *last, double tolRA, double tolDecl, ProgressCallback cb);
/* ---- Plate search ---------------------------------------------------------- */

/* Catalogued minor planets standing on one photographic plate. plateLine
 * (plateLine_len characters; a shorter text counts as blank-padded) is the
 * plate's 80-column line: date and fraction of the day (UT) in columns 16-31,
 * the plate centre in right ascension and declination (J2000) in columns
 * 33-55, the half size in R.A. (minutes of time) in 59-63 and in Decl.
 * (degrees) in 67-70, the observatory code in 78-80. magLimit: the faintest
 * apparent magnitude listed.
 * Candidates are the objects with an opposition (package opposition files)
 * in a window of dates predicted from the centre's distance to the point
 * opposite the Sun, and every object of the package's special list; each is
 * placed by two-body motion from its elements at the date, with light time,
 * as the observatory sees it, and listed when its standard coordinates on the
 * plane tangent at the centre lie within both half sizes and its magnitude is
 * not above magLimit.
 * Writes the header "plt.hat" and, in the working directory, "result.pl4"
 * (82-byte object lines from record 1, ascending right ascension; a single
 * "No objects" record when none) and "resul2.pl4" (16 bytes per object: the
 * rates of R.A. and Decl., radians per day, doubles); neither file is cut, so
 * the caller empties "result.pl4" first. *found := the number of objects
 * listed. Failure (a plate line that does not read or holds a value out of
 * its field's range, an unknown observatory, a package file missing or
 * damaged, a date outside the planetary ephemeris file, a place or magnitude
 * that is not a number, a magLimit that is not a number):
 * *found = 0, errmsg(), and the header and results are left as they were
 * when the plate line itself is at fault. */
ZELVOMAT_API void PltCalc(const char *plateLine, int plateLine_len, double magLimit, int *found);

#ifdef __cplusplus
}
#endif

#endif /* ZELVOMAT_H */
