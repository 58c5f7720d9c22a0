// A file named in code page 932 bytes, as Windows and old archives write them: shown decoded,
// opened and converted by its bytes (only POSIX names can be any bytes).
#include "../FakeView.h"
#include "TestSupport.h"
#include "form/Form.h"
#include "platform/FolderListing.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quillet::form {
namespace {

TEST(Cp932Name, IsShownDecodedAndConvertedByItsBytes) {
    const std::string name = "\x83\x65\x83\x58\x83\x67.csv"; // テスト.csv
    quillet::testing::TempDir dir;
    quillet::testing::writeFile(dir / name, "A,B\r\n");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    quillet::testing::FakeView view;
    Form form(view, [] { return std::vector<std::string>{"/"}; });
    form.Form_Load();
    std::filesystem::current_path(previous);

    ASSERT_EQ(view.files[ControlId::File1], std::vector<std::string>{"テスト.csv"});
    form.File1_Click(0);
    EXPECT_EQ(view.boxes[ControlId::txtFileName], "テスト.csv");
    EXPECT_EQ(view.boxes[ControlId::txtFileS], "テスト.csv.dxf");
    form.cmdCul1_Click();
    ASSERT_TRUE(view.finishRun(form));
    EXPECT_TRUE(view.errors.empty());
    EXPECT_TRUE(std::filesystem::exists(dir.path() / (name + ".dxf")));
    EXPECT_EQ(view.chosenIn(ControlId::File2), "テスト.csv.dxf");
    form.cmdOpen_Click();
    EXPECT_EQ(view.previews.at(0), platform::entryPath(form.dir1Path(), name + ".dxf"));
}

} // namespace
} // namespace quillet::form
