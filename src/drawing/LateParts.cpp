// The late parts: each entity list's multileader contents, dimensions and attribute owners.
#include "LateParts.h"

#include "Dimension.h"
#include "EntityRecords.h"

#include <cmath>
#include <numbers>
#include <unordered_map>

namespace quillet::drawing {

namespace {

constexpr double kDegrees = 180 / std::numbers::pi;

// Keeps the text of an attribute of value that definition a of a block places, the block
// standing where m maps it in an insert of look owner.
void placeAttribute(const Drawing& d, Entities& into, const AttributeDefinition& a, const Affine& m,
                    Look owner, std::string_view value) {
    if (value.empty())
        return;
    TextRecord t = a.record;
    TextExtra extra = a.extra;
    const double r = t.rotationDegrees() / kDegrees;
    const double ux = m.a * std::cos(r) + m.c * std::sin(r),
                 uy = m.b * std::cos(r) + m.d * std::sin(r);
    const double vx = -m.a * std::sin(r) + m.c * std::cos(r),
                 vy = -m.b * std::sin(r) + m.d * std::cos(r);
    const double along = std::hypot(ux, uy), across = std::hypot(vx, vy);
    if (!(along > 0) || !(across > 0))
        return;
    const Point at = m({t.x, t.y});
    t.x = at.x;
    t.y = at.y;
    t.height = static_cast<float>(t.height * across);
    double turns = std::fmod(std::atan2(uy, ux) * kDegrees / 360.0, 1.0);
    if (turns < 0)
        turns += 1;
    t.angle = static_cast<std::uint16_t>(std::lround(turns * 65536.0) & 0xFFFF);
    t.widthMilli = static_cast<std::uint16_t>(
        std::lround(std::min(65.0, t.widthFactor() * along / across) * 1000.0));
    if (ux * vy - uy * vx < 0)
        extra.mirror ^= 4; // the map turns the text's up to the other side of its baseline
    // Layer 0 and BYBLOCK are the insert's, as for its block's entities; a text on a layer of
    // its own hides with the insert too.
    if (extra.look.layer == 0 || d.hidden(owner))
        extra.look.layer = owner.layer;
    if (extra.look.colour.kind() == Colour::kByBlock)
        extra.look.colour = owner.colour;
    into.textBytes.begin();
    into.textBytes.append(value);
    keepTextRecord(into, t, extra);
}

class Placer {
  public:
    explicit Placer(Drawing& d) : d_(d) {
        const auto& blocks = d.entities.blocks;
        for (std::size_t b = 0; b < blocks.size(); ++b)
            if (blocks[b].recordHandle != 0)
                byHandle_.emplace(blocks[b].recordHandle, static_cast<std::uint32_t>(b));
    }

    void place(Entities& e) {
        leaderContents(e);
        dimensions(e);
        owners(e);
    }

  private:
    void leaderContents(Entities& e) {
        const auto& blocks = d_.entities.blocks;
        for (const MultiLeaderContent& c : e.leaderContents) {
            if (c.insert >= e.inserts.size())
                continue;
            const auto found = byHandle_.find(c.blockHandle);
            if (found == byHandle_.end())
                continue;
            InsertRecord& r = e.inserts[c.insert];
            r.block = found->second;
            const Block& block = blocks[r.block];
            const Affine m = insertTransform(r, block.base);
            for (const auto& [handle, value] : c.attributes)
                for (const AttributeDefinition& a : block.attributes)
                    if (a.handle == handle) {
                        placeAttribute(d_, e, a, m, r.look, value);
                        break;
                    }
        }
        std::vector<MultiLeaderContent>().swap(e.leaderContents);
    }

    // A dimension whose block is missing, or empty, is drawn from its points.
    void dimensions(Entities& e) {
        const auto& blocks = d_.entities.blocks;
        const DimensionSettings& settings = d_.header.dimensions;
        for (const DimensionDefinition& dim : e.dimensions) {
            if (dim.insert < e.inserts.size()) {
                const std::uint32_t b = e.inserts[dim.insert].block;
                if (b < blocks.size() && blocks[b].entities->records() > 0)
                    continue;
            }
            const DimensionStyle* style = &settings.style(dim.style);
            DimensionStyle own;
            if (!dim.overrides.empty()) {
                own = *style;
                for (const DimensionDefinition::Override& o : dim.overrides)
                    own.set(o.code, o.real, o.text);
                style = &own;
            }
            keepDimension(e, dimensionShape(dim, *style), dim.look, *style);
        }
        std::vector<DimensionDefinition>().swap(e.dimensions);
    }

    // An attribute on a layer of its own is hidden with its insert: it takes the insert's
    // layer when that one is hidden.
    void owners(Entities& e) {
        const auto& layers = d_.entities.layers;
        for (const AttributeOwner& o : e.attributeOwners) {
            if (o.text >= e.texts.size() || o.layer >= layers.size() || !layers[o.layer].hidden() ||
                !e.texts[o.text].hasExtra())
                continue;
            TextExtra x = e.textExtra(o.text);
            x.look.layer = o.layer;
            e.textBytes.overwrite(e.texts[o.text].offset(), &x, sizeof x);
        }
        std::vector<AttributeOwner>().swap(e.attributeOwners);
    }

    Drawing& d_;
    std::unordered_map<std::uint64_t, std::uint32_t> byHandle_;
};

} // namespace

void placeLateParts(Drawing& d) {
    Placer placer(d);
    placer.place(d.entities);
    for (Block& b : d.entities.blocks)
        placer.place(*b.entities);
}

} // namespace quillet::drawing
