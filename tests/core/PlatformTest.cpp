// The platform layer's small pieces: number lines, character counts, error numbers.
#include "TestSupport.h"

#include "platform/Cp932.h"
#include "platform/OsError.h"
#include "platform/PaddedNumber.h"
#include "platform/RunError.h"

#include <climits>
#include <set>
#include <string_view>

namespace quillet::testing {
namespace {

std::string padded(std::int32_t value) {
    char buffer[platform::kPaddedNumberMax];
    return std::string(buffer, platform::formatPadded(value, buffer));
}

TEST(PaddedNumberTest, SignPositionDigitsAndOneBlank) {
    EXPECT_EQ(padded(100), " 100 ");
    EXPECT_EQ(padded(-200), "-200 ");
    EXPECT_EQ(padded(0), " 0 ");
    EXPECT_EQ(padded(-1), "-1 ");
    EXPECT_EQ(padded(INT32_MAX), " 2147483647 ");
    EXPECT_EQ(padded(INT32_MIN), "-2147483648 ");
    EXPECT_EQ(padded(INT32_MIN).size(), platform::kPaddedNumberMax);
}

TEST(Cp932Test, LeadByteAndTheByteAfterItAreOneCharacter) {
    using platform::cp932::countChars;
    EXPECT_EQ(countChars(""), 0u);
    EXPECT_EQ(countChars("abc"), 3u);
    EXPECT_EQ(countChars("\x82\xA0\x82\xA2"), 2u); // two hiragana
    EXPECT_EQ(countChars("\x95\x5C"
                         "a"),
              2u);                                 // second byte 0x5C is no character
    EXPECT_EQ(countChars("\xE0\x40\xFC\x40"), 2u); // both ends of the upper lead range
    EXPECT_EQ(countChars("\x81\x40\x9F\x40"), 2u); // both ends of the lower lead range
    EXPECT_EQ(countChars("\x80\xA0\xFD\xFF"), 4u); // bytes just outside the lead ranges
    EXPECT_EQ(countChars("\xB1\xB2"), 2u);         // half-width katakana are single
    EXPECT_EQ(countChars("a\x82"), 2u);            // a lone lead byte at the end
    EXPECT_EQ(countChars("\x82\x82\x82"), 2u);     // a lead byte as second byte
}

TEST(FolderOfTest, FolderPartOfPath) {
    EXPECT_EQ(platform::folderOf("dir/in.csv"), "dir");
    EXPECT_EQ(platform::folderOf("a/b/in.csv"), "a/b");
    EXPECT_EQ(platform::folderOf("in.csv"), ".");
    EXPECT_EQ(platform::folderOf("/in.csv"), "/");
    EXPECT_EQ(platform::folderOf("dir/"), "dir");
}

// The table is the one place numbers meet their descriptions: each number once, each with
// its own description, and every number the program raises among them.
TEST(ErrorTableTest, EveryNumberOnceWithItsOwnDescription) {
    std::set<int> numbers;
    std::set<std::string_view> descriptions;
    for (const platform::ErrorEntry& entry : platform::errorTable()) {
        EXPECT_TRUE(numbers.insert(static_cast<int>(entry.number)).second);
        EXPECT_FALSE(entry.description.empty());
        EXPECT_TRUE(descriptions.insert(entry.description).second) << entry.description;
        EXPECT_EQ(platform::describe(entry.number), entry.description);
    }
    EXPECT_EQ(numbers, (std::set<int>{5, 6, 7, 13, 52, 53, 55, 57, 61, 70, 75, 76}));
}

TEST(RunErrorMessageTest, NamesNumberDescriptionPathAndLine) {
    platform::RunError bare(platform::ErrorNumber::Overflow);
    EXPECT_STREQ(bare.what(), "実行時エラー 6: オーバーフローしました。");
    EXPECT_EQ(bare.headline(), bare.what());

    platform::RunError placed = bare.withContext("in.csv", 3);
    EXPECT_EQ(placed.code(), 6);
    EXPECT_EQ(placed.path(), "in.csv");
    EXPECT_EQ(placed.line(), 3);
    EXPECT_STREQ(placed.what(), "実行時エラー 6: オーバーフローしました。 (in.csv, 3 行目)");
    EXPECT_EQ(placed.headline(), bare.what());

    // Context already known is kept: the innermost knows best.
    platform::RunError again = placed.withContext("other.csv", 9);
    EXPECT_EQ(again.path(), "in.csv");
    EXPECT_EQ(again.line(), 3);

    platform::RunError lineOnly(platform::ErrorNumber::Overflow, {}, 7);
    EXPECT_STREQ(lineOnly.what(), "実行時エラー 6: オーバーフローしました。 (7 行目)");

    // A detail follows the description; an error in writing takes no input line.
    platform::RunError same(platform::ErrorNumber::FileAlreadyOpen, "a.csv", 0, "同じです");
    EXPECT_STREQ(same.what(), "実行時エラー 55: ファイルは既に開かれています。 同じです (a.csv)");
    EXPECT_EQ(same.headline(), "実行時エラー 55: ファイルは既に開かれています。 同じです");
    platform::RunError full =
        platform::RunError(platform::ErrorNumber::DiskFull, "o.dxf").inWriting();
    EXPECT_EQ(full.withContext("in.csv", 17754).line(), 0);
}

} // namespace
} // namespace quillet::testing
