// quillet-convert: the window's conversion for scripts and batches.
#include "Options.h"
#include "Version.h"
#include "conversion/Advice.h"
#include "conversion/OutputName.h"
#include "conversion/Run.h"
#include "platform/CommandLine.h"
#include "platform/Localized.h"
#include "platform/OsError.h"
#include "platform/RunError.h"
#include "platform/TempFileCleanup.h"
#include "platform/UserLocale.h"

#include <algorithm>
#include <new>

int main(int argc, char** argv) {
    using namespace quillet;
    // Before anything else, so that no signal finds the program without its cleanup.
    platform::installSignalCleanup();
    platform::useUserLanguage();
    using platform::MessageStream;
    const platform::CommandLine line = platform::readCommandLine(argc, argv);
    const std::string program = line.program.empty() ? "quillet-convert" : line.program;
    const std::vector<std::string_view> args(line.args.begin(), line.args.end());
    cli::Options options;
    try {
        options = cli::parseOptions(args);
    } catch (const platform::UsageError& error) {
        platform::writeMessage(MessageStream::Err,
                               program + ": " + error.message + "\n" + cli::usageText(program));
        return 2;
    }
    if (options.help) {
        platform::writeMessage(MessageStream::Out, cli::usageText(program));
        return 0;
    }
    if (options.version) {
        platform::writeMessage(MessageStream::Out,
                               "quillet-convert " + std::string(kVersion) + "\n");
        return 0;
    }

    const platform::OwnedSeparators owned = platform::userSeparators();
    const platform::NumberSeparators separators = owned.view();
    conversion::ConversionState state;
    // Made while there is memory, for when there is none.
    const std::string outOfMemory =
        program + ": " + platform::RunError(platform::ErrorNumber::OutOfMemory).what() + "\n";
    conversion::RunControl control;
    control.backup = options.backup;
    int status = 0;
    for (const std::string& input : options.inputs) {
        conversion::RunEnds ends;
        ends.standardInput = input == cli::kStandardStream;
        ends.inPath = ends.standardInput ? input
                                         : conversion::composePath(platform::folderOf(input),
                                                                   platform::baseNameOf(input));
        ends.outPath = options.output ? *options.output : conversion::proposedOutput(input);
        ends.standardOutput = ends.outPath == cli::kStandardStream;
        // With the drawing on standard output, the report must not mix into it.
        const MessageStream report = ends.standardOutput ? MessageStream::Err : MessageStream::Out;
        try {
            const conversion::RunResult result = conversion::convert(
                ends, options.heightText, separators, state, options.drawing, control);
            // The report's lines end in CR LF in the window; a terminal wants LF alone.
            std::string text = conversion::reportText(result);
            // With several inputs each report says whose it is.
            if (options.inputs.size() > 1)
                text = "入力ファイル : " + input + "\r\n" + text;
            std::erase(text, '\r');
            platform::writeMessage(report, text);
        } catch (const platform::RunError& error) {
            platform::writeMessage(MessageStream::Err,
                                   program + ": " + input + ": " + error.what() + "\n");
            const std::string advice =
                conversion::adviceFor(error, {input, ends.outPath, state.textHeight});
            if (!advice.empty())
                platform::writeMessage(MessageStream::Err,
                                       program + ": " + input + ": " + advice + "\n");
            status = 1;
        } catch (const std::bad_alloc&) {
            // Composing a message may need memory there is none of; this one needs none.
            platform::writeMessage(MessageStream::Err, outOfMemory);
            status = 1;
        }
    }
    return status;
}
