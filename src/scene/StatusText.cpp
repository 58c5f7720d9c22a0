// The status line's texts.
#include "StatusText.h"

#include "drawing/Shortfall.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quillet::scene {

namespace {

const char* const kSeparator = "   ";

} // namespace

std::string groupedNumber(std::uint64_t n) {
    const std::string digits = std::to_string(n);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

std::string coordinateText(double v, double step) {
    char text[64];
    // Digits below what the view or the drawing can tell apart are noise ("-25.8849914").
    if (step > 0 && std::isfinite(step) && std::isfinite(v) && std::abs(v) < 1e15) {
        const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(step))), 0, 6);
        std::snprintf(text, sizeof text, "%.*f", decimals, v);
        std::string s = text;
        if (s.find('.') != std::string::npos)
            s.erase(s.find_last_not_of('0') + 1); // "1060.00" is 1060, as %g writes it
        if (s.back() == '.')
            s.pop_back();
        return s == "-0" ? "0" : s;
    }
    std::snprintf(text, sizeof text, "%.10g", v);
    return text;
}

std::string cursorText(double x, double y, double unitsPerPixel) {
    return "X " + coordinateText(x, unitsPerPixel) + "  Y " + coordinateText(y, unitsPerPixel);
}

std::string StatusText::joined() const {
    std::string line;
    for (const std::string* part : {&warning, &counts, &extents, &guessed, &notDrawn})
        if (!part->empty())
            line += (line.empty() ? "" : kSeparator) + *part;
    return line;
}

std::string StatusText::toolTip() const {
    // A narrow window cuts the line's end off: the tooltip holds all of it, and every kind.
    std::string tip;
    for (const std::string* part : {&warning, &counts, &extents, &guessed})
        if (!part->empty())
            tip += (tip.empty() ? "" : "\n") + *part;
    if (!notDrawnDetail.empty())
        tip += (tip.empty() ? "" : "\n") + std::string("描かないもの:\n") + notDrawnDetail;
    while (!tip.empty() && tip.back() == '\n')
        tip.pop_back();
    return tip;
}

StatusText statusOf(const drawing::Drawing& drawing) {
    const auto& e = drawing.entities;
    StatusText status;
    if (drawing.truncated)
        status.warning = "⚠ 図面が途中で終わっています（読めた所まで表示）";
    // What the reader or the view leaves out is said beside it, never kept silent.
    for (const std::string& note : drawing::shortfallNotes(drawing, drawing.nestingCut()))
        status.warning += (status.warning.empty() ? "⚠ " : std::string(kSeparator) + "⚠ ") + note;
    status.counts = "文字 " + groupedNumber(e.texts.size()) + kSeparator + "線・円・弧 " +
                    groupedNumber(e.lines.size() + e.arcs.size() + e.polylines.size());
    if (e.inserts.size())
        status.counts +=
            std::string(kSeparator) + "ブロック参照 " + groupedNumber(e.inserts.size());
    std::string kinds;
    std::size_t named = 0;
    auto addKind = [&](std::string_view kind, std::int64_t count) {
        const std::string one =
            std::string(kind) + ' ' + groupedNumber(static_cast<std::uint64_t>(count));
        kinds += (named ? ", " : "") + one;
        status.notDrawnDetail += (named ? "\n" : "") + one;
        ++named;
    };
    for (const auto& [kind, count] : e.notDrawn)
        addKind(kind, count);
    if (e.skipped)
        addKind("座標が不正", e.skipped);
    if (named > kKindsNamed)
        status.notDrawn = "描かないもの: " + std::to_string(named) + " 種類";
    else if (named)
        status.notDrawn = "描かないもの: " + kinds;
    const drawing::Box& x = drawing.extents();
    if (!x.empty()) {
        // Extents to a hundred-thousandth of the drawing's size.
        const double step = std::max(x.width(), x.height()) / 1e5;
        auto at = [&](double v) { return coordinateText(v, step); };
        status.extents = "範囲 (" + at(x.minX) + ", " + at(x.minY) + ") - (" + at(x.maxX) + ", " +
                         at(x.maxY) + ")";
    }
    if (drawing.guess.any())
        status.guessed =
            std::string("コードページの宣言なし: ") +
            (drawing.guess.utf8 && drawing.guess.cp932 ? "UTF-8 とコードページ 932 と推測"
             : drawing.guess.utf8                      ? "UTF-8 と推測"
                                                       : "コードページ 932 と推測");
    return status;
}

} // namespace quillet::scene
