#include "TestSupport.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

namespace quillet::testing {

std::filesystem::path pathOf(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

TempDir::TempDir() {
    static std::mt19937_64 random{std::random_device{}()};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate =
            base / ("quillet-test-" + std::to_string(random() % 1000000000));
        // Only a folder this call made is ours.
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a test folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests may have taken permissions away; give them back so everything can go.
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempDir::entries() const {
    std::vector<std::string> names;
    for (auto& entry : std::filesystem::directory_iterator(path_))
        names.push_back(utf8Of(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(pathOf(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string readFile(const std::string& path) {
    std::ifstream in(pathOf(path), std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

namespace {
std::string padded(int value) {
    return (value < 0 ? "-" : " ") +
           std::to_string(value < 0 ? -static_cast<long long>(value) : value) + " ";
}
} // namespace

std::string dxfOf(std::string_view entities) {
    return "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n" + std::string(entities) +
           "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
}

std::string textEntity(int x, int y, int height, std::string_view text) {
    return "  0\r\nTEXT\r\n  8\r\n0\r\n 10\r\n" + padded(x) + "\r\n 20\r\n" + padded(y) +
           "\r\n 30\r\n0\r\n 40\r\n" + padded(height) + "\r\n  1\r\n" + std::string(text) + "\r\n";
}

std::string declaredDxfOf(std::string_view entities, std::array<std::int64_t, 4> extents) {
    auto field = [](std::int64_t n) {
        const std::string digits = std::to_string(n);
        return std::string(11 - digits.size(), ' ') + digits + " ";
    };
    // Written out here, not taken from the writer: a change to it must show as a failure.
    return "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1009\r\n"
           "  9\r\n$DWGCODEPAGE\r\n  3\r\nANSI_932\r\n  9\r\n$EXTMIN\r\n 10\r\n" +
           field(extents[0]) + "\r\n 20\r\n" + field(extents[1]) +
           "\r\n 30\r\n0.0\r\n  9\r\n$EXTMAX\r\n 10\r\n" + field(extents[2]) + "\r\n 20\r\n" +
           field(extents[3]) +
           "\r\n 30\r\n0.0\r\n  0\r\nENDSEC\r\n"
           "  0\r\nSECTION\r\n  2\r\nTABLES\r\n  0\r\nTABLE\r\n  2\r\nSTYLE\r\n 70\r\n 1 \r\n"
           "  0\r\nSTYLE\r\n  2\r\nKST32B\r\n 70\r\n 0 \r\n 40\r\n0.0\r\n 41\r\n1.0\r\n"
           " 50\r\n0.0\r\n 71\r\n 0 \r\n 42\r\n2.5\r\n  3\r\ntxt\r\n  4\r\nextfont2.shx\r\n"
           "  0\r\nENDTAB\r\n  0\r\nENDSEC\r\n  0\r\nSECTION\r\n  2\r\nENTITIES\r\n" +
           std::string(entities) + "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
}

std::string declaredTextEntity(int x, int y, int height, std::string_view text) {
    return textEntity(x, y, height, text) + "  7\r\nKST32B\r\n";
}

} // namespace quillet::testing
