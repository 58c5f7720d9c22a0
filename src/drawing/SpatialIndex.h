// A packed tree of boxes over a drawing's items, built once after reading: the items sorted
// into a space-filling order, sixteen to a leaf, sixteen nodes to a parent. Painting asks it
// for what meets the view and touches nothing else; below a given size a whole node stands
// for its items, so even a view of ten million texts stays bounded by the pixels it has.
#pragma once

#include "Geometry.h"
#include "LargeArray.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace quillet::drawing {

// A box in single precision, rounded outwards, for the tree's nodes.
struct NodeBox {
    float minX, minY, maxX, maxY;
};

class SpatialIndex {
  public:
    static constexpr std::size_t kFanout = 16;

    // Write what items begin to end - 1 give (a run of at most kRun items) to out[0] on.
    using PositionRun = std::function<void(std::uint32_t begin, std::uint32_t end, Point* out)>;
    using BoundsRun = std::function<void(std::uint32_t begin, std::uint32_t end, Box* out)>;
    static constexpr std::uint32_t kRun = 256;

    // Builds the index over count items whose places positions gives (each item asked once,
    // more in crowded places) and whose boxes bounds gives (each asked once), a run of items
    // at a time, on up to threads threads at once (0: one per processor; both functions must
    // allow that). knownPlaces, when given, is the box of every finite place, which the caller
    // may know without asking each item; else each item is asked once more for it. Throws
    // ReadCancelled when cancel turns true, and std::bad_alloc.
    void build(std::uint32_t count, const PositionRun& positions, const BoundsRun& bounds,
               const std::atomic<bool>* cancel = nullptr, unsigned threads = 1,
               const Box* knownPlaces = nullptr);
    // The same with the items asked one at a time.
    void build(std::uint32_t count, const std::function<Point(std::uint32_t)>& position,
               const std::function<Box(std::uint32_t)>& bounds,
               const std::atomic<bool>* cancel = nullptr, unsigned threads = 1);

    // Calls item(i) for every item whose node meets view; a node smaller than dust across
    // both ways is handed to small(box) instead of its items.
    template <class Item, class Small>
    void query(const Box& view, double dust, Item&& item, Small&& small) const {
        if (levels_.empty())
            return;
        visit(levels_.size() - 1, 0, view, dust, item, small);
    }

    // Returns the union of every item's box.
    const Box& extents() const noexcept { return extents_; }
    std::size_t size() const noexcept { return order_.size(); }
    std::size_t memoryBytes() const noexcept;

  private:
    template <class Item, class Small>
    void visit(std::size_t level, std::size_t node, const Box& view, double dust, Item& item,
               Small& small) const {
        const LargeArray<NodeBox>& boxes = levels_[level];
        const std::size_t first = node * kFanout;
        const std::size_t last = std::min(first + kFanout, level ? levels_[level - 1].size() : 0);
        const NodeBox& b = boxes[node];
        if (b.maxX < view.minX || b.minX > view.maxX || b.maxY < view.minY || b.minY > view.maxY)
            return;
        if (b.maxX - b.minX < dust && b.maxY - b.minY < dust) {
            small(b);
            return;
        }
        if (level == 0) {
            const std::size_t end = std::min(first + kFanout, order_.size());
            for (std::size_t k = first; k < end; ++k)
                item(order_[k]);
            return;
        }
        for (std::size_t child = first; child < last; ++child)
            visit(level - 1, child, view, dust, item, small);
    }

    LargeArray<std::uint32_t> order_;         // item numbers in tree order
    std::vector<LargeArray<NodeBox>> levels_; // leaves first, the root's level last
    Box extents_;
};

} // namespace quillet::drawing
