#include "ExeFolder.h"

#include "Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

#include <vector>

namespace platform {

QString executablePath() {
    std::vector<char> buf(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0)
            throw zor::Error(QStringLiteral("Unable to find the program's own file"));
        if (static_cast<std::size_t>(n) < buf.size())
            return QFile::decodeName(QByteArray(buf.data(), n));
        buf.resize(buf.size() * 2);
    }
}

QString executableFolder() {
    const QString path = executablePath();
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

namespace {
QString perUserFolder() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/zor/");
}
} // namespace

bool folderNeedsPerUserData(const QString& executableFolder) {
    QString folder = executableFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    for (const char* system : {"/usr/", "/bin/", "/sbin/"}) {
        if (folder.startsWith(QLatin1String(system)))
            return true;
    }
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0;
}

bool dataFolderIsPerUser() {
    static const bool perUser = folderNeedsPerUserData(executableFolder());
    return perUser;
}

QString dataFolder() {
    if (!dataFolderIsPerUser())
        return executableFolder();
    const QString folder = perUserFolder();
    QDir().mkpath(folder);
    return folder;
}

QString settingsFilePath() {
    const QString exe = executablePath();
    return dataFolder() + QFileInfo(settingsFilePathFor(exe)).fileName();
}

QString settingsFilePathFor(const QString& exePath) {
    const qsizetype slash = exePath.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = exePath.lastIndexOf(QLatin1Char('.'));
    const qsizetype stem = dot > slash ? dot : exePath.size();
    return exePath.left(stem) + QStringLiteral(".ini");
}

} // namespace platform
