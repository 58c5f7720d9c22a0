// The PDF export's font: texts as UTF-16 codes of a CID font of the Adobe-Japan1 collection
// (UniJIS-UTF16-H), named, not embedded, so that every reader shows them in a Japanese face of
// its own and finds them as text. It places each character where the front end's font puts
// it, and writes the font's objects once the page is done.
#pragma once

#include "SinkWriter.h"
#include "TextLayout.h"

#include <bitset>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string_view>
#include <unordered_map>

namespace quillet::scene {

class PdfFont {
  public:
    // Places characters by measure (estimatedAdvance when empty).
    explicit PdfFont(TextMeasure measure);

    // Returns the advance of one line of text in ems, as measure has it.
    double advance(std::u16string_view text);

    // Writes the operators that show text (one line, in the current text matrix at a size of
    // one em) into out, each character spaced as measure has it; throws what out throws.
    void show(SinkWriter& out, std::u16string_view text);

    // Returns whether any text was shown.
    bool used() const noexcept { return used_; }

    // The objects writeObjects writes: the font, its CID font, its descriptor and its
    // ToUnicode map, numbered from the first on.
    static constexpr std::uint32_t kObjects = 4;

    // Writes the font's objects, starting each through begin(n); throws what out throws.
    void writeObjects(SinkWriter& out, std::uint32_t first,
                      const std::function<void(std::uint32_t)>& begin) const;

  private:
    // Returns the width of the character cp (units in UTF-16) in ems, measured once.
    double widthOf(char32_t cp, std::u16string_view units);
    // Returns the width in ems the font gives code.
    double statedWidth(std::uint32_t code);
    void writeToUnicode(SinkWriter& out) const;

    TextMeasure measure_;
    std::unordered_map<char32_t, double> widths_;
    std::map<std::uint32_t, int> stated_; // the font's widths by CID, in thousandths of an em
    double spacing_ = 0;                  // the character spacing the content has set, in ems
    // The codes shown (UTF-16, a pair as one code): the ToUnicode map's entries.
    std::bitset<0x10000> units_;
    std::set<std::uint32_t> pairs_;
    bool used_ = false;
};

} // namespace quillet::scene
