#include "zelvo/graphics/ellist.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>
#include <thread>

namespace zelvo::elements {

// ---- Sort order ---------------------------------------------------------------------

namespace {

// Rounding that a computed MOID may show below its geometric bound, AU.
constexpr double kMoidMargin = 1e-7;

// 0 for a number, 1 for a value that is not finite (it sorts after them all).
int valueRank(double v) { return std::isfinite(v) ? 0 : 1; }

std::string_view firstChars(std::string_view t, std::size_t n) {
    t = t.substr(0, std::min(t.size(), n));
    const std::size_t z = t.find('\0');
    return z == std::string_view::npos ? t : t.substr(0, z);
}

}  // namespace

bool IndexLess(std::int32_t a, std::int32_t b) { return a < b; }
bool IndexGreater(std::int32_t a, std::int32_t b) { return a > b; }

bool NameLess(std::string_view a, std::string_view b) {
    return compareCaseBlind(firstChars(a, 18), firstChars(b, 18)) < 0;
}
bool NameGreater(std::string_view a, std::string_view b) { return NameLess(b, a); }

bool ValueLess(double a, double b) {
    const int ra = valueRank(a), rb = valueRank(b);
    if (ra != rb) return ra < rb;
    return ra == 0 && a < b;
}
bool ValueGreater(double a, double b) {
    const int ra = valueRank(a), rb = valueRank(b);
    if (ra != rb) return ra < rb;
    return ra == 0 && a > b;
}

bool SlopeLess(double a, double b) { return ValueLess(effectiveSlope(a), effectiveSlope(b)); }
bool SlopeGreater(double a, double b) { return ValueGreater(effectiveSlope(a), effectiveSlope(b)); }

bool NcLess(std::string_view a, std::string_view b) { return compareCaseBlind(firstChars(a, 3), firstChars(b, 3)) < 0; }
bool NcGreater(std::string_view a, std::string_view b) { return NcLess(b, a); }

namespace {

// Sorts items by keys (one per item) with before(key a, key b); equal keys
// keep their order.
template <class Key, class Before>
void sortByKeys(std::vector<ElementListItem>& items, const std::vector<Key>& keys, Before before) {
    std::vector<std::uint32_t> order(items.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t x, std::uint32_t y) { return before(keys[x], keys[y]); });
    std::vector<ElementListItem> sorted;
    sorted.reserve(items.size());
    for (std::uint32_t k : order) sorted.push_back(items[k]);
    items = std::move(sorted);
}

// A name key: the first 18 characters in lower case, zero-padded, so that
// comparing the bytes is the case-blind order.
using NameKey = std::array<unsigned char, 18>;

NameKey nameKey(std::string_view name) {
    NameKey k{};
    name = firstChars(name, 18);
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        k[i] = (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
    }
    return k;
}

}  // namespace

void SortItems(std::vector<ElementListItem>& items, int column, bool ascending, const CatalogueCache& cache,
               int derivedCode) {
    const std::size_t n = items.size();
    if (n < 2) return;
    if (column == kColumnNumber) {
        std::vector<std::int32_t> keys(n);
        for (std::size_t k = 0; k < n; ++k) keys[k] = items[k].record;
        if (ascending)
            sortByKeys(items, keys, IndexLess);
        else
            sortByKeys(items, keys, IndexGreater);
    } else if (column == kColumnName || (column == kColumnDerived && derivedCode == kCodeCommensurability)) {
        std::vector<NameKey> keys(n);
        for (std::size_t k = 0; k < n; ++k) {
            if (column == kColumnName) {
                keys[k] = nameKey(textField(cache.text(items[k].record), txt::kName));
            } else {
                // Only p, the colon and q count.
                keys[k] = nameKey(firstChars(items[k].derivedText(), 3));
            }
        }
        const auto less = [](const NameKey& a, const NameKey& b) { return a < b; };
        const auto greater = [](const NameKey& a, const NameKey& b) { return b < a; };
        if (ascending)
            sortByKeys(items, keys, less);
        else
            sortByKeys(items, keys, greater);
    } else {
        std::vector<double> keys(n);
        for (std::size_t k = 0; k < n; ++k)
            keys[k] = column == kColumnDerived ? items[k].value : cache.record(items[k].record).column(column);
        if (column == kColumnG) {
            if (ascending)
                sortByKeys(items, keys, SlopeLess);
            else
                sortByKeys(items, keys, SlopeGreater);
        } else if (ascending) {
            sortByKeys(items, keys, ValueLess);
        } else {
            sortByKeys(items, keys, ValueGreater);
        }
    }
}

// ---- The list ----------------------------------------------------------------------

std::string number_text(std::int32_t number) {
    if (number <= 0) return std::string(6, ' ');
    char buf[16];
    std::snprintf(buf, sizeof buf, "%6d", static_cast<int>(number));
    return buf;
}

std::string trimBlanks(std::string_view t) {
    const std::size_t b = t.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    const std::size_t e = t.find_last_not_of(' ');
    return std::string(t.substr(b, e - b + 1));
}

namespace {

// Runs fill(k) for every k below n in chunks, on workers threads (on this
// thread for one), and asks progress on this thread now and then; false when
// progress stopped it.
bool fillInChunks(std::size_t n, unsigned workers, const std::function<void(std::size_t)>& fill,
                  const DerivedProgress& progress) {
    constexpr std::size_t kChunk = 64;
    std::atomic<std::size_t> next{0}, done{0};
    std::atomic<bool> stop{false};
    const auto take = [&] {
        if (stop.load(std::memory_order_relaxed)) return false;
        const std::size_t first = next.fetch_add(kChunk, std::memory_order_relaxed);
        if (first >= n) return false;
        const std::size_t last = std::min(n, first + kChunk);
        for (std::size_t k = first; k < last; ++k) fill(k);
        done.fetch_add(last - first, std::memory_order_release);
        return true;
    };
    using Clock = std::chrono::steady_clock;
    Clock::time_point asked = Clock::now();
    const auto ask = [&] {
        if (!progress || Clock::now() - asked < std::chrono::milliseconds(20)) return;
        asked = Clock::now();
        if (!progress(static_cast<long long>(done.load(std::memory_order_acquire)), static_cast<long long>(n)))
            stop.store(true);
    };
    // Asked once before the first object, so that a Cancel pressed at once
    // stops it before any work.
    if (progress && !progress(0, static_cast<long long>(n))) return false;
    if (workers <= 1) {
        while (take()) ask();
        return !stop.load();
    }
    {
        std::vector<std::jthread> pool;
        for (unsigned t = 0; t < workers; ++t)
            pool.emplace_back([&] {
                while (take()) {
                }
            });
        while (done.load(std::memory_order_acquire) < n && !stop.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ask();
        }
    }  // the threads end here
    return !stop.load();
}

}  // namespace

bool costlyDerivedCode(int code) { return code == kCodeMoid || code == kCodeTisserand; }

ElementList::ElementList(std::shared_ptr<const CatalogueCache> cache, ElementListSetup setup, Library& lib,
                         const DerivedProgress& progress)
    : cache_(std::move(cache)), setup_(std::move(setup)) {
    slotRow_.fill(-1);
    const ElementQuery& q = setup_.query;
    const int code = q.QueryFunctionCode;
    const bool active = q.active();
    const QueryRow& fn = q.rows[kFunction];
    const DerivedCalculator calc(lib, setup_.derived);
    const std::vector<std::int32_t>& listed = q.ObjectListSet;
    std::size_t nextListed = 0;
    const std::int32_t total = cache_->count();
    for (std::int32_t r = 0; r < total; ++r) {
        if (q.UseObjectList) {
            while (nextListed < listed.size() && listed[nextListed] < r + 1) ++nextListed;
            if (nextListed == listed.size()) break;
            if (listed[nextListed] != r + 1) continue;
        }
        const ElementRecord rec = cache_->record(r);
        if (rec.absent()) continue;
        if (active && !passesElementRows(q, r, rec, cache_->text(r))) continue;
        if (code == kCodeOppositionMagnitude && !(rec.a * (1 + rec.e) > 1.1)) continue;
        // The library's MOID is costly: an object whose MOID cannot pass the
        // Function row (its orbit is farther from the fixed one than the
        // bound) is not computed.
        if (active && code == kCodeMoid && !rowMayPassFrom(fn, calc.moidLowerBound(rec) - kMoidMargin)) continue;
        ElementListItem item;
        item.record = r;
        items_.push_back(item);
    }
    if (code == 0) return;

    // The derived values, on every core for the costly ones (the library's
    // MOID and CT keep no state), then the Function row over them in order.
    const unsigned workers =
        costlyDerivedCode(code) && items_.size() >= 256 ? std::clamp(std::thread::hardware_concurrency(), 1u, 64u) : 1;
    const auto fill = [&](std::size_t k) {
        ElementListItem& item = items_[k];
        const std::string text = calc.listText(item.record, cache_->record(item.record), code, &item.value);
        std::memcpy(item.derived.data(), text.data(), std::min(text.size(), item.derived.size()));
    };
    if (!fillInChunks(items_.size(), workers, fill, progress)) {
        items_.clear();
        cancelled_ = true;
        return;
    }
    if (!active) return;
    std::size_t kept = 0;
    for (std::size_t k = 0; k < items_.size(); ++k) {
        const bool pass = code == kCodeCommensurability ? rowPassesText(fn, items_[k].derivedText())
                                                        : rowPassesNumber(fn, items_[k].value);
        if (pass) items_[kept++] = items_[k];
    }
    items_.resize(kept);
}

double ElementList::value(int row, int column) const {
    const ElementListItem& it = items_[static_cast<std::size_t>(row)];
    if (column == kColumnNumber) return it.record + 1.0;
    if (column == kColumnDerived) return it.value;
    if (column >= 2 && column <= 10) return cache_->record(it.record).column(column);
    return std::numeric_limits<double>::quiet_NaN();
}

void ElementList::loadRow(int row) {
    const int slot = row % kSlots;
    std::memcpy(slots_[static_cast<std::size_t>(slot)].data(), cache_->text(record(row)), kTextRecord);
    slotRow_[static_cast<std::size_t>(slot)] = row;
    ++loads_;
}

const char* ElementList::rowText(int row) {
    const int slot = row % kSlots;
    if (slotRow_[static_cast<std::size_t>(slot)] != row) loadRow(row);
    return slots_[static_cast<std::size_t>(slot)].data();
}

void ElementList::cacheHint(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, count() - 1);
    for (int row = first; row <= last; ++row)
        if (slotRow_[static_cast<std::size_t>(row % kSlots)] != row) loadRow(row);
}

std::string ElementList::cellText(int row, int column) {
    if (row < 0 || row >= count()) return {};
    switch (column) {
        case kColumnNumber:
            return number(row) == 0 ? std::string() : number_text(number(row));
        case kColumnDerived: {
            if (!hasDerivedColumn()) return {};
            std::string_view t = items_[static_cast<std::size_t>(row)].derivedText();
            const int code = derivedCode();
            if (code == kCodeCommensurability)
                t = t.substr(0, std::min<std::size_t>(3, t.size()));
            else if (code >= kCodePerihelionTime)
                t = t.substr(0, std::min<std::size_t>(setup_.derived.calendarDateForm ? 14 : 13, t.size()));
            return trimBlanks(t);
        }
        default:
            break;
    }
    static constexpr std::size_t kOffsets[11] = {0,          txt::kName, txt::kH, txt::kG, txt::kM, txt::kPeri,
                                                 txt::kNode, txt::kIncl, txt::kE, txt::kN, txt::kA};
    if (column < 1 || column > 10) return {};
    return std::string(textField(rowText(row), kOffsets[column]));
}

void ElementList::sort(int column, bool ascending) {
    SortItems(items_, column, ascending, *cache_, derivedCode());
    slotRow_.fill(-1);
    for (int row = 0; row < std::min(count(), kSlots); ++row) loadRow(row);
}

std::string ElementList::derivedTitle() const {
    const int code = derivedCode();
    if (code <= 0 || code >= kDerivedCodeCount) return {};
    std::string t = DerivedElementNames[code];
    const DerivedInputs& d = setup_.derived;
    if (code == kCodeMoid || code == kCodeTisserand)
        t += "(" + std::to_string(d.fixedObjectNumber) + ")";
    else if (code == kCodeCommensurability)
        t += "(" + std::to_string(d.fixedObjectNumber) + ", ieps=" + std::to_string(d.ncRange) + ")";
    else if (code >= kCodePerihelionTime)
        t += d.calendarDateForm ? "(CD)" : "(JD)";
    return t;
}

std::array<std::string, 3> ElementList::taskInfo() const {
    std::array<std::string, 3> lines;
    if (!queryText().empty()) lines[0] = "Filter:" + queryText();
    lines[1] = "Records: " + std::to_string(count()) + ";";
    if (hasDerivedColumn()) lines[1] += "  Function: " + derivedTitle();
    if (setup_.query.UseObjectList) lines[2] = "Object List: " + shortPath(setup_.query.ObjectListFile);
    return lines;
}

std::string ElementList::outputDerivedText(int row) const {
    std::string_view t = items_[static_cast<std::size_t>(row)].derivedText();
    return trimBlanks(t.substr(0, std::min<std::size_t>(14, t.size())));
}

}  // namespace zelvo::elements
