#include "RunError.h"

#include <algorithm>
#include <array>

namespace quillet::platform {

namespace {

constexpr std::array kErrors{
    ErrorEntry{ErrorNumber::Overflow, "オーバーフローしました。"},
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

std::string composeMessage(ErrorNumber number, const std::string& path, std::int64_t line) {
    std::string message = "実行時エラー " + std::to_string(static_cast<int>(number)) + ": ";
    message += describe(number);
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

RunError::RunError(ErrorNumber number, std::string path, std::int64_t line)
    : std::runtime_error(composeMessage(number, path, line)), number_(number),
      path_(std::move(path)), line_(line) {}

RunError RunError::withContext(const std::string& path, std::int64_t line) const {
    return RunError(number_, path_.empty() ? path : path_, line_ > 0 ? line_ : line);
}

std::string RunError::headline() const {
    return "実行時エラー " + std::to_string(code()) + ": " + std::string(description());
}

void raiseOverflow() {
    throw RunError(ErrorNumber::Overflow);
}

} // namespace quillet::platform
