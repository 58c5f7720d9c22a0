// The drawing error's message: what is wrong, then the file and the line.
#include "DrawingError.h"

namespace quillet::drawing {

namespace {

std::string compose(const std::string& message, std::int64_t line, const std::string& path) {
    std::string text = "図面を読めません: " + message;
    if (!path.empty() || line > 0) {
        text += " (";
        if (!path.empty())
            text += path;
        if (line > 0)
            text += (path.empty() ? "" : ", ") + std::to_string(line) + " 行目";
        text += ")";
    }
    return text;
}

} // namespace

DrawingError::DrawingError(std::string message, std::int64_t line, std::string path)
    : std::runtime_error(compose(message, line, path)), message_(std::move(message)), line_(line),
      path_(std::move(path)) {}

} // namespace quillet::drawing
