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

/* ---- Magnitudes and diameters -------------------------------------------- */

/* Diameter of a minor planet, *diameter := 2 x 10^(3.25 - 0.2 H) km.
 * flag 0: H is the given h. Otherwise H is the absolute magnitude of record n
 * of "M2C.K2C" in the data directory (record 4 of "setpar", read at each
 * call; 16-byte records, the first 8 bytes a little-endian double), or 15.7
 * when that record holds 0 or cannot be read (no message). An H that is not a
 * finite number gives *diameter = 0 (unknown). */
ZELVOMAT_API void dphot(int flag, int n, double h, double *diameter);

#ifdef __cplusplus
}
#endif

#endif /* ZELVOMAT_H */
