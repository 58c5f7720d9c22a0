// The bytes of every text of a drawing in one arena of large blocks: a text is an offset and a
// length, not a string of its own. The last block may be smaller than the others (a small
// drawing's only block starts at a few kilobytes) and grows before a new one starts.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

namespace quillet::drawing {

class ByteArena {
  public:
    ByteArena() = default;
    ByteArena(ByteArena&& other) noexcept { swap(other); }
    ByteArena& operator=(ByteArena&& other) noexcept {
        ByteArena gone;
        gone.swap(other);
        swap(gone);
        return *this;
    }
    ~ByteArena() { clear(); }

    // Two megabytes: a huge page, where the system has them.
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 21;
    // The most bytes one text keeps; the rest of a longer one is dropped, at a UTF-8
    // character's start.
    static constexpr std::size_t kMaxTextBytes = (std::size_t{1} << 18) - 64;

    // Starts the next text, which takes the bytes appended until the next begin().
    void begin() noexcept { start_ = used_; }

    // Appends bytes to the current text, dropping what goes past kMaxTextBytes. Throws
    // std::bad_alloc.
    void append(std::string_view bytes) {
        if (bytes.empty())
            return;
        if (used_ + bytes.size() > end_ || used_ - start_ + bytes.size() > kMaxTextBytes) {
            appendAtLimit(bytes);
            return;
        }
        copy(at(used_), bytes.data(), bytes.size());
        used_ += bytes.size();
    }

    // Drops the first n bytes of the current text (room reserved that was not needed).
    void dropFront(std::size_t n) noexcept {
        const std::size_t have = used_ - start_;
        if (n > have)
            n = have;
        std::memmove(at(start_), at(start_) + n, have - n);
        used_ -= n;
    }
    // Cuts the current text back to its first length bytes.
    void truncate(std::size_t length) noexcept {
        if (length < used_ - start_)
            used_ = start_ + length;
    }
    // Puts n zero bytes before the current text's bytes (n of a few hundred at most). Throws
    // std::bad_alloc.
    void prependRoom(std::size_t n) {
        const std::size_t have = used_ - start_;
        if (used_ + n > end_)
            makeRoom(have, n);
        std::memmove(at(start_) + n, at(start_), have);
        std::memset(at(start_), 0, n);
        used_ += n;
    }
    // Overwrites size bytes at offset (inside a text already appended).
    void overwrite(std::uint64_t offset, const void* data, std::size_t size) noexcept {
        std::memcpy(at(offset), data, size);
    }

    // Returns the offset of the current text.
    std::uint64_t currentOffset() const noexcept { return start_; }
    // Returns the length of the current text.
    std::size_t currentLength() const noexcept { return used_ - start_; }

    // Returns the length bytes at offset.
    std::string_view view(std::uint64_t offset, std::size_t length) const noexcept {
        return length ? std::string_view(at(offset), length) : std::string_view();
    }

    // Moves every text of other to the end; returns the amount added to other's offsets.
    // Throws std::bad_alloc.
    std::uint64_t append(ByteArena&& other);

    // Returns the bytes the blocks take.
    std::size_t memoryBytes() const noexcept;

    // Returns how many texts were longer than kMaxTextBytes and lost their end.
    std::uint64_t textsCut() const noexcept { return cut_; }

  private:
    // Copies n bytes (n > 0); the few bytes of most texts without a library call, in two
    // overlapping moves.
    static void copy(char* to, const char* from, std::size_t n) noexcept {
        if (n > 16) {
            std::memcpy(to, from, n);
        } else if (n >= 8) {
            std::memcpy(to, from, 8);
            std::memcpy(to + n - 8, from + n - 8, 8);
        } else if (n >= 4) {
            std::memcpy(to, from, 4);
            std::memcpy(to + n - 4, from + n - 4, 4);
        } else {
            to[0] = from[0];
            to[n / 2] = from[n / 2];
            to[n - 1] = from[n - 1];
        }
    }
    static std::size_t blockOffset(std::uint64_t offset) noexcept {
        return static_cast<std::size_t>(offset & (kBlockBytes - 1));
    }
    char* at(std::uint64_t offset) const noexcept {
        return blocks_[static_cast<std::size_t>(offset / kBlockBytes)] + blockOffset(offset);
    }
    // Appends bytes where the block ends or the text's limit is reached.
    void appendAtLimit(std::string_view bytes);
    // Makes room for more bytes after the have bytes of the current text: grows the last block
    // while it is small, else starts a fresh block and moves the current text there, so that
    // a text never straddles two blocks.
    void makeRoom(std::size_t have, std::size_t more);
    void clear() noexcept;
    // Counts the current text as cut, once.
    void noteCut() noexcept {
        if (lastCut_ != start_) {
            ++cut_;
            lastCut_ = start_;
        }
    }
    void swap(ByteArena& other) noexcept {
        std::swap(blocks_, other.blocks_);
        std::swap(sizes_, other.sizes_);
        std::swap(end_, other.end_);
        std::swap(used_, other.used_);
        std::swap(start_, other.start_);
    }

    // Block k holds the offsets from k * kBlockBytes on, sizes_[k] of them: only the last
    // block, or a block that was an arena's last before it was appended, may be smaller.
    std::vector<char*> blocks_;
    std::vector<std::size_t> sizes_;
    std::uint64_t end_ = 0;                     // offset one past the last block's room
    std::uint64_t used_ = 0;                    // offset one past the last byte kept
    std::uint64_t start_ = 0;                   // offset of the current text
    std::uint64_t cut_ = 0;                     // texts that lost their end
    std::uint64_t lastCut_ = ~std::uint64_t{0}; // the offset of the text counted last
};

} // namespace quillet::drawing
