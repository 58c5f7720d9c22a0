// Building the packed tree. The order comes from a counting sort of the items' centres into a
// Morton-ordered grid, and crowded cells are sorted again inside, so a cluster of a million
// texts in one corner still ends up in small leaves.
#include "SpatialIndex.h"

#include "DrawingError.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <exception>
#include <mutex>
#include <thread>

namespace quillet::drawing {

namespace {

// A cell with more items than this is sorted again on a finer grid of its own.
constexpr std::uint32_t kCrowded = 64;
constexpr int kSubBits = 4; // 16 x 16 sub-cells per refinement
constexpr int kMaxDepth = 10;

std::uint32_t spread(std::uint32_t v) noexcept {
    v &= 0xFFFF;
    v = (v | (v << 8)) & 0x00FF00FF;
    v = (v | (v << 4)) & 0x0F0F0F0F;
    v = (v | (v << 2)) & 0x33333333;
    v = (v | (v << 1)) & 0x55555555;
    return v;
}

// The float next to f towards minus infinity (f finite or plus infinity, not NaN): one step of
// its bits, where std::nextafter is a library call.
float stepDown(float f) noexcept {
    if (f == 0)
        return -std::numeric_limits<float>::denorm_min();
    const auto bits = std::bit_cast<std::uint32_t>(f);
    return std::bit_cast<float>(f > 0 ? bits - 1 : bits + 1);
}

// The largest float not above v, and the smallest not below it.
float down(double v) noexcept {
    const float f = static_cast<float>(v);
    return static_cast<double>(f) > v ? stepDown(f) : f;
}

float up(double v) noexcept {
    const float f = static_cast<float>(v);
    return static_cast<double>(f) < v ? -stepDown(-f) : f;
}

// Maps centres within a box to Morton keys of a 2^bits square grid.
struct Grid {
    double minX, minY, scaleX, scaleY;
    int bits;

    Grid(const Box& centres, int gridBits) : bits(gridBits) {
        const double cells = std::ldexp(1.0, gridBits);
        minX = centres.minX;
        minY = centres.minY;
        scaleX = centres.width() > 0 ? cells / centres.width() : 0;
        scaleY = centres.height() > 0 ? cells / centres.height() : 0;
    }
    std::uint32_t key(const Point& p) const noexcept {
        const std::uint32_t top = (1u << bits) - 1;
        const double cx = p.x, cy = p.y;
        const auto cell = [top](double t) {
            return !(t > 0) ? 0u : t >= top ? top : static_cast<std::uint32_t>(t);
        };
        return spread(cell((cx - minX) * scaleX)) | spread(cell((cy - minY) * scaleY)) << 1;
    }
};

void checkCancel(const std::atomic<bool>* cancel) {
    if (cancel && cancel->load(std::memory_order_relaxed))
        throw ReadCancelled();
}

// Runs work(begin, end, slot) over [0, count) in up to threads slices at once, slot being
// the slice's number; a small count runs on the calling thread alone.
template <class Work> void inSlices(std::uint32_t count, unsigned threads, Work&& work) {
    constexpr std::uint32_t kWorthAThread = 1u << 16;
    threads = std::max(1u, std::min(threads, count / kWorthAThread));
    if (threads == 1) {
        work(0u, count, 0u);
        return;
    }
    std::vector<std::thread> helpers;
    std::exception_ptr failure;
    std::mutex failureLock;
    const auto slice = [&](unsigned k) {
        try {
            work(static_cast<std::uint32_t>(std::uint64_t{count} * k / threads),
                 static_cast<std::uint32_t>(std::uint64_t{count} * (k + 1) / threads), k);
        } catch (...) {
            std::lock_guard hold(failureLock);
            failure = std::current_exception();
        }
    };
    try {
        for (unsigned k = 1; k < threads; ++k)
            helpers.emplace_back(slice, k);
    } catch (...) {
        for (auto& h : helpers)
            h.join();
        throw;
    }
    slice(0);
    for (auto& h : helpers)
        h.join();
    if (failure)
        std::rethrow_exception(failure);
}

// Calls each(i, value) for every item of [begin, end), fetching their values a run at a time.
template <class T, class Fetch, class Each>
void inRuns(std::uint32_t begin, std::uint32_t end, const Fetch& fetch, Each&& each) {
    T values[SpatialIndex::kRun];
    for (std::uint32_t at = begin; at < end;) {
        const std::uint32_t stop = std::min(end, at + SpatialIndex::kRun);
        fetch(at, stop, values);
        for (std::uint32_t i = at; i < stop; ++i)
            each(i, values[i - at]);
        at = stop;
    }
}

} // namespace

void SpatialIndex::build(std::uint32_t count, const std::function<Point(std::uint32_t)>& position,
                         const std::function<Box(std::uint32_t)>& bounds,
                         const std::atomic<bool>* cancel, unsigned threads) {
    build(
        count,
        [&](std::uint32_t begin, std::uint32_t end, Point* out) {
            for (std::uint32_t i = begin; i < end; ++i)
                out[i - begin] = position(i);
        },
        [&](std::uint32_t begin, std::uint32_t end, Box* out) {
            for (std::uint32_t i = begin; i < end; ++i)
                out[i - begin] = bounds(i);
        },
        cancel, threads);
}

void SpatialIndex::build(std::uint32_t count, const PositionRun& positions, const BoundsRun& bounds,
                         const std::atomic<bool>* cancel, unsigned threads,
                         const Box* knownPlaces) {
    const auto position = [&positions](std::uint32_t id) {
        Point p;
        positions(id, id + 1, &p);
        return p;
    };
    order_ = {};
    levels_.clear();
    extents_ = {};
    if (count == 0)
        return;
    if (threads == 0)
        threads = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    // The order comes from each item's position (a text's anchor, a line's middle), which
    // costs a load; the boxes are worked out once, for the leaves.
    Box centres;
    if (knownPlaces) {
        centres = *knownPlaces;
    } else {
        std::vector<Box> sliceBoxes(threads);
        inSlices(count, threads, [&](std::uint32_t begin, std::uint32_t end, unsigned slot) {
            Box c;
            inRuns<Point>(begin, end, positions, [&c](std::uint32_t, const Point& p) {
                if (std::isfinite(p.x) && std::isfinite(p.y))
                    c.add(p.x, p.y);
            });
            sliceBoxes[slot] = c;
        });
        for (const Box& b : sliceBoxes)
            centres.add(b);
    }
    checkCancel(cancel);

    // About eight items to a cell of the first grid; each item's cell found once.
    int bits = 0;
    while (bits < 10 && (std::uint64_t{1} << (2 * bits)) * 8 < count)
        ++bits;
    const Grid grid(centres, bits);
    // A counting sort on every core: each slice counts its items' cells, the counts give each
    // slice its places in each cell (the slices in file order), and each slice puts its items
    // there.
    const std::size_t cells = std::size_t{1} << (2 * bits);
    LargeArray<std::uint32_t> keys(count);
    // Arrays of this size come as huge pages: in small pages their faults cost as much as
    // the counting.
    std::vector<LargeArray<std::uint32_t>> places(threads);
    inSlices(count, threads, [&](std::uint32_t begin, std::uint32_t end, unsigned slot) {
        LargeArray<std::uint32_t> counts(cells);
        std::fill(counts.begin(), counts.end(), 0u);
        inRuns<Point>(begin, end, positions, [&](std::uint32_t i, const Point& p) {
            const std::uint32_t key = grid.key(p);
            keys[i] = key;
            ++counts[key];
        });
        places[slot] = std::move(counts);
    });
    LargeArray<std::uint32_t> start(cells + 1);
    std::uint32_t at = 0;
    for (std::size_t c = 0; c < cells; ++c) {
        start[c] = at;
        for (auto& slice : places) {
            if (slice.size() == 0)
                continue;
            const std::uint32_t n = slice[c];
            slice[c] = at;
            at += n;
        }
    }
    start[cells] = at;
    order_ = LargeArray<std::uint32_t>(count);
    inSlices(count, threads, [&](std::uint32_t begin, std::uint32_t end, unsigned slot) {
        LargeArray<std::uint32_t>& place = places[slot];
        for (std::uint32_t i = begin; i < end; ++i)
            order_[place[keys[i]]++] = i;
    });
    places.clear();
    checkCancel(cancel);

    // Crowded cells are sorted again on finer grids of their own positions.
    struct Range {
        std::uint32_t begin, end;
        int depth;
    };
    std::vector<Range> work;
    for (std::size_t k = 0; k + 1 < start.size(); ++k)
        if (start[k + 1] - start[k] > kCrowded)
            work.push_back({start[k], start[k + 1], 0});
    start = {};
    std::vector<std::uint32_t> scratch;
    std::vector<std::uint32_t> sub((1u << (2 * kSubBits)) + 1);
    while (!work.empty()) {
        const Range r = work.back();
        work.pop_back();
        Box c;
        for (std::uint32_t k = r.begin; k < r.end; ++k) {
            const Point p = position(order_[k]);
            if (std::isfinite(p.x) && std::isfinite(p.y))
                c.add(p.x, p.y);
        }
        if (!(c.width() > 0 || c.height() > 0))
            continue; // every item at one point: no order helps
        const Grid fine(c, kSubBits);
        std::fill(sub.begin(), sub.end(), 0);
        for (std::uint32_t k = r.begin; k < r.end; ++k)
            ++sub[fine.key(position(order_[k])) + 1];
        for (std::size_t k = 1; k < sub.size(); ++k)
            sub[k] += sub[k - 1];
        scratch.assign(order_.begin() + r.begin, order_.begin() + r.end);
        std::vector<std::uint32_t> next(sub.begin(), sub.end() - 1);
        for (std::uint32_t id : scratch)
            order_[r.begin + next[fine.key(position(id))]++] = id;
        if (r.depth + 1 < kMaxDepth)
            for (std::size_t k = 0; k + 1 < sub.size(); ++k)
                if (sub[k + 1] - sub[k] > kCrowded)
                    work.push_back({r.begin + sub[k], r.begin + sub[k + 1], r.depth + 1});
        checkCancel(cancel);
    }
    scratch = {};

    // The leaves, then each level above, until one node holds everything.
    // The leaves' boxes, worked out in the items' own order (the items' leaves written where
    // their keys were): in the tree's order every item would be a jump through memory. Each
    // slice of items has boxes of its own, joined after. Items with an empty box leave their
    // leaf as it is.
    LargeArray<std::uint32_t>& leafOf = keys;
    inSlices(count, threads, [&](std::uint32_t begin, std::uint32_t end, unsigned) {
        for (std::uint32_t k = begin; k < end; ++k)
            leafOf[order_[k]] = static_cast<std::uint32_t>(k / kFanout);
    });
    const std::size_t leafCount = (order_.size() + kFanout - 1) / kFanout;
    // The slices' leaves in single precision, rounded outwards: half the memory to scatter
    // into, which is what this pass waits for.
    constexpr float kInf = std::numeric_limits<float>::infinity();
    constexpr NodeBox kNone{kInf, kInf, -kInf, -kInf}; // meets no view
    std::vector<LargeArray<NodeBox>> sliceLeaves(threads);
    inSlices(count, threads, [&](std::uint32_t begin, std::uint32_t end, unsigned slot) {
        LargeArray<NodeBox> boxes(leafCount);
        std::fill(boxes.begin(), boxes.end(), kNone);
        inRuns<Box>(begin, end, bounds, [&](std::uint32_t i, const Box& b) {
            if (b.empty())
                return;
            NodeBox& n = boxes[leafOf[i]];
            n.minX = std::min(n.minX, down(b.minX));
            n.minY = std::min(n.minY, down(b.minY));
            n.maxX = std::max(n.maxX, up(b.maxX));
            n.maxY = std::max(n.maxY, up(b.maxY));
        });
        sliceLeaves[slot] = std::move(boxes);
    });
    keys = {};
    // The slices' leaves joined into the first slice's, on every core too, each a range.
    LargeArray<NodeBox> leaves = std::move(sliceLeaves[0]);
    inSlices(static_cast<std::uint32_t>(leafCount), threads,
             [&](std::uint32_t begin, std::uint32_t end, unsigned) {
                 for (std::size_t k = 1; k < sliceLeaves.size(); ++k) {
                     if (sliceLeaves[k].size() == 0)
                         continue;
                     for (std::uint32_t n = begin; n < end; ++n) {
                         const NodeBox& o = sliceLeaves[k][n];
                         NodeBox& b = leaves[n];
                         b.minX = std::min(b.minX, o.minX);
                         b.minY = std::min(b.minY, o.minY);
                         b.maxX = std::max(b.maxX, o.maxX);
                         b.maxY = std::max(b.maxY, o.maxY);
                     }
                 }
             });
    sliceLeaves.clear();
    checkCancel(cancel);
    for (const NodeBox& n : leaves)
        if (n.minX <= n.maxX)
            extents_.add(Box{n.minX, n.minY, n.maxX, n.maxY});
    levels_.push_back(std::move(leaves));
    while (levels_.back().size() > 1) {
        const LargeArray<NodeBox>& below = levels_.back();
        LargeArray<NodeBox> above((below.size() + kFanout - 1) / kFanout);
        for (std::size_t n = 0; n < above.size(); ++n) {
            NodeBox b = below[n * kFanout];
            const std::size_t end = std::min(below.size(), (n + 1) * kFanout);
            for (std::size_t k = n * kFanout + 1; k < end; ++k) {
                b.minX = std::min(b.minX, below[k].minX);
                b.minY = std::min(b.minY, below[k].minY);
                b.maxX = std::max(b.maxX, below[k].maxX);
                b.maxY = std::max(b.maxY, below[k].maxY);
            }
            above[n] = b;
        }
        levels_.push_back(std::move(above));
    }
}

std::size_t SpatialIndex::memoryBytes() const noexcept {
    std::size_t bytes = order_.size() * sizeof(std::uint32_t);
    for (const auto& level : levels_)
        bytes += level.size() * sizeof(NodeBox);
    return bytes;
}

} // namespace quillet::drawing
