// The spatial index finds what meets a view and nothing far from it, whatever the spread.
#include "drawing/SpatialIndex.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <vector>

namespace {

using namespace quillet::drawing;

TEST(IndexTest, QueryFindsExactlyWhatMeetsTheView) {
    struct Spread {
        const char* name;
        double cluster; // part of the points in one tiny corner
    };
    for (const Spread s : {Spread{"uniform", 0}, Spread{"clustered", 0.95}}) {
        SCOPED_TRACE(s.name);
        std::mt19937 gen(3);
        std::uniform_real_distribution<double> u(0, 1000);
        std::vector<Box> boxes;
        for (int i = 0; i < 50000; ++i) {
            const bool near = u(gen) < s.cluster * 1000;
            const double x = near ? u(gen) / 1e4 : u(gen), y = near ? u(gen) / 1e4 : u(gen);
            boxes.push_back({x, y, x + 0.0001, y + 0.0001});
        }
        boxes.push_back({}); // an item with nothing to draw
        SpatialIndex index;
        index.build(
            static_cast<std::uint32_t>(boxes.size()),
            [&](std::uint32_t i) {
                return Point{boxes[i].minX, boxes[i].minY};
            },
            [&](std::uint32_t i) { return boxes[i]; });
        for (const Box view :
             {Box{10, 10, 20, 30}, Box{0, 0, 0.01, 0.01}, Box{-5, -5, 2000, 2000}}) {
            std::set<std::uint32_t> found;
            std::size_t visited = 0;
            index.query(
                view, 0,
                [&](std::uint32_t i) {
                    ++visited;
                    if (boxes[i].intersects(view))
                        found.insert(i);
                },
                [](const NodeBox&) { FAIL() << "no dust asked for"; });
            std::size_t expected = 0;
            for (const Box& b : boxes)
                expected += b.intersects(view);
            EXPECT_EQ(found.size(), expected);
            // Few items beyond those that meet the view are looked at.
            EXPECT_LE(visited, expected * 3 + 200);
        }
        // Told the box of the places, it builds the same tree without asking for it.
        Box places;
        for (const Box& b : boxes)
            if (!b.empty())
                places.add(b.minX, b.minY);
        SpatialIndex told;
        told.build(
            static_cast<std::uint32_t>(boxes.size()),
            [&](std::uint32_t begin, std::uint32_t end, Point* out) {
                for (std::uint32_t i = begin; i < end; ++i)
                    out[i - begin] = {boxes[i].minX, boxes[i].minY};
            },
            [&](std::uint32_t begin, std::uint32_t end, Box* out) {
                std::copy(boxes.begin() + begin, boxes.begin() + end, out);
            },
            nullptr, 2, &places);
        std::vector<std::uint32_t> order[2];
        for (int k = 0; k < 2; ++k)
            (k ? told : index)
                .query(
                    {-1, -1, 1001, 1001}, 0, [&](std::uint32_t i) { order[k].push_back(i); },
                    [](const NodeBox&) {});
        EXPECT_EQ(order[0], order[1]);
        // Asked for dust, a view of everything hands over nodes, not fifty thousand items.
        std::size_t items = 0, nodes = 0;
        index.query(
            {-1, -1, 1001, 1001}, 50, [&](std::uint32_t) { ++items; },
            [&](const NodeBox&) { ++nodes; });
        EXPECT_LT(items + nodes, 20000u);
        EXPECT_LE(index.extents().maxX, 1000.0002);
    }
}

// Node boxes are kept in single precision, rounded outwards: a view that just touches an item
// finds it, wherever its edges fall between floats, at zero and past the floats' range.
TEST(IndexTest, ViewTouchingAnItemFindsIt) {
    const std::vector<Box> boxes = {
        {0.1, 0.2, 0.3, 0.7},
        {-0.3, -0.7, -0.1, -0.2},
        {1e-50, -1e-50, 2e-50, 1e-50},
        {1e39, 1e39, 2e39, 2e39},
        {-2e39, -2e39, -1e39, -1e39},
        {16777217, 1, 16777219, 3}, // odd integers past float's exact ones
    };
    for (const Box& b : boxes) {
        SpatialIndex index; // the item alone: its leaf's box is its own
        index.build(
            1,
            [&](std::uint32_t) {
                return Point{b.minX, b.minY};
            },
            [&](std::uint32_t) { return b; });
        for (const Box view : {Box{b.maxX, b.maxY, b.maxX + 1, b.maxY + 1},
                               Box{b.minX - 1, b.minY - 1, b.minX, b.minY}}) {
            bool found = false;
            index.query(
                view, 0, [&](std::uint32_t) { found = true; }, [](const NodeBox&) {});
            EXPECT_TRUE(found) << b.minX << " " << b.minY << " " << b.maxX << " " << b.maxY;
        }
    }
}

} // namespace
