// Ephemeris task driver (progr.h).
//
// One call: the set-up (settings, package files, task record, observer,
// motion model, dates per block, output kind, restrictions), the object loop,
// and the end (the last progress report, files closed, "rabb.da1" deleted).
#include "tasks/progr.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <span>
#include <string_view>
#include <utility>

#include "core/catalog.h"
#include "core/datajd.h"
#include "core/elemcache.h"
#include "core/ephem.h"
#include "core/fallback.h"
#include "core/force.h"
#include "core/names.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "core/typedorb.h"
#include "core/userorb.h"
#include "core/utils.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"
#include "io/textfile.h"
#include "tasks/confl.h"
#include "tasks/geodesy.h"
#include "tasks/inpdat.h"
#include "tasks/libstate.h"
#include "tasks/obsfiles.h"
#include "tasks/oppos.h"
#include "tasks/outform.h"
#include "tasks/progr_run.h"
#include "tasks/taskhead.h"
#include "zelvomat.h"

namespace zelvomat {

using namespace progr_detail;

// ---- Progress -----------------------------------------------------------------

std::optional<int> ProgressMeter::after_date(std::int64_t n, double p, double& last_percent, std::int32_t& sent) {
    if (n != 1 && n % kReportPeriod != 0) return std::nullopt;
    const double w = (p - last_percent) + remainder;
    remainder = w;
    int inc = static_cast<int>(std::trunc(std::min(w, 1e9)));
    if (inc >= 1) {
        if (first_step) {
            inc -= 1;
            first_step = false;
        }
        remainder = 0.0;
    } else {
        inc = 0;
        if (n == 1) {
            inc = 1;
            first_step = true;
        }
    }
    // The sum sent stays at most 99 until the end; what is sent is always
    // what the sum says.
    if (sent + inc >= 100) inc = std::max(0, 99 - sent);
    sent += inc;
    last_percent = p;
    return inc;
}

// ---- The call -------------------------------------------------------------------

Status progr(LibraryState& lib, ProgrCounters& counters, const std::function<int(int)>& step) {
    EphRunState& st = lib.eph_run;
    const bool continuation = (counters.cont & 0xFF) == 1;
    counters.interrupted = 0;
    EphemerisRun run(lib, step);
    ZEL_TRY(run.setup(continuation));
    run.commit_new_run();
    st.cont = continuation ? 1 : 0;
    st.interrupted = 0;
    // From here on the run's files change: only a stop that ends the call
    // normally leaves a run to continue.
    st.stopped = false;
    Status s = run.run();
    const Status closed = run.finish_files();
    if (s.ok()) s = closed;
    if (!s.ok()) {
        counters.percent = st.sent;
        return s;
    }
    if (run.stopped()) {
        st.stopped = true;
        counters.cont = 1;
        counters.interrupted = 1;
    } else {
        if (step) st.last_callback = step(100 - st.sent);
        st.sent = 100;
    }
    counters.percent = st.sent;
    return ok_status();
}

}  // namespace zelvomat

// ---- Export ---------------------------------------------------------------------

extern "C" ZELVOMAT_API void progr(int* cont, int* interrupted, int* percent, ProgressStepCallback cb) {
    zelvomat::LibraryState& st = zelvomat::library_state();
    zelvomat::export_guard([&]() -> zelvomat::Status {
        if (cont == nullptr || interrupted == nullptr || percent == nullptr)
            return zelvomat::error_status("progr: counters missing");
        zelvomat::ProgrCounters c;
        c.cont = *cont;
        *interrupted = 0;  // whatever way the call ends, until it is known to be stopped
        const std::function<int(int)> step = cb != nullptr ? std::function<int(int)>(cb) : std::function<int(int)>();
        const zelvomat::Status s = zelvomat::progr(st, c, step);
        *cont = c.cont;
        *interrupted = c.interrupted;
        *percent = c.percent;
        return s;
    });
}
