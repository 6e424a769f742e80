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

#ifdef __cplusplus
}
#endif

#endif /* ZELVOMAT_H */
