// A run that fails, and the folder it must leave as it found it.
#include "FailedRun.h"

#include "conversion/Run.h"

#include <fstream>
#include <sstream>

namespace quillet::testing {

namespace fs = std::filesystem;

std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> entries;
    for (const auto& entry :
         fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied)) {
        const fs::file_status status = entry.symlink_status();
        std::string state = std::to_string(static_cast<int>(status.type())) + ":" +
                            std::to_string(static_cast<int>(status.permissions())) + ":";
        if (entry.is_symlink()) {
            state += utf8Of(fs::read_symlink(entry.path()));
        } else if (entry.is_regular_file()) {
            // A file the test made unreadable keeps its secret; its kind and mode still count.
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            if (in.good())
                bytes << in.rdbuf();
            state += bytes.str();
        }
        entries[utf8Of(fs::relative(entry.path(), root))] = state;
    }
    return entries;
}

// Names the case in test output instead of dumping its bytes.
void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.name;
}

void expectFailsLeavingDiskAsItWas(const ErrorCase& c) {
    TempDir dir;
    writeFile(dir / "in.csv", "a,b\r\n\r\nc\r\n");
    writeFile(dir / "old.dxf", "old drawing\r\n");
    fs::create_directory(dir.path() / "sub");
    Paths paths = c.setUp(dir);
    const auto before = snapshot(dir.path());
    conversion::ConversionState state;
    try {
        conversion::convertFile(paths.input, paths.output, paths.height, {}, state);
        ADD_FAILURE() << "no run-time error";
    } catch (const platform::RunError& error) {
        EXPECT_EQ(error.code(), c.number) << error.what();
    }
    EXPECT_EQ(snapshot(dir.path()), before);
}

} // namespace quillet::testing
