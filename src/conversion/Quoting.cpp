// Spreadsheet quoting: where a record ends, its fields, and lines that look quoted.
#include "Quoting.h"

#include <cstring>

namespace quillet::conversion {

void QuoteState::feed(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inQuotes_) {
            if (c != '"')
                continue;
            if (i + 1 < line.size() && line[i + 1] == '"')
                ++i; // a doubled quote: one quote inside the field
            else
                inQuotes_ = false;
        } else if (c == ',') {
            fieldStart_ = true;
            continue;
        } else if (c == '"' && fieldStart_) {
            inQuotes_ = true;
        }
        fieldStart_ = false;
    }
    // A line break inside quotes is part of the field; after the line the field goes on.
    if (!inQuotes_)
        fieldStart_ = true;
}

void splitQuoted(std::string_view record, std::vector<std::string>& fields) {
    fields.clear();
    fields.emplace_back();
    bool inQuotes = false;
    bool fieldStart = true;
    for (std::size_t i = 0; i < record.size(); ++i) {
        const char c = record[i];
        std::string& field = fields.back();
        if (inQuotes) {
            if (c == '"') {
                if (i + 1 < record.size() && record[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                field += c == '\n' ? ' ' : c;
            }
            continue;
        }
        if (c == ',') {
            fields.emplace_back();
            fieldStart = true;
            continue;
        }
        if (c == '"' && fieldStart)
            inQuotes = true;
        else
            field += c;
        fieldStart = false;
    }
}

bool looksQuoted(std::string_view line) noexcept {
    const char* data = line.data();
    std::size_t at = 0;
    while (at < line.size()) {
        const void* found = std::memchr(data + at, '"', line.size() - at);
        if (!found)
            return false;
        const auto quote = static_cast<std::size_t>(static_cast<const char*>(found) - data);
        at = quote + 1;
        if (quote > 0 && data[quote - 1] != ',')
            continue;
        // The quoted part: up to the quote that closes it, doubled quotes inside.
        std::size_t end = at;
        while (end < line.size()) {
            if (data[end] == '"') {
                if (end + 1 < line.size() && data[end + 1] == '"') {
                    end += 2;
                    continue;
                }
                break;
            }
            ++end;
        }
        if (std::memchr(data + at, ',', end - at))
            return true;
        at = end + 1;
    }
    return false;
}

} // namespace quillet::conversion
