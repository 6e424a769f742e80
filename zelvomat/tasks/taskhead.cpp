// Task headers: the heading templates and the header files (see taskhead.h).
#include "tasks/taskhead.h"

#include <array>
#include <cstdint>

#include "core/setpar.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"
#include "io/textfile.h"

namespace zelvomat {
namespace {

constexpr std::array<TaskHeaderLayout, 4> kLayouts{{
    {files::kEphemerisHeader, 82, 80, 2, files::kEphemerisHeadings, 5, 2, 11},
    {files::kOcHeader, 70, 70, 1, files::kOcHeadings, 5, 1, 3},
    {files::kIdentificationHeader, 82, 80, 0, files::kIdentificationHeadings, 7, 1, 1},
    {files::kPlateHeader, 82, 80, 2, files::kPlateHeadings, 6, 1, 1},
}};

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

}  // namespace

const TaskHeaderLayout& task_header_layout(TaskHeaderKind kind) { return kLayouts[static_cast<std::size_t>(kind)]; }

Result<std::vector<std::string>> read_heading_block(const DataPaths& paths, TaskHeaderKind kind, int block) {
    const TaskHeaderLayout& h = task_header_layout(kind);
    if (block < h.first_block || block > h.last_block)
        return error_status("There is no heading block " + std::to_string(block) + " in " + quoted(h.heading_template) +
                            " (blocks " + std::to_string(h.first_block) + " to " + std::to_string(h.last_block) + ").");
    if (io::is_blank(paths.data_dir))
        return error_status("The heading template " + quoted(h.heading_template) +
                            " cannot be found: the package settings are not loaded.");
    const std::string path = data_file(paths, h.heading_template);
    auto lines = io::read_lines(path);
    if (!lines)
        return error_status("The heading template " + quoted(path) + " cannot be read (" + lines.message() + ").");

    const std::size_t first = static_cast<std::size_t>(block - 1) * h.block_lines;  // 0-based
    if (lines->size() < first + h.block_lines)
        return error_status("The heading template " + quoted(path) + " ends after line " +
                            std::to_string(lines->size()) + ", before the last line (" +
                            std::to_string(first + h.block_lines) + ") of block " + std::to_string(block) + ".");
    std::vector<std::string> out;
    out.reserve(h.block_lines);
    for (std::size_t i = 0; i < h.block_lines; ++i) out.push_back(io::pad((*lines)[first + i], kTemplateWidth));
    return out;
}

Status write_task_header(TaskHeaderKind kind, std::span<const std::string> description,
                         std::span<const std::string> headings) {
    const TaskHeaderLayout& h = task_header_layout(kind);
    if (description.size() != h.description_records || headings.size() != h.block_lines)
        return error_status("The header " + quoted(h.header) + " takes " + std::to_string(h.description_records) +
                            " description records and " + std::to_string(h.block_lines) + " heading lines, not " +
                            std::to_string(description.size()) + " and " + std::to_string(headings.size()) + ".");

    // The whole file is built first and written at once: it ends after its
    // last record, whatever an older header held.
    std::vector<std::uint8_t> bytes((description.size() + headings.size()) * h.record_length, 0);
    std::size_t n = 0;
    auto put = [&](const std::string& text) {
        const std::string line = io::pad(text, h.text_width);
        std::copy(line.begin(), line.end(), bytes.begin() + static_cast<std::ptrdiff_t>(n * h.record_length));
        ++n;
    };
    for (const auto& d : description) put(d);
    for (const auto& l : headings) put(l);
    const std::string path(h.header);
    if (Status s = io::write_file_bytes(path, bytes); !s)
        return error_status("The header file " + quoted(path) + " cannot be written (" + s.message() + ").");
    return ok_status();
}

Status write_task_header(const DataPaths& paths, TaskHeaderKind kind, std::span<const std::string> description,
                         int block) {
    auto headings = read_heading_block(paths, kind, block);
    if (!headings) return headings.status();
    return write_task_header(kind, description, *headings);
}

void put_columns(std::string& line, std::size_t first_col, std::string_view text) {
    if (first_col == 0 || text.empty()) return;
    const std::size_t off = first_col - 1;
    if (line.size() < off + text.size()) line.resize(off + text.size(), ' ');
    line.replace(off, text.size(), text);
}

std::string frame_text(std::string_view plane, std::string_view equinox) {
    std::string s;
    if (plane == "EQT")
        s = "Equator and equinox ";
    else if (plane == "ECL")
        s = "Ecliptic and equinox ";
    else if (plane == "HRZ")
        s = "Horizon and meridian ";
    if (equinox == "INST" || equinox == "True")
        s += "True";
    else
        s += std::string(equinox) + ".0";
    return s;
}

std::string perturber_letters(std::span<const int> switches, bool relativistic_sun) {
    static constexpr std::string_view kLetters = "MVEMJSUNPcpv";
    auto on = [&](std::size_t i) { return i < switches.size() ? switches[i] : 0; };
    std::string s;
    for (std::size_t i = 0; i < kLetters.size(); ++i) {
        if (i == 2) {
            switch (on(i)) {
                case 0:
                    s += "(0+0)";
                    break;
                case 1:
                    s += "(E+M)";
                    break;
                case 2:
                    s += "(E,M)";
                    break;
                default:
                    s += "     ";
                    break;
            }
            continue;
        }
        s += on(i) != 0 ? kLetters[i] : '0';
    }
    if (relativistic_sun) s += "+rS";
    return s;
}

}  // namespace zelvomat
