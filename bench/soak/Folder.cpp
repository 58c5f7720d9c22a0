// The day's files, written afresh for every soak.
#include "Folder.h"

#include "Plan.h"

#include <fstream>
#include <stdexcept>
#include <string>

namespace quillet::bench::soak {

namespace {

void write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

// A drawing of texts texts in rows of a thousand, as the reader's big inputs look.
std::string bigDrawing(int texts) {
    std::string bytes = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";
    bytes.reserve(static_cast<std::size_t>(texts) * 80 + 64);
    for (int i = 0; i < texts; ++i)
        bytes += "  0\r\nTEXT\r\n  8\r\n0\r\n 10\r\n" + std::to_string(i % 1000 * 40) +
                 "\r\n 20\r\n" + std::to_string(i / 1000 * 15) +
                 "\r\n 30\r\n0\r\n 40\r\n10\r\n  1\r\nPIPE-" + std::to_string(i) + "\r\n";
    return bytes + "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
}

} // namespace

std::filesystem::path fileIn(const std::filesystem::path& folder, std::string_view name) {
    return folder / std::u8string(name.begin(), name.end());
}

void prepareFolder(const std::filesystem::path& folder, int bigTexts) {
    std::filesystem::create_directories(folder);
    write(fileIn(folder, kSmallInput), "配管,DN50\r\n東京,ソケット\r\n\r\nPIPE-1\r\n");
    // Ten columns of 300 lines, three fields each: a run of a few milliseconds, whose columns
    // fit at every height the day uses.
    std::string medium;
    for (int line = 1; line <= 3000; ++line)
        medium += line % 300 == 0 ? std::string("\r\n")
                                  : "配管-" + std::to_string(line) + ",DN" +
                                        std::to_string(line % 9 * 25) + ",継手\r\n";
    write(fileIn(folder, kMediumInput), medium);
    write(fileIn(folder, kLongLineInput), "A,B\r\n" + std::string(32768, 'x') + "\r\n");
    write(fileIn(folder, kBigDrawing), bigDrawing(bigTexts));
    const std::filesystem::path sub = fileIn(folder, kSubFolder);
    std::filesystem::create_directories(sub);
    write(sub / "inner.csv", "S,T,U\r\n");
}

std::vector<std::string> leftoversIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const std::filesystem::directory_entry& entry :
         std::filesystem::directory_iterator(folder)) {
        const std::u8string name = entry.path().filename().u8string();
        if (!name.empty() && name.front() == u8'.')
            names.emplace_back(name.begin(), name.end());
    }
    return names;
}

} // namespace quillet::bench::soak
