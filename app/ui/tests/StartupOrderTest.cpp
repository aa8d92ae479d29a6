#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "app/ui/Startup.h"
#include "app/ui/frmMain.h"
#include "library/frmLibrary.h"
#include "settings/SettingsStore.h"
#include "tests/support/EmptyLibrary.h"
#include "tests/support/FreshState.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Notes, for each key that reaches a widget, whether the catalogue was loaded by then.
class KeyWitness : public QObject {
public:
    std::vector<bool> libraryLoadedAtKey;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            libraryLoadedAtKey.push_back(Library().IsLoaded());
        return false;
    }
};

class StartupOrderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState(StoredSettings::Clear);
        ForgetLibrary();
        ASSERT_TRUE(m_dir.isValid());
        SettingsStore store;
        store.Save(QStringLiteral("Language"), QStringLiteral("English"));
        store.Save(QStringLiteral("LibraryLocation"), m_dir.path());
        store.Sync();
    }
    void TearDown() override
    {
        SettingsStore().Clear();
        ResetProgramState();
        Library().Unload();
    }
    QTemporaryDir m_dir;
};

TEST_F(StartupOrderTest, AKeyBeforeTheFirstPaintFindsTheStartComplete)
{
    Startup startup;
    ASSERT_TRUE(startup.Main({}));
    frmMain* w = startup.mainWindow();
    ASSERT_FALSE(startup.finished()) << "nothing has been painted yet";
    KeyWitness witness;
    w->txtTitle->installEventFilter(&witness);

    QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
    QApplication::sendEvent(w->txtTitle, &press);

    EXPECT_TRUE(startup.finished());
    ASSERT_EQ(witness.libraryLoadedAtKey.size(), 1u) << "the key is not lost";
    EXPECT_TRUE(witness.libraryLoadedAtKey[0]);
    EXPECT_FALSE(::Run().CopyPasteDoc.documentElement().isNull());
    // Further keys pass as they are; the start runs once.
    QApplication::sendEvent(w->txtTitle, &press);
    EXPECT_EQ(witness.libraryLoadedAtKey.size(), 2u);
}

TEST_F(StartupOrderTest, WithoutInputTheRestRunsOnceTheWindowHasPainted)
{
    Startup startup;
    ASSERT_TRUE(startup.Main({}));
    frmMain* w = startup.mainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    EXPECT_TRUE(QTest::qWaitFor([&] { return startup.finished(); }, 5000));
    EXPECT_TRUE(Library().IsLoaded());
    EXPECT_TRUE(QFile::exists(frmLibrary::LibraryPath())) << "made from its template";
    EXPECT_FALSE(::Run().CopyPasteDoc.documentElement().isNull());
    EXPECT_EQ(w->focusWidget(), w->txtTitle);
}

TEST_F(StartupOrderTest, ADocumentNamedOnTheCommandLineOpensWithTheWholeStartBehindIt)
{
    SettingsStore store;
    store.Save(QStringLiteral("CopyToLibrary"), QStringLiteral("1"));
    store.Sync();
    Startup startup;
    ASSERT_TRUE(startup.Main({AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml")}));
    EXPECT_FALSE(startup.commandLineOpenEnded());
    ASSERT_TRUE(QTest::qWaitFor([&] { return startup.commandLineOpenEnded(); }, 20000));
    EXPECT_TRUE(startup.finished());
    EXPECT_TRUE(::Run().DocumentOpen);
    EXPECT_TRUE(Library().IsLoaded());
    EXPECT_EQ(Library().Entries().size(), 1u) << "the document was added to the catalogue";
    startup.mainWindow()->mnuFileClose->trigger();
}

} // namespace
