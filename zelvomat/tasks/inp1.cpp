// The object and date check of the views (inp1.h), and its export.
#include "tasks/inp1.h"

#include <algorithm>
#include <array>
#include <string>

#include "core/catalog.h"
#include "core/names.h"
#include "core/utils.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "tasks/inpdat.h"
#include "tasks/libstate.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

namespace {

using checks::CheckError;

// Object numbers that the views cannot show: the Earth (-3) and the Sun, the
// Moon and the barycentres (-10 and below).
bool refused_object(std::int32_t n) { return n == 0 || n == -3 || n <= -10; }

}  // namespace

ObjectDateCheck check_object_or_date(CatalogueState& catalogue, int kind, std::span<char> text) {
    ObjectDateCheck r;
    std::string work = io::pad(std::string_view(text.data(), std::min(text.size(), kViewTextWidth)), kViewTextWidth);
    strup(work);
    if (io::is_blank(work)) return r;

    if (kind >= 1 && kind <= 3) {
        if (!catalogue.open) {
            if (Status s = catopen(catalogue); !s) {
                r.error = CheckError::Format;
                r.files = s;
                return r;
            }
        }
        auto n = inpnom1(catalogue, work, catalogue.counts.numbered);
        if (!n) {
            r.error = CheckError::Format;
            r.files = n.status();
            return r;
        }
        if (refused_object(*n)) {
            r.error = CheckError::Format;
            return r;
        }
        r.number = *n;
        checks::write_back(text, io::pad(work, text.size()));
    } else if (kind == 4 || kind == 5) {
        std::int32_t err = 1;
        Inpdat2(std::string_view(text.data(), text.size()), r.jd, err);
        if (err != 0) {
            r.jd = 0.0;
            r.error = CheckError::Format;
        }
    }
    return r;
}

Result<std::int32_t> FortrAI(std::string_view text) {
    const std::string field = io::column(text, 1, 6);
    auto v = io::read_int(field);
    if (!v) return error_status("\"" + field + "\" is not an integer.");
    return static_cast<std::int32_t>(*v);  // six characters: well inside 32 bits
}

}  // namespace zelvomat

// ---- Exports -------------------------------------------------------------------

extern "C" ZELVOMAT_API void Control(int kind, char* text, int len, int* number, double* jd, int* err) {
    zelvomat::LibraryState& st = zelvomat::library_state();
    zelvomat::export_guard([&]() -> zelvomat::Status {
        if (number == nullptr || jd == nullptr || err == nullptr)
            return zelvomat::error_status("Control: output missing");
        *err = 0;
        *jd = 0.0;
        *number = 0;
        std::span<char> buf;
        if (text != nullptr && len > 0) buf = std::span<char>(text, static_cast<std::size_t>(len));
        const zelvomat::ObjectDateCheck r = zelvomat::check_object_or_date(st.core.catalogue, kind, buf);
        *err = zelvomat::checks::code(r.error);
        *jd = r.jd;
        *number = r.number;
        return r.files;
    });
}

extern "C" ZELVOMAT_API void FortrAI(int* value, const char* text, int len) {
    zelvomat::export_guard([&]() -> zelvomat::Status {
        if (value == nullptr) return zelvomat::error_status("FortrAI: output missing");
        auto v = zelvomat::FortrAI(zelvomat::checks::caller_text(text, len));
        if (!v) return v.status();
        *value = *v;
        return zelvomat::ok_status();
    });
}
