// Files of typed orbits written by the orbit input dialog and read by the
// drivers (through userorb, userorb.h) and by the dialog itself.
//
// Single-orbit file (IntroducedOrbit): "eelm.eph" / "xxyz.eph" for the
// ephemeris task, "eelm.omc" / "xxyz.omc" for the O-C task (elements /
// coordinates). For every column code of the column order, in ascending
// code order, a 20-byte slot: the field's text (18 characters, blank-padded)
// and 2 blanks. No line end. Field texts hold no blank inside (the checks
// refuse a blank inside a designation), so userorb reads the slots as
// blank-separated fields in the column order of the task record.
//
// Nongravitational parameters (NongravParameters): "ngr.eph" or "ngr.omc",
// two lines, the first ending CR LF, the second without a line end. The
// three parameters A1 A2 A3 of the single orbit, separated by one blank, are
// the first line for elements and the second for coordinates; the other
// line is "0.0 0.0 0.0". Each A is written as typed (without leading and
// trailing blanks); one that reads as zero is written "0.0" (and a zero A3 as
// "0.0 ", its blank kept).
//
// Column order texts of the task record: ten two-character codes "01".."13",
// "00" for an empty column.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "io/status.h"

namespace zelvomat {

inline constexpr std::size_t kOrbitFieldWidth = 18;  // text of a typed field
inline constexpr std::size_t kOrbitSlotWidth = 20;   // its slot in the single-orbit file
inline constexpr int kOrbitColumnCodes = 13;         // column codes 1-13
inline constexpr int kOrderColumns = 10;             // columns of an order

// Texts of the typed fields, index = column code - 1 (for coordinates codes
// 5-10 hold X, Y, Z, dX/dt, dY/dt, dZ/dt).
using OrbitFieldTexts = std::array<std::string, kOrbitColumnCodes>;
// Column codes 1-13 of the ten columns, 0 for an empty column.
using ColumnOrder = std::array<std::int32_t, kOrderColumns>;

// File names by form and task: elements or coordinates, ephemeris task (the
// ".eph" files) or O-C task (".omc").
std::string_view single_orbit_file(bool elements, bool ephemeris_task);
std::string_view nongrav_file(bool ephemeris_task);
std::string_view user_orbit_work_file(bool ephemeris_task);

// The column order text of the task record (20 characters, shorter counts
// as blank-padded) to its codes; an error for a column that is not 00-13.
Result<ColumnOrder> parse_column_order(std::string_view text);
// Codes to the 20-character text.
std::string column_order_text(const ColumnOrder& order);
// The non-zero codes in their sequence: the field list that userorb takes.
std::vector<std::int32_t> order_fields(const ColumnOrder& order);

// The bytes of the single-orbit file: one slot per distinct non-zero code of
// order, in ascending code order. A code outside 1-13 is an error, and so is
// a text longer than 18 characters (texts are never cut).
Result<std::string> introduced_orbit_bytes(const OrbitFieldTexts& texts, const ColumnOrder& order);
Status write_introduced_orbit(const std::string& path, const OrbitFieldTexts& texts, const ColumnOrder& order);
// Reads the single-orbit file back as the dialog does: for each column up to
// the first empty one, the next slot's first 18 characters become the text of
// that column's code; other texts are 18 blanks. A file that ends early
// leaves the remaining texts blank.
Result<OrbitFieldTexts> read_introduced_orbit(const std::string& path, const ColumnOrder& order);

// Nongravitational parameters as texts (A1, A2, A3).
using NongravTexts = std::array<std::string, 3>;
// The file's bytes and its writer.
std::string nongrav_bytes(const NongravTexts& a, bool elements);
Status write_nongrav(const std::string& path, const NongravTexts& a, bool elements);
// The three texts of the form's line (the first blank-separated tokens of
// line 1 for elements, of line 2 for coordinates); texts missing from the
// line are empty. An error when the file cannot be read.
Result<NongravTexts> read_nongrav_texts(const std::string& path, bool elements);
// A1, A2, A3 as numbers, read free-form (decimal or exponent form with E or
// D) from the form's line, as the drivers read them. An error when the file
// cannot be read or the line does not hold three numbers.
Result<std::array<double, 3>> read_nongrav(const std::string& path, bool elements);

}  // namespace zelvomat
