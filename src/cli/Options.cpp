#include "Options.h"

#include "platform/Localized.h"
#include "platform/OptionValue.h"

namespace quillet::cli {

Options parseOptions(const std::vector<std::string_view>& args) {
    Options options;
    bool onlyInputs = false;
    bool codePageGiven = false;
    bool encodingGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        auto value = [&](std::string_view name) { return platform::optionValue(args, i, name); };
        auto is = [&](std::string_view name) { return platform::namesOption(arg, name); };
        if (onlyInputs || arg == "-" || !arg.starts_with("-")) {
            options.inputs.emplace_back(arg);
        } else if (arg == "--") {
            onlyInputs = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--quotes") {
            options.drawing.quotes = true;
        } else if (arg == "--backup") {
            options.backup = true;
        } else if (is("--height")) {
            options.heightText = value("--height");
        } else if (is("--output") || arg == "-o") {
            options.output = value("--output");
        } else if (is("--code-page")) {
            if (value("--code-page") != "932")
                throw platform::UsageError{platform::localized(
                    "--code-page takes 932, the one code page a drawing declares")};
            options.drawing.drawing = conversion::DrawingKind::Declared;
            codePageGiven = true;
        } else if (is("--encoding")) {
            const std::string encoding = value("--encoding");
            if (encoding == "auto")
                options.drawing.encoding = conversion::InputEncoding::Auto;
            else if (encoding == "cp932")
                options.drawing.encoding = conversion::InputEncoding::Cp932;
            else if (encoding == "utf-8")
                options.drawing.encoding = conversion::InputEncoding::Utf8;
            else
                throw platform::UsageError{
                    platform::localized("--encoding takes auto, cp932 or utf-8")};
            encodingGiven = true;
        } else {
            throw platform::UsageError{
                platform::filled(platform::localized("unknown option %s"), {arg})};
        }
    }
    if (options.help || options.version)
        return options;
    if (options.inputs.empty())
        throw platform::UsageError{platform::localized("no input file given")};
    if (options.output && options.inputs.size() > 1)
        throw platform::UsageError{platform::localized("--output takes one input only")};
    if (!options.output && options.inputs.front() == kStandardStream)
        throw platform::UsageError{platform::localized("standard input needs --output")};
    if (encodingGiven && !codePageGiven)
        throw platform::UsageError{
            platform::localized("--encoding is for the drawing of --code-page 932")};
    return options;
}

std::string usageText(std::string_view program) {
    using platform::localized;
    // A message an option, so that an option comes and goes with its own translation.
    return platform::filled(localized("usage: %s [--height TEXT] [--output FILE] [--code-page 932]"
                                      " [--encoding auto|cp932|utf-8] [--quotes] [--backup]"
                                      " INPUT...\n"),
                            {program}) +
           localized("Converts each comma-delimited INPUT into a DXF drawing of TEXT entities.\n"
                     "INPUT - reads standard input.\n") +
           localized("  --height TEXT      text height, read like the window's height box"
                     " (default 100)\n") +
           localized("  --output FILE      the drawing to write (one INPUT only; default"
                     " INPUT.dxf);\n"
                     "                     - writes it to standard output, the report to standard"
                     " error\n") +
           localized("  --code-page 932    the drawing that declares code page 932, as 実行２"
                     " writes it:\n"
                     "                     any reader shows its Japanese; without it, 実行1's"
                     " drawing\n") +
           localized("  --encoding ENC     how --code-page 932 reads INPUT: auto (default: UTF-8"
                     " when it\n"
                     "                     starts with a byte-order mark or its first line with a"
                     " byte\n"
                     "                     of 0x80 or above is valid UTF-8, UTF-16 by its mark,"
                     " else\n"
                     "                     code page 932), cp932 or utf-8\n") +
           localized("  --quotes           read spreadsheet quoting: quoted fields, doubled quotes"
                     " and\n"
                     "                     line breaks inside quotes (by default quotes are"
                     " characters)\n") +
           localized("  --backup           a drawing that is replaced goes to the desktop's"
                     " trash\n") +
           localized("  --help             show this text\n") +
           localized("  --version          show the version\n");
}

} // namespace quillet::cli
