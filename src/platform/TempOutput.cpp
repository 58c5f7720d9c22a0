// A safe replacement's order, the same on every system: what the user set kept, the file
// flushed, the replaced one given to the trash, then the name taken in one step.
#include "TempOutputSteps.h"

#include <cstdio>
#include <random>

namespace quillet::platform {

std::string randomTempName() {
    static std::mt19937_64 random{std::random_device{}()};
    char name[32];
    std::snprintf(name, sizeof name, ".quillet-%012llx.tmp",
                  static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    return name;
}

TempOutput::TempOutput(const std::string& path, std::optional<FileIdentity> input)
    : state_(makeTempOutput(path, input)) {}

TempOutput::~TempOutput() = default;

Trashed TempOutput::commit(bool toTrash) {
    TempOutputSteps& s = *state_;
    s.keepWhatTheUserSet();
    s.flush();
    // The old file is in the trash while it still has its name; the move then takes the name
    // from it in one step, and a move that fails takes it out of the trash again.
    std::optional<TrashedCopy> copy;
    if (toTrash && s.replacing())
        copy = s.trashReplaced();
    try {
        s.giveName();
    } catch (...) {
        if (copy)
            copy->undo();
        throw;
    }
    s.finish();
    return copy ? copy->keep() : Trashed{};
}

} // namespace quillet::platform
