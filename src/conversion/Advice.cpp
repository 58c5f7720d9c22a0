// What to do about a failed run, worked out from the error and what the run was given.
#include "Advice.h"

#include <cmath>
#include <cstdlib>

namespace quillet::conversion {

namespace {

std::string number(std::int64_t n) {
    return std::to_string(n);
}

} // namespace

std::int64_t largestColumnCount(std::int16_t height) {
    // The X of column n is (n - 1) x height x 10: the limit on the side the sign points to.
    if (height == 0)
        return -1;
    const std::int64_t step = std::int64_t{std::abs(height)} * 10;
    const std::int64_t room = height > 0 ? 32767 : 32768;
    return room / step + 1;
}

std::int64_t largestRowCount(std::int16_t height) {
    // The Y of the n-th text of a column is -(height x (n - 1)) x 2.
    if (height == 0)
        return -1;
    const std::int64_t step = std::int64_t{std::abs(height)} * 2;
    const std::int64_t room = height > 0 ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
    return room / step + 1;
}

std::string adviceFor(const platform::RunError& error, const AdviceContext& context) {
    using platform::OverflowCause;
    if (context.inputName.empty())
        return "入力ファイル名が空です。上の一覧からファイルを選ぶか、入力ファイル名を入力してくだ"
               "さい。";
    if (context.outputName.empty())
        return "出力ファイル名が空です。書き出す図面の名前を入力してください。";
    if (error.number() != platform::ErrorNumber::Overflow)
        return {};
    const std::string height = number(context.height);
    switch (error.cause()) {
    case OverflowCause::Column:
        return number(error.figure()) + " 列目の X 座標が -32768～32767 を超えました。文字の高さ " +
               height + " では " + number(largestColumnCount(context.height)) +
               " 列までです。高さを小さくするか、空行を減らして列を少なくしてください。";
    case OverflowCause::LineLength:
        return (error.figure() > 0 ? "この行は " + number(error.figure()) + " 文字あります。"
                                   : std::string("この行は 32767 文字を超えています。")) +
               "1 行は 32767 文字までです。行を分けてください。";
    case OverflowCause::Row:
        return "Y 座標が 32 ビットの範囲を超えました。文字の高さ " + height + " では 1 列は " +
               number(largestRowCount(context.height)) +
               " 文字までです。空行を入れて列を分けるか、高さを小さくしてください。";
    case OverflowCause::EmptyLines:
        return "空行が 32767 を超えました。列は 32768 列までです。";
    case OverflowCause::Unknown:
        break;
    }
    return {};
}

std::string failureReport(const platform::RunError& error, const AdviceContext& context) {
    std::string report = error.headline();
    if (error.line() > 0)
        report += " (" + number(error.line()) + " 行目)";
    report += "\r\n";
    if (const std::string advice = adviceFor(error, context); !advice.empty())
        report += advice + "\r\n";
    return report;
}

std::string heightNote(std::string_view heightText, platform::NumberSeparators separators,
                       std::int16_t used) {
    double value = 0;
    try {
        value = platform::textToNumber(heightText, separators);
    } catch (const platform::RunError&) {
        return {};
    }
    if (value == std::floor(value))
        return {};
    const auto first = heightText.find_first_not_of(" \t\r\n");
    const auto last = heightText.find_last_not_of(" \t\r\n");
    heightText = heightText.substr(first, last - first + 1);
    return "文字の高さ " + std::string(heightText) + " は小数を切り下げて " + number(used) +
           " として使いました。";
}

} // namespace quillet::conversion
