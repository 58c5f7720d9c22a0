#include "LineReader.h"

#include "RunError.h"

#include <algorithm>
#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillet::platform {

namespace {

constexpr std::size_t kReadBlock = 256 * 1024;

// Returns the position of the first CR or LF in [from, to), or to when there is none.
std::size_t findLineEnd(const char* data, std::size_t from, std::size_t to) {
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= to; i += 16) {
        __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        int hits =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)));
        if (hits)
            return i + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(hits)));
    }
#endif
    while (i < to && data[i] != '\r' && data[i] != '\n')
        ++i;
    return i;
}

} // namespace

std::size_t MemorySource::read(char* into, std::size_t max) {
    const std::size_t n = std::min(max, bytes_.size());
    if (n == 0)
        return 0; // an empty view may hold no pointer at all
    std::memcpy(into, bytes_.data(), n);
    bytes_.remove_prefix(n);
    return n;
}

LineReader::LineReader(ByteSource& source, std::size_t maxLineBytes)
    : source_(source), maxLineBytes_(maxLineBytes),
      // Room for the longest acceptable line, its ending and a block to look for the end in.
      capacity_(maxLineBytes + 2 + kReadBlock),
      buffer_(std::make_unique_for_overwrite<char[]>(capacity_)) {}

bool LineReader::fill() {
    if (eof_)
        return false;
    if (lastInBuffer_) {
        lastSaved_.assign(buffer_.get() + lastBegin_, lastSize_);
        lastInBuffer_ = false;
    }
    if (begin_ > 0 && capacity_ - end_ < kReadBlock) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    std::size_t got = source_.read(buffer_.get() + end_, capacity_ - end_);
    if (got == 0) {
        eof_ = true;
        return false;
    }
    end_ += got;
    return true;
}

bool LineReader::readLine(std::string_view& line) {
    if (!started_) {
        started_ = true;
        while (end_ < 3 && fill()) {
        }
        if (end_ >= 3 && std::memcmp(buffer_.get(), "\xEF\xBB\xBF", 3) == 0)
            begin_ = 3;
    }
    if (skipLineFeed_) {
        if (begin_ == end_)
            fill();
        if (begin_ < end_ && buffer_[begin_] == '\n')
            ++begin_;
        skipLineFeed_ = false;
    }
    if (begin_ == end_ && !fill())
        return false;

    std::size_t scanned = begin_;
    for (;;) {
        std::size_t i = findLineEnd(buffer_.get(), scanned, end_);
        const std::size_t length = i - begin_;
        if (length > maxLineBytes_)
            throw RunError(ErrorNumber::Overflow, {}, lineNumber_ + 1)
                .withCause(OverflowCause::LineLength);
        if (i == end_ && fill()) {
            // fill() may have moved the unread bytes to the front of the buffer.
            scanned = begin_ + length;
            continue;
        }
        // An ending at begin_ + length, or the end of the source without one.
        i = begin_ + length;
        line = std::string_view(buffer_.get() + begin_, length);
        lastBegin_ = begin_;
        lastSize_ = length;
        lastInBuffer_ = true;
        ++lineNumber_;
        if (i < end_) {
            skipLineFeed_ = buffer_[i] == '\r';
            begin_ = i + 1;
        } else {
            begin_ = i;
        }
        return true;
    }
}

} // namespace quillet::platform
