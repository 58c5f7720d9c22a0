#pragma once

#include <string>
#include <string_view>
#include <vector>

// Spreadsheet quoting (RFC 4180): quoted fields, doubled quotes, line breaks inside quotes.
// The program's own format keeps quotes as characters; this is what --quotes reads instead.
namespace quillet::conversion {

// Follows the quotes of a record over its lines, to tell where the record ends.
class QuoteState {
  public:
    // Takes the next line of the record (its ending not included).
    void feed(std::string_view line);
    // Tells whether a quoted field is still open at the end of the lines fed: the record then
    // goes on in the next line.
    bool open() const noexcept { return inQuotes_; }
    void reset() noexcept { *this = {}; }

  private:
    bool inQuotes_ = false;
    bool fieldStart_ = true;
};

// Splits record into its fields: a field that starts with a quote runs to the quote that
// closes it, a doubled quote inside it is one quote and a comma one character; text after the
// closing quote, and a quote inside an unquoted field, are kept as they stand. A line break
// inside quotes (joined into record as "\n") becomes a blank: a TEXT holds one line.
void splitQuoted(std::string_view record, std::vector<std::string>& fields);

// Tells whether line holds a quote at its start or right after a comma with a comma inside
// the quoted part (up to the quote that closes it, or the line's end): a line a spreadsheet
// wrote with quoting, which read as it stands gives more texts than the spreadsheet had cells.
bool looksQuoted(std::string_view line) noexcept;

} // namespace quillet::conversion
