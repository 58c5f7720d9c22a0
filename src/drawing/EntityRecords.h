// Records from finished entities: what a text, a line, a curve, a solid or a block reference
// that the parser has read whole (PendingEntity) keeps in Entities.
#pragma once

#include "Entities.h"
#include "PendingEntity.h"
#include "Shapes.h"

#include <cstdint>
#include <vector>

namespace quillet::drawing {

// Keeps points as one polyline of flags and look, its points in the system ocs (world points
// when null); keeps nothing for no points. Throws std::bad_alloc.
void keepPolyline(Entities& into, const std::vector<Point>& points, std::uint16_t flags, Look look,
                  const Ocs* ocs);

// Keeps the text a finished TEXT, ATTRIB or MTEXT (kind) e makes, whose bytes are the current
// text of into's textBytes, an MTEXT in columns when columns is given; keeps nothing for an
// invisible attribute or one without a text, and counts one with a bad number as skipped.
// Throws std::bad_alloc.
void keepText(Entities& into, EntityKind kind, const PendingEntity& e,
              const TextColumns* columns = nullptr);

// Returns whether p states columns an MTEXT is laid out in (a type, a width), and sets out to
// them; linkedColumns is how many further MTEXTs held its columns.
bool columnsOf(const PendingColumns& p, std::size_t linkedColumns, TextColumns& out);

// Returns the record a finished TEXT, ATTRIB or MTEXT (kind) e of bytes bytes makes, its
// offset and length not set, and sets extra to what it has beyond the record.
TextRecord textRecordOf(EntityKind kind, const PendingEntity& e, std::size_t bytes,
                        TextExtra& extra);

// Keeps text record t with extra (its look, slant, wrapping...), whose bytes are the current
// text of into's textBytes, laid out in columns when columns is given. Throws std::bad_alloc.
void keepTextRecord(Entities& into, TextRecord t, TextExtra extra,
                    const TextColumns* columns = nullptr);

// Keeps what a finished entity of kind draws, for every kind read whole: texts, lines, points,
// circles, arcs, ellipses, LWPOLYLINEs, solids, faces, splines (helixes too), leaders, XLINEs,
// RAYs, block references and the frames of images and underlays (not POLYLINE's vertices,
// hatches or multileaders, which come in parts).
// An entity with a bad number is counted as skipped. Throws std::bad_alloc.
void keepEntity(Entities& into, EntityKind kind, const PendingEntity& e, const PendingLists& lists);

} // namespace quillet::drawing
