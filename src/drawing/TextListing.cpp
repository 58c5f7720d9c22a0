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
        for (std::size_t i = 0; i < e.texts.size() && left_ > 0; ++i) {
            const Look look = inherited(e.textLook(i), parent);
            if (d_.hidden(look))
                continue;
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
            --left_;
        }
        if (depth >= 32)
            return;
        for (std::size_t i = 0; i < e.inserts.size() && left_ > 0; ++i) {
            const InsertRecord& r = e.inserts[i];
            const Block* block = d_.blockOf(r);
            const Look look = inherited(r.look, parent);
            if (!block || d_.hidden(look))
                continue;
            // Each copy counts against the limit too: an array of empty blocks is no free loop.
            for (int col = 0; col < r.columns && left_ > 0; ++col)
                for (int row = 0; row < r.rows && left_ > 0; ++row) {
                    --left_;
                    walk(*block->entities, m * insertTransform(r, block->base, col, row), &look,
                         depth + 1);
                }
        }
    }

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

    const Drawing& d_;
    const std::function<void(const PlacedText&)>& each_;
    std::uint64_t left_;
};

void appendNumber(std::string& out, double v) {
    char buffer[32];
    if (std::fabs(v) < 5e-10)
        v = 0;
    const int n = std::snprintf(buffer, sizeof buffer, "%.10g", v);
    out.append(buffer, static_cast<std::size_t>(n));
}

} // namespace

void forEachPlacedText(const Drawing& drawing, const std::function<void(const PlacedText&)>& each,
                       std::uint64_t limit) {
    Walker(drawing, each, limit).walk(drawing.entities, Affine{}, nullptr, 0);
}

std::string textListing(const Drawing& drawing) {
    std::string out;
    forEachPlacedText(drawing, [&](const PlacedText& p) {
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
    });
    return out;
}

} // namespace quillet::drawing
