// Translations on POSIX: gettext's catalogue "quillet" (glibc's libintl), found from the
// program's own folder so that an installed program and one in the build tree both find theirs.
#include "platform/Localized.h"

#include <clocale>
#include <libintl.h>
#include <limits.h>
#include <unistd.h>

namespace quillet::platform {

namespace {

constexpr const char* kDomain = "quillet";

// Returns the folder of the running program; empty when the system does not say.
std::string programFolder() {
    std::string path(PATH_MAX, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size())
        return {};
    path.resize(static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/'));
}

} // namespace

void useUserLanguage() noexcept {
    try {
        // Messages alone: numbers, character classes and the rest keep the C locale, so that
        // nothing the program writes changes with the user's language.
        std::setlocale(LC_MESSAGES, "");
        // PREFIX/bin/program finds PREFIX/share/locale; the build tree links the same place
        // beside each program's folder (cmake/Catalogue.cmake).
        if (const std::string folder = programFolder(); !folder.empty())
            ::bindtextdomain(kDomain, (folder + "/../share/locale").c_str());
        // The texts stay UTF-8, as every other message of the program, whatever LC_CTYPE says.
        ::bind_textdomain_codeset(kDomain, "UTF-8");
    } catch (...) {
        // Without a catalogue the texts stay English.
    }
}

std::string localized(const char* english) {
    return ::dgettext(kDomain, english);
}

} // namespace quillet::platform
