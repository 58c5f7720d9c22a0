// The pairs of an entity kept whole until its end: a hatch's boundary paths and a
// multileader's context are read as a whole, once every pair has come (Hatch.h,
// MultiLeader.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::drawing {

class BufferedPairs {
  public:
    // Forgets every pair, keeping the memory.
    void clear() noexcept {
        codes_.clear();
        ends_.clear();
        values_.clear();
    }
    // Keeps one more pair. Throws std::bad_alloc.
    void add(int code, std::string_view value) {
        // A hatch of millions of pairs is kept whole for a moment; the arrays' own limit holds.
        codes_.push_back(code);
        values_.append(value);
        ends_.push_back(static_cast<std::uint32_t>(values_.size()));
    }

    std::size_t size() const noexcept { return codes_.size(); }
    int code(std::size_t i) const noexcept { return codes_[i]; }
    std::string_view value(std::size_t i) const noexcept {
        const std::uint32_t from = i ? ends_[i - 1] : 0;
        return std::string_view(values_).substr(from, ends_[i] - from);
    }

  private:
    std::vector<int> codes_;
    std::vector<std::uint32_t> ends_; // where each pair's value ends in values_
    std::string values_;
};

// Reads buffered pairs in order.
class PairCursor {
  public:
    explicit PairCursor(const BufferedPairs& pairs) noexcept : pairs_(pairs) {}

    bool done() const noexcept { return at_ >= pairs_.size(); }
    void next() noexcept { ++at_; }
    int code() const noexcept { return pairs_.code(at_); }
    std::string_view value() const noexcept { return pairs_.value(at_); }
    // Returns the value as a real number; 0 for no number, or none of sensible size.
    double real() const noexcept;
    // Returns the value as an integer (a real's whole part, bounded); 0 for no number.
    int integer() const noexcept;

  private:
    const BufferedPairs& pairs_;
    std::size_t at_ = 0;
};

} // namespace quillet::drawing
