#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "app/ui/MainLayout.h"
#include "app/ui/Startup.h"
#include "app/ui/frmMain.h"
#include "navigation/NavList.h"
#include "render/ui/TextViewerWidget.h"
#include "settings/modLanguage.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

void StoreLanguage(const QString& language)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quillbook"),
                       QStringLiteral("Quillbook"));
    settings.beginGroup(QStringLiteral("Settings"));
    if (language.isEmpty())
        settings.remove(QStringLiteral("Language"));
    else
        settings.setValue(QStringLiteral("Language"), language);
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ResetRunState(); }
    void TearDown() override
    {
        StoreLanguage({});
        ResetRunState();
    }
};

TEST(MainLayoutTest, TheSurfaceLiesInTheWindowBelowTheTopBandAndTooNarrowMovesNothing)
{
    MainLayout layout;
    ASSERT_TRUE(ComputeMainLayout(9000, 6000, 1650, 450, layout));
    const TwipRect s = layout.surface;
    EXPECT_GT(s.left, 0);
    EXPECT_GE(s.top, 1650);
    EXPECT_LE(s.left + s.width, 9000);
    EXPECT_LE(s.top + s.height, 6000);
    EXPECT_EQ(layout.titleLeft, s.left);
    EXPECT_EQ(layout.titleWidth, s.width);

    MainLayout untouched;
    untouched.surface = {1, 2, 3, 4};
    EXPECT_FALSE(ComputeMainLayout(199, 6000, 1650, 450, untouched));
    EXPECT_EQ(untouched.surface, (TwipRect{1, 2, 3, 4}));
    EXPECT_TRUE(ComputeMainLayout(200, 6000, 1650, 450, untouched));
}

TEST_F(MainWindowTest, StartsInDutchWithEveryControlNamedAndLaidOut)
{
    StoreLanguage({});
    Startup startup;
    ASSERT_TRUE(startup.Main({}));
    frmMain* w = startup.mainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));

    EXPECT_EQ(w->txtTitle->text(), SetLangTxt(1090));
    EXPECT_FALSE(w->txtTitle->text().isEmpty());
    EXPECT_EQ(w->windowTitle(), SetLangTxt(1));
    EXPECT_EQ(w->mnuFile->title(), SetLangTxt(1010));
    EXPECT_EQ(CurrentLanguage(), QStringLiteral("Nederlands"));
    EXPECT_FALSE(w->txtLocation->isVisible());
    EXPECT_TRUE(QDir(AppPaths::TempDir()).exists());

    // Every control a reader can reach has a name a screen reader can speak.
    const std::vector<QWidget*> controls{w->txtTitle,       w->txtLocation,    w->cmdLevelUp,
                                         w->cmdNextArticle, w->cmdPrevArticle, w->NavListView(0),
                                         w->NavListView(1), w->NavListView(2), w->TextViewerView};
    for (QWidget* c : controls)
        EXPECT_FALSE(c->accessibleName().isEmpty()) << c->objectName().toStdString();
    // Every menu item has a caption.
    for (QAction* a : w->menuBar()->actions()) {
        EXPECT_FALSE(a->text().isEmpty());
        for (QAction* item : a->menu()->actions())
            EXPECT_TRUE(item->isSeparator() || !item->isVisible() || !item->text().isEmpty())
                << item->objectName().toStdString();
    }

    // The layout rule: lists, background and text view share one rectangle,
    // and the title and location boxes line up with it.
    w->resize(1000, 700);
    QApplication::processEvents();
    const QRect r = w->TextViewerView->geometry();
    EXPECT_GT(r.width(), 0);
    EXPECT_EQ(::Run().NavLevelCount, 1);
    EXPECT_EQ(w->NavListView(0)->geometry(), r);
    EXPECT_EQ(w->NavListView(1)->geometry(), r);
    EXPECT_EQ(w->lblBackground->geometry(), r);
    EXPECT_EQ(w->txtTitle->x(), r.x());
    EXPECT_EQ(w->txtTitle->width(), r.width());
    EXPECT_EQ(w->txtLocation->x(), r.x());

    // Narrower than 200 twips: nothing moves.
    w->surface->resize(10, 300);
    QApplication::processEvents();
    EXPECT_EQ(w->TextViewerView->geometry(), r);
}

TEST_F(MainWindowTest, EnglishFromTheSettingsFile)
{
    StoreLanguage(QStringLiteral("English"));
    Startup startup;
    ASSERT_TRUE(startup.Main({}));
    frmMain* w = startup.mainWindow();
    EXPECT_EQ(CurrentLanguage(), QStringLiteral("English"));
    EXPECT_EQ(w->mnuFile->title(), QStringLiteral("&File"));
    EXPECT_EQ(w->txtTitle->text(), SetLangTxt(1090));
    EXPECT_EQ(w->cmdLevelUp->text(), SetLangTxt(1080));
}

TEST_F(MainWindowTest, CommandLineIsOnePathWithItsBlanksAndQuotes)
{
    EXPECT_EQ(CommandLinePath({}), QString());
    EXPECT_EQ(CommandLinePath({QStringLiteral("/home/reader/Mijn kranten/dag blad.xml")}),
              QStringLiteral("/home/reader/Mijn kranten/dag blad.xml"));
    EXPECT_EQ(CommandLinePath({QStringLiteral("/tmp/Mijn"), QStringLiteral("krant.xml")}),
              QStringLiteral("/tmp/Mijn krant.xml"));
    EXPECT_EQ(CommandLinePath({QStringLiteral("\"/tmp/a.xml\"")}), QStringLiteral("\"/tmp/a.xml\""));

    Startup startup;
    ASSERT_TRUE(startup.Main({QStringLiteral("/tmp/Mijn"), QStringLiteral("krant.xml")}));
    EXPECT_EQ(startup.commandLinePath(), QStringLiteral("/tmp/Mijn krant.xml"));
    EXPECT_TRUE(::Run().ArchiveOnOpen);
}

TEST_F(MainWindowTest, FileExitEndsTheEventLoop)
{
    Startup startup;
    ASSERT_TRUE(startup.Main({}));
    frmMain* w = startup.mainWindow();
    QTimer::singleShot(0, w->mnuFileExit, &QAction::trigger);
    QTimer::singleShot(5000, [] { QApplication::exit(99); }); // safety net
    EXPECT_EQ(QApplication::exec(), 0);
}

} // namespace
