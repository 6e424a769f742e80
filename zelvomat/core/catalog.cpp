// Element catalogue access and packed provisional designations.
//
// The layouts of the five catalogue files are described in catalog.h. A name
// lookup is a bisection over "indnm" that reads two small records per step
// (about 2 log2(total count) reads); the name list is never loaded, and the
// slope list is the only catalogue data held in memory.
//
// Packed provisional designations follow the Minor Planet Center's rules:
// century letter (I = 18, J = 19, K = 20), two year digits, half-month letter,
// two characters of cycle count (digits up to 99, then a letter of the packed
// alphabet for the tens: A0 = 100, a0 = 360, z9 = 619), second letter; the
// survey designations 2040 P-L, 3138 T-1 pack as PLS2040, T1S3138. Readable
// designations of 1900-1924 begin with "A9" in place of "19" ("A913 CF").
#include "core/catalog.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/setpar.h"
#include "core/utils.h"
#include "io/bytes.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "io/files.h"

namespace zelvomat {

using namespace catalogue;

namespace {

// Position (1-based) of c in the packed alphabet; 0 when it is none of it.
int alphabet_position(char c) {
    const std::size_t p = kAlphabet.find(c);
    return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Two characters read as a number, blanks skipped; -1 when they are not.
int two_digits(char a, char b) {
    int v = 0;
    bool any = false;
    for (char c : {a, b}) {
        if (c == ' ') continue;
        if (!is_digit(c)) return -1;
        v = v * 10 + (c - '0');
        any = true;
    }
    return any ? v : 0;
}

template <std::size_t N>
std::array<char, N> padded(std::string_view text) {
    std::array<char, N> out;
    out.fill(' ');
    std::copy_n(text.begin(), std::min(N, text.size()), out.begin());
    return out;
}

template <std::size_t N>
bool all_blank(const std::array<char, N>& t) {
    return std::all_of(t.begin(), t.end(), [](char c) { return c == ' ' || c == '\0'; });
}

// The extended packed form of the Minor Planet Center for cycle counts of
// 620 and more: "_", the year less 2000 as one base-62 digit, the half-month
// letter, and (cycle - 620) x 25 + the second letter's place (A = 0 .. Z =
// 24, no I) as four base-62 digits: "_QC0000" is 2026 CA620. The readable
// form takes 10 characters up to cycle 999, which is as far as it is read.
constexpr std::string_view kBase62 = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr std::string_view kSecondLetters = "ABCDEFGHJKLMNOPQRSTUVWXYZ";
constexpr char kExtendedMark = '_';
constexpr int kExtendedFirstCycle = 620;
constexpr int kExtendedLastCycle = 999;

int base62(char c) {
    const std::size_t p = kBase62.find(c);
    return p == std::string_view::npos ? -1 : static_cast<int>(p);
}

// "_QC0000" -> "2026 CA620"; blank when it is not that form or its cycle
// count passes 999.
DesignationText extended_unpack(const DesignationText& in) {
    DesignationText out;
    out.fill(' ');
    const int year = base62(in[1]);
    int v = 0;
    for (int i = 3; i < 7; ++i) {
        const int d = base62(in[static_cast<std::size_t>(i)]);
        if (d < 0) return out;
        v = v * 62 + d;
    }
    const int cycle = kExtendedFirstCycle + v / 25;
    if (year < 0 || kSecondLetters.find(in[2]) == std::string_view::npos || cycle > kExtendedLastCycle ||
        std::any_of(in.begin() + 7, in.end(), [](char c) { return c != ' '; }))
        return out;
    const std::string text = std::to_string(2000 + year) + ' ' + in[2] +
                             kSecondLetters[static_cast<std::size_t>(v % 25)] + std::to_string(cycle);
    std::copy(text.begin(), text.end(), out.begin());
    return out;
}

// "2026 CA620" (work without the blank: "2026CA620") -> "_QC0000"; false when
// the text is no designation of a cycle count from 620 to 999 of the years
// 2000-2061.
bool extended_pack(const DesignationText& work, DesignationText& out) {
    for (int i : {0, 1, 2, 3, 6, 7, 8})
        if (!is_digit(work[static_cast<std::size_t>(i)])) return false;
    const int year = (work[0] - '0') * 1000 + (work[1] - '0') * 100 + (work[2] - '0') * 10 + (work[3] - '0');
    const int cycle = (work[6] - '0') * 100 + (work[7] - '0') * 10 + (work[8] - '0');
    const std::size_t second = kSecondLetters.find(work[5]);
    if (year < 2000 || year > 2061 || cycle < kExtendedFirstCycle || second == std::string_view::npos ||
        kSecondLetters.find(work[4]) == std::string_view::npos)
        return false;
    int v = (cycle - kExtendedFirstCycle) * 25 + static_cast<int>(second);
    out.fill(' ');
    out[0] = kExtendedMark;
    out[1] = kBase62[static_cast<std::size_t>(year - 2000)];
    out[2] = work[4];
    for (int i = 6; i >= 3; --i, v /= 62) out[static_cast<std::size_t>(i)] = kBase62[static_cast<std::size_t>(v % 62)];
    return true;
}

Status not_open() { return error_status("The element catalogue is not open."); }

// Range and presence of object n, for the routines that must have an object.
Status check_object(const CatalogueState& st, std::int32_t n, bool need_present) {
    if (!st.open) return not_open();
    if (n < 1 || n > st.counts.total())
        return error_status("Object number " + std::to_string(n) + " is outside the element catalogue (1 .. " +
                            std::to_string(st.counts.total()) + ").");
    if (need_present && !catalogue_has(st, n))
        return error_status("Object number " + std::to_string(n) + " is not in the element catalogue.");
    return ok_status();
}

// Record n of one of the four files: from its mapping while the mappings
// are whole (checked once an exported call), else read from the file.
Status read_record(const CatalogueState& st, const io::RecordFile& file, const io::MappedFile& map, std::int64_t n,
                   std::span<std::uint8_t> out) {
    const CatalogueState::Mapped& m = st.mapped;
    if (m.checked_call != export_calls()) {
        m.checked_call = export_calls();
        m.whole = m.index.whole() && m.names.whole() && m.magnitudes.whole() && m.elements.whole();
    }
    const std::size_t length = out.size();
    if (m.whole && n >= 1 && static_cast<std::size_t>(n) * length <= map.bytes().size()) {
        std::memcpy(out.data(), map.bytes().data() + static_cast<std::size_t>(n - 1) * length, length);
        return ok_status();
    }
    return file.read(n, out);
}

Status read_name_record(const CatalogueState& st, std::int32_t n, NameText& out) {
    std::uint8_t rec[kNameRecord];
    ZEL_TRY(read_record(st, st.names, st.mapped.names, n, rec));
    std::memcpy(out.data(), rec, kNameRecord);
    return ok_status();
}

}  // namespace

// ---- Packed designations --------------------------------------------------------

DesignationText desunpack(std::string_view packed_text) {
    const DesignationText in = padded<kPackedWidth>(packed_text);
    DesignationText out;
    out.fill(' ');
    if (all_blank(in)) return out;
    if (in[0] == kExtendedMark) return extended_unpack(in);
    // pos[1..9] is the result before the blank after the year is inserted.
    std::array<char, 10> pos;
    pos.fill(' ');
    if (in[0] == 'P' || in[0] == 'T') {
        // Survey: PLS2040 -> 2040P-L.
        pos[1] = in[3], pos[2] = in[4], pos[3] = in[5], pos[4] = in[6];
        pos[5] = in[0], pos[6] = '-', pos[7] = in[1];
    } else {
        pos[3] = in[1], pos[4] = in[2], pos[5] = in[3];  // year digits, half-month letter
        pos[6] = in[6];                                  // second letter
        const int d = alphabet_position(in[4]);
        if (d > 9) {
            // Cycle count of 100 and more: tens as a letter, then the units digit.
            pos[7] = static_cast<char>('0' + d / 10), pos[8] = static_cast<char>('0' + d % 10);
            pos[9] = in[5];
        } else {
            const int c = two_digits(in[4], in[5]);
            if (c > 0 && c < 10)
                pos[7] = in[5];
            else if (c >= 10)
                pos[7] = in[4], pos[8] = in[5];
        }
        if (in[0] == 'J') {
            pos[1] = '1', pos[2] = '9';
            if (in[1] < '2' || (in[1] == '2' && in[2] < '5')) pos[1] = 'A';
        } else {
            const int century = alphabet_position(in[0]);
            pos[1] = static_cast<char>('0' + century / 10), pos[2] = static_cast<char>('0' + century % 10);
        }
    }
    for (int i = 0; i < 4; ++i) out[i] = pos[i + 1];
    for (int i = 0; i < 5; ++i) out[5 + i] = pos[5 + i];
    return out;
}

DesignationText despack(std::string_view readable) {
    DesignationText work = padded<kPackedWidth>(readable);
    DesignationText out;
    out.fill(' ');
    if (work[4] == ' ')
        for (int i = 4; i < 9; ++i) work[i] = work[i + 1];
    work[9] = ' ';
    if (all_blank(work)) return out;
    if (extended_pack(work, out)) return out;
    if ((work[4] == 'P' || work[4] == 'T') && work[5] == '-') {
        // Survey: 2040P-L -> PLS2040.
        out[0] = work[4], out[1] = work[6], out[2] = 'S';
        for (int i = 0; i < 4; ++i) out[3 + i] = work[i];
        return out;
    }
    out[1] = work[2], out[2] = work[3], out[3] = work[4];
    out[4] = '0', out[5] = '0';
    out[6] = work[5];
    const int c = two_digits(work[6], work[7]);
    const char x = work[8];
    if (c >= 1 && c <= 9) {
        out[5] = work[6];
    } else if (c >= 10 && x == ' ') {
        out[4] = work[6], out[5] = work[7];
    } else if (c >= 10 && c <= static_cast<int>(kAlphabet.size())) {
        out[4] = kAlphabet[static_cast<std::size_t>(c - 1)], out[5] = x;
    }
    if ((work[0] == '1' || work[0] == 'A') && work[1] == '9') {
        out[0] = 'J';
    } else {
        const int century = two_digits(work[0], work[1]);
        out[0] = century >= 1 && century <= static_cast<int>(kAlphabet.size())
                     ? kAlphabet[static_cast<std::size_t>(century - 1)]
                     : '?';
    }
    return out;
}

NameText catalogue_key(std::string_view name_record, bool unnumbered) {
    NameText key = padded<kNameRecord>(name_record);
    if (unnumbered) {
        const DesignationText d = desunpack(std::string_view(key.data(), kPackedWidth));
        std::copy(d.begin(), d.end(), key.begin());
    }
    strup(std::span<char>(key));
    return key;
}

// ---- Opening ------------------------------------------------------------------

Status catopen(CatalogueState& cat) {
    using namespace setpar;
    auto fail = [](const std::string& why) { return error_status("The element catalogue cannot be opened: " + why); };
    CatalogueState next;
    std::int32_t slope_count = 0;
    {
        auto f = io::RecordFile::open(std::string(files::kSettings), kRecordLength, io::OpenMode::Read);
        if (!f) return fail(f.message());
        std::uint8_t rec[kRecordLength];
        Status s = f->read(kRecEditionFlag, rec);
        if (!s) return fail(s.message());
        next.comet_mode = io::get_i32(rec, 0);
        if ((s = f->read(kRecParams, rec)); !s) return fail(s.message());
        const PackageParams p = decode_params(rec);
        if (Status c = check_params(p); !c) return fail(c.message());
        next.epoch_jd = p.catalogue_epoch;
        next.counts.numbered = p.numbered;
        next.counts.unnumbered = p.objects - p.numbered;
        if ((s = f->read(kRecSlopeList, rec)); !s) return fail(s.message());
        slope_count = io::get_i32(rec, 4);
        if (slope_count < 0)
            return fail("the settings file names " + std::to_string(slope_count) + " slope parameters.");
        if ((s = f->read(kRecDataDir, rec)); !s) return fail(s.message());
        next.data_dir = std::string(io::trim_right(io::get_text(rec, 0, kPathLength)));
    }
    const std::int64_t total = next.counts.total();
    struct Part {
        io::RecordFile* file;
        std::string_view name;
        std::size_t length;
    };
    for (const Part& part :
         {Part{&next.index, files::kCatIndex, kIndexRecord}, Part{&next.names, files::kCatNames, kNameRecord},
          Part{&next.magnitudes, files::kCatMagnitudes, kHRecord},
          Part{&next.elements, files::kCatElements, kElementRecord}}) {
        auto f = io::RecordFile::open(io::find_file(next.data_dir, part.name), part.length, io::OpenMode::Read);
        if (!f) return fail(f.message());
        auto count = f->record_count();
        if (!count) return fail(count.message());
        if (*count < total)
            return fail("the file " + f->path() + " holds " + std::to_string(*count) + " records for " +
                        std::to_string(total) + " objects.");
        *part.file = std::move(*f);
    }
    // The mappings; a file that cannot be mapped is read record by record.
    struct Map {
        io::MappedFile* map;
        const io::RecordFile* file;
    };
    bool mapped = true;
    for (const Map& m : {Map{&next.mapped.index, &next.index}, Map{&next.mapped.names, &next.names},
                         Map{&next.mapped.magnitudes, &next.magnitudes}, Map{&next.mapped.elements, &next.elements}}) {
        auto f = io::MappedFile::open(m.file->path());
        if (f) *m.map = std::move(*f);
        mapped = mapped && f.ok();
    }
    if (!mapped) next.mapped = {};
    if (slope_count > 0) {
        // The length of the list is checked against the file before anything
        // of it is held.
        auto f = io::RecordFile::open(io::find_file(next.data_dir, files::kCatSlopes), kSlopePair, io::OpenMode::Read);
        if (!f) return fail(f.message());
        auto pairs = f->record_count();
        if (!pairs) return fail(pairs.message());
        if (*pairs < slope_count)
            return fail("the file " + f->path() + " holds " + std::to_string(*pairs) + " slope parameters, not the " +
                        std::to_string(slope_count) + " of the settings file.");
        std::vector<std::uint8_t> list(kSlopePair * static_cast<std::size_t>(slope_count));
        if (Status s = f->read_run(1, list); !s) return fail(s.message());
        const io::Bytes all(list);
        next.slopes.numbers.resize(static_cast<std::size_t>(slope_count));
        next.slopes.texts.resize(static_cast<std::size_t>(slope_count));
        for (std::size_t i = 0; i < static_cast<std::size_t>(slope_count); ++i) {
            const io::Bytes pair = all.subspan(i * kSlopePair, kSlopePair);
            next.slopes.numbers[i] = io::get_i32(pair, kSlopeNumberOffset);
            std::memcpy(next.slopes.texts[i].data(), pair.data() + kSlopeTextOffset, kPhotText);
            if (i > 0 && next.slopes.numbers[i] <= next.slopes.numbers[i - 1])
                return fail("the slope parameters of " + f->path() + " are not in ascending order of number.");
        }
    }
    next.open = true;
    cat = std::move(next);
    return ok_status();
}

// ---- Reading ------------------------------------------------------------------

bool catalogue_has(const CatalogueState& st, std::int32_t n) {
    if (!st.open || n < 1 || n > st.counts.total()) return false;
    NameText name;
    if (!read_name_record(st, n, name).ok()) return false;
    return !all_blank(name);
}

Result<ElementSet> catelem(const CatalogueState& st, std::int32_t n) {
    ZEL_TRY(check_object(st, n, true));
    std::uint8_t rec[kElementRecord];
    if (Status s = read_record(st, st.elements, st.mapped.elements, n, rec); !s)
        return error_status("The elements of object " + std::to_string(n) + " cannot be read: " + s.message());
    ElementSet e{};
    e[0] = st.epoch_jd;
    for (std::size_t i = 0; i < 6; ++i) {
        e[i + 1] = io::get_f64(rec, 8 * i);
        if (!std::isfinite(e[i + 1]))
            return error_status("The elements of object " + std::to_string(n) + " in " + st.elements.path() +
                                " are damaged: they hold a value that is not a number.");
    }
    return e;
}

Result<std::string> catname(const CatalogueState& st, std::int32_t n) {
    ZEL_TRY(check_object(st, n, false));
    NameText name;
    if (Status s = read_name_record(st, n, name); !s)
        return error_status("The name of object " + std::to_string(n) + " cannot be read: " + s.message());
    if (n > st.counts.numbered) {
        const DesignationText d = desunpack(std::string_view(name.data(), kPackedWidth));
        std::copy(d.begin(), d.end(), name.begin());
    }
    return std::string(name.data(), name.size());
}

Result<Photometry> catphot(const CatalogueState& st, std::int32_t n) {
    ZEL_TRY(check_object(st, n, true));
    Photometry ph;
    std::copy(kDefaultSlopeText.begin(), kDefaultSlopeText.end(), ph.g_text.begin());
    ph.g = kDefaultSlope;
    if (n <= st.counts.numbered && !st.slopes.numbers.empty()) {
        const std::int32_t pos = ibsearch(st.slopes.numbers, n);
        const std::size_t next = static_cast<std::size_t>(pos);
        if (next < st.slopes.numbers.size() && st.slopes.numbers[next] == n) {
            ph.g_text = st.slopes.texts[next];
            auto g = io::read_real(std::string_view(ph.g_text.data(), kPhotText), 2);
            if (!g)
                return error_status("The slope parameter \"" + std::string(ph.g_text.data(), kPhotText) +
                                    "\" of object " + std::to_string(n) + " is not a number.");
            ph.g = *g;
        }
    }
    std::uint8_t rec[kHRecord];
    if (Status s = read_record(st, st.magnitudes, st.mapped.magnitudes, n, rec); !s)
        return error_status("The magnitude of object " + std::to_string(n) + " cannot be read: " + s.message());
    std::memcpy(ph.h_text.data(), rec, kHRecord);
    auto h = io::read_real(std::string_view(ph.h_text.data(), kPhotText), 0);
    if (!h)
        return error_status("The absolute magnitude \"" + std::string(ph.h_text.data(), kPhotText) + "\" of object " +
                            std::to_string(n) + " is not a number.");
    ph.h = *h;
    return ph;
}

std::int32_t ibsearch(std::span<const std::int32_t> list, std::int32_t key) {
    const auto count = static_cast<std::int32_t>(list.size());
    if (count == 0 || list[0] >= key) return 0;
    if (list[static_cast<std::size_t>(count - 1)] < key) return count;
    std::int32_t lo = 1, hi = count;
    while (hi - lo > 1) {
        const std::int32_t mid = (hi - lo + 1) / 2 + lo;
        if (list[static_cast<std::size_t>(mid - 1)] < key)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

// ---- Name lookup ----------------------------------------------------------------

namespace {

// Key of the k-th name in name order and the catalogue number it belongs to.
bool candidate(const CatalogueState& st, std::int32_t k, NameText& key, std::int32_t& number) {
    std::uint8_t rec[kIndexRecord];
    if (!read_record(st, st.index, st.mapped.index, k, rec).ok()) return false;
    number = io::get_i32(rec, 0);
    if (number < 1 || number > st.counts.total()) return false;
    NameText name;
    if (!read_name_record(st, number, name).ok()) return false;
    key = catalogue_key(std::string_view(name.data(), name.size()), number > st.counts.numbered);
    return true;
}

int compare(const NameText& a, const NameText& b) {
    return std::memcmp(a.data(), b.data(), a.size());  // unsigned bytes
}

}  // namespace

std::int32_t catnum(const CatalogueState& st, std::string_view name) {
    if (!st.open) return 0;
    NameText key = padded<kNameRecord>(name);
    for (char& c : key)
        if (c == '\0') c = ' ';
    strup(std::span<char>(key));
    // A designation typed without its blank: 1999AB12 -> 1999 AB12, A913CF ->
    // A913 CF, 2040P-L -> 2040 P-L. Only a key that begins with a year (four
    // digits, or A9 and two digits) followed by a letter is such a
    // designation; other keys that begin with a digit, as the names of
    // periodic comets (1P/Halley, 29P/Schwassmann-Wachmann), stand as typed.
    const bool year = ((key[0] >= '1' && key[0] <= '9' && is_digit(key[1])) || (key[0] == 'A' && key[1] == '9')) &&
                      is_digit(key[2]) && is_digit(key[3]);
    if (year && key[4] >= 'A' && key[4] <= 'Z') {
        NameText k2;
        k2.fill(' ');
        std::copy_n(key.begin(), 4, k2.begin());
        std::copy_n(key.begin() + 4, 5, k2.begin() + 5);
        key = k2;
    }
    // Absent objects have blank names: a blank key names nothing.
    if (all_blank(key)) return 0;
    const std::int32_t total = st.counts.total();
    if (total < 1) return 0;

    NameText cand;
    std::int32_t number = 0;
    std::int32_t lo = 0;
    if (!candidate(st, 1, cand, number)) return 0;
    if (compare(key, cand) > 0) {
        if (!candidate(st, total, cand, number)) return 0;
        if (compare(key, cand) > 0) return 0;
        lo = 1;
        std::int32_t hi = total;
        while (hi - lo > 1) {
            const std::int32_t mid = (hi - lo + 1) / 2 + lo;
            if (!candidate(st, mid, cand, number)) return 0;
            if (compare(cand, key) < 0)
                lo = mid;
            else
                hi = mid;
        }
    }
    if (lo + 1 > total || !candidate(st, lo + 1, cand, number)) return 0;
    return compare(cand, key) == 0 ? number : 0;
}

void catclose(CatalogueState& c) {
    c.index.close();
    c.names.close();
    c.magnitudes.close();
    c.elements.close();
    c.mapped = {};
    c.open = false;
}

}  // namespace zelvomat
