// The data-folder lookup against real folders laid out as a build tree, an
// installed prefix and a prefix moved elsewhere.
#include "app/core/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class DataDirLookup : public ::testing::Test {
protected:
    QTemporaryDir root;

    QString path(const QString& relative) const { return root.path() + QLatin1Char('/') + relative; }
    // A data folder as shipped: the lookup recognises it by its Languages folder.
    QString makeData(const QString& relative) const
    {
        EXPECT_TRUE(QDir().mkpath(path(relative) + QStringLiteral("/Languages")));
        return path(relative);
    }
    QString makeDir(const QString& relative) const
    {
        EXPECT_TRUE(QDir().mkpath(path(relative)));
        return path(relative);
    }
    AppPaths::DataDirCandidates layout() const
    {
        AppPaths::DataDirCandidates where;
        where.buildDir = QFileInfo(makeDir(QStringLiteral("src/build"))).canonicalFilePath();
        where.sourceDataDir = makeData(QStringLiteral("src/data"));
        where.installDataDir = path(QStringLiteral("usr/share/quillbook"));
        return where;
    }
};

TEST_F(DataDirLookup, EnvironmentOverridesEverythingEvenWhenMissing)
{
    AppPaths::DataDirCandidates where = layout();
    where.executableDir = makeDir(QStringLiteral("src/build/app"));
    where.fromEnv = path(QStringLiteral("elsewhere/"));
    EXPECT_EQ(AppPaths::FindDataDir(where), path(QStringLiteral("elsewhere")));
}

TEST_F(DataDirLookup, BuildTreeProgramReadsTheSourceTree)
{
    AppPaths::DataDirCandidates where = layout();
    where.executableDir = makeDir(QStringLiteral("src/build/app"));
    EXPECT_EQ(AppPaths::FindDataDir(where), where.sourceDataDir);

    // A build tree reached through a link is still the build tree.
    ASSERT_TRUE(QFile::link(path(QStringLiteral("src/build")), path(QStringLiteral("buildlink"))));
    where.executableDir = path(QStringLiteral("buildlink/app"));
    EXPECT_EQ(AppPaths::FindDataDir(where), where.sourceDataDir);
}

TEST_F(DataDirLookup, BuildTreeWithoutSourceFallsBackToTheInstallFolder)
{
    AppPaths::DataDirCandidates where = layout();
    where.executableDir = makeDir(QStringLiteral("src/build/app"));
    ASSERT_TRUE(QDir(where.sourceDataDir).removeRecursively());
    EXPECT_EQ(AppPaths::FindDataDir(where), where.installDataDir);
}

TEST_F(DataDirLookup, InstalledProgramIgnoresAnExistingSourceTree)
{
    AppPaths::DataDirCandidates where = layout();
    where.executableDir = makeDir(QStringLiteral("usr/bin"));
    makeData(QStringLiteral("usr/share/quillbook"));
    EXPECT_EQ(AppPaths::FindDataDir(where), where.installDataDir);
}

TEST_F(DataDirLookup, MovedPrefixFindsItsOwnDataBeforeTheConfiguredOne)
{
    AppPaths::DataDirCandidates where = layout();
    makeData(QStringLiteral("usr/share/quillbook"));
    where.executableDir = makeDir(QStringLiteral("opt/moved/bin"));
    const QString moved = makeData(QStringLiteral("opt/moved/share/quillbook"));
    EXPECT_EQ(AppPaths::FindDataDir(where), moved);

    // A folder beside the program without language files is not a data folder.
    ASSERT_TRUE(QDir(moved + QStringLiteral("/Languages")).removeRecursively());
    EXPECT_EQ(AppPaths::FindDataDir(where), where.installDataDir);
}

TEST_F(DataDirLookup, ThisTestProgramRunsFromTheBuildTree)
{
    // The lookup as the program makes it: a test binary lives in the build tree.
    if (!qEnvironmentVariableIsEmpty("QB_DATA_DIR"))
        GTEST_SKIP() << "QB_DATA_DIR is set";
    AppPaths::Init();
    EXPECT_EQ(AppPaths::DataDir(), QDir::cleanPath(QStringLiteral(QB_SOURCE_DATA_DIR)));
}

TEST_F(DataDirLookup, AProgramOfTheBuildTreeFindsTheSoundModuleBuiltWithIt)
{
    const QString module = AppPaths::SoundModulePath();
    ASSERT_FALSE(module.isEmpty());
    EXPECT_TRUE(module.endsWith(QStringLiteral("/app/libquillbook-sound.so"))) << module.toStdString();
    QLibrary library(module);
    ASSERT_TRUE(library.load()) << library.errorString().toStdString();
    EXPECT_NE(library.resolve("QuillbookPlaySound"), nullptr);
}

} // namespace
