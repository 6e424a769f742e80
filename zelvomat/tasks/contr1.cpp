// The one-character mask test and the helpers the checks share (checks.h).
#include <algorithm>
#include <cstring>

#include "tasks/checks.h"

namespace zelvomat::checks {

namespace {
constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

bool fits_mask(char mask_char, char ch) {
    switch (mask_char) {
        case 't':
            return ch != '\0';
        case '1':
            return is_digit(ch);
        case '2':
            return is_digit(ch) || ch == ' ';
        case '3':
            return ch == ' ' || ch == '.';
        case '4':
            return is_digit(ch) || ch == ' ' || ch == '.';
        case '5':
            return is_digit(ch) || ch == ' ' || ch == '+' || ch == '-';
        case '6':
            return is_digit(ch) || ch == '+' || ch == '-' || ch == '.';
        case ' ':
            return ch == ' ';
        case '.':
            return ch == '.';
        case '+':
            return ch == '+' || ch == '-' || ch == ' ';
        default:
            return true;
    }
}

void contr1(char mask_char, char ch, bool& bad) {
    bad = false;
    if (!fits_mask(mask_char, ch)) bad = true;
}

std::size_t first_misfit(std::string_view mask, std::string_view text, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const char m = i < mask.size() ? mask[i] : ' ';
        const char c = i < text.size() ? text[i] : ' ';
        if (!fits_mask(m, c)) return i + 1;
    }
    return 0;
}

CheckResult mask_test(std::string_view mask, std::string_view text, std::size_t n) {
    const std::size_t pos = first_misfit(mask, text, n);
    if (pos == 0) return CheckResult::pass();
    return CheckResult::fail(CheckError::Format, static_cast<int>(pos));
}

std::string_view caller_text(const char* text, int len) {
    if (text == nullptr || len <= 0) return {};
    return {text, static_cast<std::size_t>(len)};
}

void write_back(std::span<char> buffer, std::string_view text) {
    const std::size_t n = std::min(text.size(), buffer.size());
    if (n > 0) std::memcpy(buffer.data(), text.data(), n);
}

}  // namespace zelvomat::checks
