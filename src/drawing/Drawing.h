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

namespace quillet::drawing {

// What an item number of the index stands for.
enum class ItemKind { Text, Line, Arc, Polyline };

// What the texts of a drawing that declares no code page were taken for, each by a guess:
// UTF-8 where valid, code page 932 else. Both false when no text needed a guess.
struct EncodingGuess {
    bool utf8 = false;
    bool cp932 = false;

    bool any() const noexcept { return utf8 || cp932; }
};

class Drawing {
  public:
    HeaderInfo header;
    TextEncoding encoding = TextEncoding::Undeclared;
    // Set by buildIndex for a drawing that declares no code page.
    EncodingGuess guess;
    Entities entities;

    // Builds the index and the extents and works out guess; call once after reading. Throws
    // ReadCancelled and std::bad_alloc.
    void buildIndex(const std::atomic<bool>* cancel = nullptr);

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
    std::string decodedText(std::size_t i) const;

    // Returns how many lines text i has (1 for a TEXT, one more per "\P" for an MTEXT).
    int lineCount(std::size_t i) const noexcept;

  private:
    Box textBounds(std::size_t i) const noexcept;

    SpatialIndex index_;
};

} // namespace quillet::drawing
