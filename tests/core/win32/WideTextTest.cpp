// UTF-8 in the program, UTF-16 for the system: every name comes back as it went.
#include "TestSupport.h"

#include "platform/win32/WideText.h"

namespace quillet::testing {
namespace {

using platform::win32::systemPath;
using platform::win32::toUtf8;
using platform::win32::toWide;

TEST(WideTextTest, RoundTripsEveryKindOfCharacter) {
    const std::pair<std::string, std::wstring> cases[] = {
        {"plain.csv", L"plain.csv"},
        {"配管図.csv", L"\u914D\u7BA1\u56F3.csv"},
        {"ｿｹｯﾄ〜", L"\uFF7F\uFF79\uFF6F\uFF84\u301C"},
        {"a😀b", L"a\xD83D\xDE00"
                L"b"},
        // A lone surrogate, as a name on NTFS may hold, keeps its three-byte form.
        {"\xED\xA0\x80x", L"\xD800x"},
    };
    for (const auto& [utf8, wide] : cases) {
        EXPECT_EQ(toWide(utf8), wide) << utf8;
        EXPECT_EQ(toUtf8(wide), utf8) << utf8;
    }
}

TEST(WideTextTest, BytesThatBeginNoCharacterBecomeReplacements) {
    EXPECT_EQ(toWide("a\xFF"
                     "b"),
              L"a\uFFFDb");
    EXPECT_EQ(toWide("\xC0\xAF"), L"\uFFFD\uFFFD"); // overlong
    EXPECT_EQ(toWide("\xE3\x81"), L"\uFFFD\uFFFD"); // cut short
}

TEST(WideTextTest, LongPathsTakeThePrefixThatLiftsTheLimit) {
    EXPECT_EQ(systemPath("C:/dir/in.csv"), L"C:/dir/in.csv");
    const std::string longPath = "C:\\" + std::string(300, 'a') + "\\in.csv";
    EXPECT_EQ(systemPath(longPath), L"\\\\?\\" + toWide(longPath));
    EXPECT_EQ(systemPath("\\\\host\\share\\" + std::string(300, 'b')),
              L"\\\\?\\UNC\\host\\share\\" + std::wstring(300, L'b'));
}

} // namespace
} // namespace quillet::testing
