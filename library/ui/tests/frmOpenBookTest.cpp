#include "library/ui/frmOpenBook.h"
#include "library/ui/frmBookShelfs.h"

#include "app/core/AppPaths.h"
#include "app/core/DocumentFiles.h"
#include "app/core/RunState.h"
#include "library/frmLibrary.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"
#include "tests/support/EmptyLibrary.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using K = OpenBookEntryKind;

class OpenBookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState(StoredSettings::Clear);
        LoadLang(QStringLiteral("English"));
        ForgetLibrary();
        ASSERT_TRUE(m_dir.isValid());
        m_folder = QFileInfo(m_dir.path()).canonicalFilePath() + QStringLiteral("/lib");
        QDir().mkpath(m_folder);
        Opts().LibraryLocation = Opts().LibraryLocationText = m_folder;
        Opts().SortField = SortTitle;
        Library().Mounts = [] { return std::vector<MountEntry>{}; };
        ASSERT_TRUE(Library().LoadLibrary());
        m_window.BookShelfChooser = &m_chooser;
        m_window.UpdateMRU = [this] { ++m_recentUpdates; };
    }
    void TearDown() override
    {
        m_window.hide();
        Library().Mounts = nullptr;
        Library().Unload();
    }
    // A real document file in the library folder, catalogued on a shelf.
    QString Add(const QString& id, const QString& title, const QString& shelf = {})
    {
        const QString path = m_folder + QLatin1Char('/') + id + QStringLiteral(".xml");
        TestHome::WriteFile(path, "<krant/>");
        QString type;
        EXPECT_TRUE(Library().AddLibraryItem(id, title, path, type, false));
        if (!shelf.isEmpty()) {
            EXPECT_TRUE(Library().SetBookShelf(id, shelf));
        }
        return path;
    }
    void Show()
    {
        m_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    }
    QStringList Texts() const
    {
        QStringList out;
        for (int i = 0; i < m_window.lstLibrary->count(); ++i)
            out << m_window.lstLibrary->item(i)->text();
        return out;
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(m_window.lstLibrary, Qt::Key(key), mods);
    }
    // Answers the chooser once it is on screen: the entry of that text, then Apply (or Cancel).
    void ChooseShelfWhenAsked(const QString& text, bool apply = true)
    {
        QTimer::singleShot(0, &m_chooser, [this, text, apply] {
            const auto hits = m_chooser.lstBookShelfs->findItems(text, Qt::MatchExactly);
            if (!hits.isEmpty())
                m_chooser.lstBookShelfs->setCurrentItem(hits[0]);
            QTest::keyClick(m_chooser.lstBookShelfs, apply ? Qt::Key_Return : Qt::Key_Escape);
        });
    }

    QTemporaryDir m_dir;
    QString m_folder;
    ScriptedPrompter prompter;
    frmOpenBook m_window;
    frmBookShelfs m_chooser;
    int m_recentUpdates = 0;
};

TEST_F(OpenBookTest, AnEmptyLibraryShowsThePlaceholderAndOpensNothing)
{
    Show();
    EXPECT_EQ(Texts(), QStringList({SetLangTxt(1212)}));
    EXPECT_FALSE(m_window.cmdButton[0]->isEnabled());
    EXPECT_TRUE(m_window.lstLibrary->hasFocus());
    Key(Qt::Key_Return);
    Key(Qt::Key_Delete);
    EXPECT_TRUE(m_window.isVisible());
    EXPECT_TRUE(prompter.questions().empty());
    EXPECT_EQ(m_window.lstLibrary->accessibleName(), SetLangTxt(1201));
}

TEST_F(OpenBookTest, EnterOnADocumentClosesWithItsPath)
{
    Add("b", "Beta");
    const QString alpha = Add("a", "[Draft] Alpha");
    Show();
    EXPECT_EQ(m_window.EntryKind(0), K::Document) << "a title in brackets is still a document";
    EXPECT_EQ(m_window.lstLibrary->currentRow(), 0);
    EXPECT_GE(m_recentUpdates, 1);
    Key(Qt::Key_Return);
    EXPECT_FALSE(m_window.isVisible());
    EXPECT_EQ(m_window.result(), QDialog::Accepted);
    EXPECT_EQ(m_window.txtOpenFile->text(), alpha);
    EXPECT_FALSE(::Run().IgnoreNextKeyUp) << "a flag left set would swallow the reader's next key";
}

TEST_F(OpenBookTest, EscapeClosesWithoutAChoice)
{
    Add("a", "Alpha");
    Show();
    Key(Qt::Key_Escape);
    EXPECT_FALSE(m_window.isVisible());
    EXPECT_EQ(m_window.result(), QDialog::Rejected);
    EXPECT_TRUE(m_window.txtOpenFile->text().isEmpty());
}

TEST_F(OpenBookTest, GroupedListsEnterAndLeaveShelvesWithMoreThanAHundredEntries)
{
    Opts().AutoArchive = ArchiveByDocumentType;
    for (int i = 0; i < 130; ++i)
        Add(QStringLiteral("d%1").arg(i, 3, 10, QLatin1Char('0')),
            QStringLiteral("Doc %1").arg(i, 3, 10, QLatin1Char('0')), i < 110 ? QStringLiteral("Kranten") : QString());
    Show();
    ASSERT_EQ(m_window.lstLibrary->count(), 1 + 20);
    EXPECT_EQ(m_window.lstLibrary->item(0)->text(), QStringLiteral("[Kranten]"));
    EXPECT_EQ(m_window.EntryKind(0), K::Shelf);
    EXPECT_TRUE(m_window.txtOpenFile->text().isEmpty());

    Key(Qt::Key_Return);
    EXPECT_TRUE(m_window.isVisible());
    EXPECT_TRUE(m_window.ShelfLevel);
    EXPECT_EQ(m_window.txtLibraryLocation->text(), QStringLiteral("[Kranten]"));
    EXPECT_EQ(m_window.lstLibrary->accessibleName(), QStringLiteral("[Kranten]"));
    ASSERT_EQ(m_window.lstLibrary->count(), 1 + 110);
    EXPECT_EQ(m_window.EntryKind(0), K::Up);
    EXPECT_TRUE(m_window.lstLibrary->hasFocus());
    // The last of the shelf opens, well past a hundred entries.
    m_window.lstLibrary->setCurrentRow(110);
    EXPECT_EQ(m_window.txtOpenFile->text(), m_folder + QStringLiteral("/d109.xml"));
    m_window.lstLibrary->setCurrentRow(0);
    EXPECT_TRUE(m_window.txtOpenFile->text().isEmpty());
    Key(Qt::Key_Return);
    EXPECT_FALSE(m_window.ShelfLevel);
    EXPECT_EQ(m_window.lstLibrary->count(), 21);
}

TEST_F(OpenBookTest, DeleteAsksWithNoAsTheDefaultThenRemovesEntryUsageFileAndDocument)
{
    Add("a", "Alpha");
    const QString beta = Add("b", "Beta");
    TestHome::WriteFile(UsageFilePathFor("b"), "<duf/>");
    Show();
    m_window.lstLibrary->setCurrentRow(1);
    prompter.answer(PromptAnswer::No);
    Key(Qt::Key_Delete);
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].title, SetLangTxt(1450));
    EXPECT_EQ(prompter.questions()[0].defaultAnswer, PromptAnswer::No);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1452, m_window.lstLibrary->item(1)->text()));
    EXPECT_EQ(Texts().size(), 2);

    prompter.answer(PromptAnswer::Yes);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Texts().size(), 1);
    EXPECT_FALSE(Library().FindEntry("b"));
    EXPECT_FALSE(QFileInfo::exists(beta));
    EXPECT_FALSE(QFileInfo::exists(UsageFilePathFor("b")));
    // The list became shorter: the last entry is selected.
    EXPECT_EQ(m_window.lstLibrary->currentRow(), 0);
}

TEST_F(OpenBookTest, TheDocumentOpenInTheWindowIsNotDeleted)
{
    const QString alpha = Add("a", "Alpha");
    ::Run().DocumentOpen = true;
    ::Run().DocumentId = QStringLiteral("a");
    Show();
    prompter.answer(PromptAnswer::Yes);
    Key(Qt::Key_Delete);
    ASSERT_EQ(prompter.questions().size(), 2u);
    EXPECT_EQ(prompter.questions()[1].text, SetLangTxt(1221));
    EXPECT_TRUE(QFileInfo::exists(alpha));
    EXPECT_TRUE(Library().FindEntry("a"));
}

TEST_F(OpenBookTest, ChangeOfShelfMovesEverySelectedDocumentAndIsNoOpening)
{
    Opts().AutoArchive = ArchiveByDocumentType;
    AddShelfName("Favourites");
    Add("a", "Alpha");
    Add("b", "Beta");
    Add("c", "Gamma");
    Show();
    m_window.lstLibrary->item(0)->setSelected(true);
    m_window.lstLibrary->item(1)->setSelected(true);
    ChooseShelfWhenAsked("Favourites");
    Key(Qt::Key_F2);
    EXPECT_EQ(Library().FindEntry("a")->bookshelf, QStringLiteral("Favourites"));
    EXPECT_EQ(Library().FindEntry("b")->bookshelf, QStringLiteral("Favourites"));
    EXPECT_EQ(Library().FindEntry("c")->bookshelf, QString());
    EXPECT_EQ(Library().FindEntry("a")->timesopened, QStringLiteral("1"));
    EXPECT_EQ(Texts().first(), QStringLiteral("[Favourites]"));
    EXPECT_EQ(Texts().size(), 2);

    // Back to no shelf with Insert; cancelling the chooser changes nothing.
    Key(Qt::Key_Return);
    m_window.lstLibrary->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
    ChooseShelfWhenAsked("Favourites", false);
    Key(Qt::Key_Insert);
    EXPECT_EQ(Library().FindEntry("a")->bookshelf, QStringLiteral("Favourites"));
    m_window.lstLibrary->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
    ChooseShelfWhenAsked(SetLangTxt(1201));
    Key(Qt::Key_Insert);
    EXPECT_EQ(Library().FindEntry("a")->bookshelf, QString());
}

TEST_F(OpenBookTest, BrowseTakesAnyFileAndMarksItForArchiving)
{
    Add("a", "Alpha");
    Show();
    prompter.answerFile(QString());
    m_window.cmdButton_Click(1);
    EXPECT_TRUE(m_window.isVisible()) << "a cancelled file dialog leaves the window";
    EXPECT_FALSE(::Run().ArchiveOnOpen);
    prompter.answerFile(QStringLiteral("/somewhere/krant.zip"));
    m_window.cmdButton_Click(1);
    EXPECT_FALSE(m_window.isVisible());
    EXPECT_EQ(m_window.txtOpenFile->text(), QStringLiteral("/somewhere/krant.zip"));
    EXPECT_TRUE(::Run().ArchiveOnOpen);
    EXPECT_EQ(prompter.questions().back().title, SetLangTxt(1210));
}

TEST_F(OpenBookTest, TheChooserMakesShelvesAndDeletesOnlyUnusedOnes)
{
    AddShelfName("Used");
    AddShelfName("Empty");
    Add("a", "Alpha", "Used");
    QTimer::singleShot(0, &m_chooser, [this] {
        EXPECT_EQ(m_chooser.focusWidget(), m_chooser.lstBookShelfs);
        EXPECT_EQ(m_chooser.lstBookShelfs->currentRow(), 0);
        EXPECT_FALSE(m_chooser.cmdButton[1]->isEnabled()) << "My library is never deleted";
        m_chooser.lstBookShelfs->setCurrentRow(1);
        EXPECT_FALSE(m_chooser.cmdButton[1]->isEnabled()) << "a document stands on it";
        m_chooser.lstBookShelfs->setCurrentRow(2);
        EXPECT_TRUE(m_chooser.cmdButton[1]->isEnabled());
        m_chooser.cmdButton_Click(1);
        prompter.answerInput(QStringLiteral("Book"));
        m_chooser.cmdButton_Click(0);
        EXPECT_EQ(m_chooser.lstBookShelfs->currentItem()->text(), QStringLiteral("Book"));
        m_chooser.cmdButton_Click(2);
    });
    EXPECT_EQ(m_chooser.Choose(), std::optional<QString>(QStringLiteral("Book")));
    EXPECT_EQ(ShelfNames(), QStringList({"Used", "Book"}));
    EXPECT_EQ(prompter.questions().back().title, SetLangTxt(1276));
}

} // namespace
