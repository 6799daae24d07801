#include "ExeFolder.h"

#include "Error.h"

#include <QFile>

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

QString settingsFilePath() {
    return settingsFilePathFor(executablePath());
}

QString settingsFilePathFor(const QString& exePath) {
    const qsizetype slash = exePath.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = exePath.lastIndexOf(QLatin1Char('.'));
    const qsizetype stem = dot > slash ? dot : exePath.size();
    return exePath.left(stem) + QStringLiteral(".ini");
}

} // namespace platform
