#include "Scanner.h"

#include "layout/TextLayout.h"
#include "platform/Checked.h"
#include "platform/Cp932.h"

#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillet::conversion {

namespace ck = platform::checked;

std::int32_t placeX(const ConversionState& state) {
    return ck::mul16(ck::mul16(state.blockNo, state.textHeight), 10);
}

std::int32_t placeY(const ConversionState& state) {
    // textHeight x itemNo cannot leave 32 bits before the doubling does: itemNo grows by one.
    std::int64_t product = std::int64_t{state.textHeight} * state.itemNo;
    if (product < INT32_MIN || product > INT32_MAX)
        platform::raiseOverflow();
    return ck::mul32(ck::neg32(static_cast<std::int32_t>(product)), 2);
}

void PutTextEntity(ConversionState& state, DxfWriter& out, std::string_view text) {
    // X and Y are worked out before anything is written, so that the whole entity can go out
    // in one piece; when one of them overflows, the lines before it are still written first.
    std::int32_t x = 0;
    try {
        x = placeX(state);
    } catch (const platform::RunError& error) {
        out.put(kEntityStart);
        throw error.withCause(platform::OverflowCause::Column, std::int64_t{state.blockNo} + 1);
    }
    state.textX = x;
    std::int32_t y = 0;
    try {
        y = placeY(state);
    } catch (const platform::RunError& error) {
        out.put(kEntityStart);
        out.PutDxfNumber(x);
        out.put(layout::kBeforeY);
        throw error.withCause(platform::OverflowCause::Row);
    }
    state.textY = y;
    out.putTextEntity(x, y, state.textHeight, text);
}

namespace {

void putItem(ConversionState& state, DxfWriter& out, std::string_view text) {
    PutTextEntity(state, out, text);
    state.itemNo = ck::add32(state.itemNo, 1);
}

// Calls onComma with the position of every comma in data[0, end), from the last to the first.
template <class OnComma>
void forEachCommaBackward(const char* data, std::size_t end, OnComma onComma) {
    std::size_t high = end;
#if defined(__SSE2__)
    // Sixteen bytes at a time: the per-byte branch of a plain loop is hard to predict.
    const __m128i comma = _mm_set1_epi8(',');
    for (; high >= 16; high -= 16) {
        auto chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + high - 16));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, comma)));
        while (mask) {
            const unsigned bit = 31u - static_cast<unsigned>(std::countl_zero(mask));
            onComma(high - 16 + bit);
            mask &= ~(1u << bit);
        }
    }
#endif
    while (high-- > 0)
        if (data[high] == ',')
            onComma(high);
}

} // namespace

// The scan runs over bytes: the comma 0x2C is never part of a double-byte character, so the
// fields are the same as over decoded characters. Characters are counted only for the limit
// and for runLen, the state the scan leaves behind.
void ScanLine(ConversionState& state, DxfWriter& out, std::string_view line) {
    state.runLen = 0;
    if (line.size() > 32767) {
        const auto chars = static_cast<std::int64_t>(platform::cp932::countChars(line));
        if (chars > 32767)
            throw platform::RunError(platform::ErrorNumber::Overflow)
                .withCause(platform::OverflowCause::LineLength, chars);
    }
    ScanCountedLine(state, out, line);
}

void ScanCountedLine(ConversionState& state, DxfWriter& out, std::string_view line) {
    state.runLen = 0;
    // end is one past the field's last byte; a comma that ends the line ends no field.
    std::size_t end = line.size();
    if (line.back() == ',')
        --end;
    forEachCommaBackward(line.data(), end, [&](std::size_t at) {
        if (end - at > 1)
            putItem(state, out, line.substr(at + 1, end - at - 1));
        end = at;
    });
    state.scanPos = 0;
    state.runLen = static_cast<std::int16_t>(platform::cp932::countChars(line.substr(0, end)));
    if (end > 0)
        putItem(state, out, line.substr(0, end));
}

void ScanFields(ConversionState& state, DxfWriter& out, const std::vector<std::string>& fields) {
    state.runLen = 0;
    for (auto field = fields.rbegin(); field != fields.rend(); ++field)
        if (!field->empty())
            putItem(state, out, *field);
    state.scanPos = 0;
}

} // namespace quillet::conversion
