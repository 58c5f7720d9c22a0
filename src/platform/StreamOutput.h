#pragma once

#include "BlockSink.h"
#include "InputFile.h"

#include <optional>
#include <string>
#include <vector>

namespace quillet::platform {

// The drawing written to the process's standard output, as a pipe takes it: straight through,
// nothing renamed or flushed to disk. What a failed run has written is already gone down the
// pipe; that is the nature of a pipe.
class StreamOutput final : public BlockSink {
  public:
    // Writes to standard output, called name in messages; throws RunError 55 when standard
    // output is the input file.
    StreamOutput(std::string name, std::optional<FileIdentity> input);

    // Writes the filled block; throws RunError 57 or 61 when writing fails.
    std::span<char> exchange(std::span<const char> filled) override;

  private:
    std::string name_;
    std::vector<char> block_;
};

} // namespace quillet::platform
