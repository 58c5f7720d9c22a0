// Walking the texts through the inserts: each block copy's map is the insert's after its
// parent's, so a block is read once however often it is placed.
#include "TextListing.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace quillet::drawing {

namespace {

constexpr double kDegrees = 180 / std::numbers::pi;

class Walker {
  public:
    Walker(const Drawing& d, const std::function<void(const PlacedText&)>& each,
           std::uint64_t limit)
        : d_(d), each_(each), left_(limit) {}

    void walk(const Entities& e, const Affine& m, const Look* parent, int depth) {
        for (std::size_t i = 0; i < e.texts.size() && !end_.limitReached; ++i) {
            const Look look = inherited(e.textLook(i), parent);
            if (d_.hidden(look))
                continue;
            if (!take())
                return;
            const TextRecord& t = e.texts[i];
            const double r = t.rotationDegrees() / kDegrees;
            const double cs = std::cos(r), sn = std::sin(r);
            PlacedText p;
            const Point at = m({t.x, t.y});
            p.x = at.x;
            p.y = at.y;
            const double dx = m.a * cs + m.c * sn, dy = m.b * cs + m.d * sn;
            const double ux = -m.a * sn + m.c * cs, uy = -m.b * sn + m.d * cs;
            p.height = t.height * std::hypot(ux, uy);
            double angle = std::atan2(dy, dx) * kDegrees;
            if (angle < 0)
                angle += 360;
            p.rotationDegrees = std::fabs(angle - 360) < 1e-9 ? 0 : angle;
            p.owner = &e;
            p.index = i;
            p.look = look;
            each_(p);
        }
        for (std::size_t i = 0; i < e.inserts.size() && !end_.limitReached; ++i) {
            const InsertRecord& r = e.inserts[i];
            const Block* block = d_.blockOf(r);
            const Look look = inherited(r.look, parent);
            if (!block || d_.hidden(look))
                continue;
            if (depth >= kDeepestBlocks) {
                end_.tooDeep = true;
                return;
            }
            // Each copy counts against the limit too: an array of empty blocks is no free loop.
            for (int col = 0; col < r.columns; ++col)
                for (int row = 0; row < r.rows; ++row) {
                    if (!take())
                        return;
                    walk(*block->entities, m * insertTransform(r, block->base, col, row), &look,
                         depth + 1);
                }
        }
    }

    const ListingEnd& end() const noexcept { return end_; }

  private:
    // Inside a block, layer 0 and BYBLOCK take the insert's.
    static Look inherited(Look own, const Look* parent) noexcept {
        if (!parent)
            return own;
        if (own.layer == 0)
            own.layer = parent->layer;
        if (own.colour.kind() == Colour::kByBlock)
            own.colour = parent->colour;
        return own;
    }

    // Counts one more text or copy; false, and the end marked, when none is left.
    bool take() noexcept {
        if (left_ == 0) {
            end_.limitReached = true;
            return false;
        }
        --left_;
        return true;
    }

    const Drawing& d_;
    const std::function<void(const PlacedText&)>& each_;
    std::uint64_t left_;
    ListingEnd end_;
};

void appendNumber(std::string& out, double v) {
    char buffer[32];
    if (std::fabs(v) < 5e-10)
        v = 0;
    const int n = std::snprintf(buffer, sizeof buffer, "%.10g", v);
    out.append(buffer, static_cast<std::size_t>(n));
}

} // namespace

ListingEnd forEachPlacedText(const Drawing& drawing,
                             const std::function<void(const PlacedText&)>& each,
                             std::uint64_t limit) {
    Walker walker(drawing, each, limit);
    walker.walk(drawing.entities, Affine{}, nullptr, 0);
    return walker.end();
}

ListingEnd writeTextListing(const Drawing& drawing,
                            const std::function<void(std::string_view)>& write,
                            std::uint64_t limit) {
    // Written as it goes: a listing of millions of texts is never held whole.
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    std::string out;
    const ListingEnd end = forEachPlacedText(
        drawing,
        [&](const PlacedText& p) {
            appendNumber(out, p.x);
            out += '\t';
            appendNumber(out, p.y);
            out += '\t';
            appendNumber(out, p.height);
            out += '\t';
            appendNumber(out, p.rotationDegrees);
            out += '\t';
            for (char c : drawing.decodedText(*p.owner, p.index)) {
                if (c == '\n' || c == kColumnBreak)
                    out += "\\n";
                else if (c == '\t')
                    out += "\\t";
                else if (c == '\\')
                    out += "\\\\";
                else if (c != '\r')
                    out += c;
            }
            out += '\n';
            if (out.size() >= kChunk) {
                write(out);
                out.clear();
            }
        },
        limit);
    if (!out.empty())
        write(out);
    return end;
}

std::string textListing(const Drawing& drawing) {
    std::string all;
    writeTextListing(drawing, [&](std::string_view chunk) { all += chunk; });
    return all;
}

} // namespace quillet::drawing
