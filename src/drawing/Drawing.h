// A drawing as read for showing: the header's facts, the entities in compact arrays, the
// index over them and their extents.
#pragma once

#include "Entities.h"
#include "Geometry.h"
#include "PairParser.h"
#include "SpatialIndex.h"
#include "TextDecoding.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace quillet::drawing {

// What an item number of the index stands for.
enum class ItemKind { Text, Line, Arc, Polyline, Insert };

// A 2D affine map: x' = a x + c y + e, y' = b x + d y + f.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    Point operator()(Point p) const noexcept {
        return {a * p.x + c * p.y + e, b * p.x + d * p.y + f};
    }
    // Returns this after other (other applied first).
    Affine operator*(const Affine& o) const noexcept {
        return {a * o.a + c * o.b, b * o.a + d * o.b,     a * o.c + c * o.d,
                b * o.c + d * o.d, a * o.e + c * o.f + e, b * o.e + d * o.f + f};
    }
};

// Returns the map that places the block copy in column col and row row of insert r, whose
// block has base point base.
Affine insertTransform(const InsertRecord& r, Point base, int col = 0, int row = 0) noexcept;

// Returns the box of text i of e, its width estimated from its bytes (an MTEXT wrapped at its
// width, its lines at its spacing).
Box estimatedTextBox(const Entities& e, std::size_t i) noexcept;

// What the texts of a drawing that declares no code page were taken for, each by a guess:
// UTF-8 where valid, code page 932 else. Both false when no text needed a guess.
struct EncodingGuess {
    bool utf8 = false;
    bool cp932 = false;

    bool any() const noexcept { return utf8 || cp932; }
};

// How many levels of blocks inside blocks a drawing shows: the drawing's inserts are the first.
inline constexpr int kDeepestBlocks = 32;

class Drawing {
  public:
    HeaderInfo header;
    TextEncoding encoding = TextEncoding::Undeclared;
    // Set by buildIndex for a drawing that declares no code page.
    EncodingGuess guess;
    Entities entities;
    // The file ended before its EOF marker: what was read is shown, with a warning.
    bool truncated = false;

    // Builds the index and the extents on up to threads threads (0: one per processor) and works
    // out guess; call once after reading. Throws ReadCancelled and std::bad_alloc.
    void buildIndex(const std::atomic<bool>* cancel = nullptr, unsigned threads = 0);

    const SpatialIndex& index() const noexcept { return index_; }
    // Returns the box around everything drawn (empty for a drawing with nothing to draw).
    const Box& extents() const noexcept { return index_.extents(); }

    // Returns the number of items the index may name.
    std::uint64_t itemCount() const noexcept;
    // Returns the kind of item id and sets local to its number among its kind.
    ItemKind kindOf(std::uint32_t id, std::size_t& local) const noexcept;
    // Returns where item id lies, roughly (a text's anchor, a line's middle).
    Point positionOf(std::uint32_t id) const noexcept;
    // Returns the box of item id (a text's from an estimate of its width).
    Box boundsOf(std::uint32_t id) const noexcept;

    // Returns the text of text i as UTF-8 (code page and escapes decoded, an MTEXT's
    // formatting dropped). Throws platform::RunError 5 when the code page's converter is
    // missing.
    std::string decodedText(std::size_t i) const { return decodedText(entities, i); }
    // The same for text i of entities (the drawing's or a block's).
    std::string decodedText(const Entities& owner, std::size_t i) const;

    // Returns the block insert r refers to, or null when the drawing has no such block.
    const Block* blockOf(const InsertRecord& r) const noexcept {
        return r.block < entities.blocks.size() ? &entities.blocks[r.block] : nullptr;
    }
    // Returns the box of block b's entities in its own coordinates, inserts inside included
    // (empty for an empty block or one that refers to itself).
    const Box& blockExtents(std::size_t b) const noexcept { return blockBoxes_[b]; }
    // Returns the box of insert r, every column and row.
    Box insertBounds(const InsertRecord& r) const noexcept;
    // Returns whether a record of look lies on a layer that is off or frozen.
    bool hidden(const Look& look) const noexcept {
        return look.layer < entities.layers.size() && entities.layers[look.layer].hidden();
    }

    // Returns how many lines text i has (1 for a TEXT, one more per "\P" for an MTEXT).
    int lineCount(std::size_t i) const noexcept;

    // Returns how many texts were longer than the reader keeps (ByteArena::kMaxTextBytes) and
    // are shown as far as it keeps them.
    std::uint64_t textsCut() const noexcept;
    // Returns whether a block placed in the drawing nests blocks deeper than kDeepestBlocks
    // (or itself), so that what lies deeper is left out. Set by buildIndex.
    bool nestingCut() const noexcept { return nestingCut_; }

  private:
    Box textBounds(std::size_t i) const noexcept;
    void resolveBlocks();
    Box computeBlockBox(std::size_t b, int depth, std::vector<std::uint8_t>& state);
    // Works out nestingCut_ from the blocks' nesting below each insert of the drawing.
    void findNestingCut();

    std::vector<Box> blockBoxes_;
    bool nestingCut_ = false;

    SpatialIndex index_;
};

} // namespace quillet::drawing
