#pragma once

#include "platform/RunError.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

// Expects stmt to throw a RunError with the given number.
#define EXPECT_RUN_ERROR(stmt, number)                                                             \
    do {                                                                                           \
        try {                                                                                      \
            stmt;                                                                                  \
            ADD_FAILURE() << #stmt " raised no run-time error, expected " << (number);             \
        } catch (const ::quillet::platform::RunError& runError) {                                  \
            EXPECT_EQ(runError.code(), (number)) << runError.what();                               \
        }                                                                                          \
    } while (false)

namespace quillet::testing {

// Returns the path named by the UTF-8 text utf8 (on POSIX its bytes, whatever they are).
std::filesystem::path pathOf(std::string_view utf8);

// Returns path as UTF-8 text (on POSIX its bytes), as the program takes paths.
std::string utf8Of(const std::filesystem::path& path);

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return utf8Of(path_); }
    // Returns the path of name (UTF-8) inside the folder, as UTF-8.
    std::string operator/(std::string_view name) const { return utf8Of(path_ / pathOf(name)); }
    // Returns the names of the folder's entries, sorted, hidden ones included.
    std::vector<std::string> entries() const;

  private:
    std::filesystem::path path_;
};

// Writes bytes to path, replacing it; fails the test when it cannot.
void writeFile(const std::string& path, std::string_view bytes);

// Returns the bytes of path; fails the test when it cannot be read.
std::string readFile(const std::string& path);

// Returns the drawing the converter writes for the given entities between its opening and
// closing lines (entities already in their line form).
std::string dxfOf(std::string_view entities);

// Returns the fourteen lines of one TEXT entity, each ended by CR LF.
std::string textEntity(int x, int y, int height, std::string_view text);

// Returns the drawing that declares code page 932 for the given entities.
// extents: $EXTMIN's X and Y, then $EXTMAX's.
std::string declaredDxfOf(std::string_view entities, std::array<std::int64_t, 4> extents);

// Returns one TEXT entity of the declared drawing: the fourteen lines and its style.
std::string declaredTextEntity(int x, int y, int height, std::string_view text);

} // namespace quillet::testing
