// Task headers: the small file that every task driver writes beside its
// result, read by the main program for the caption of the result window and
// for the heads of printed and saved results.
//
// A header is a file of fixed records without separators in the working
// directory, record n at byte (n - 1) L. Each record is a text line,
// blank-padded (or cut) to the header's text width and followed by zero bytes
// up to L. Its first records describe the run in words (written by the
// driver); the further records are the column headings of the result, copied
// from the task's heading template in the data directory:
//
//   kind            header     L   width  description  template   block  blocks
//   Ephemeris       "eph.hat"  82   80    2            "EPH.HD2"  5      2-11 (output kind)
//   OC              "omc.hat"  70   70    1            "OMC.HD2"  5      1-3 (main plane)
//   Identification  "ide.hat"  82   80    0            "IDE.HD2"  7      1
//   Plate           "plt.hat"  82   80    2            "PLT.HD2"  6      1
//
// A heading template is a text file of lines of 80 columns (a shorter line is
// blank-padded, a longer one cut; CR LF, LF or no final line end). Its lines
// form consecutive blocks of a fixed number of lines; block b is lines
// (b - 1) x block + 1 .. b x block. The first block of "EPH.HD2" describes the
// file and is never copied.
//
// A driver writes its header in two steps:
//   1. read_heading_block(kind, block) gives the block's lines (80 columns
//      each); the identification and plate drivers fill their values into
//      them with put_columns (the tolerances, the observatory code, the
//      limiting magnitude);
//   2. write_task_header(kind, description, headings) writes the file whole.
// write_task_header(kind, description, block) does both when nothing is
// filled in. The template is read before the header is touched, so a missing
// or short template leaves an older header as it was.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/setpar.h"
#include "io/status.h"

namespace zelvomat {

enum class TaskHeaderKind { Ephemeris, OC, Identification, Plate };

struct TaskHeaderLayout {
    std::string_view header;            // file in the working directory
    std::size_t record_length;          // L, bytes per record
    std::size_t text_width;             // characters of text in a record
    std::size_t description_records;    // records written by the driver first
    std::string_view heading_template;  // file in the data directory
    std::size_t block_lines;            // lines per block of the template
    int first_block, last_block;        // the blocks a driver may ask for
};

const TaskHeaderLayout& task_header_layout(TaskHeaderKind kind);

// Columns of a template line.
inline constexpr std::size_t kTemplateWidth = 80;

// The template lines of one block (block_lines lines of 80 columns), read
// from the data directory of the loaded settings (paths, core/setpar.h),
// the file found whatever its case. Errors: a block outside the kind's
// blocks, no data directory known, a template that cannot be read or that ends
// before the block's last line.
Result<std::vector<std::string>> read_heading_block(const DataPaths& paths, TaskHeaderKind kind, int block = 1);

// Writes the header file anew: the description records (exactly the kind's
// number of them) and the heading lines (exactly one block), each cut or
// blank-padded to the text width and zero-filled to the record length.
Status write_task_header(TaskHeaderKind kind, std::span<const std::string> description,
                         std::span<const std::string> headings);

// read_heading_block and write_task_header in one.
Status write_task_header(const DataPaths& paths, TaskHeaderKind kind, std::span<const std::string> description,
                         int block = 1);

// Writes text into line from column first_col (1-based) on, over what stands
// there; the line is blank-padded first when it is shorter.
void put_columns(std::string& line, std::size_t first_col, std::string_view text);

// Texts of the description records shared by the ephemeris and O-C headers.
//
// The frame: "Equator and ", "Ecliptic and " or "Horizon and meridian " for
// the main plane "EQT", "ECL", "HRZ"; then, except for the horizon,
// "equinox "; then the equinox: "2000.0", "1950.0", or "True" for the equinox
// of date ("INST" or "True"). Any other 4-character equinox text is followed
// by ".0" as it stands. An unknown plane gives no plane text.
std::string frame_text(std::string_view plane, std::string_view equinox);

// The perturbers of a numerical integration: the letters "MVEMJSUNPcpv"
// (Mercury, Venus, Earth and Moon, Mars, Jupiter, Saturn, Uranus, Neptune,
// Pluto and three minor planets), each letter whose switch is 0 replaced by
// "0", the third written as "(0+0)" (switch 0), "(E+M)" (1, Earth and Moon as
// one body), "(E,M)" (2, separately) or five blanks (any other value); then
// "+rS" when the relativistic term of the Sun is on. Switches missing from the
// span count as 0.
std::string perturber_letters(std::span<const int> switches, bool relativistic_sun);

}  // namespace zelvomat
