// The man pages hold what the programs know: every run-time error of the error table with its
// description as printed, and every option that a usage text names, no more; the Japanese pages
// list the same options and errors as the English ones.
#include "cli/Options.h"
#include "platform/RunError.h"
#ifdef QUILLET_WINDOW_MAN
#include "AppOptions.h"
#endif

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

std::string readPage(const char* path) {
    std::ifstream in(path);
    EXPECT_TRUE(in) << "cannot read " << path;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The section names of a page in each language.
struct Sections {
    std::string options, diagnostics;
};
const Sections kEnglish{".SH OPTIONS", ".SH DIAGNOSTICS"};
const Sections kJapanese{".SH オプション", ".SH 診断"};

// Returns number -> description from the diagnostics section: a ".B N" line, then the
// description on the next line.
std::map<int, std::string> listedErrors(const std::string& page, const Sections& sections) {
    std::map<int, std::string> listed;
    std::istringstream lines(page);
    std::string line;
    bool inSection = false;
    static const std::regex numberLine(R"(\.B ([0-9]+))");
    while (std::getline(lines, line)) {
        if (line.starts_with(".SH "))
            inSection = line == sections.diagnostics;
        std::smatch match;
        if (inSection && std::regex_match(line, match, numberLine)) {
            std::string description;
            std::getline(lines, description);
            listed[std::stoi(match[1])] = description;
        }
    }
    return listed;
}

// Returns the long options text names, written as usage writes them ("--name") or as roff does
// ("\-\-name").
std::set<std::string> longOptions(const std::string& text) {
    static const std::regex option(R"((--|\\-\\-)([a-z][a-z0-9\\-]*[a-z0-9]))");
    std::set<std::string> names;
    for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it)
        names.insert("--" + std::regex_replace((*it)[2].str(), std::regex(R"(\\-)"), "-"));
    return names;
}

// Returns the options section of page.
std::string optionsSection(const std::string& page, const Sections& sections) {
    const std::size_t begin = page.find("\n" + sections.options + "\n");
    EXPECT_NE(begin, std::string::npos) << "no " << sections.options;
    if (begin == std::string::npos)
        return {};
    return page.substr(begin, page.find("\n.SH ", begin + 1) - begin);
}

TEST(ManPageTest, ConverterPagesListEveryRunTimeError) {
    for (const auto& [path, sections] :
         {std::pair{QUILLET_CONVERT_MAN, kEnglish}, std::pair{QUILLET_CONVERT_MAN_JA, kJapanese}}) {
        SCOPED_TRACE(path);
        auto listed = listedErrors(readPage(path), sections);
        ASSERT_FALSE(listed.empty()) << "no list of errors found";
        for (const auto& entry : quillet::platform::errorTable()) {
            int number = static_cast<int>(entry.number);
            auto it = listed.find(number);
            ASSERT_NE(it, listed.end()) << "error " << number << " is not listed";
            EXPECT_EQ(it->second, entry.description) << "error " << number;
        }
        EXPECT_EQ(listed.size(), std::size(quillet::platform::errorTable()));
    }
}

// Each page in each language lists exactly the long options of its program's usage text.
TEST(ManPageTest, PagesListTheOptionsOfTheUsageText) {
    struct Program {
        std::string usage;
        const char* english;
        const char* japanese;
    };
    std::vector<Program> programs = {
        {quillet::cli::usageText("quillet-convert"), QUILLET_CONVERT_MAN, QUILLET_CONVERT_MAN_JA}};
#ifdef QUILLET_WINDOW_MAN
    programs.push_back({quillet::app::appUsageText(), QUILLET_WINDOW_MAN, QUILLET_WINDOW_MAN_JA});
#endif
    for (const Program& program : programs) {
        SCOPED_TRACE(program.english);
        const std::set<std::string> usage = longOptions(program.usage);
        ASSERT_FALSE(usage.empty());
        const std::string english = optionsSection(readPage(program.english), kEnglish);
        const std::string japanese = optionsSection(readPage(program.japanese), kJapanese);
        EXPECT_EQ(longOptions(english), usage);
        EXPECT_EQ(longOptions(japanese), longOptions(english));
    }
}

} // namespace
