// The shared library as the main program loads it: every exported function of
// the library's interface must be found by name with dlsym, with C linkage
// (unmangled) and default visibility.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

namespace {

// The 37 exports of the interface, by subsystem.
constexpr std::array<std::string_view, 37> kExports = {
    // numerical core
    "Inpo", "setpat", "DateT", "Closlae", "dphot", "MoonSun", "namn1", "NamePl", "NElem", "Moid", "CT", "soizm",
    "t_per", "t_as_ds", "TXYZ", "Track",
    // tasks, checks and data files
    "progr", "confl", "O_C", "Separate", "IdCalc", "PltCalc", "obspat", "obswri", "obsbak", "obsba1", "sea_obs",
    "sea_ob1", "cntl", "contreph", "cnto", "controb", "Control", "FortrAI", "restr", "contr_vv", "obscl"};

struct Closer {
    void operator()(void* h) const { dlclose(h); }
};

TEST(SharedLibraryExports, AllFoundByName) {
    std::unique_ptr<void, Closer> lib(dlopen(ZELVOMAT_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL));
    ASSERT_NE(lib, nullptr) << dlerror();
    for (std::string_view name : kExports) {
        SCOPED_TRACE(std::string(name));
        EXPECT_NE(dlsym(lib.get(), std::string(name).c_str()), nullptr)
            << name << " is not exported by the shared library";
    }
    // The error channel of every export.
    EXPECT_NE(dlsym(lib.get(), "errmsg"), nullptr);
}

TEST(SharedLibraryExports, ListsAreConsistent) {
    // Every name once.
    for (std::size_t i = 0; i < kExports.size(); ++i)
        for (std::size_t j = i + 1; j < kExports.size(); ++j) EXPECT_NE(kExports[i], kExports[j]);
}

TEST(SharedLibraryExports, InternalRoutinesStayHidden) {
    // Inside routines keep hidden visibility: only the C interface is seen.
    std::unique_ptr<void, Closer> lib(dlopen(ZELVOMAT_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL));
    ASSERT_NE(lib, nullptr) << dlerror();
    for (const char* name : {"ephem2", "inp2", "_ZN8zelvomat6ephem2EidRSt5arrayIdLm5EERs", "_ZN8zelvomat4inp2Ev"})
        EXPECT_EQ(dlsym(lib.get(), name), nullptr) << name;
}

}  // namespace
