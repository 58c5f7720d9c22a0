// The folder the soak's window shows, with the files its day works on.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::bench::soak {

// Returns the path of the file called name (UTF-8) in folder.
std::filesystem::path fileIn(const std::filesystem::path& folder, std::string_view name);

// Writes the day's inputs into folder (made when missing): the small and the medium input, the
// input with a line too long, the big drawing (bigTexts texts) and the folder below. Throws
// std::runtime_error when a file cannot be written.
void prepareFolder(const std::filesystem::path& folder, int bigTexts);

// Returns the names in folder that no step of the day leaves there: hidden ones, such as a
// run's unfinished output or the folder a replaced drawing waited in for the trash.
std::vector<std::string> leftoversIn(const std::filesystem::path& folder);

} // namespace quillet::bench::soak
