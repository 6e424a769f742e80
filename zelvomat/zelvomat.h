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

#ifdef __cplusplus
}
#endif

#endif /* ZELVOMAT_H */
