// The arena's block handling.
#include "ByteArena.h"

namespace quillet::drawing {

void ByteArena::moveTextToNewBlock(std::size_t have) {
    const std::uint64_t fresh = static_cast<std::uint64_t>(blocks_.size()) * kBlockBytes;
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
    if (have)
        std::memcpy(at(fresh), at(start_), have);
    start_ = fresh;
    used_ = fresh + have;
}

std::uint64_t ByteArena::append(ByteArena&& other) {
    const std::uint64_t shift = static_cast<std::uint64_t>(blocks_.size()) * kBlockBytes;
    for (auto& block : other.blocks_)
        blocks_.push_back(std::move(block));
    if (!other.blocks_.empty()) {
        used_ = shift + other.used_;
        start_ = used_;
    }
    other.blocks_.clear();
    other.used_ = other.start_ = 0;
    return shift;
}

} // namespace quillet::drawing
