// Which face the window takes for its Japanese texts, and the font made from it.
#include "UiFont.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillet::window::win32 {
namespace {

struct FaceCase {
    std::vector<std::wstring> installed;
    std::wstring chosen;
};

TEST(UiFontTest, TakesWindowsOwnJapaneseFacesFirst) {
    const FaceCase cases[] = {
        // Windows' faces by preference, whatever order the system lists them in.
        {{L"MS UI Gothic", L"Meiryo UI", L"Yu Gothic UI"}, L"Yu Gothic UI"},
        {{L"MS Gothic", L"MS UI Gothic", L"Meiryo UI"}, L"Meiryo UI"},
        {{L"@MS UI Gothic", L"MS Gothic", L"MS UI Gothic"}, L"MS UI Gothic"},
        {{L"meiryo ui"}, L"meiryo ui"},
        // Otherwise a face made for Japanese among the pan-CJK ones, as under wine.
        {{L"Noto Sans CJK KR", L"Noto Sans CJK JP", L"Noto Sans CJK SC"}, L"Noto Sans CJK JP"},
        {{L"@Noto Sans CJK JP", L"Noto Sans CJK JP"}, L"Noto Sans CJK JP"},
        // Then any upright face that holds kanji; vertical faces never.
        {{L"@MS Gothic", L"MS Gothic"}, L"MS Gothic"},
        {{L"@Noto Sans CJK JP"}, L""},
        {{}, L""},
    };
    for (const FaceCase& c : cases)
        EXPECT_EQ(chooseUiFace(c.installed), c.chosen) << c.installed.size();
}

TEST(UiFontTest, TheFontIsNinePointsAtTheWindowsDpi) {
    const std::wstring face = chooseUiFace(japaneseFaces());
    for (const auto& [dpi, pixels] : {std::pair{96, 12}, {144, 18}, {192, 24}}) {
        const HFONT font = createUiFont(face, dpi);
        ASSERT_NE(font, nullptr);
        LOGFONTW made{};
        ASSERT_NE(::GetObjectW(font, sizeof made, &made), 0);
        EXPECT_EQ(made.lfHeight, -pixels) << dpi;
        if (!face.empty()) {
            EXPECT_EQ(std::wstring(made.lfFaceName), face);
        }
        ::DeleteObject(font);
    }
}

} // namespace
} // namespace quillet::window::win32
