// A multileader's context: the text's values (290 says there is a text, 296 a block), the
// landing point, dogleg and lines of each leader, kept from the arrowhead on; after the
// context, the leaders' kind (170), the dogleg's presence (291) and the attribute values
// (330 the definition's handle, 302 the value).
#include "MultiLeader.h"

#include "LineLexer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillet::drawing {

namespace {

constexpr double kDegrees = 180 / std::numbers::pi;

struct Leader {
    Point landing;                         // 10: where the leader lines end, at the content
    Point dogleg{1, 0};                    // 11
    double doglegLength = 1;               // 40
    bool horizontal = true;                // 271 = 0: the leader lands on the content's side
    std::vector<std::vector<Point>> lines; // each from its arrowhead
};

} // namespace

std::uint64_t handleOf(std::string_view hex) noexcept {
    hex = trimmed(hex);
    std::uint64_t h = 0;
    for (std::size_t i = 0; i < hex.size() && i < 16; ++i) {
        const char c = hex[i];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : -1;
        if (digit < 0)
            return 0;
        h = h << 4 | static_cast<std::uint64_t>(digit);
    }
    return h;
}

Colour rawColour(std::uint32_t raw, Colour own) noexcept {
    switch (raw >> 24) {
    case 0xC0:
        return Colour{Colour::kByLayer};
    case 0xC2:
        return Colour::rgb(raw & 0xFFFFFF);
    case 0xC3:
        return (raw & 0xFF) >= 1 && (raw & 0xFF) <= 255
                   ? Colour::index(static_cast<int>(raw & 0xFF))
                   : own;
    default: // BYBLOCK, the window's colour, or no kind known
        return own;
    }
}

MultiLeaderShape multiLeaderShape(const BufferedPairs& pairs) {
    MultiLeaderShape shape;
    double dx = 1, dy = 0;
    double scale = 1, width = 0;
    bool haveDirection = false, mtext = true, haveTextValue = false;
    int leaderKind = 1;
    bool dogleg = true;
    double arrowSize = 0;
    std::vector<Leader> leaders;
    std::vector<Point> line;
    std::uint64_t attributeHandle = 0;
    bool inLine = false, inLeader = false, inContext = false, contextDone = false;
    for (PairCursor r(pairs); !r.done(); r.next()) {
        const int c = r.code();
        const std::string_view v = trimmed(r.value());
        const bool own = inContext && !inLeader; // the context's own values
        if (c == 300 && v == "CONTEXT_DATA{") {
            inContext = true;
        } else if (inContext && c == 302 && v == "LEADER{") {
            inLeader = true;
            leaders.emplace_back();
        } else if (inLeader && c == 304 && v == "LEADER_LINE{") {
            inLine = true;
            line.clear();
        } else if (inLine && c == 305) {
            inLine = false;
            if (!line.empty())
                leaders.back().lines.push_back(line);
        } else if (inLeader && c == 303) {
            inLeader = false;
        } else if (inContext && c == 301) {
            inContext = false;
            contextDone = true;
        } else if (inLine) {
            if (c == 10)
                line.push_back({r.real(), 0});
            else if (c == 20 && !line.empty())
                line.back().y = r.real();
        } else if (inLeader) {
            Leader& l = leaders.back();
            if (c == 10)
                l.landing.x = r.real();
            else if (c == 20)
                l.landing.y = r.real();
            else if (c == 11)
                l.dogleg.x = r.real();
            else if (c == 21)
                l.dogleg.y = r.real();
            else if (c == 40)
                l.doglegLength = r.real();
            else if (c == 271)
                l.horizontal = r.integer() == 0;
        } else if (own) {
            switch (c) {
            case 40:
                scale = r.real();
                break;
            case 41:
                if (shape.height == 0)
                    shape.height = r.real();
                break;
            case 140:
                arrowSize = r.real();
                break;
            case 290:
                mtext = r.integer() != 0;
                break;
            case 304:
                shape.text.assign(r.value());
                haveTextValue = true;
                break;
            case 12:
                shape.at.x = r.real();
                break;
            case 22:
                shape.at.y = r.real();
                break;
            case 13:
                dx = r.real();
                haveDirection = true;
                break;
            case 23:
                dy = r.real();
                haveDirection = true;
                break;
            case 43:
                width = r.real();
                break;
            case 45:
                shape.lineSpacing = r.real();
                break;
            case 90:
                shape.textColour = static_cast<std::uint32_t>(r.integer());
                break;
            case 171:
                shape.attachment = std::clamp(r.integer(), 1, 3);
                break;
            case 296:
                shape.haveBlock = r.integer() != 0;
                break;
            case 341:
                shape.blockHandle = handleOf(v);
                break;
            case 15:
                shape.blockAt.x = r.real();
                break;
            case 25:
                shape.blockAt.y = r.real();
                break;
            case 16:
                shape.blockXScale = r.real();
                break;
            case 26:
                shape.blockYScale = r.real();
                break;
            case 46:
                shape.blockRotationDegrees = r.real() * kDegrees;
                break;
            case 93:
                shape.blockColour = static_cast<std::uint32_t>(r.integer());
                break;
            default:
                break;
            }
        } else if (contextDone) {
            // The multileader's own values after its context.
            if (c == 170)
                leaderKind = r.integer();
            else if (c == 291)
                dogleg = r.integer() != 0;
            else if (c == 330)
                attributeHandle = handleOf(v);
            else if (c == 302 && attributeHandle != 0)
                shape.attributes.emplace_back(attributeHandle, std::string(r.value()));
        }
    }
    shape.haveText = mtext && haveTextValue;
    // The direction (13) gives the text's angle; without one it is level, as CAD draws it.
    shape.rotationDegrees =
        haveDirection && (dx != 0 || dy != 0) ? std::atan2(dy, dx) * kDegrees : 0;
    shape.wrapWidth = width > 0 ? width * (scale > 0 ? scale : 1) : 0;
    if (leaderKind == 0)
        return shape; // invisible leaders
    for (const Leader& l : leaders) {
        const double n = std::hypot(l.dogleg.x, l.dogleg.y);
        const Point step =
            n > 0 ? Point{l.dogleg.x / n * l.doglegLength, l.dogleg.y / n * l.doglegLength}
                  : Point{l.doglegLength, 0};
        for (const std::vector<Point>& vertices : l.lines) {
            // From the content to the arrowhead: the dogleg's end, the landing, the vertices
            // in reverse.
            std::vector<Point> out;
            if (l.horizontal)
                out.push_back({l.landing.x + step.x, l.landing.y + step.y});
            if (!l.horizontal || dogleg)
                out.push_back(l.landing);
            out.insert(out.end(), vertices.rbegin(), vertices.rend());
            if (out.size() < 2)
                continue;
            const Point tip = out.back(), before = out[out.size() - 2];
            const double d = std::hypot(tip.x - before.x, tip.y - before.y);
            if (arrowSize > 0 && d > 0) {
                const Point u{(tip.x - before.x) / d, (tip.y - before.y) / d};
                const Point back{tip.x - u.x * arrowSize, tip.y - u.y * arrowSize};
                const Point side{-u.y * arrowSize / 6, u.x * arrowSize / 6};
                shape.arrows.push_back({tip, Point{back.x + side.x, back.y + side.y},
                                        Point{back.x - side.x, back.y - side.y}});
            }
            shape.lines.push_back(std::move(out));
        }
    }
    return shape;
}

} // namespace quillet::drawing
