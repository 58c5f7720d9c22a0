// The desktop's other programs for a file: found by the freedesktop MIME applications rules
// (mimeapps.list, mimeinfo.cache and the desktop entries), and started on a file by its bytes,
// so that a name in no encoding Qt knows still reaches them.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace quillet::window::qt::preview {

// One program that opens a file type.
struct DesktopApp {
    QString id;   // its desktop entry's name, "librecad.desktop"
    QString name; // as the desktop shows it, Japanese where the entry has it
    QString exec; // the entry's Exec line
    bool isDefault = false;
};

// Returns the programs the desktop offers for mimeTypes: the defaults first (isDefault, in the
// order the lists name them), then those added by the user and those installed for the types;
// never one the user removed or that is hidden. Reads $XDG_CONFIG_HOME, $XDG_CONFIG_DIRS,
// $XDG_DATA_HOME and $XDG_DATA_DIRS with their usual defaults.
QList<DesktopApp> applicationsFor(const QStringList& mimeTypes);

// Returns the command line that opens file (its bytes) with exec, an Exec line: its words
// unquoted, %f and %F as the file's bytes, %u and %U as its file: URL, the other field codes
// dropped; the file appended when exec names none. Empty for an Exec line that cannot be read.
std::vector<QByteArray> commandFor(const QString& exec, const QByteArray& file);

// Starts command apart from this program, its words passed as bytes; returns false when its
// program is not found or cannot be started.
bool startDetached(const std::vector<QByteArray>& command);

} // namespace quillet::window::qt::preview
