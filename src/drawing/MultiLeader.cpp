// A multileader's context: the text's values outside the leaders, the landing point of each
// leader, and each leader line's vertices, kept from the landing point on.
#include "MultiLeader.h"

#include "LineLexer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillet::drawing {

MultiLeaderShape multiLeaderShape(const BufferedPairs& pairs) {
    MultiLeaderShape shape;
    double angle = 0, dx = 1, dy = 0;
    bool haveDirection = false;
    std::vector<Point> line;
    Point landing{};
    bool inLine = false, inLeader = false, inContext = false;
    for (PairCursor r(pairs); !r.done(); r.next()) {
        const int c = r.code();
        const std::string_view v = trimmed(r.value());
        const bool text = inContext && !inLeader; // the context's own values: the text's
        if (c == 300 && v == "CONTEXT_DATA{") {
            inContext = true;
        } else if (c == 302 && v == "LEADER{") {
            inLeader = true;
        } else if (c == 304 && v == "LEADER_LINE{") {
            inLine = true;
            line.assign(1, landing);
        } else if (c == 305 && inLine) {
            inLine = false;
            if (line.size() >= 2) {
                std::reverse(line.begin() + 1, line.end());
                shape.lines.push_back(line);
            }
        } else if (c == 303) {
            inLeader = false;
        } else if (c == 301) {
            inContext = false;
        } else if (inLine && c == 10) {
            line.push_back({r.real(), 0});
        } else if (inLine && c == 20 && line.size() > 1) {
            line.back().y = r.real();
        } else if (inLeader && c == 10) {
            landing.x = r.real();
        } else if (inLeader && c == 20) {
            landing.y = r.real();
        } else if (text && c == 304) {
            shape.text.assign(r.value());
            shape.haveText = true;
        } else if (text && c == 12) {
            shape.at.x = r.real();
        } else if (text && c == 22) {
            shape.at.y = r.real();
        } else if (text && c == 41 && shape.height == 0) {
            shape.height = r.real();
        } else if (text && c == 42) {
            angle = r.real();
        } else if (text && c == 13) {
            dx = r.real();
            haveDirection = true;
        } else if (text && c == 23) {
            dy = r.real();
        }
    }
    shape.rotationDegrees = haveDirection ? std::atan2(dy, dx) * (180 / std::numbers::pi) : angle;
    return shape;
}

} // namespace quillet::drawing
