// The one-character mask test and the mask test of a text.
#include <gtest/gtest.h>

#include <string>

#include "tasks/checks.h"

using namespace zelvomat::checks;

namespace {

// Probe characters, in the order of the columns of the table below: the digit
// bounds and a middle digit, the characters next to the digits in byte order
// ('/' and ':'), blank, point, plus, minus, a letter, the zero byte and a byte
// above 127.
constexpr char kProbe[] = {'0', '5', '9', '/', ':', ' ', '.', '+', '-', 'a', '\0', '\xE9'};
constexpr std::size_t kProbes = sizeof kProbe;

}  // namespace

TEST(Contr1, EveryMaskCharacter) {
    // 1 = accepted, from the definition of each mask character.
    const struct {
        char mask;
        const char* accepts;  // one digit per probe character
        const char* what;
    } cases[] = {
        {'t', "111111111101", "anything but the zero byte"},
        {'1', "111000000000", "a digit"},
        {'2', "111001000000", "a digit or a blank"},
        {'3', "000001100000", "a blank or a point"},
        {'4', "111001100000", "a digit, a blank or a point"},
        {'5', "111001011000", "a digit, a blank, + or -"},
        {'6', "111000111000", "a digit, +, - or a point"},
        {' ', "000001000000", "a blank only"},
        {'.', "000000100000", "a point only"},
        {'+', "000001011000", "+, - or a blank"},
        {'x', "111111111111", "other mask: anything"},
        {'0', "111111111111", "other mask: anything"},
        {'\0', "111111111111", "other mask: anything"},
    };
    for (const auto& c : cases) {
        for (std::size_t i = 0; i < kProbes; ++i) {
            SCOPED_TRACE(testing::Message() << "mask '" << c.mask << "' (" << c.what << "), probe byte "
                                            << static_cast<int>(static_cast<unsigned char>(kProbe[i])));
            const bool accept = c.accepts[i] == '1';
            bool bad = !accept;  // contr1 must set it in both directions
            contr1(c.mask, kProbe[i], bad);
            EXPECT_EQ(bad, !accept);
            EXPECT_EQ(fits_mask(c.mask, kProbe[i]), accept);
        }
    }
}

TEST(Contr1, MaskTestOfText) {
    const struct {
        const char* mask;
        std::string text;
        std::size_t n;
        int position;  // 0 = passes
        const char* what;
    } cases[] = {
        {"2232", "12.5", 4, 0, "all fit"},
        {"2232", "1245", 4, 3, "digit under 3"},
        {"2222", "1.34", 4, 2, "point under 2"},
        {"tt", " x", 2, 0, "t accepts a blank"},
        {"tt", std::string("a\0", 2), 2, 2, "t refuses the zero byte"},
        {"66", "1 ", 2, 2, "6 refuses a blank"},
        {"1111", "12", 4, 3, "short text is blank-padded: a 1 past its end fails"},
        {"11", "12xyz", 2, 0, "positions past n are not tested"},
        {"1", "1 x", 3, 3, "positions past the mask demand blanks"},
        {"1 1", "a.b", 3, 1, "two faults: the first from the left"},
        {"5222", "-1x2", 4, 3, "sign then a letter"},
        {"", "", 0, 0, "nothing to test"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(first_misfit(c.mask, c.text, c.n), static_cast<std::size_t>(c.position));
        const CheckResult r = mask_test(c.mask, c.text, c.n);
        EXPECT_EQ(r.ok(), c.position == 0);
        EXPECT_EQ(r.error, c.position == 0 ? CheckError::None : CheckError::Format);
        EXPECT_EQ(r.position, c.position);
    }
}

TEST(Contr1, CodesAreTheNumbersTheMainProgramIndexes) {
    EXPECT_EQ(code(CheckError::None), 0);
    EXPECT_EQ(code(CheckError::Format), 1);
    EXPECT_EQ(code(CheckError::OutOfRange), 2);
    EXPECT_EQ(code(CheckError::ObservatoryAbsent), 3);
    EXPECT_EQ(code(CheckError::PlateSizeAbsent), 6);
    EXPECT_EQ(code(CheckError::DateOutsidePackage), 7);
    EXPECT_EQ(code(CheckError::ObservatoryCodeFixed), 10);
}

TEST(Contr1, CallerTextsAreReadAndWrittenWithinTheirLength) {
    const char buf[] = "ABCDEF";
    EXPECT_EQ(caller_text(buf, 3), "ABC");
    EXPECT_EQ(caller_text(nullptr, 3), "");
    EXPECT_EQ(caller_text(buf, 0), "");
    EXPECT_EQ(caller_text(buf, -2), "");

    char out[6] = {'x', 'x', 'x', 'x', 'x', 'y'};
    write_back(std::span<char>(out, 5), "1234567");
    EXPECT_EQ(std::string(out, 6), "12345y");  // never past the buffer
    write_back(std::span<char>(out, 5), "ab");
    EXPECT_EQ(std::string(out, 6), "ab345y");  // the rest left as it was
}
