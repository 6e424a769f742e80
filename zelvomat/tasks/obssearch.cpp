// Observatory search: the exports sea_obs and sea_ob1 and their bodies. The
// files are described in obssearch.h and obsfiles.h.
#include "tasks/obssearch.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "core/utils.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"
#include "tasks/obsfiles.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {
namespace {

std::string_view as_text(io::Bytes b) { return {reinterpret_cast<const char*>(b.data()), b.size()}; }

// A name field turned to lower case (letters A-Z only), for the comparison.
std::string lowered(std::string_view name) {
    std::string s(name);
    strdown(s);
    return s;
}

bool contains(std::string_view name, std::string_view part) { return lowered(name).find(part) != std::string::npos; }

// Opens a result file of the working directory anew (created or emptied).
Result<io::RecordFile> create_result(std::string_view name, std::size_t reclen) {
    auto f = io::RecordFile::open(std::string(name), reclen, io::OpenMode::Create);
    if (!f) return error_status("The file \"" + std::string(name) + "\" cannot be written (" + f.message() + ").");
    return f;
}

// Opens one of the observatory lists of the data directory for reading.
Result<io::RecordFile> open_list(std::string_view name, std::size_t reclen) {
    auto path = observatory_file(name);
    if (!path) return path.status();
    auto f = io::RecordFile::open(*path, reclen, io::OpenMode::Read);
    if (!f) return error_status("The observatory list \"" + *path + "\" cannot be read (" + f.message() + ").");
    return f;
}

}  // namespace

void ObservatoryMatch::encode(io::MutBytes rec) const {
    io::put_text(rec, kCodeOff, kCodeLen, code);
    io::put_text(rec, kGapOff, 1, "");
    io::put_text(rec, kNameOff, kNameLen, name);
}

ObservatoryMatch ObservatoryMatch::decode(io::Bytes rec) {
    ObservatoryMatch m;
    m.code = io::get_text(rec, kCodeOff, kCodeLen);
    m.name = io::get_text(rec, kNameOff, kNameLen);
    return m;
}

std::string significant_fragment(std::string_view fragment) {
    std::string s(fragment.substr(0, std::min(fragment.size(), kFragmentLength)));
    std::replace(s.begin(), s.end(), '\0', ' ');
    strdown(s);
    return std::string(io::trim(s));
}

Result<int> search_observatories(std::string_view fragment) {
    // The result is emptied before anything else, so that it never holds the
    // records of an earlier search, even when this one fails.
    auto out = create_result(files::kObservatoryMatches, ObservatoryMatch::kLength);
    if (!out) return out.status();
    out->close();
    auto path = observatory_file(files::kObservatoryRecords);
    if (!path) return path.status();
    auto list = io::read_file_bytes(*path);
    if (!list) return error_status("The observatory list \"" + *path + "\" cannot be read (" + list.message() + ").");

    // Whole records only: a cut last record is not a record.
    const std::string part = significant_fragment(fragment);
    const std::size_t records = list->size() / ObservatoryRecord::kLength;
    std::vector<std::uint8_t> matches;
    for (std::size_t k = 0; k < records; ++k) {
        const ObservatoryRecord r = ObservatoryRecord::decode(
            io::Bytes(*list).subspan(k * ObservatoryRecord::kLength, ObservatoryRecord::kLength));
        const bool match = part.empty() ? !io::is_blank(r.name) : contains(r.name, part);
        if (!match) continue;
        matches.resize(matches.size() + ObservatoryMatch::kLength);
        ObservatoryMatch{n_obs(r.number), r.name}.encode(
            io::MutBytes(matches).subspan(matches.size() - ObservatoryMatch::kLength));
    }
    if (!matches.empty()) {
        if (Status s = io::write_file_bytes(std::string(files::kObservatoryMatches), matches); !s)
            return error_status("The file \"" + std::string(files::kObservatoryMatches) + "\" cannot be written (" +
                                s.message() + ").");
    }
    return static_cast<int>(matches.size() / ObservatoryMatch::kLength);
}

Result<int> select_observatory_lines(int mode, std::string_view text) {
    auto out = create_result(files::kObservatorySelection, kSelectionRecordLength);
    if (!out) return out.status();
    auto list = open_list(files::kObservatoryList, ObservatoryLine::kLength);
    if (!list) return list.status();

    std::array<std::uint8_t, ObservatoryLine::kLength> line{};
    int found = 0;
    // The first 70 characters of the line, then zero bytes.
    auto write_line = [&]() -> Status {
        std::array<std::uint8_t, kSelectionRecordLength> rec{};
        std::memcpy(rec.data(), line.data(), kSelectionTextLength);
        ZEL_TRY(out->write(found + 1, rec));
        ++found;
        return ok_status();
    };

    if (mode == static_cast<int>(SelectionMode::NameFragment)) {
        const std::string part = significant_fragment(text);
        auto lines = list->record_count();
        if (!lines) return lines.status();
        for (std::int64_t k = 1; k <= *lines; ++k) {
            ZEL_TRY(list->read(k, line));
            const std::string_view name = as_text(line).substr(ObservatoryLine::kNameOff, ObservatoryLine::kNameLen);
            const bool match = part.empty() ? io::is_blank(name) : contains(name, part);
            if (match) ZEL_TRY(write_line());
        }
    } else if (mode == static_cast<int>(SelectionMode::Code)) {
        std::string code(text.substr(0, std::min<std::size_t>(text.size(), 3)));
        std::replace(code.begin(), code.end(), '\0', ' ');
        if (io::is_blank(code)) return 0;
        auto number = obs_n(code);
        if (!number) return number.status();
        if (*number < 0) return 0;
        // Line number + 1; a code past the end of the list chooses nothing.
        auto lines = list->record_count();
        if (!lines) return lines.status();
        if (*number + 1 > *lines) return 0;
        ZEL_TRY(list->read(*number + 1, line));
        ZEL_TRY(write_line());
    }
    return found;
}

}  // namespace zelvomat

namespace {

// A text argument of an export: len characters from text (none when text is
// NULL or len is not positive).
std::string_view text_arg(const char* text, int len) {
    if (text == nullptr || len <= 0) return {};
    return {text, static_cast<std::size_t>(len)};
}

}  // namespace

extern "C" ZELVOMAT_API void sea_obs(const char* fragment, int fragment_len, int* count, char* out_name,
                                     int out_name_len) {
    zelvomat::export_guard([&] {
        if (count == nullptr) return zelvomat::error_status("sea_obs: no argument given.");
        *count = 0;
        const std::string_view name = zelvomat::files::kObservatoryMatches;
        if (out_name == nullptr || out_name_len < static_cast<int>(name.size()) + 1)
            return zelvomat::error_status("sea_obs: the buffer for the file name holds fewer than " +
                                          std::to_string(name.size() + 1) + " characters.");
        std::memcpy(out_name, name.data(), name.size());
        out_name[name.size()] = '\0';
        auto n = zelvomat::search_observatories(text_arg(fragment, fragment_len));
        if (!n) return n.status();
        *count = *n;
        return zelvomat::ok_status();
    });
}

extern "C" ZELVOMAT_API void sea_ob1(int mode, const char* text, int text_len, int* found) {
    zelvomat::export_guard([&] {
        if (found == nullptr) return zelvomat::error_status("sea_ob1: no argument given.");
        *found = 0;
        auto n = zelvomat::select_observatory_lines(mode, text_arg(text, text_len));
        if (!n) return n.status();
        *found = *n;
        return zelvomat::ok_status();
    });
}
