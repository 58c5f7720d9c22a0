#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Starting the Windows converter from a test, as cmd.exe would: CreateProcessW with a quoted
// UTF-16 command line and the standard handles on files.
namespace quillet::testing::win32 {

// Returns quillet-convert.exe, which the build puts beside every test program.
std::wstring converterPath();

// How to start a program.
struct Launch {
    std::vector<std::string> args; // UTF-8, after the program's name
    std::string folder;            // the folder it runs in (UTF-8); the test's own when empty
    std::string input;             // standard input's file; NUL when empty
    std::string output;            // standard output's file (created); NUL when empty
    std::string errors;            // standard error's file (created); NUL when empty
    std::uint32_t flags = 0;       // CreateProcessW's creation flags
};

// A started program.
class Child {
  public:
    Child(const std::wstring& program, const Launch& launch);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    std::uint32_t id() const { return id_; }
    // Waits at most milliseconds for it to end; returns its exit code, or nothing.
    bool wait(std::uint32_t milliseconds, std::uint32_t& exitCode);
    // Ends it at once (TerminateProcess), as Task Manager does.
    void kill();

  private:
    void* process_ = nullptr;
    std::uint32_t id_ = 0;
};

// Returns args as a command line CommandLineToArgvW splits back into them.
std::wstring quoteCommandLine(const std::wstring& program, const std::vector<std::string>& args);

} // namespace quillet::testing::win32
