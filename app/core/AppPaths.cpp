#include "app/core/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace AppPaths {
namespace {
QString g_dataDir;
QString g_userDir;

bool holdsData(const QString& dir)
{
    return !dir.isEmpty() && QFileInfo(dir + QStringLiteral("/Languages")).isDir();
}

// True when path, with links resolved, is dir or lies below it. dir is taken
// as it stands, so an installed program never touches a build tree's folders.
bool isInside(const QString& path, const QString& dir)
{
    const QString p = QFileInfo(path).canonicalFilePath();
    const QString d = QDir::cleanPath(dir);
    return !p.isEmpty() && !dir.isEmpty() && (p == d || p.startsWith(d + QLatin1Char('/')));
}

QString executableDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path();
}

QString resolveDataDir()
{
    DataDirCandidates where;
    where.fromEnv = qEnvironmentVariable("QB_DATA_DIR");
    where.executableDir = executableDir();
    where.buildDir = QStringLiteral(QB_BUILD_DIR);
    where.sourceDataDir = QStringLiteral(QB_SOURCE_DATA_DIR);
    where.installDataDir = QStringLiteral(QB_INSTALL_DATA_DIR);
    return FindDataDir(where);
}

QString resolveUserDir()
{
    const QString fromEnv = qEnvironmentVariable("QUILLBOOK_HOME");
    if (!fromEnv.isEmpty())
        return QDir::cleanPath(fromEnv);
    QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (xdg.isEmpty())
        xdg = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(xdg + QStringLiteral("/Quillbook"));
}
} // namespace

QString FindDataDir(const DataDirCandidates& where)
{
    if (!where.fromEnv.isEmpty())
        return QDir::cleanPath(where.fromEnv);
    if (isInside(where.executableDir, where.buildDir) && holdsData(where.sourceDataDir))
        return QDir::cleanPath(where.sourceDataDir);
    if (!where.executableDir.isEmpty()) {
        const QString beside = QDir::cleanPath(where.executableDir + QStringLiteral("/../share/quillbook"));
        if (holdsData(beside))
            return beside;
    }
    return QDir::cleanPath(where.installDataDir);
}

bool Init()
{
    g_dataDir = resolveDataDir();
    g_userDir = resolveUserDir();
    QDir dir;
    return dir.mkpath(g_userDir) && dir.mkpath(TempDir());
}

QString DataDir()
{
    if (g_dataDir.isEmpty())
        g_dataDir = resolveDataDir();
    return g_dataDir;
}

QString UserDir()
{
    if (g_userDir.isEmpty())
        g_userDir = resolveUserDir();
    return g_userDir;
}

QString TempDir() { return UserDir() + QStringLiteral("/temp"); }
QString DufDir() { return UserDir() + QStringLiteral("/DUF"); }
QString ErrorLogPath() { return UserDir() + QStringLiteral("/quillbook.err"); }
QString LanguagesDir() { return DataDir() + QStringLiteral("/Languages"); }
QString DefaultDir() { return DataDir() + QStringLiteral("/Default"); }
QString CssDir() { return DataDir() + QStringLiteral("/CSS"); }
QString SamplesDir() { return DataDir() + QStringLiteral("/samples"); }
QString SoundsDir() { return DataDir() + QStringLiteral("/sounds"); }

} // namespace AppPaths
