// The window program's command line: what it opens, and what it answers without a window.
#include "AppOptions.h"
#include "Version.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

using quillet::app::decideStart;
using quillet::app::parseAppOptions;
using quillet::platform::UsageError;

TEST(AppOptionsTest, ReadsFileAndFlags) {
    struct Case {
        std::vector<std::string_view> args;
        std::optional<std::string> file;
        bool help;
        bool version;
    };
    const Case cases[] = {
        {{}, {}, false, false},
        {{"list.csv"}, "list.csv", false, false},
        {{"../drawings/plan.dxf"}, "../drawings/plan.dxf", false, false},
        {{"--help"}, {}, true, false},
        {{"-h", "a.csv"}, "a.csv", true, false},
        {{"--version"}, {}, false, true},
        {{"--", "-odd.csv"}, "-odd.csv", false, false},
        {{"--", "--help"}, "--help", false, false},
    };
    for (const Case& c : cases) {
        auto options = parseAppOptions(c.args);
        EXPECT_EQ(options.file, c.file) << (c.args.empty() ? "" : c.args[0]);
        EXPECT_EQ(options.help, c.help);
        EXPECT_EQ(options.version, c.version);
    }
}

TEST(AppOptionsTest, RefusesWhatItCannotFollow) {
    const std::vector<std::vector<std::string_view>> cases = {
        {"a.csv", "b.csv"}, {"--height", "5"}, {"-"}, {"--version=1"}, {"-platform", "xcb"}};
    for (const auto& args : cases)
        EXPECT_THROW(parseAppOptions(args), UsageError) << args[0];
}

TEST(AppOptionsTest, AnswersWithoutWindow) {
    struct Case {
        std::vector<std::string_view> args;
        std::optional<int> status;
        std::string out;
        bool errorText;
    };
    const std::string version = "quillet " + std::string(quillet::kVersion) + "\n";
    const Case cases[] = {
        {{"list.csv"}, {}, "", false},
        {{"--version"}, 0, version, false},
        {{"--help"}, 0, quillet::app::appUsageText(), false},
        {{"--bogus"}, 2, "", true},
    };
    for (const Case& c : cases) {
        std::ostringstream out, err;
        auto decision = decideStart(c.args, out, err);
        EXPECT_EQ(decision.exitStatus, c.status) << c.args[0];
        EXPECT_EQ(out.str(), c.out) << c.args[0];
        EXPECT_EQ(err.str().starts_with("quillet: unknown option --bogus\nusage: quillet"),
                  c.errorText)
            << err.str();
    }
}

} // namespace
