// What a run leaves on POSIX: the umask, a replaced file's mode, symbolic links.
#include "TestSupport.h"

#include "conversion/Run.h"

#include <filesystem>
#include <sys/stat.h>

namespace quillet::testing {
namespace {

namespace fs = std::filesystem;

mode_t modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode;
}

// Sets the umask for one test and puts the old one back.
class ScopedUmask {
  public:
    explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

  private:
    mode_t old_;
};

std::int64_t convert(const std::string& in, const std::string& out) {
    conversion::ConversionState state;
    return conversion::convertFile(in, out, "100", {}, state).placed;
}

TEST(OutputModeTest, NewFileFollowsUmask) {
    TempDir dir;
    writeFile(dir / "in.csv", "x");
    for (mode_t mask : {mode_t{022}, mode_t{027}, mode_t{077}, mode_t{0}}) {
        ScopedUmask scoped(mask);
        fs::remove(dir.path() / "out.dxf");
        convert(dir / "in.csv", dir / "out.dxf");
        EXPECT_EQ(modeOf(dir / "out.dxf") & 07777, 0666 & ~mask) << std::oct << mask;
    }
}

TEST(OutputModeTest, ReplacedFileKeepsItsMode) {
    TempDir dir;
    writeFile(dir / "in.csv", "x");
    ScopedUmask scoped(022);
    for (mode_t mode : {mode_t{0600}, mode_t{0640}, mode_t{0751}, mode_t{0666}}) {
        writeFile(dir / "out.dxf", "old");
        ::chmod((dir / "out.dxf").c_str(), mode);
        convert(dir / "in.csv", dir / "out.dxf");
        EXPECT_EQ(modeOf(dir / "out.dxf") & 07777, mode) << std::oct << mode;
        EXPECT_EQ(readFile(dir / "out.dxf"), dxfOf(textEntity(0, 0, 100, "x")));
    }
}

// People link drawings into project folders: the link stays and its file gets the drawing.
TEST(OutputModeTest, SymlinkAtOutputNameStaysAndItsTargetIsReplaced) {
    TempDir dir;
    writeFile(dir / "in.csv", "x");
    writeFile(dir / "target.dxf", "target");
    fs::create_symlink("target.dxf", dir.path() / "out.dxf");
    fs::create_symlink("out.dxf", dir.path() / "chain.dxf");
    fs::create_symlink("missing.dxf", dir.path() / "dangling.dxf");
    const std::string drawing = dxfOf(textEntity(0, 0, 100, "x"));
    for (const char* name : {"chain.dxf", "dangling.dxf"}) {
        convert(dir / "in.csv", dir / name);
        EXPECT_TRUE(fs::is_symlink(dir.path() / name)) << name;
    }
    EXPECT_EQ(fs::read_symlink(dir.path() / "out.dxf"), "target.dxf");
    EXPECT_EQ(readFile(dir / "target.dxf"), drawing);
    EXPECT_EQ(readFile(dir / "missing.dxf"), drawing);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"chain.dxf", "dangling.dxf", "in.csv",
                                                       "missing.dxf", "out.dxf", "target.dxf"}));
}

} // namespace
} // namespace quillet::testing
