// The options window's Browse button opens the folder browser and takes the folder chosen there.
#include "app/ui/frmMain.h"
#include "settings/Options.h"
#include "settings/ui/frmBrowseForFolder.h"
#include "settings/ui/frmOptions.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(OptionsBrowseTest, BrowseOpensTheFolderBrowserAndTheOptionsShowItsFolder)
{
    ASSERT_TRUE(PrepareForReading());
    ScriptedPrompter prompter;
    frmMain window;
    window.Form_Load();
    QTemporaryDir library;
    ASSERT_TRUE(QDir(library.path()).mkpath(QStringLiteral("kranten")));
    Opts().LibraryLocation = library.path();
    ASSERT_TRUE(window.optionsWindow()->cmdLibraryBrowse->isEnabled());

    bool browsed = false;
    QTimer::singleShot(0, &window, [&] {
        auto* browser = qobject_cast<frmBrowseForFolder*>(QApplication::activeModalWidget());
        ASSERT_NE(browser, nullptr);
        browsed = true;
        EXPECT_EQ(browser->focusWidget(), browser->lstFolders);
        const auto found = browser->lstFolders->findItems(QStringLiteral("kranten"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        browser->lstFolders->setCurrentItem(found[0]);
        QTest::keyClick(browser->lstFolders, Qt::Key_Return);
        QTest::mouseClick(browser->cmdButton[1], Qt::LeftButton);
        if (browser->isVisible())
            browser->cmdButton_Click(2);
    });
    window.optionsWindow()->cmdLibraryBrowse->click();
    EXPECT_TRUE(browsed);
    const QString chosen = library.path() + QStringLiteral("/kranten");
    EXPECT_EQ(Opts().LibraryLocation, chosen);
    EXPECT_EQ(window.optionsWindow()->txtLibraryLocation->text(), chosen);
    ResetProgramState();
}

} // namespace
