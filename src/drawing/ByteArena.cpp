// The arena's block handling.
#include "ByteArena.h"

#include "platform/LargeBlocks.h"

#include <algorithm>
#include <utility>

namespace quillet::drawing {

namespace {

constexpr std::size_t kFirstBytes = 256;

} // namespace

void ByteArena::clear() noexcept {
    for (std::size_t k = 0; k < blocks_.size(); ++k)
        platform::freeBlock(blocks_[k], sizes_[k]);
    blocks_.clear();
    sizes_.clear();
    end_ = used_ = start_ = 0;
}

std::size_t ByteArena::memoryBytes() const noexcept {
    std::size_t bytes = 0;
    for (const std::size_t size : sizes_)
        bytes += size;
    return bytes;
}

void ByteArena::appendAtLimit(std::string_view bytes) {
    const std::size_t have = used_ - start_;
    if (have + bytes.size() > kMaxTextBytes) {
        std::size_t keep = kMaxTextBytes - have;
        while (keep > 0 && (static_cast<unsigned char>(bytes[keep]) & 0xC0) == 0x80)
            --keep;
        bytes = bytes.substr(0, keep);
        noteCut();
    }
    if (bytes.empty())
        return;
    if (used_ + bytes.size() > end_)
        makeRoom(have, bytes.size());
    std::memcpy(at(used_), bytes.data(), bytes.size());
    used_ += bytes.size();
}

void ByteArena::makeRoom(std::size_t have, std::size_t more) {
    blocks_.reserve(blocks_.size() + 1);
    sizes_.reserve(sizes_.size() + 1);
    if (!blocks_.empty() && sizes_.back() < kBlockBytes) {
        // The last block grows: a bigger one takes its bytes at the same offsets.
        const std::uint64_t base = static_cast<std::uint64_t>(blocks_.size() - 1) * kBlockBytes;
        const std::size_t kept = static_cast<std::size_t>(used_ - base);
        std::size_t bytes = sizes_.back();
        while (bytes < kBlockBytes && bytes < kept + more)
            bytes *= 2;
        bytes = std::min(bytes, kBlockBytes);
        if (kept + more <= bytes) {
            char* grown = static_cast<char*>(platform::allocateBlock(bytes));
            std::memcpy(grown, blocks_.back(), kept);
            platform::freeBlock(blocks_.back(), sizes_.back());
            blocks_.back() = grown;
            sizes_.back() = bytes;
            end_ = base + bytes;
            return;
        }
    }
    // A fresh block, small while the arena is small.
    const std::uint64_t fresh = static_cast<std::uint64_t>(blocks_.size()) * kBlockBytes;
    std::size_t bytes = blocks_.empty() ? kFirstBytes : kBlockBytes;
    while (bytes < have + more)
        bytes *= 2;
    bytes = std::min(bytes, kBlockBytes);
    blocks_.push_back(static_cast<char*>(platform::allocateBlock(bytes)));
    sizes_.push_back(bytes);
    if (have)
        std::memcpy(at(fresh), at(start_), have);
    start_ = fresh;
    used_ = fresh + have;
    end_ = fresh + bytes;
}

std::uint64_t ByteArena::append(ByteArena&& other) {
    cut_ += std::exchange(other.cut_, 0);
    lastCut_ = ~std::uint64_t{0};
    if (other.blocks_.empty())
        return 0;
    if (blocks_.empty()) {
        swap(other);
        start_ = used_;
        return 0;
    }
    if (other.blocks_.size() == 1) {
        // One block's bytes (a piece's texts, usually) are copied after this arena's, at any
        // offset: they fit in one block, so no text straddles two.
        const std::size_t n = static_cast<std::size_t>(other.used_);
        start_ = used_;
        if (n > 0 && used_ + n > end_)
            makeRoom(0, n);
        const std::uint64_t shift = used_;
        if (n > 0)
            std::memcpy(at(used_), other.blocks_[0], n);
        used_ += n;
        start_ = used_;
        other.clear();
        return shift;
    }
    // Larger ones are handed over whole, block by block.
    const std::uint64_t shift = static_cast<std::uint64_t>(blocks_.size()) * kBlockBytes;
    blocks_.insert(blocks_.end(), other.blocks_.begin(), other.blocks_.end());
    sizes_.insert(sizes_.end(), other.sizes_.begin(), other.sizes_.end());
    used_ = shift + other.used_;
    end_ = shift + other.end_;
    start_ = used_;
    other.blocks_.clear();
    other.sizes_.clear();
    other.end_ = other.used_ = other.start_ = 0;
    return shift;
}

} // namespace quillet::drawing
