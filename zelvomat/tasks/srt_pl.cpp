// Sorting of the plate results by right ascension: Sort0 (index heap sort of
// one block of keys), plate_order (the order of a block sort followed by
// block-by-block merging) and srt_pl (the result files in that order).
//
// The order is that of a sort which never holds more than a few blocks of
// 100 keys: each block of 100 objects (in the order found) is heap-sorted,
// then the sorted run of blocks 1 .. b is merged with block b + 1, taking the
// block's entry whenever the run's key is greater than or equal to it. Among
// equal keys the entries of a later block therefore come first, and within a
// block they keep the heap sort's order. The same order comes from a stable
// sort of the heap-sorted blocks laid out last block first, which is what
// plate_order does in memory (n log n instead of the merge's n^2 / 100).
#include <algorithm>
#include <numeric>

#include "io/recfile.h"
#include "tasks/pltcalc.h"

namespace zelvomat {

namespace {
constexpr std::size_t kBlock = 100;
}

void Sort0(std::span<const float> keys, std::span<std::int32_t> index, bool init) {
    const std::size_t n = std::min(keys.size(), index.size());
    if (!init)
        for (std::size_t j = 0; j < n; ++j) index[j] = static_cast<std::int32_t>(j + 1);
    if (n < 2) return;
    // 1-based views of the heap.
    auto idx = [&](std::size_t i) -> std::int32_t& { return index[i - 1]; };
    auto key = [&](std::int32_t k) { return keys[static_cast<std::size_t>(k - 1)]; };
    std::size_t l = n / 2 + 1, ir = n;
    for (;;) {
        std::int32_t t = 0;
        if (l > 1) {
            // Heap construction: sift positions n/2 .. 1.
            t = idx(--l);
        } else {
            // Extraction: the root goes to the end of the heap.
            t = idx(ir);
            idx(ir) = idx(1);
            if (--ir == 1) {
                idx(1) = t;
                return;
            }
        }
        const float q = key(t);
        std::size_t i = l, j = l + l;
        while (j <= ir) {
            if (j < ir && key(idx(j)) < key(idx(j + 1))) ++j;
            if (q < key(idx(j))) {
                idx(i) = idx(j);
                i = j;
                j += j;
            } else {
                j = ir + 1;
            }
        }
        idx(i) = t;
    }
}

std::vector<std::int32_t> plate_order(std::span<const float> keys) {
    const std::size_t n = keys.size();
    std::vector<std::int32_t> order;
    order.reserve(n);
    if (n == 0) return order;
    // The heap-sorted blocks, last block first.
    const std::size_t blocks = (n + kBlock - 1) / kBlock;
    std::array<std::int32_t, kBlock> block{};
    for (std::size_t b = blocks; b-- > 0;) {
        const std::size_t first = b * kBlock, len = std::min(kBlock, n - first);
        Sort0(keys.subspan(first, len), std::span(block.data(), len), false);
        for (std::size_t j = 0; j < len; ++j) order.push_back(static_cast<std::int32_t>(first) + block[j]);
    }
    if (blocks > 1)
        std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
            return keys[static_cast<std::size_t>(a - 1)] < keys[static_cast<std::size_t>(b - 1)];
        });
    return order;
}

Status srt_pl(const PlateScratch& scratch, const std::string& result_name, const std::string& motion_name) {
    const std::size_t n = scratch.size();
    if (n == 0 || scratch.lines.size() != n || scratch.motions.size() != n)
        return error_status("internal error: no plate objects to sort");
    const std::vector<std::int32_t> order = plate_order(scratch.keys);

    auto result = io::RecordFile::open(result_name, PlateObjectLine::kLength, io::OpenMode::Update);
    if (!result) return result.status();
    auto motion = io::RecordFile::open(motion_name, PlateMotionRecord::kLength, io::OpenMode::Update);
    if (!motion) return motion.status();
    for (std::size_t i = 0; i < n; ++i) {
        const auto k = static_cast<std::size_t>(order[i] - 1);
        const auto r = static_cast<std::int64_t>(i + 1);
        // The object line: its 80 characters and two zero bytes.
        std::array<std::uint8_t, PlateObjectLine::kLength> line = scratch.lines[k];
        line[PlateObjectLine::kTextWidth] = line[PlateObjectLine::kTextWidth + 1] = 0;
        ZEL_TRY(result->write(r, line));
        ZEL_TRY(motion->write(r, scratch.motions[k]));
    }
    return ok_status();
}

}  // namespace zelvomat
