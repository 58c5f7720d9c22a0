// quillet-convert: the window's conversion for scripts and batches.
#include "Options.h"
#include "Version.h"
#include "conversion/Run.h"
#include "platform/OsError.h"
#include "platform/RunError.h"
#include "platform/TempFileCleanup.h"

#include <clocale>
#include <cstdio>
#include <iostream>
#include <locale.h>
#include <new>

namespace {

// The separators of LC_NUMERIC from the environment; the C locale's when it names none.
quillet::platform::NumberSeparators environmentSeparators() {
    std::setlocale(LC_NUMERIC, "");
    const lconv* conv = std::localeconv();
    quillet::platform::NumberSeparators separators;
    if (conv->decimal_point && *conv->decimal_point)
        separators.decimal = conv->decimal_point;
    separators.group = conv->thousands_sep && *conv->thousands_sep ? conv->thousands_sep : ",";
    return separators;
}

std::string baseName(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int main(int argc, char** argv) {
    using namespace quillet;
    // Before anything else, so that no signal finds the program without its cleanup.
    platform::installSignalCleanup();
    const std::string program = argc > 0 ? baseName(argv[0]) : "quillet-convert";
    std::vector<std::string_view> args(argv + 1, argv + argc);
    cli::Options options;
    try {
        options = cli::parseOptions(args);
    } catch (const cli::UsageError& error) {
        std::cerr << program << ": " << error.message << "\n" << cli::usageText(program);
        return 2;
    }
    if (options.help) {
        std::cout << cli::usageText(program);
        return 0;
    }
    if (options.version) {
        std::cout << "quillet-convert " << kVersion << "\n";
        return 0;
    }

    const platform::NumberSeparators separators = environmentSeparators();
    conversion::ConversionState state;
    // Made while there is memory, for when there is none.
    const std::string outOfMemory =
        program + ": " + platform::RunError(platform::ErrorNumber::OutOfMemory).what() + "\n";
    int status = 0;
    for (const std::string& input : options.inputs) {
        conversion::RunEnds ends;
        ends.standardInput = input == cli::kStandardStream;
        ends.inPath = ends.standardInput
                          ? input
                          : conversion::composePath(platform::folderOf(input), baseName(input));
        ends.outPath = options.output ? *options.output : cli::defaultOutputFor(input);
        ends.standardOutput = ends.outPath == cli::kStandardStream;
        // With the drawing on standard output, the report must not mix into it.
        std::ostream& report = ends.standardOutput ? std::cerr : std::cout;
        try {
            const conversion::RunResult result =
                conversion::convert(ends, options.heightText, separators, state, options.drawing);
            // The report's lines end in CR LF in the window; a terminal wants LF alone.
            for (char c : conversion::reportText(result))
                if (c != '\r')
                    report << c;
            report << std::flush;
        } catch (const platform::RunError& error) {
            std::cerr << program << ": " << input << ": " << error.what() << std::endl;
            status = 1;
        } catch (const std::bad_alloc&) {
            // Composing a message may need memory there is none of; this one needs none.
            std::fputs(outOfMemory.c_str(), stderr);
            status = 1;
        }
    }
    return status;
}
