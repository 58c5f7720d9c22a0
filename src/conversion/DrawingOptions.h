#pragma once

namespace quillet::conversion {

// Which drawing a run writes. The classic drawing holds the ENTITIES section alone and the
// input's bytes unchanged; the declared one names its code page in a HEADER, gives its texts
// a style with a Japanese big font and holds every text in code page 932.
enum class DrawingKind { Classic, Declared };

// How a declared drawing's input is read. Auto: UTF-8 when the file starts with a byte-order
// mark or its first line holding a byte of 0x80 or above is valid UTF-8, else code page 932.
// A UTF-16 byte-order mark always means UTF-16.
enum class InputEncoding { Auto, Cp932, Utf8 };

struct DrawingOptions {
    DrawingKind drawing = DrawingKind::Classic;
    InputEncoding encoding = InputEncoding::Auto;
    // Read spreadsheet quoting (quoted fields, doubled quotes, line breaks inside quotes)
    // instead of keeping quotes as characters.
    bool quotes = false;
};

} // namespace quillet::conversion
