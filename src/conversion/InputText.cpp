#include "InputText.h"

#include "platform/Checked.h"
#include "platform/Cp932.h"
#include "platform/RunError.h"

namespace quillet::conversion {

namespace text = platform::text;

namespace {

constexpr std::size_t kMaxChars = 32767;

[[noreturn]] void notValidIn(const char* encoding) {
    throw platform::RunError(platform::ErrorNumber::InvalidCall, {}, 0,
                             std::string(encoding) + " として読めない行です");
}

void mustFit(std::size_t chars) {
    if (chars > kMaxChars)
        throw platform::RunError(platform::ErrorNumber::Overflow)
            .withCause(platform::OverflowCause::LineLength, static_cast<std::int64_t>(chars));
}

} // namespace

InputText::InputText(platform::ByteSource& source, DrawingOptions options)
    : options_(options), peek_(source) {
    const text::ByteOrderMark mark = text::markOf(peek_.start());
    const bool utf16 = mark == text::ByteOrderMark::Utf16Le || mark == text::ByteOrderMark::Utf16Be;
    if (utf16 && options_.drawing == DrawingKind::Classic)
        throw platform::RunError(platform::ErrorNumber::InvalidCall, {}, 0,
                                 "UTF-16 のファイルは 実行２ (quillet-convert --code-page 932) "
                                 "で変換してください");
    if (options_.drawing == DrawingKind::Classic)
        return;
    if (utf16) {
        utf16_.emplace(peek_, mark == text::ByteOrderMark::Utf16Be);
        decided_ = Decided::Utf8;
    } else if (options_.encoding == InputEncoding::Utf8 ||
               (options_.encoding == InputEncoding::Auto && mark == text::ByteOrderMark::Utf8)) {
        decided_ = Decided::Utf8;
    } else if (options_.encoding == InputEncoding::Cp932) {
        decided_ = Decided::Cp932;
    }
}

platform::ByteSource& InputText::bytes() noexcept {
    if (utf16_)
        return *utf16_;
    return peek_;
}

std::size_t InputText::maxLineBytes() const noexcept {
    // A UTF-8 character takes up to four bytes; a code page 932 character two.
    return transcodes() ? 4 * kMaxChars : platform::cp932::kMaxLineBytes;
}

std::string_view InputText::prepare(std::string_view line) {
    if (decided_ == Decided::Not) {
        if (!text::hasHighByte(line)) {
            mustFit(line.size());
            return line; // plain ASCII reads the same either way
        }
        decided_ = text::isValidUtf8(line) ? Decided::Utf8 : Decided::Cp932;
    }
    if (decided_ == Decided::Cp932) {
        const std::optional<std::size_t> chars = text::countCp932Chars(line);
        if (!chars)
            notValidIn("コードページ 932");
        mustFit(*chars);
        return line;
    }
    const std::optional<std::size_t> chars = text::countUtf8Chars(line);
    if (!chars)
        notValidIn(utf16_ ? "UTF-16" : "UTF-8");
    mustFit(*chars);
    converted_.clear();
    // Made at the first line that needs it: its table is large, and an input in code page
    // 932 or in ASCII never does.
    if (!encoder_)
        encoder_.emplace();
    encoder_->append(line, converted_);
    return converted_;
}

} // namespace quillet::conversion
