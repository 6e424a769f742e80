// Text of derived values: decimals chosen from the typed inputs, rounding of
// whole numbers, sign and placement.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tasks/frob.h"

namespace {

struct FrobCase {
    const char* what;
    int mode, sign_flag;
    const char *text1, *text2;
    double value;
    const char* expected;  // out of 12 characters
};

const FrobCase kCases[] = {
    // Decimals.
    {"mode 2: first text with 4 decimals gives 6", 2, 0, " 19.8207", "4205", 0.9417093, " 0.941709   "},
    {"mode 2: point-less first text gives 2", 2, 0, "20", "4205.5", 0.9417093, " 0.94       "},
    {"mode 2: 5 decimals would give 7, kept at 6", 2, 1, "19.82070", "4205", 0.3372546, "+0.337255   "},
    {"mode 1: two less than the fewer decimals", 1, 1, "0.94171", "+0.337", 19.82137, "+19.8       "},
    {"mode 1: never below 0 decimals", 1, 1, "0.9", "0.3", 19.82137, "+20.        "},
    {"mode 3: the fewer decimals", 3, 0, "1.2345", "6.78", 3.14159, " 3.14       "},
    {"mode 3: capped at 6", 3, 0, "1.12345678", "1.12345678", 3.14159265, " 3.141593   "},
    {"second text counts only after a point in the first", 3, 0, "12", "0.12345", 3.14159, " 3.         "},
    {"decimals stop at a blank inside the text", 3, 0, "0.12 45", "0.123", 3.14159, " 3.14       "},
    {"a value below one keeps its leading zero", 1, 1, "0.12345", "0.12345", -0.25, "-0.250      "},
    // Whole numbers.
    {"mode 0, q = 4: rounded to 100 m", 0, 1, "0.9417", "0.3372", 4249.4, "+4200       "},
    {"mode 0, q = 4: half rounds up", 0, 1, "0.9417", "0.3372", 4250.0, "+4300       "},
    {"mode 0, q = 5: rounded to 10 m", 0, 1, "0.94171", "0.33725", -45.88, "-50         "},
    {"mode 0, q = 6: rounded to the metre, halves away from zero", 0, 1, "0.941710", "0.337250", -45.5, "-46         "},
    {"mode 0, q above 6 counts as 6", 0, 1, "0.94171000", "0.33725000", 4205.4, "+4205       "},
    {"mode 0, q = 0: rounded to 1000 km", 0, 1, "1", "0", 2600000.0, "+3000000    "},
    // Signs.
    {"sign flag 1, negative value starts with -", 1, 1, "0.94171", "-0.33725", -19.82137, "-19.821     "},
    {"sign flag 1, zero is +", 1, 1, "0.94171", "0.33725", 0.0, "+0.000      "},
    {"sign flag 0 keeps one leading blank", 2, 0, "19.821", "4205", -0.94171, " 0.94171    "},
    {"other sign flags write no sign", 2, 7, "19.821", "4205", -0.94171, " 0.94171    "},
    // Too wide.
    {"a value wider than 9 characters", 1, 1, "0.12345", "0.12345", 1e9, "************"},
    {"a signed value that fills its field has no room for the sign", 0, 1, "0.123456", "0.123456", 12345678.0,
     "************"},
    {"an unsigned value that fills its field is written", 0, 0, "0.123456", "0.123456", 12345678.0, "12345678    "},
};

TEST(Frob, CasesOfDecimalsRoundingAndSign) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        std::vector<char> out(12, 'x');
        zelvomat::Frob(c.mode, c.sign_flag, c.text1, c.text2, c.value, out);
        EXPECT_EQ(std::string(out.begin(), out.end()), c.expected);
    }
}

TEST(Frob, NeverWritesPastTheOutput) {
    std::vector<char> out(5, 'x');
    zelvomat::Frob(1, 1, "0.94171", "0.33725", 19.82137, out);  // "+19.821" needs 7
    EXPECT_EQ(std::string(out.begin(), out.end()), "*****");
    std::vector<char> fits(7, 'x');
    zelvomat::Frob(1, 1, "0.94171", "0.33725", 19.82137, fits);
    EXPECT_EQ(std::string(fits.begin(), fits.end()), "+19.821");
    zelvomat::Frob(1, 1, "0.94171", "0.33725", 19.82137, std::span<char>());  // nothing to write
}

}  // namespace
