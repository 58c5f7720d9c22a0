// The pair state machine: which section and entity the parser stands in, and where each
// value of the entity being read belongs. Our own texts take the fast path; everything else
// is read a pair at a time.
#include "PairParser.h"

#include "ColumnGroups.h"
#include "Dimension.h"
#include "DrawingError.h"
#include "EntityRecords.h"
#include "Hatch.h"
#include "MultiLeader.h"
#include "Numbers.h"
#include "OwnText.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <type_traits>

namespace quillet::drawing {

namespace {

// Codes of real numbers that an entity read whole looks at: one that is no number of sensible
// size makes the entity bad, whether its kind uses it or not.
bool realCode(int code) noexcept {
    return (code >= 40 && code <= 45 && code != 43) || code == 50 || code == 51;
}

// The most points of a clipping boundary kept.
constexpr std::size_t kMostBoundaryPoints = 1 << 16;

} // namespace

PairParser::PairParser(Entities& out, Section start, std::int64_t firstLine)
    : out_(out), cur_(&out), section_(start), line_(firstLine) {
    out_.layerNumber("0"); // layer 0 is number 0 in every piece, as the fast path assumes
}

void PairParser::parse(const char* begin, const char* end) {
    if (sawEof_)
        return;
    LineLexer lexer(begin, end);
    bool skipped = false; // p has moved past lines the lexer has not seen
    const char* p = begin;
    OwnText own;
    while (p < end) {
        // This program's own texts are most of the lines a preview reads: whole at once.
        if (!haveCode_ && section_ == Section::Entities && mayStartOwnText(p, end) &&
            ownTexts_.read(p, end, own)) {
            keepOwnText(own);
            p = own.next;
            skipped = true;
            continue;
        }
        // The line feeds are looked for again only when a line is read the slow way.
        if (skipped) {
            lexer.skipTo(p);
            skipped = false;
        }
        const std::string_view line = lexer.take(p);
        if (!haveCode_) {
            code_ = groupCode(line);
            if (code_ > kMaxCode)
                throw DrawingError("グループ コードであるべき行が整数ではありません。", line_);
            haveCode_ = true;
        } else {
            haveCode_ = false;
            onValue(code_, line);
            if (sawEof_)
                return;
        }
        ++line_;
    }
}

void PairParser::keepOwnText(const OwnText& text) {
    ByteArena& arena = cur_->textBytes;
    if (text.complete && kind_ == EntityKind::None && !polyline_.open && !held_.held) {
        // Nothing to finish before it and nothing of it read after: what startEntity would
        // set up is never looked at before the next entity sets it up again.
        arena.begin();
    } else {
        // What the line-by-line way does with these lines.
        startEntity("TEXT");
        entity_.at = {text.x, text.y};
        entity_.height = text.height;
        entity_.haveText = true;
    }
    line_ += text.lines;
    arena.append(text.bytes);
    if (!text.complete)
        return;
    kind_ = EntityKind::None;
    TextRecord t;
    t.x = text.x;
    t.y = text.y;
    t.height = static_cast<float>(std::fabs(text.height));
    t.widthMilli = 1000;
    t.packed = arena.currentOffset() | static_cast<std::uint64_t>(arena.currentLength())
                                           << TextRecord::kLengthShift;
    cur_->keepText(t, Entities::highsFor(text.bytes.size(), text.highs, text.escape));
    if (text.highs)
        cur_->noteTextBytes(arena.view(arena.currentOffset(), arena.currentLength()));
}

void PairParser::onValue(int code, std::string_view value) {
    if (code == 0) {
        startEntity(trimmed(value));
        return;
    }
    switch (kind_) {
    case EntityKind::None:
    case EntityKind::Ignored:
        if (section_ == Section::Header)
            headerValue(code, value);
        return;
    case EntityKind::SectionStart:
        if (code == 2) {
            const std::string_view name = trimmed(value);
            section_ = name == "ENTITIES" ? Section::Entities
                       : name == "HEADER" ? Section::Header
                       : name == "TABLES" ? Section::Tables
                       : name == "BLOCKS" ? Section::Blocks
                                          : Section::Other;
            kind_ = EntityKind::None;
        }
        return;
    default:
        entityValue(code, value);
    }
}

void PairParser::headerValue(int code, std::string_view value) {
    if (code == 9) {
        headerVariable_.assign(trimmed(value).substr(0, 32));
    } else if (headerVariable_ == "$ACADVER" && code == 1) {
        header_.acadVersion.assign(trimmed(value).substr(0, 32));
    } else if (headerVariable_ == "$DWGCODEPAGE" && code == 3) {
        header_.codePage.assign(trimmed(value).substr(0, 32));
    } else if (headerVariable_ == "$MEASUREMENT" ||
               (headerVariable_.size() > 4 && headerVariable_.compare(0, 4, "$DIM") == 0)) {
        if (dimensionVariables_.size() < 256)
            dimensionVariables_.emplace_back(headerVariable_, trimmed(value).substr(0, 255));
    }
}

void PairParser::finishHeader() {
    DimensionSettings& d = header_.dimensions;
    for (const auto& [name, value] : dimensionVariables_)
        if (name == "$MEASUREMENT" && parseInteger(value) == 1)
            d.header = DimensionStyle::metric();
    for (const auto& [name, value] : dimensionVariables_) {
        if (name == "$DIMSTYLE") {
            d.current = value;
        } else if (name == "$DIMPOST") {
            d.header.setVariable(name, 0, value);
        } else if (const auto v = parseReal(value)) {
            d.header.setVariable(name, *v, value);
        }
    }
    d.read = d.read || !dimensionVariables_.empty();
    dimensionVariables_.clear();
}

double PairParser::real(std::string_view value) {
    double quick = 0;
    if (quickReal(value, quick))
        return std::fabs(quick) > kMaxMagnitude ? (entity_.bad = true, 0.0) : quick;
    const auto parsed = parseReal(value);
    if (!parsed || std::fabs(*parsed) > kMaxMagnitude) {
        entity_.bad = true;
        return 0;
    }
    return *parsed;
}

// Starting and finishing entities.

void PairParser::startEntity(std::string_view name) {
    finishEntity();
    // An insert's attributes follow it up to their SEQEND.
    attributesFollow_ = attributesFollow_ && name == "ATTRIB";
    if (held_.held && name != "MTEXT")
        releaseHeld(); // its further columns, if any, did not follow it
    if (name == "SECTION") {
        closeBlock(); // a block its section never closed
        kind_ = EntityKind::SectionStart;
        return;
    }
    if (name == "ENDSEC" || name == "EOF") {
        if (section_ == Section::Header)
            finishHeader();
        closePolyline();
        closeBlock();
        sawEof_ = name == "EOF";
        section_ = Section::None;
        return;
    }
    if (section_ == Section::Tables) {
        startTableEntry(name);
        return;
    }
    if (section_ == Section::Blocks) {
        if (startBlockPart(name))
            return;
    } else if (section_ != Section::Entities) {
        kind_ = EntityKind::Ignored;
        return;
    }
    startDrawnEntity(name);
}

void PairParser::startTableEntry(std::string_view name) {
    kind_ = name == "LAYER"      ? EntityKind::LayerEntry
            : name == "DIMSTYLE" ? EntityKind::DimensionStyleEntry
                                 : EntityKind::Ignored;
    if (kind_ == EntityKind::DimensionStyleEntry) {
        // Each style starts from the header's variables; what it leaves out, they say.
        DimensionSettings& d = header_.dimensions;
        d.read = true;
        if (d.styles.size() < 4096)
            d.styles.push_back(d.header);
        else
            kind_ = EntityKind::Ignored;
    }
    layer_.name.clear();
    layer_.colour = 7;
    layer_.off = false;
    layer_.flags = 0;
    layer_.trueColour.reset();
}

bool PairParser::startBlockPart(std::string_view name) {
    if (name == "BLOCK") {
        closePolyline();
        kind_ = EntityKind::BlockStart;
        blockName_.clear();
        blockBase_ = {};
        blockRecord_ = 0;
        return true;
    }
    if (name == "ENDBLK") {
        closePolyline();
        kind_ = EntityKind::Ignored;
        closeBlock();
        return true;
    }
    if (!inBlock_) {
        kind_ = EntityKind::Ignored;
        return true;
    }
    return false;
}

void PairParser::startDrawnEntity(std::string_view name) {
    // Copied whole from a fresh one: cheaper than setting each field.
    static_assert(std::is_trivially_copyable_v<PendingEntity>);
    static const PendingEntity fresh;
    entity_ = fresh;
    const bool vertexOrEnd = name == "VERTEX" || name == "SEQEND";
    definingAttribute_ = false;
    if (polyline_.open && !vertexOrEnd)
        closePolyline(); // a polyline without its SEQEND ends at the next entity
    if (name == "TEXT") {
        kind_ = EntityKind::Text;
        cur_->textBytes.begin();
    } else if (name == "MTEXT") {
        kind_ = EntityKind::MText;
        columns_.clear();
        // After an MTEXT held for its further columns, this may be one: its text then joins.
        link_ = held_.held ? Link::Undecided : Link::None;
        if (!held_.held)
            cur_->textBytes.begin();
    } else if (name == "ATTRIB" || name == "ATTDEF") {
        kind_ = EntityKind::Attrib;
        cur_->textBytes.begin();
        definingAttribute_ = name == "ATTDEF" && inBlock_;
        attributeHandle_ = 0;
    } else if (name == "LINE") {
        kind_ = EntityKind::Line;
    } else if (name == "POINT") {
        kind_ = EntityKind::Point;
    } else if (name == "CIRCLE") {
        kind_ = EntityKind::Circle;
    } else if (name == "ARC") {
        kind_ = EntityKind::Arc;
    } else if (name == "ELLIPSE") {
        kind_ = EntityKind::Ellipse;
    } else if (name == "LWPOLYLINE") {
        kind_ = EntityKind::LwPolyline;
        lists_.clear();
    } else if (name == "POLYLINE") {
        kind_ = EntityKind::Polyline;
    } else if (name == "VERTEX" && polyline_.open) {
        kind_ = EntityKind::Vertex;
    } else if (name == "SEQEND" && polyline_.open) {
        closePolyline();
        kind_ = EntityKind::None;
    } else if (vertexOrEnd) {
        kind_ = EntityKind::Ignored; // the end of an insert's attributes, or a stray vertex
    } else if (name == "SOLID" || name == "TRACE") {
        kind_ = EntityKind::Solid;
    } else if (name == "3DFACE") {
        kind_ = EntityKind::Face;
    } else if (name == "SPLINE" || name == "HELIX") {
        kind_ = EntityKind::Spline; // a helix is the spline it holds, seen in plan
        lists_.clear();
    } else if (name == "LEADER") {
        kind_ = EntityKind::Leader;
        lists_.clear();
    } else if (name == "INSERT") {
        kind_ = EntityKind::Insert;
    } else if (name == "DIMENSION") {
        kind_ = EntityKind::Dimension;
        buffered_.clear();
    } else if (name == "ACAD_TABLE") {
        kind_ = EntityKind::Table;
    } else if (name == "XLINE") {
        kind_ = EntityKind::XLine;
    } else if (name == "RAY") {
        kind_ = EntityKind::Ray;
    } else if (name == "IMAGE") {
        kind_ = EntityKind::Image;
        lists_.clear();
    } else if (name == "PDFUNDERLAY" || name == "DWFUNDERLAY" || name == "DGNUNDERLAY") {
        kind_ = EntityKind::Underlay;
        entity_.kindName = name == "PDFUNDERLAY"   ? "PDFUNDERLAY"
                           : name == "DWFUNDERLAY" ? "DWFUNDERLAY"
                                                   : "DGNUNDERLAY";
        lists_.clear();
    } else if (name == "HATCH" || name == "MULTILEADER" || name == "MLEADER") {
        kind_ = name == "HATCH" ? EntityKind::Hatch : EntityKind::MLeader;
        buffered_.clear();
    } else {
        kind_ = EntityKind::Ignored;
        cur_->countNotDrawn(name);
    }
}

void PairParser::finishEntity() {
    const EntityKind kind = kind_;
    kind_ = EntityKind::None;
    switch (kind) {
    case EntityKind::MText:
        finishMText();
        return;
    case EntityKind::None:
    case EntityKind::Ignored:
    case EntityKind::SectionStart:
        return;
    case EntityKind::LayerEntry:
        finishLayer();
        return;
    case EntityKind::DimensionStyleEntry:
        return;
    case EntityKind::BlockStart:
        finishBlockStart();
        return;
    default:
        break;
    }
    if (entity_.paperSpace && section_ == Section::Entities && kind != EntityKind::Vertex) {
        // Paper space is not the model a preview shows.
        if (kind == EntityKind::Polyline) {
            polyline_.open = true;
            polyline_.bad = polyline_.mesh = true; // its vertices are read and dropped
        }
        return;
    }
    switch (kind) {
    case EntityKind::Polyline:
        openPolyline();
        return;
    case EntityKind::Vertex:
        addVertex();
        return;
    case EntityKind::Hatch:
        finishHatch();
        return;
    case EntityKind::MLeader:
        finishMLeader();
        return;
    case EntityKind::Dimension:
        finishDimension();
        return;
    case EntityKind::Attrib:
        finishAttribute();
        return;
    case EntityKind::Insert:
        keepEntity(*cur_, kind, entity_, lists_);
        attributesFollow_ = true;
        attributeOwner_ = entity_.look;
        return;
    default:
        keepEntity(*cur_, kind, entity_, lists_);
        return;
    }
}

void PairParser::finishLayer() {
    if (layer_.name.empty())
        return;
    Layer& l = out_.layers[out_.layerNumber(layer_.name)];
    l.defined = true;
    l.off = layer_.off;
    l.frozen = layer_.flags & 1;
    // A negative number turns the layer off; its colour is the number's size.
    Colour c = Colour::index(layer_.off ? -layer_.colour : layer_.colour);
    if (layer_.trueColour)
        // 24 bits of colour; anything else (negative, huge) is no colour to convert.
        c = Colour::rgb(static_cast<std::uint32_t>(std::clamp(*layer_.trueColour, 0, 0xFFFFFF)));
    l.colour = c;
}

void PairParser::finishBlockStart() {
    if (section_ != Section::Blocks)
        return;
    if (inBlock_)
        out_.blocks.push_back(std::move(pendingBlock_));
    pendingBlock_ = Block{};
    pendingBlock_.name = blockName_;
    pendingBlock_.base = blockBase_;
    pendingBlock_.entities = std::make_unique<Entities>();
    pendingBlock_.recordHandle = blockRecord_;
    inBlock_ = true;
    cur_ = pendingBlock_.entities.get();
}

void PairParser::closeBlock() {
    if (inBlock_) {
        inBlock_ = false;
        out_.blocks.push_back(std::move(pendingBlock_));
        pendingBlock_ = Block{};
    }
    cur_ = &out_;
}

void PairParser::openPolyline() {
    OpenPolyline& p = polyline_;
    p.points.clear();
    p.bulges.clear();
    p.look = entity_.look;
    p.open = true;
    // Meshes (16) and polyface meshes (64) are surfaces; their vertices make no outline.
    if (entity_.flags & (16 | 64)) {
        cur_->countNotDrawn("POLYLINE (メッシュ)");
        p.bad = true; // read the vertices, keep none
        p.closed = false;
        p.mesh = true;
        return;
    }
    p.bad = false;
    p.mesh = false;
    p.closed = entity_.flags & 1;
    p.world = entity_.flags & 8;
    p.ocs = entity_.ocs();
}

void PairParser::addVertex() {
    // Face records of a polyface mesh hold vertex numbers, not a point.
    if ((entity_.flags & 128) && !(entity_.flags & 64))
        return;
    if (entity_.bad) {
        polyline_.bad = true;
        return;
    }
    polyline_.points.push_back(entity_.at);
    polyline_.bulges.push_back(entity_.bulge.value_or(0));
}

void PairParser::closePolyline() {
    OpenPolyline& p = polyline_;
    if (!p.open)
        return;
    p.open = false;
    if (p.bad || p.points.empty()) {
        if (!p.mesh)
            ++cur_->skipped;
        p.mesh = false;
        p.points.clear();
        return;
    }
    static thread_local std::vector<Point> outline;
    outline.clear();
    outline.push_back(p.points[0]);
    for (std::size_t k = 1; k < p.points.size(); ++k)
        appendBulge(outline, p.points[k - 1], p.points[k], p.world ? 0 : p.bulges[k - 1]);
    if (p.closed && !p.world && p.points.size() > 1 && p.bulges.back() != 0) {
        appendBulge(outline, p.points.back(), p.points[0], p.bulges.back());
        outline.pop_back();
    }
    keepPolyline(*cur_, outline, p.closed ? PolylineRecord::kClosed : 0, p.look,
                 p.world ? nullptr : &p.ocs);
    p.points.clear();
    p.bulges.clear();
}

void PairParser::finishHatch() {
    if (entity_.bad)
        return void(++cur_->skipped);
    const HatchShape shape = hatchShape(buffered_);
    const Ocs o = entity_.ocs();
    bool first = true;
    for (const std::vector<Point>& outline : shape.outlines) {
        std::uint16_t flags = PolylineRecord::kClosed |
                              (shape.solid ? PolylineRecord::kFilled : PolylineRecord::kLightFill);
        if (!first)
            flags |= PolylineRecord::kContinues; // a hole or island of the outline before
        first = false;
        keepPolyline(*cur_, outline, flags, entity_.look, &o);
    }
}

void PairParser::finishMLeader() {
    const MultiLeaderShape shape = multiLeaderShape(buffered_);
    for (const std::vector<Point>& line : shape.lines)
        keepPolyline(*cur_, line, 0, entity_.look, nullptr);
    static thread_local std::vector<Point> corners;
    for (const auto& arrow : shape.arrows) {
        corners.assign(arrow.begin(), arrow.end());
        keepPolyline(*cur_, corners, PolylineRecord::kClosed | PolylineRecord::kFilled,
                     entity_.look, nullptr);
    }
    if (shape.haveText && !shape.text.empty()) {
        // Its text is an MTEXT at the text's place, attached at its top left, centre or right.
        cur_->textBytes.begin();
        cur_->textBytes.append(shape.text);
        PendingEntity text;
        text.look = entity_.look;
        text.look.colour = rawColour(shape.textColour, entity_.look.colour);
        text.bad = entity_.bad;
        text.at = shape.at;
        text.height = shape.height;
        text.rotation = shape.rotationDegrees;
        text.attachment = shape.attachment;
        text.wrapWidth = shape.wrapWidth;
        text.lineSpacing = shape.lineSpacing;
        text.haveText = true;
        keepText(*cur_, EntityKind::MText, text);
    }
    if (!shape.haveBlock || entity_.bad || shape.blockHandle == 0)
        return;
    // Its block content: a reference to the block its record's handle names, found once every
    // block is known, with the attribute values to place where the block defines them.
    InsertRecord r;
    r.x = shape.blockAt.x;
    r.y = shape.blockAt.y;
    r.xScale = shape.blockXScale;
    r.yScale = shape.blockYScale;
    r.rotationDegrees = shape.blockRotationDegrees;
    r.look = entity_.look;
    r.look.colour = rawColour(shape.blockColour, entity_.look.colour);
    MultiLeaderContent content;
    content.insert = static_cast<std::uint32_t>(cur_->inserts.size());
    content.blockHandle = shape.blockHandle;
    content.attributes = shape.attributes;
    cur_->inserts.push_back(r);
    cur_->leaderContents.push_back(std::move(content));
}

void PairParser::finishDimension() {
    const bool named = entity_.haveName && !entity_.bad;
    const std::size_t inserts = cur_->inserts.size();
    keepEntity(*cur_, EntityKind::Dimension, entity_, lists_);
    if (entity_.bad)
        return;
    DimensionDefinition d = dimensionDefinition(buffered_);
    d.look = entity_.look;
    if (named && cur_->inserts.size() > inserts) {
        d.insert = static_cast<std::uint32_t>(inserts);
        // A block drawn for copies of the dimension stands at their insertion point (12).
        if (d.haveInsertionPoint) {
            cur_->inserts.back().x = d.insertionPoint.x;
            cur_->inserts.back().y = d.insertionPoint.y;
        }
    }
    const Ocs o = entity_.ocs();
    if (!o.isWorld()) {
        // The text's place and the arc's point are in the dimension's own system.
        d.textAt = o.toWorld(d.textAt.x, d.textAt.y);
        d.arcAt = o.toWorld(d.arcAt.x, d.arcAt.y);
        d.angle = o.isMirror() ? 180 - d.angle : o.angleToWorld(d.angle);
        if (d.haveTextRotation)
            d.textRotation = o.isMirror() ? 180 - d.textRotation : o.angleToWorld(d.textRotation);
    }
    cur_->dimensions.push_back(std::move(d));
}

void PairParser::finishAttribute() {
    Entities& into = *cur_;
    if (definingAttribute_) {
        // A block's attribute definition: not drawn, kept for the multileaders that fill it.
        ByteArena& arena = into.textBytes;
        const std::size_t length = arena.currentLength();
        if (length > 0) // an arena with no block yet has nowhere to drop from
            arena.dropFront(length);
        if (entity_.bad || entity_.invisible || attributeHandle_ == 0 ||
            pendingBlock_.attributes.size() >= 4096)
            return;
        AttributeDefinition a;
        a.handle = attributeHandle_;
        a.record = textRecordOf(EntityKind::Attrib, entity_, length, a.extra);
        pendingBlock_.attributes.push_back(a);
        return;
    }
    if (!attributesFollow_) {
        keepText(into, EntityKind::Attrib, entity_);
        return;
    }
    // An insert's attribute is drawn as its block's entities are: on layer 0 on the insert's
    // layer, BYBLOCK in its colour; hidden with the insert.
    const Look owner = attributeOwner_;
    Look& look = entity_.look;
    if (look.colour.kind() == Colour::kByBlock)
        look.colour = owner.colour;
    const bool apart =
        look.layer != 0 && look.layer != owner.layer && (owner.layer != 0 || !inBlock_);
    if (look.layer == 0)
        look.layer = owner.layer;
    const std::size_t before = into.texts.size();
    keepText(into, EntityKind::Attrib, entity_);
    if (apart && into.texts.size() > before)
        into.attributeOwners.push_back({static_cast<std::uint32_t>(before), owner.layer});
}

void PairParser::finishMText() {
    if (link_ == Link::Undecided) {
        // Nothing of it came to tell: it is no further column, and what is held is whole.
        releaseHeld();
        cur_->textBytes.begin();
        link_ = Link::None;
    }
    if (link_ == Link::Joined) {
        link_ = Link::None;
        joinColumn();
        if (++held_.joined >= held_.columns.linked.size())
            releaseHeld();
        return;
    }
    if (entity_.paperSpace && section_ == Section::Entities)
        return; // paper space is not the model a preview shows
    TextColumns columns;
    const bool inColumns = columnsOf(columns_, 0, columns);
    if (inColumns && !columns_.linked.empty() && !entity_.bad && entity_.haveText) {
        // Its further columns are the MTEXTs its settings name, which follow it.
        held_.held = true;
        held_.joined = 0;
        held_.entity = entity_;
        std::swap(held_.columns, columns_);
        return;
    }
    keepText(*cur_, EntityKind::MText, entity_, inColumns ? &columns : nullptr);
}

void PairParser::joinColumn() {
    // The column's bytes follow the held text's; a column break goes between, unless the
    // text before ends with one already. An empty column adds nothing: the text before flows
    // into the columns after by their heights.
    ByteArena& arena = cur_->textBytes;
    const std::size_t length = arena.currentLength();
    if (length <= linkMark_)
        return;
    if (arena.view(arena.currentOffset(), linkMark_).ends_with("\\N"))
        return;
    const std::string column(arena.view(arena.currentOffset() + linkMark_, length - linkMark_));
    arena.truncate(linkMark_);
    arena.append("\\N");
    arena.append(column);
}

void PairParser::releaseHeld() {
    if (!held_.held)
        return;
    held_.held = false;
    TextColumns columns;
    const bool inColumns = columnsOf(held_.columns, held_.joined, columns);
    keepText(*cur_, EntityKind::MText, held_.entity, inColumns ? &columns : nullptr);
}

bool PairParser::finishFile() {
    if (!sawEof_) {
        if (!haveCode_)
            finishEntity();
        releaseHeld();
        closePolyline();
        closeBlock();
    }
    return sawEof_;
}

// Where each value goes.

void PairParser::entityValue(int code, std::string_view value) {
    switch (kind_) {
    case EntityKind::LayerEntry:
        layerValue(code, value);
        return;
    case EntityKind::BlockStart:
        blockValue(code, value);
        return;
    case EntityKind::DimensionStyleEntry:
        dimensionStyleValue(code, value);
        return;
    default:
        break;
    }
    if (code == 5 && definingAttribute_) {
        attributeHandle_ = handleOf(value);
        return;
    }
    // Past "101 Embedded Object" only an MTEXT's columns are read.
    if (entity_.embedded) {
        if (kind_ == EntityKind::MText)
            readEmbeddedColumnGroup(columns_, code, value);
        return;
    }
    // Every entity's own values: layer (8), colour (62, 420), space (67), what is embedded
    // (101) and extrusion (210, 220, 230).
    if ((code == 8 || code >= 62) && commonValue(code, value))
        return;
    switch (kind_) {
    case EntityKind::Hatch:
    case EntityKind::MLeader:
        buffered_.add(code, value);
        return;
    case EntityKind::Dimension:
        // Its name makes its block reference; the rest defines what it draws without one.
        if (code == 2)
            insertValue(code, value);
        else
            buffered_.add(code, value);
        return;
    case EntityKind::LwPolyline:
    case EntityKind::Spline:
    case EntityKind::Leader:
        listValue(code, value);
        return;
    case EntityKind::Image:
    case EntityKind::Underlay:
        frameValue(code, value);
        return;
    case EntityKind::Insert:
    case EntityKind::Table:
        insertValue(code, value);
        return;
    case EntityKind::Text:
    case EntityKind::Attrib:
    case EntityKind::MText:
        textValue(code, value);
        return;
    default:
        shapeValue(code, value);
        return;
    }
}

void PairParser::layerValue(int code, std::string_view value) {
    switch (code) {
    case 2:
        layer_.name.assign(trimmed(value).substr(0, 255));
        return;
    case 62:
        layer_.colour = lenientInteger(value);
        layer_.off = layer_.off || layer_.colour < 0;
        return;
    case 70:
        layer_.flags |= lenientInteger(value) & 0xFF;
        return;
    case 420:
        layer_.trueColour = lenientInteger(value);
        return;
    default:
        return;
    }
}

void PairParser::dimensionStyleValue(int code, std::string_view value) {
    DimensionStyle& s = header_.dimensions.styles.back();
    if (code == 2) {
        s.name.assign(trimmed(value).substr(0, 255));
        return;
    }
    const auto v = parseReal(trimmed(value));
    if (v || code == 3)
        s.set(code, v.value_or(0), trimmed(value));
}

void PairParser::blockValue(int code, std::string_view value) {
    if (code == 330)
        blockRecord_ = handleOf(value);
    else if (code == 2)
        blockName_.assign(trimmed(value).substr(0, 255));
    else if (code == 10)
        blockBase_.x = real(value);
    else if (code == 20)
        blockBase_.y = real(value);
}

// The values every entity has: layer, colour, space, extrusion.
bool PairParser::commonValue(int code, std::string_view value) {
    PendingEntity& e = entity_;
    switch (code) {
    case 8:
        e.look.layer = out_.layerNumber(trimmed(value));
        return true;
    case 62:
        if (!e.trueColour) {
            const int c = lenientInteger(value);
            e.look.colour = c == 0             ? Colour{Colour::kByBlock}
                            : c == 256         ? Colour{Colour::kByLayer}
                            : c > 0 && c < 256 ? Colour::index(c)
                                               : Colour{};
        }
        return true;
    case 420:
        e.trueColour = true;
        e.look.colour = Colour::rgb(static_cast<std::uint32_t>(lenientInteger(value)));
        return true;
    case 67:
        e.paperSpace = lenientInteger(value) == 1;
        return true;
    case 101:
        e.embedded = true;
        return true;
    case 100:
        // A helix's own values (its axis, radius, turns) follow its spline's, some under the
        // spline's codes (10, 40).
        if (kind_ != EntityKind::Spline || trimmed(value) != "AcDbHelix")
            return false;
        e.embedded = true;
        return true;
    case 210:
    case 220:
    case 230:
        if (kind_ == EntityKind::MLeader)
            return false; // a multileader's own directions, read with its pairs
        (code == 210   ? e.extrusion2D.x
         : code == 220 ? e.extrusion2D.y
                       : e.extrusionZ) = real(value);
        return true;
    default:
        return false;
    }
}

// The points of the entities read whole, by code: 10/20, 11/21, 12/22, 13/23.
void PairParser::pointValue(int code, std::string_view value) {
    PendingEntity& e = entity_;
    switch (code) {
    case 10:
        e.at.x = real(value);
        return;
    case 20:
        e.at.y = real(value);
        return;
    case 11:
        e.second.x = real(value);
        e.haveSecond = true;
        return;
    case 21:
        e.second.y = real(value);
        e.haveSecond = true;
        return;
    case 12:
        e.third.x = real(value);
        return;
    case 22:
        e.third.y = real(value);
        return;
    case 13:
        e.fourth.x = real(value);
        e.haveFourth = true;
        return;
    case 23:
        e.fourth.y = real(value);
        e.haveFourth = true;
        return;
    default:
        return;
    }
}

void PairParser::textValue(int code, std::string_view value) {
    PendingEntity& e = entity_;
    const bool mtext = kind_ == EntityKind::MText;
    if (mtext) {
        if (link_ == Link::Undecided)
            decideLink(code, value);
        if (code >= 1000 || code == 46 || code == 48 || code == 49 || code == 75 || code == 76 ||
            code == 78 || code == 79 || (code == 50 && columns_.ownGroups)) {
            readColumnGroup(columns_, code, value);
            return;
        }
    }
    switch (code) {
    case 10:
    case 20:
    case 11:
    case 21:
    case 12:
    case 22:
    case 13:
    case 23:
        pointValue(code, value);
        return;
    case 1:
        if (!mtext)
            cur_->textBytes.begin(); // a second text value replaces the first
        cur_->textBytes.append(value);
        e.haveText = true;
        return;
    case 3:
        if (mtext)
            cur_->textBytes.append(value); // the first parts of a long text, in order
        return;
    case 40:
        e.height = real(value);
        return;
    case 41:
        (mtext ? e.wrapWidth : e.widthFactor) = real(value);
        return;
    case 44:
        if (mtext)
            e.lineSpacing = real(value);
        else
            (void)real(value);
        return;
    case 50:
        e.rotation = real(value);
        return;
    case 51:
        if (mtext)
            (void)real(value);
        else
            e.oblique = real(value);
        return;
    case 70:
        e.invisible = kind_ == EntityKind::Attrib && (lenientInteger(value) & 1);
        return;
    case 71:
        (mtext ? e.attachment : e.generation) = lenientInteger(value);
        return;
    case 72:
        e.halign = lenientInteger(value);
        return;
    case 73:
        if (kind_ == EntityKind::Text)
            e.valign = lenientInteger(value);
        return;
    case 74:
        if (kind_ == EntityKind::Attrib)
            e.valign = lenientInteger(value);
        return;
    default:
        if (realCode(code))
            (void)real(value);
        return;
    }
}

// Tells by the first pair of an MTEXT after a held one whether it is one of the held one's
// further columns: its handle is one the held one names.
void PairParser::decideLink(int code, std::string_view value) {
    link_ = Link::None;
    if (code == 5) {
        const std::uint64_t handle = handleOf(value);
        const auto& linked = held_.columns.linked;
        if (handle != 0 && std::find(linked.begin(), linked.end(), handle) != linked.end()) {
            link_ = Link::Joined;
            linkMark_ = cur_->textBytes.currentLength();
            return;
        }
    }
    releaseHeld();
    cur_->textBytes.begin();
}

void PairParser::shapeValue(int code, std::string_view value) {
    PendingEntity& e = entity_;
    const bool arc = kind_ == EntityKind::Circle || kind_ == EntityKind::Arc;
    const bool ellipse = kind_ == EntityKind::Ellipse;
    switch (code) {
    case 10:
    case 20:
    case 11:
    case 21:
    case 12:
    case 22:
    case 13:
    case 23:
        pointValue(code, value);
        return;
    case 40:
        if (arc)
            e.radius = real(value);
        else if (ellipse)
            e.axisRatio = real(value);
        else
            (void)real(value);
        return;
    case 41:
        if (ellipse)
            e.startParameter = real(value);
        else
            (void)real(value);
        return;
    case 42:
        if (ellipse)
            e.endParameter = real(value);
        else if (kind_ == EntityKind::Vertex)
            e.bulge = real(value);
        else
            (void)real(value);
        return;
    case 50:
        if (kind_ == EntityKind::Arc)
            e.startAngle = real(value);
        else
            (void)real(value);
        return;
    case 51:
        if (kind_ == EntityKind::Arc)
            e.endAngle = real(value);
        else
            (void)real(value);
        return;
    case 70:
        e.flags = lenientInteger(value);
        return;
    default:
        if (realCode(code))
            (void)real(value);
        return;
    }
}

void PairParser::insertValue(int code, std::string_view value) {
    PendingEntity& e = entity_;
    if (code == 2 && !e.haveName) {
        e.haveName = true;
        ByteArena& names = cur_->textBytes;
        names.begin();
        names.append(trimmed(value).substr(0, 255));
        e.name = names.currentOffset() | static_cast<std::uint64_t>(names.currentLength()) << 40;
        return;
    }
    if (kind_ != EntityKind::Insert) {
        // A dimension's block holds what it draws; a table's stands at its insertion point.
        if (kind_ == EntityKind::Table && code == 10)
            e.at.x = real(value);
        else if (kind_ == EntityKind::Table && code == 20)
            e.at.y = real(value);
        return;
    }
    switch (code) {
    case 10:
    case 20:
    case 11:
    case 21:
    case 12:
    case 22:
    case 13:
    case 23:
        pointValue(code, value);
        return;
    case 41:
        e.xScale = real(value);
        return;
    case 42:
        e.yScale = real(value);
        return;
    case 44:
        e.columnSpacing = real(value);
        return;
    case 45:
        e.rowSpacing = real(value);
        return;
    case 50:
        e.rotation = real(value);
        return;
    case 70:
        e.columns = lenientInteger(value);
        return;
    case 71:
        e.rows = lenientInteger(value);
        return;
    default:
        if (realCode(code))
            (void)real(value);
        return;
    }
}

// What the frame of an IMAGE or an underlay is made of. The file it shows is never looked at.
void PairParser::frameValue(int code, std::string_view value) {
    PendingEntity& e = entity_;
    const bool image = kind_ == EntityKind::Image;
    switch (code) {
    case 10:
    case 20:
        pointValue(code, value); // the insertion point
        return;
    case 11: // an image's U vector, an underlay's boundary
    case 21:
        if (image)
            pointValue(code, value);
        else
            boundaryValue(code, value);
        return;
    case 12: // an image's V vector, and its size in pixels
    case 22:
    case 13:
    case 23:
        if (image)
            pointValue(code, value);
        return;
    case 14: // an image's boundary, in pixels
    case 24:
        if (image)
            boundaryValue(code - 3, value);
        return;
    case 41:
        if (!image)
            e.xScale = real(value);
        return;
    case 42:
        if (!image)
            e.yScale = real(value);
        return;
    case 50:
        if (!image)
            e.rotation = real(value);
        return;
    case 280: // an image's clipping state, an underlay's flags
        e.flags = lenientInteger(value);
        return;
    default:
        if (realCode(code))
            (void)real(value);
        return;
    }
}

// A point of a clipping boundary, by code 11 or 21.
void PairParser::boundaryValue(int code, std::string_view value) {
    std::vector<Point>& points = lists_.points;
    if (code == 11) {
        boundaryFull_ = points.size() >= kMostBoundaryPoints; // the rest are left out
        if (!boundaryFull_)
            points.push_back({real(value), 0});
    } else if (!points.empty() && !boundaryFull_) {
        points.back().y = real(value);
    }
}

// The repeated values of an LWPOLYLINE, a SPLINE or a LEADER.
void PairParser::listValue(int code, std::string_view value) {
    PendingEntity& e = entity_;
    PendingLists& l = lists_;
    const bool spline = kind_ == EntityKind::Spline;
    switch (code) {
    case 10:
        l.points.push_back({real(value), 0});
        if (kind_ == EntityKind::LwPolyline)
            l.bulges.push_back(0);
        return;
    case 20:
        if (!l.points.empty())
            l.points.back().y = real(value);
        return;
    default:
        break;
    }
    if (kind_ == EntityKind::Leader)
        return;
    if (!spline) {
        // An LWPOLYLINE's bulges and closed flag.
        if (code == 42 && !l.bulges.empty())
            l.bulges.back() = real(value);
        else if (code == 70)
            e.flags = lenientInteger(value);
        return;
    }
    switch (code) {
    case 11:
        l.fit.push_back({real(value), 0});
        return;
    case 21:
        if (!l.fit.empty())
            l.fit.back().y = real(value);
        return;
    case 40:
        l.knots.push_back(real(value));
        return;
    case 41:
        l.weights.push_back(real(value));
        return;
    case 70:
        e.flags = lenientInteger(value);
        return;
    case 71:
        e.degree = lenientInteger(value);
        return;
    default:
        return;
    }
}

} // namespace quillet::drawing
