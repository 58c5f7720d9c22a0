#include "RunError.h"

#include <algorithm>
#include <array>

namespace quillet::platform {

namespace {

constexpr std::array kErrors{
    ErrorEntry{ErrorNumber::InvalidCall, "プロシージャの呼び出し、または引数が不正です。"},
    ErrorEntry{ErrorNumber::Overflow, "オーバーフローしました。"},
    ErrorEntry{ErrorNumber::OutOfMemory, "メモリが不足しています。"},
    ErrorEntry{ErrorNumber::TypeMismatch, "型が一致しません。"},
    ErrorEntry{ErrorNumber::BadFileName, "ファイル名または番号が不正です。"},
    ErrorEntry{ErrorNumber::FileNotFound, "ファイルが見つかりません。"},
    ErrorEntry{ErrorNumber::FileAlreadyOpen, "ファイルは既に開かれています。"},
    ErrorEntry{ErrorNumber::DeviceIo, "デバイス I/O エラーです。"},
    ErrorEntry{ErrorNumber::DiskFull, "ディスクの空き容量が不足しています。"},
    ErrorEntry{ErrorNumber::PermissionDenied, "アクセスが拒否されました。"},
    ErrorEntry{ErrorNumber::PathFileAccess, "パス名またはファイル名が無効です。"},
    ErrorEntry{ErrorNumber::PathNotFound, "パスが見つかりません。"},
};

std::string headlineOf(ErrorNumber number, const std::string& detail) {
    std::string message = "実行時エラー " + std::to_string(static_cast<int>(number)) + ": ";
    message += describe(number);
    if (!detail.empty())
        message += " " + detail;
    return message;
}

std::string composeMessage(ErrorNumber number, const std::string& path, std::int64_t line,
                           const std::string& detail) {
    std::string message = headlineOf(number, detail);
    if (!path.empty() || line > 0) {
        message += " (";
        if (!path.empty())
            message += path;
        if (line > 0) {
            if (!path.empty())
                message += ", ";
            message += std::to_string(line) + " 行目";
        }
        message += ")";
    }
    return message;
}

} // namespace

std::span<const ErrorEntry> errorTable() {
    return kErrors;
}

std::string_view describe(ErrorNumber number) {
    auto it = std::find_if(kErrors.begin(), kErrors.end(),
                           [number](const ErrorEntry& e) { return e.number == number; });
    return it != kErrors.end() ? it->description
                               : std::string_view{"アプリケーション定義のエラーです。"};
}

RunError::RunError(ErrorNumber number, std::string path, std::int64_t line, std::string detail)
    : std::runtime_error(composeMessage(number, path, line, detail)), number_(number),
      path_(std::move(path)), line_(line), detail_(std::move(detail)) {}

RunError RunError::withContext(const std::string& path, std::int64_t line) const {
    const std::int64_t keptLine = line_ > 0 || inWriting_ ? line_ : line;
    RunError placed(number_, path_.empty() ? path : path_, keptLine, detail_);
    placed.inWriting_ = inWriting_;
    placed.cause_ = cause_;
    placed.figure_ = figure_;
    return placed;
}

RunError RunError::inWriting() const {
    RunError marked(number_, path_, 0, detail_);
    marked.inWriting_ = true;
    return marked;
}

RunError RunError::withCause(OverflowCause cause, std::int64_t figure) const {
    RunError told = *this;
    told.cause_ = cause;
    told.figure_ = figure;
    return told;
}

std::string RunError::headline() const {
    return headlineOf(number_, detail_);
}

void raiseOverflow() {
    throw RunError(ErrorNumber::Overflow);
}

} // namespace quillet::platform
