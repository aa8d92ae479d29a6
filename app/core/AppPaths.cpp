#include "app/core/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace AppPaths {
namespace {
QString g_dataDir;
QString g_userDir;

QString resolveDataDir()
{
    const QString fromEnv = qEnvironmentVariable("QB_DATA_DIR");
    if (!fromEnv.isEmpty())
        return QDir::cleanPath(fromEnv);
    const QString source = QStringLiteral(QB_SOURCE_DATA_DIR);
    if (QFileInfo(source + QStringLiteral("/Languages")).isDir())
        return QDir::cleanPath(source);
    return QDir::cleanPath(QStringLiteral(QB_INSTALL_DATA_DIR));
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
