#pragma once

#include "platform/RunError.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace quillet::window {

// One mounted file system, as the system lists it.
struct MountEntry {
    QString rootPath;
    QByteArray fileSystemType;
    bool ready = true;
};

// Returns the roots of the mounts a user would pick as a drive: "/" first, then the real
// mounts in name order, without pseudo, virtual or system-internal file systems.
QStringList pickableRoots(const QList<MountEntry>& mounts);

// Returns the mounts of this machine.
QList<MountEntry> mountedFileSystems();

// Returns the root among roots that holds folder (the longest one that is folder or one of
// its parents); "/" when none does.
QString driveRootOf(const QString& folder, const QStringList& roots);

// Returns the error that opening folder (its path's bytes) as the current folder meets:
// PathNotFound when it is missing or no folder, PermissionDenied when it cannot be listed;
// none when it is ready.
std::optional<platform::ErrorNumber> folderNotReady(const QByteArray& folder);

} // namespace quillet::window
