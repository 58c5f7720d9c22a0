// The window's runs keep a drawing they replace in the freedesktop trash and say so.
#include "../FakeView.h"
#include "TestSupport.h"
#include "form/Form.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace quillet::form {
namespace {

TEST(TrashedDrawing, GoesToTheTrashAndTheReportSaysSo) {
    quillet::testing::TempDir dir;
    quillet::testing::TempDir home; // a trash of the test's own, on the folder's file system
    std::optional<std::string> saved;
    if (const char* data = std::getenv("XDG_DATA_HOME"))
        saved = data;
    ::setenv("XDG_DATA_HOME", home.str().c_str(), 1);
    quillet::testing::writeFile(dir / "pipes.csv", "A,B\r\n");
    quillet::testing::writeFile(dir / "pipes.csv.dxf", "edited in CAD");

    quillet::testing::FakeView view;
    Form form(view, [] { return std::vector<std::string>{"/"}; });
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    form.Form_Load();
    std::filesystem::current_path(previous);
    view.boxes[ControlId::txtFileName] = "pipes.csv";
    view.boxes[ControlId::txtFileS] = "pipes.csv.dxf";
    form.cmdCul2_Click();
    ASSERT_TRUE(view.finishRun(form));
    saved ? ::setenv("XDG_DATA_HOME", saved->c_str(), 1) : ::unsetenv("XDG_DATA_HOME");

    EXPECT_TRUE(view.errors.empty());
    EXPECT_EQ(view.report, "処理した文字数 : 2\r\n以前の図面はごみ箱に移しました : " +
                               (dir / "pipes.csv.dxf") + "\r\n処理終了\r\n");
    EXPECT_EQ(quillet::testing::readFile(home / "Trash/files/pipes.csv.dxf"), "edited in CAD");
    EXPECT_NE(quillet::testing::readFile(dir / "pipes.csv.dxf").find("$DWGCODEPAGE"),
              std::string::npos);
}

} // namespace
} // namespace quillet::form
