#include "Options.h"

namespace quillet::cli {

Options parseOptions(const std::vector<std::string_view>& args) {
    Options options;
    bool onlyInputs = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        auto value = [&](std::string_view name) -> std::string {
            if (auto eq = arg.find('='); eq != std::string_view::npos)
                return std::string(arg.substr(eq + 1));
            if (i + 1 >= args.size())
                throw UsageError{std::string(name) + " needs a value"};
            return std::string(args[++i]);
        };
        auto is = [&](std::string_view name) {
            return arg == name ||
                   (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '=');
        };
        if (onlyInputs || arg == "-" || !arg.starts_with("-")) {
            options.inputs.emplace_back(arg);
        } else if (arg == "--") {
            onlyInputs = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (is("--height")) {
            options.heightText = value("--height");
        } else if (is("--output") || arg == "-o") {
            options.output = value("--output");
        } else {
            throw UsageError{"unknown option " + std::string(arg)};
        }
    }
    if (options.help || options.version)
        return options;
    if (options.inputs.empty())
        throw UsageError{"no input file given"};
    if (options.output && options.inputs.size() > 1)
        throw UsageError{"--output takes one input only"};
    return options;
}

std::string usageText(std::string_view program) {
    std::string p(program);
    return "usage: " + p +
           " [--height TEXT] [--output FILE] INPUT...\n"
           "Converts each comma-delimited INPUT into a DXF drawing of TEXT entities.\n"
           "  --height TEXT   text height, read like the window's height box (default 100)\n"
           "  --output FILE   the drawing to write (one INPUT only; default INPUT.dxf)\n"
           "  --help          show this text\n"
           "  --version       show the version\n";
}

std::string defaultOutputFor(std::string_view input) {
    return std::string(input) + ".dxf";
}

} // namespace quillet::cli
