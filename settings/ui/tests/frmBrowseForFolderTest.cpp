// The folder browser over real folders in a temporary folder.
#include "settings/ui/frmBrowseForFolder.h"

#include "settings/Options.h"
#include "settings/modLanguage.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class frmBrowseForFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadLang("English");
        ASSERT_TRUE(temp.isValid());
        root = temp.path() + QStringLiteral("/bibliotheek");
        for (const char* name : {"kranten", "Boeken", "a;b", "zz/diep"})
            ASSERT_TRUE(QDir().mkpath(root + QLatin1Char('/') + QLatin1String(name)));
        ASSERT_TRUE(TestHome::WriteFile(root + QStringLiteral("/los.txt"), "geen map"));
        Opts().LibraryLocation = root;
    }
    void TearDown() override { Opts().LibraryLocation.clear(); }

    void open()
    {
        browser = std::make_unique<frmBrowseForFolder>();
        browser->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(browser.get()));
    }
    QStringList entries() const
    {
        QStringList names;
        for (int i = 0; i < browser->lstFolders->count(); ++i)
            names << browser->lstFolders->item(i)->text();
        return names;
    }
    // Selects the entry with that text and presses Enter in the list.
    void enter(const QString& entry)
    {
        const auto found = browser->lstFolders->findItems(entry, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << entry.toStdString();
        browser->lstFolders->setCurrentItem(found[0]);
        QTest::keyClick(browser->lstFolders, Qt::Key_Return);
    }

    QTemporaryDir temp;
    QString root;
    ScriptedPrompter prompter;
    std::unique_ptr<frmBrowseForFolder> browser;
};

TEST_F(frmBrowseForFolderTest, StartsInTheLibraryFolderAndWalksItsFolders)
{
    open();
    EXPECT_EQ(QApplication::focusWidget(), browser->lstFolders);
    EXPECT_EQ(browser->currentFolder(), root);
    // A folder with ";" in its name is one entry; files are no entries.
    EXPECT_EQ(entries(), (QStringList{"..", "a;b", "Boeken", "kranten", "zz"}));
    EXPECT_EQ(browser->lstFolders->currentRow(), 0);
    EXPECT_EQ(browser->lstFolders->accessibleName(), root);
    EXPECT_EQ(browser->windowTitle(), T(1800));

    enter("a;b");
    EXPECT_EQ(browser->currentFolder(), root + QStringLiteral("/a;b"));
    EXPECT_EQ(entries(), QStringList{".."});
    EXPECT_EQ(browser->lstFolders->accessibleName(), root + QStringLiteral("/a;b"));
    // ".." is read with the folder the list now shows, which a screen reader says after each move.
    EXPECT_EQ(browser->lstFolders->item(0)->data(Qt::AccessibleTextRole).toString(),
              QStringLiteral(".. ") + root + QStringLiteral("/a;b"));
    EXPECT_TRUE(browser->isVisible()) << "Enter opens the folder, it does not confirm";
    enter("..");
    enter("zz");
    enter("diep");
    EXPECT_EQ(browser->currentFolder(), root + QStringLiteral("/zz/diep"));
    enter("..");
    enter("..");
    EXPECT_EQ(browser->currentFolder(), root);

    QTest::mouseClick(browser->cmdButton[1], Qt::LeftButton);
    EXPECT_FALSE(browser->isVisible());
    EXPECT_EQ(Opts().LibraryLocation, root);
}

TEST_F(frmBrowseForFolderTest, TheDiskListHoldsTheRootAndUpFromARootLeadsBackToIt)
{
    Opts().LibraryLocation.clear();
    open();
    EXPECT_TRUE(browser->currentFolder().isEmpty());
    ASSERT_FALSE(entries().isEmpty());
    EXPECT_TRUE(entries()[0].startsWith(QStringLiteral("/ ["))) << entries()[0].toStdString();
    for (const QString& disk : entries())
        EXPECT_TRUE(disk.endsWith(QLatin1Char(']'))) << disk.toStdString();
    EXPECT_EQ(browser->lstFolders->accessibleName(), T(1806));
    // OK chooses a folder only: with the disks listed it is not offered.
    EXPECT_FALSE(browser->cmdButton[1]->isEnabled());
    EXPECT_FALSE(browser->cmdButton[0]->isEnabled());
    browser->cmdButton_Click(1);
    EXPECT_TRUE(browser->isVisible());

    browser->lstFolders->setCurrentRow(0);
    QTest::keyClick(browser->lstFolders, Qt::Key_Return);
    EXPECT_EQ(browser->currentFolder(), QStringLiteral("/"));
    EXPECT_EQ(entries().first(), QStringLiteral(".."));
    EXPECT_TRUE(entries().contains(QStringLiteral("tmp")) || entries().contains(QStringLiteral("usr")));
    EXPECT_TRUE(browser->cmdButton[1]->isEnabled());
    enter("..");
    EXPECT_TRUE(browser->currentFolder().isEmpty()) << "never an empty folder, always the disks";
    EXPECT_TRUE(entries()[0].startsWith(QStringLiteral("/ [")));
}

TEST_F(frmBrowseForFolderTest, NewFolderIsMadeOrRefused)
{
    open();
    prompter.answerInput(QStringLiteral("nieuw"));
    prompter.answer(PromptAnswer::Ok);
    QTest::mouseClick(browser->cmdButton[0], Qt::LeftButton);
    ASSERT_EQ(prompter.questions().size(), 2u);
    EXPECT_EQ(prompter.questions()[0].text, T(1811));
    EXPECT_EQ(prompter.questions()[0].title, T(1810));
    EXPECT_EQ(prompter.questions()[1].text, T(1813, QStringLiteral("nieuw")) + root);
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/nieuw")).isDir());
    EXPECT_EQ(browser->currentFolder(), root + QStringLiteral("/nieuw"));
    EXPECT_EQ(QApplication::focusWidget(), browser->lstFolders);
    enter("..");

    // Names that are no single folder name, and one taken by a file, are refused.
    for (const char* bad : {".", "..", "x/y", "los.txt"}) {
        prompter.clear();
        prompter.answerInput(QString::fromLatin1(bad));
        prompter.answer(PromptAnswer::Ok);
        browser->cmdButton_Click(0);
        ASSERT_FALSE(prompter.questions().empty()) << bad;
        EXPECT_EQ(prompter.questions().back().text, T(1814, QString::fromLatin1(bad))) << bad;
        EXPECT_EQ(prompter.questions().back().icon, PromptIcon::Critical);
        EXPECT_EQ(browser->currentFolder(), root);
    }
    EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("/x")));
    // Cancel at the question, and an empty name, make nothing.
    prompter.clear();
    prompter.answerInput(QStringLiteral("niet"));
    prompter.answer(PromptAnswer::Cancel);
    browser->cmdButton_Click(0);
    prompter.answerInput(QString());
    browser->cmdButton_Click(0);
    EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("/niet")));
    EXPECT_EQ(prompter.questions().size(), 3u) << "name and confirmation, then the empty name alone";
}

TEST_F(frmBrowseForFolderTest, CancelAndEscapeRestoreTheStartFolder)
{
    open();
    enter("kranten");
    Opts().LibraryLocation = QStringLiteral("/elders"); // whatever happened meanwhile
    QTest::mouseClick(browser->cmdButton[2], Qt::LeftButton);
    EXPECT_FALSE(browser->isVisible());
    EXPECT_EQ(Opts().LibraryLocation, root);
    EXPECT_EQ(browser->currentFolder(), root);

    open();
    enter("Boeken");
    QTest::keyClick(browser->lstFolders, Qt::Key_Escape);
    EXPECT_FALSE(browser->isVisible());
    EXPECT_EQ(Opts().LibraryLocation, root);
}

} // namespace
