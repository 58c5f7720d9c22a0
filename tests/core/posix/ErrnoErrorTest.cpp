// The run-time error numbers for the errno values the system gives.
#include "TestSupport.h"

#include "platform/posix/ErrnoError.h"

#include <cerrno>

namespace quillet::testing {
namespace {

TEST(ErrorFromErrnoTest, NumbersForOsErrors) {
    TempDir dir;
    using platform::OsAction;
    const std::string inFolder = dir / "missing.csv";
    const std::string inMissingFolder = dir / "nowhere/missing.csv";
    struct Case {
        int err;
        const std::string& path;
        OsAction action;
        int number;
    } cases[] = {
        {ENOENT, inFolder, OsAction::Open, 53},  {ENOENT, inMissingFolder, OsAction::Open, 76},
        {ENOTDIR, inFolder, OsAction::Open, 76}, {EACCES, inFolder, OsAction::Open, 70},
        {EROFS, inFolder, OsAction::Write, 70},  {EISDIR, inFolder, OsAction::Open, 75},
        {ENOSPC, inFolder, OsAction::Write, 61}, {EDQUOT, inFolder, OsAction::Write, 61},
        {EFBIG, inFolder, OsAction::Write, 61},  {EIO, inFolder, OsAction::Write, 57},
        {EIO, inFolder, OsAction::Read, 57},
    };
    for (const Case& c : cases) {
        platform::RunError error = platform::errorFromErrno(c.err, c.path, c.action);
        EXPECT_EQ(error.code(), c.number) << "errno " << c.err;
        EXPECT_EQ(error.path(), c.path);
    }
}

} // namespace
} // namespace quillet::testing
