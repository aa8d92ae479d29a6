#include "app/core/AppPaths.h"
#include "app/core/WorkingFolder.h"
#include "tests/support/TestHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QString Root()
{
    return AppPaths::UserDir() + QStringLiteral("/temp");
}

// The id of a process that has ended.
qint64 EndedProcess()
{
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exit 0")});
    const qint64 pid = p.waitForStarted() ? p.processId() : 0;
    p.waitForFinished();
    return pid;
}

// A lock file as an instance that has ended leaves it: written by QLockFile, then given that instance's id.
QByteArray LeftLock(qint64 pid)
{
    const QString scratch = Root() + QStringLiteral("/scratch.lock");
    QByteArray bytes;
    {
        QLockFile lock(scratch);
        EXPECT_TRUE(lock.tryLock(0));
        bytes = TestHome::ReadFile(scratch);
    }
    return QByteArray::number(pid) + bytes.mid(bytes.indexOf('\n'));
}

TEST(OwnWorkingFolderTest, EachInstanceUnpacksIntoAFolderOfItsOwnThatItHoldsLocked)
{
    const QString own = AppPaths::TempDir();
    EXPECT_EQ(QFileInfo(own).path(), Root());
    EXPECT_TRUE(QFileInfo(own).fileName().startsWith(QString::number(QCoreApplication::applicationPid()) + '-'));
    EXPECT_TRUE(QFileInfo(own).isDir());
    QLockFile other(own + QStringLiteral(".lock"));
    other.setStaleLockTime(0);
    EXPECT_FALSE(other.tryLock(0)) << "another instance could take this one's folder";

    // Emptying this instance's folder leaves what a running one unpacked.
    const QString running = Root() + QStringLiteral("/%1-other").arg(getppid());
    ASSERT_TRUE(TestHome::WriteFile(running + QStringLiteral("/krant.xml"), "<krant/>"));
    ASSERT_TRUE(TestHome::WriteFile(own + QStringLiteral("/boek.xml"), "<boek/>"));
    EXPECT_TRUE(EmptyWorkingFolder());
    EXPECT_FALSE(QFileInfo::exists(own + QStringLiteral("/boek.xml")));
    EXPECT_TRUE(QFileInfo::exists(running + QStringLiteral("/krant.xml")));
    AppPaths::RemoveLeftOverWorkingFolders();
    EXPECT_TRUE(QFileInfo::exists(running + QStringLiteral("/krant.xml"))) << "its process still runs";
    QDir(running).removeRecursively();
}

TEST(OwnWorkingFolderTest, FoldersOfInstancesThatEndedAreRemovedAtStart)
{
    const qint64 ended = EndedProcess();
    ASSERT_GT(ended, 0);
    const QString crashed = Root() + QStringLiteral("/%1-aaaaaa").arg(ended);
    const QString crashedLocked = Root() + QStringLiteral("/%1-bbbbbb").arg(ended);
    const QString stillHeld = Root() + QStringLiteral("/%1-cccccc").arg(ended);
    const QString lockOnly = Root() + QStringLiteral("/%1-dddddd.lock").arg(ended);
    const QString notOurs = Root() + QStringLiteral("/bewaar");
    ASSERT_TRUE(TestHome::WriteFile(crashed + QStringLiteral("/krant.xml"), "<krant/>"));
    ASSERT_TRUE(TestHome::WriteFile(crashedLocked + QStringLiteral("/sub/opmaak.css"), "p {}"));
    ASSERT_TRUE(TestHome::WriteFile(crashedLocked + QStringLiteral(".lock"), LeftLock(ended)));
    ASSERT_TRUE(TestHome::WriteFile(lockOnly, LeftLock(ended)));
    ASSERT_TRUE(TestHome::WriteFile(stillHeld + QStringLiteral("/boek.xml"), "<boek/>"));
    ASSERT_TRUE(TestHome::WriteFile(notOurs + QStringLiteral("/x.txt"), "x"));
    QLockFile held(stillHeld + QStringLiteral(".lock"));
    held.setStaleLockTime(0);
    ASSERT_TRUE(held.tryLock(0));

    AppPaths::RemoveLeftOverWorkingFolders();
    EXPECT_FALSE(QFileInfo::exists(crashed));
    EXPECT_FALSE(QFileInfo::exists(crashedLocked));
    EXPECT_FALSE(QFileInfo::exists(crashedLocked + QStringLiteral(".lock")));
    EXPECT_FALSE(QFileInfo::exists(lockOnly));
    EXPECT_TRUE(QFileInfo::exists(stillHeld + QStringLiteral("/boek.xml"))) << "a held lock keeps its folder";
    EXPECT_TRUE(QFileInfo::exists(notOurs + QStringLiteral("/x.txt")));
    EXPECT_TRUE(QFileInfo(AppPaths::TempDir()).isDir());

    held.unlock();
    QDir(stillHeld).removeRecursively();
    QDir(notOurs).removeRecursively();
}

} // namespace
