// The desktop's programs for a file type, and starting one on a file by its bytes.
#include "DesktopApps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

#include <sys/wait.h>
#include <unistd.h>

namespace quillet::window::qt::preview {

namespace {

using Sections = QHash<QString, QHash<QString, QString>>;

// Returns the key=value lines of an ini-like file by section; empty when it cannot be read.
Sections readSections(const QString& path) {
    Sections sections;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return sections;
    QString section;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith('[') && line.endsWith(']')) {
            section = line.mid(1, line.size() - 2);
        } else if (const qsizetype eq = line.indexOf('='); eq > 0 && !line.startsWith('#')) {
            sections[section].insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
        }
    }
    return sections;
}

QStringList listOf(const QString& value) {
    return value.split(';', Qt::SkipEmptyParts);
}

QString envOr(const char* name, const QString& fallback) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

QStringList configDirs() {
    return QStringList{envOr("XDG_CONFIG_HOME", QDir::homePath() + "/.config")} +
           envOr("XDG_CONFIG_DIRS", "/etc/xdg").split(':', Qt::SkipEmptyParts);
}

QStringList applicationDirs() {
    QStringList dirs;
    for (const QString& data :
         QStringList{envOr("XDG_DATA_HOME", QDir::homePath() + "/.local/share")} +
             envOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share").split(':', Qt::SkipEmptyParts))
        dirs << data + "/applications";
    return dirs;
}

// Returns the entry id as installed, or one with an empty exec when there is none to run.
DesktopApp entryOf(const QString& id) {
    for (const QString& dir : applicationDirs()) {
        const QString path = dir + '/' + id;
        if (!QFileInfo::exists(path))
            continue;
        const auto entry = readSections(path).value(QStringLiteral("Desktop Entry"));
        DesktopApp app{id, entry.value(QStringLiteral("Name[ja]"), entry.value("Name")),
                       entry.value(QStringLiteral("Exec")), false};
        if (entry.value(QStringLiteral("Hidden")) == QLatin1String("true"))
            app.exec.clear();
        return app;
    }
    return {id, {}, {}, false};
}

} // namespace

QList<DesktopApp> applicationsFor(const QStringList& mimeTypes) {
    QStringList defaults, added, removed, installed;
    QStringList lists;
    for (const QString& dir : configDirs())
        lists << dir + "/mimeapps.list";
    for (const QString& dir : applicationDirs())
        lists << dir + "/mimeapps.list";
    for (const QString& path : lists) {
        const Sections sections = readSections(path);
        for (const QString& type : mimeTypes) {
            // What a list names as removed holds for the lists after it, not for itself.
            for (const QString& id : listOf(sections.value("Default Applications").value(type)))
                if (!removed.contains(id))
                    defaults << id;
            for (const QString& id : listOf(sections.value("Added Associations").value(type)))
                if (!removed.contains(id))
                    added << id;
            removed << listOf(sections.value("Removed Associations").value(type));
        }
    }
    for (const QString& dir : applicationDirs())
        for (const QString& type : mimeTypes)
            installed << listOf(
                readSections(dir + "/mimeinfo.cache").value("MIME Cache").value(type));

    QList<DesktopApp> apps;
    auto add = [&](const QString& id, bool isDefault) {
        if (removed.contains(id) && !isDefault)
            return;
        for (const DesktopApp& app : apps)
            if (app.id == id)
                return;
        DesktopApp app = entryOf(id);
        if (app.exec.isEmpty())
            return;
        app.isDefault = isDefault;
        apps << app;
    };
    // Every default in order: which of them is taken (never this program) is the preview's
    // decision.
    for (const QString& id : defaults)
        add(id, true);
    for (const QString& id : added + installed)
        add(id, false);
    return apps;
}

std::vector<QByteArray> commandFor(const QString& exec, const QByteArray& file) {
    // The words of the Exec line: double quotes group, a backslash inside them escapes.
    QStringList words;
    QString word;
    bool inWord = false, quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == '\\' && i + 1 < exec.size())
                word += exec[++i];
            else if (c == '"')
                quoted = false;
            else
                word += c;
        } else if (c == '"') {
            quoted = inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        return {};
    if (inWord)
        words << word;

    const QByteArray url = "file://" + file.toPercentEncoding("/");
    std::vector<QByteArray> command;
    bool named = false;
    for (const QString& w : words) {
        if (w == QLatin1String("%f") || w == QLatin1String("%F")) {
            command.push_back(file);
            named = true;
        } else if (w == QLatin1String("%u") || w == QLatin1String("%U")) {
            command.push_back(url);
            named = true;
        } else if (w.size() == 2 && w[0] == '%' && w[1] != '%') {
            continue; // %i, %c, %k and the deprecated codes
        } else {
            command.push_back(QString(w).replace(QLatin1String("%%"), QLatin1String("%")).toUtf8());
        }
    }
    if (command.empty())
        return {};
    if (!named)
        command.push_back(file);
    return command;
}

bool startDetached(const std::vector<QByteArray>& command) {
    if (command.empty())
        return false;
    const QString program = QStandardPaths::findExecutable(QString::fromUtf8(command[0]));
    if (program.isEmpty())
        return false;
    const QByteArray path = QFile::encodeName(program);
    std::vector<char*> argv;
    for (const QByteArray& word : command)
        argv.push_back(const_cast<char*>(word.constData()));
    argv.push_back(nullptr);
    // Twice forked, so that the program is nobody's child here and leaves no zombie; between
    // fork and exec only what is safe after a fork.
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        if (::fork() == 0) {
            ::setsid();
            ::execv(path.constData(), argv.data());
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return true;
}

} // namespace quillet::window::qt::preview
