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
 * Other modes leave *y unchanged. Gregorian calendar for every date. */
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
 * and leaves "observat.dat" as it was. */
ZELVOMAT_API void obswri(void);

/* Copies "observat.dat" to "observat.bak" (whole 78-byte records; the backup
 * holds exactly the copy). A missing list is reported by errmsg(). */
ZELVOMAT_API void obsbak(void);

/* Copies "observa1.dat" to "observa1.bak" (whole 79-byte lines; the backup
 * holds exactly the copy). A missing list is reported by errmsg(). */
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
ZELVOMAT_API void restr(const char *coord, int coord_len, const char *plane, int plane_len,
                        const char *output, int output_len, int *types, int *widths, int *mode);

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
ZELVOMAT_API void obscl(int mode, const char *in1, int in1_len, const char *in2, int in2_len,
                        char *out1, int out1_len, char *out2, int out2_len);

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
 * minor planets). An orbit that is not elliptic or a mean motion that is not
 * positive: outputs unchanged, errmsg(). */
ZELVOMAT_API void TXYZ(const double *set, double jd, double *x, double *y, double *z, double mass);

#ifdef __cplusplus
}
#endif

#endif /* ZELVOMAT_H */
