// The library's state in one object: an instance made current on a thread is
// the only state the routines on that thread see, and reset() is one call.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "core/datajd.h"
#include "observatory_fixture.h"
#include "tasks/libstate.h"
#include "zelvomat/zelvomat.h"

using namespace zelvomat;

TEST(LibraryState, AnOwnInstanceIsTheOnlyStateItsThreadSees) {
    const std::int32_t process_comet_mode = core_state().motion.comet_mode;
    auto own = std::make_unique<LibraryState>();
    {
        ScopedLibraryState use(*own);
        EXPECT_EQ(&core_state().motion, &own->core.motion);
        EXPECT_EQ(&core_state().de, &own->core.de);
        EXPECT_EQ(&library_state().eph_run, &own->eph_run);
        core_state().motion.comet_mode = process_comet_mode + 1;
        core_state().integration.integration_time = 2451545.0;
        library_state().core.data_paths.data_dir = "elsewhere/";
        library_state().core.delta_t.n = 3;
        library_state().eph_run.stopped = true;
    }
    // The process-wide instance is untouched.
    EXPECT_EQ(&core_state().motion, &process_library_state().core.motion);
    EXPECT_EQ(core_state().motion.comet_mode, process_comet_mode);
    EXPECT_EQ(own->core.motion.comet_mode, process_comet_mode + 1);
    EXPECT_EQ(own->core.data_paths.data_dir, "elsewhere/");

    // One call brings the instance back to a fresh library.
    own->reset();
    EXPECT_EQ(own->core.motion.comet_mode, 0);
    EXPECT_EQ(own->core.integration.integration_time, 0.0);
    EXPECT_EQ(own->core.data_paths.data_dir, "");
    EXPECT_EQ(own->core.delta_t.n, 0);
    EXPECT_FALSE(own->eph_run.stopped);
}

TEST(LibraryState, ThreadsWithTheirOwnInstancesDoNotMeet) {
    auto a = std::make_unique<LibraryState>();
    auto b = std::make_unique<LibraryState>();
    const auto work = [](LibraryState& s, double t) {
        ScopedLibraryState use(s);
        for (int i = 0; i < 10000; ++i) {
            core_state().integration.integration_time = t + i;
            core_state().integration.x[0] = t;
        }
    };
    std::thread ta(work, std::ref(*a), 1000.0);
    std::thread tb(work, std::ref(*b), 5000.0);
    ta.join();
    tb.join();
    EXPECT_EQ(a->core.integration.integration_time, 1000.0 + 9999);
    EXPECT_EQ(b->core.integration.integration_time, 5000.0 + 9999);
    EXPECT_EQ(a->core.integration.x[0], 1000.0);
    EXPECT_EQ(b->core.integration.x[0], 5000.0);
}

// An export works on the instance current on its thread: rebuilding the
// observatory list counts the rewrite in that instance only.
TEST(LibraryState, ExportsChangeTheInstanceCurrentOnTheirThread) {
    zeltest::ScopedWorkDir work;
    const std::string data_dir = work.dir_slash() + "el/";
    std::filesystem::create_directory(data_dir);
    zeltest::write_observation_settings(data_dir, 2023, 2027);
    zeltest::write_observatory_list(data_dir, {{0, "000   0.0000 0.62411 +0.77873 Greenwich"}});
    const std::uint64_t process_writes = process_library_state().observatory_writes.count;
    LibraryState own;
    {
        ScopedLibraryState use(own);
        obswri();
        obswri();
        ASSERT_EQ(zeltest::last_message(), "");
    }
    EXPECT_EQ(own.observatory_writes.count, 2u);
    EXPECT_EQ(process_library_state().observatory_writes.count, process_writes);
}
