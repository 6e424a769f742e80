// Selection of O-C residuals: the records of "result.oc4" whose residuals lie
// in a band of sizes and whose observatory matches, copied into
// "result.oc5" (see Separate in zelvomat.h; record layout in ocman.h).
//
// Limits (arcseconds): A = minAbs (negative: no lower limit), B = maxAbs
// (1e26: no upper limit), both as typed: the residuals of the records carry
// one decimal, so a limit of 0.15 and one of 0.1 select differently. A
// residual record is copied when the larger of its two |residuals| is at
// least A, both are at most B (the limits are "abs(O-C)>=" and
// "abs(O-C)<=", end values included), and the observatory is the one asked
// for (or any, obs < 0).
//
// A record holding a zero byte is not a record the run wrote: the selection
// stops with a message naming it.
//
// The other records ("header-like"): the "Object not found" records (columns
// 39-44 "Object"), blank records, records blank in columns 60-70, and records
// holding "elements" or "coor&vel" (the typed-orbit records). They are copied
// only when no limit is set and their observatory number equals obs; only a
// not-found record carries an observatory code, the others count as -1 (a
// typed orbit's file name may stand in the code's columns).
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/utils.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"
#include "tasks/obsfiles.h"
#include "tasks/ocman.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

namespace {

constexpr double kNoUpperLimit = 1e26;

bool header_like(std::string_view rec, bool& not_found) {
    using namespace oc_record;
    not_found = rec.substr(kNotFoundCol - 1, 6) == "Object";
    if (not_found) return true;
    if (io::is_blank(rec) || io::is_blank(rec.substr(kMagSignCol, 11))) return true;
    return rec.find("elements") != std::string_view::npos || rec.find("coor&vel") != std::string_view::npos;
}

}  // namespace

Result<std::int32_t> oc_separate(double min_abs, double max_abs, int observatory) {
    using namespace oc_record;
    const double a = min_abs;
    const double b = max_abs;
    const bool no_limits = min_abs < 0.0 && max_abs >= kNoUpperLimit;

    const std::string source_path(files::kOcResult);
    if (!io::file_exists(source_path)) return 0;
    auto source = io::RecordFile::open(source_path, kLength, io::OpenMode::Read);
    if (!source) return error_status("\"result.oc4\" cannot be read: " + source.message());
    auto target = io::RecordFile::open(std::string(files::kOcSelection), kLength, io::OpenMode::Update);
    if (!target) return error_status("\"result.oc5\" cannot be written: " + target.message());

    std::int32_t written = 0;
    std::vector<std::uint8_t> bytes(kLength);
    for (std::int64_t k = 1;; ++k) {
        if (!source->read(k, bytes).ok()) break;
        const std::string_view rec(reinterpret_cast<const char*>(bytes.data()), kLength);
        auto label = [&] { return "\"result.oc4\" record " + std::to_string(k) + ": "; };
        // The run writes its records blank-padded: a zero byte is damage
        // (a file padded or overwritten by another program), not a residual.
        if (const std::size_t z = rec.find('\0'); z != std::string_view::npos)
            return error_status(label() + "the record is damaged (a zero byte in column " + std::to_string(z + 1) +
                                ").");
        bool not_found = false;
        const bool header = header_like(rec, not_found);
        bool take = false;
        if (header) {
            if (no_limits) {
                int number = -1;
                if (not_found) {
                    auto n = obs_n(rec.substr(kCodeCol - 1, kCodeWidth));
                    if (!n) return error_status(label() + n.message());
                    number = *n;
                }
                take = number == observatory;
            }
        } else {
            auto r1 = io::read_real(rec.substr(kResidual1Col - 1, kResidualWidth), 1);
            auto r2 = io::read_real(rec.substr(kResidual2Col - 1, kResidualWidth), 1);
            if (!r1 || !r2)
                return error_status(label() + "the residuals do not read as numbers (" + (r1 ? r2 : r1).message() +
                                    ").");
            const double a1 = std::fabs(*r1), a2 = std::fabs(*r2);
            bool here = observatory < 0;
            if (!here) {
                auto n = obs_n(rec.substr(kCodeCol - 1, kCodeWidth));
                if (!n) return error_status(label() + n.message());
                here = *n == observatory;
            }
            take = std::max(a1, a2) >= a && a1 <= b && a2 <= b && here;
        }
        if (take) {
            ZEL_TRY(target->write(written + 1, bytes));
            ++written;
        }
    }
    return written;
}

}  // namespace zelvomat

extern "C" ZELVOMAT_API void Separate(double minAbs, double maxAbs, int obs, int* count) {
    zelvomat::export_guard([&] {
        if (count == nullptr) return zelvomat::error_status("Separate: no counter given.");
        *count = 0;
        auto n = zelvomat::oc_separate(minAbs, maxAbs, obs);
        if (!n) return n.status();
        *count = *n;
        return zelvomat::ok_status();
    });
}
