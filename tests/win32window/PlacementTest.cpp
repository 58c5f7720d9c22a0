// The controls in pixels at the DPIs Windows offers, and Drive1's names for drives.
#include "Placement.h"

#include <gtest/gtest.h>

#include <string>

namespace quillet::window::win32 {
namespace {

struct PlaceCase {
    int dpi;
    RECT drive1;
    SIZE client;
};

TEST(PlacementTest, ScalesTwipsToTheWindowsDpi) {
    // Drive1 stands at 480, 1680 twips, 2415 by 300; the client area is 8100 by 6885.
    const PlaceCase cases[] = {
        {96, {32, 112, 32 + 161, 112 + 20}, {540, 459}},
        {120, {40, 140, 40 + 201, 140 + 25}, {675, 574}},
        {144, {48, 168, 48 + 242, 168 + 30}, {810, 689}},
        {192, {64, 224, 64 + 322, 224 + 40}, {1080, 918}},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.dpi);
        const RECT got = pixelRect(form::control(form::ControlId::Drive1), c.dpi);
        EXPECT_EQ(got.left, c.drive1.left);
        EXPECT_EQ(got.top, c.drive1.top);
        EXPECT_EQ(got.right, c.drive1.right);
        EXPECT_EQ(got.bottom, c.drive1.bottom);
        EXPECT_EQ(clientSize(c.dpi).cx, c.client.cx);
        EXPECT_EQ(clientSize(c.dpi).cy, c.client.cy);
    }
}

TEST(PlacementTest, EveryControlStaysInsideTheClientAreaAtEveryScale) {
    for (int dpi : {96, 108, 120, 144, 168, 192, 240, 288, 384}) {
        const SIZE client = clientSize(dpi);
        for (const form::Control& control : form::kControls) {
            SCOPED_TRACE(std::string(control.name) + " at " + std::to_string(dpi));
            const RECT place = pixelRect(control, dpi);
            EXPECT_GE(place.left, 0);
            EXPECT_GE(place.top, 0);
            EXPECT_LE(place.right, client.cx);
            EXPECT_LE(place.bottom, client.cy);
            EXPECT_GT(place.right, place.left);
            EXPECT_GT(place.bottom, place.top);
        }
    }
}

TEST(PlacementTest, TheWindowIsLargerThanItsClientArea) {
    const SIZE client = clientSize(96);
    const SIZE window = windowSizeFor(client, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, 96);
    EXPECT_GT(window.cx, client.cx);
    EXPECT_GT(window.cy, client.cy); // the caption
}

} // namespace
} // namespace quillet::window::win32
