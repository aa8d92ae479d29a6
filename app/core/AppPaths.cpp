#include "app/core/AppPaths.h"
#include "app/sound/SoundModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <memory>
#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#endif

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

// Every running instance unpacks into a folder of its own below temp/, named
// "<pid>-<random>" and held by a lock file beside it, so that a second
// instance cannot empty the files the first is reading.
QLockFile* g_abandonedLock = nullptr;

struct OwnWorkingFolder {
    QString path;
    std::unique_ptr<QLockFile> lock;
    ~OwnWorkingFolder()
    {
        if (!path.isEmpty())
            QDir(path).removeRecursively();
        // Whoever removed the whole user folder first took the lock with it:
        // unlocking would only complain. The lock object is kept, not freed.
        if (lock && !QFileInfo::exists(lock->fileName()))
            g_abandonedLock = lock.release();
    }
};
OwnWorkingFolder g_ownTemp;

QString TempRoot()
{
    return UserDir() + QStringLiteral("/temp");
}

bool ProcessIsRunning(qint64 pid)
{
#ifdef Q_OS_UNIX
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
#else
    return pid > 0; // without a way to ask, the folder stays until its lock tells
#endif
}

// Removes the folders of instances that no longer run: the lock can be taken
// (its holder is gone), or there is no lock and no process with that id.
void RemoveLeftOverFolders(const QString& root)
{
    const QFileInfoList folders = QDir(root).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& folder : folders) {
        const QString name = folder.fileName();
        bool isNumber = false;
        const qint64 pid = name.section(QLatin1Char('-'), 0, 0).toLongLong(&isNumber);
        if (!isNumber || folder.isSymLink())
            continue;
        const QString lockPath = folder.filePath() + QStringLiteral(".lock");
        if (QFileInfo::exists(lockPath)) {
            QLockFile lock(lockPath);
            lock.setStaleLockTime(0); // a long run is no reason to think its holder gone
            if (!lock.tryLock(0))
                continue;
            QDir(folder.filePath()).removeRecursively();
            lock.unlock(); // also removes the lock file
        } else if (!ProcessIsRunning(pid)) {
            QDir(folder.filePath()).removeRecursively();
        }
    }
    // Locks whose folder is gone.
    for (const QFileInfo& file : QDir(root).entryInfoList({QStringLiteral("*.lock")}, QDir::Files | QDir::Hidden)) {
        if (QFileInfo::exists(file.path() + QLatin1Char('/') + file.completeBaseName()))
            continue;
        QLockFile lock(file.filePath());
        lock.setStaleLockTime(0);
        if (lock.tryLock(0))
            lock.unlock();
    }
}

bool MakeOwnWorkingFolder()
{
    if (!g_ownTemp.path.isEmpty())
        return QDir().mkpath(g_ownTemp.path);
    const QString root = TempRoot();
    if (!QDir().mkpath(root))
        return false;
    RemoveLeftOverFolders(root);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString name = QStringLiteral("%1-%2")
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(QRandomGenerator::global()->generate() & 0xFFFFFF, 6, 16, QLatin1Char('0'));
        auto lock = std::make_unique<QLockFile>(root + QLatin1Char('/') + name + QStringLiteral(".lock"));
        lock->setStaleLockTime(0); // held for the whole run, however long
        if (!lock->tryLock(0) || QFileInfo::exists(root + QLatin1Char('/') + name))
            continue;
        if (!QDir(root).mkdir(name))
            return false;
        g_ownTemp.path = root + QLatin1Char('/') + name;
        g_ownTemp.lock = std::move(lock);
        return true;
    }
    return false;
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
    return InitUserFolder() && MakeWorkingFolder();
}

bool InitUserFolder()
{
    g_dataDir = resolveDataDir();
    g_userDir = resolveUserDir();
    return QDir().mkpath(g_userDir);
}

bool MakeWorkingFolder()
{
    return MakeOwnWorkingFolder();
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

void RemoveLeftOverWorkingFolders()
{
    RemoveLeftOverFolders(TempRoot());
}

QString TempDir()
{
    return g_ownTemp.path.isEmpty() ? TempRoot() : g_ownTemp.path;
}
QString DufDir()
{
    return UserDir() + QStringLiteral("/DUF");
}
QString ErrorLogPath()
{
    return UserDir() + QStringLiteral("/quillbook.err");
}
QString LanguagesDir()
{
    return DataDir() + QStringLiteral("/Languages");
}
QString DefaultDir()
{
    return DataDir() + QStringLiteral("/Default");
}
QString CssDir()
{
    return DataDir() + QStringLiteral("/CSS");
}
QString SamplesDir()
{
    return DataDir() + QStringLiteral("/samples");
}
QString SoundsDir()
{
    return DataDir() + QStringLiteral("/sounds");
}

QString SoundModulePath()
{
    const QString name = QString::fromLatin1(QuillbookSoundModuleName);
    const QString exe = executableDir();
    QStringList candidates{exe + QStringLiteral("/" QB_SOUND_MODULE_FROM_BIN "/") + name,
                           exe + QLatin1Char('/') + name};
    if (isInside(exe, QStringLiteral(QB_BUILD_DIR)))
        candidates << QStringLiteral(QB_BUILD_DIR "/app/") + name;
    for (const QString& path : candidates)
        if (QFileInfo(path).isFile())
            return QDir::cleanPath(path);
    return {};
}

} // namespace AppPaths
