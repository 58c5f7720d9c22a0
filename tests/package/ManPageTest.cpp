// The man pages hold what the programs know: every run-time error of the error table with its
// description as printed, and every option that a usage text names.
#include "cli/Options.h"
#include "platform/RunError.h"
#ifdef QUILLET_WINDOW_MAN
#include "AppOptions.h"
#endif

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>

namespace {

std::string readPage(const char* path) {
    std::ifstream in(path);
    EXPECT_TRUE(in) << "cannot read " << path;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Returns number -> description from the DIAGNOSTICS section: a ".B N" line, then the
// description on the next line.
std::map<int, std::string> listedErrors(const std::string& page) {
    std::map<int, std::string> listed;
    std::istringstream lines(page);
    std::string line;
    bool inSection = false;
    static const std::regex numberLine(R"(\.B ([0-9]+))");
    while (std::getline(lines, line)) {
        if (line.starts_with(".SH "))
            inSection = line == ".SH DIAGNOSTICS";
        std::smatch match;
        if (inSection && std::regex_match(line, match, numberLine)) {
            std::string description;
            std::getline(lines, description);
            listed[std::stoi(match[1])] = description;
        }
    }
    return listed;
}

// Expects every --option of usage in the OPTIONS section of page, written as roff writes a dash.
void expectOptionsListed(const std::string& usage, const std::string& page) {
    auto begin = page.find("\n.SH OPTIONS\n");
    ASSERT_NE(begin, std::string::npos) << "no OPTIONS section";
    const std::string options = page.substr(begin, page.find("\n.SH ", begin + 1) - begin);
    static const std::regex option("--[a-z][a-z-]*");
    for (std::sregex_iterator it(usage.begin(), usage.end(), option), end; it != end; ++it) {
        std::string roff = std::regex_replace(it->str(), std::regex("-"), "\\-");
        EXPECT_NE(options.find(roff), std::string::npos) << it->str() << " is not listed";
    }
}

TEST(ManPageTest, ConverterPageListsEveryRunTimeError) {
    auto listed = listedErrors(readPage(QUILLET_CONVERT_MAN));
    ASSERT_FALSE(listed.empty()) << "no DIAGNOSTICS list found";
    for (const auto& entry : quillet::platform::errorTable()) {
        int number = static_cast<int>(entry.number);
        auto it = listed.find(number);
        ASSERT_NE(it, listed.end()) << "error " << number << " is not listed";
        EXPECT_EQ(it->second, entry.description) << "error " << number;
    }
}

TEST(ManPageTest, PagesListEveryOptionOfTheUsageText) {
    expectOptionsListed(quillet::cli::usageText("quillet-convert"), readPage(QUILLET_CONVERT_MAN));
#ifdef QUILLET_WINDOW_MAN
    expectOptionsListed(quillet::app::appUsageText(), readPage(QUILLET_WINDOW_MAN));
#endif
}

} // namespace
