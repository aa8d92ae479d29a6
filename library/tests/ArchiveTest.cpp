#include "library/Archive.h"
#include "library/frmLibrary.h"

#include "app/core/RunState.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState(StoredSettings::Clear);
        LoadLang(QStringLiteral("English"));
        ASSERT_TRUE(m_dir.isValid());
        m_root = QFileInfo(m_dir.path()).canonicalFilePath();
        m_folder = m_root + QStringLiteral("/lib");
        QDir().mkpath(m_folder);
        Opts().LibraryLocation = Opts().LibraryLocationText = m_folder;
    }
    QString Write(const QString& relative, const QByteArray& bytes)
    {
        const QString path = m_root + QLatin1Char('/') + relative;
        TestHome::WriteFile(path, bytes);
        return path;
    }
    QStringList LibraryFiles() const { return QDir(m_folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    QTemporaryDir m_dir;
    QString m_root;
    QString m_folder;
    ScriptedPrompter prompter;
};

TEST_F(ArchiveTest, CopyingOnTheOptionPutsTheDocumentInTheLibraryAndItsTypeOnTheShelves)
{
    Opts().CopyToLibrary = true;
    QString path = Write("downloads/krant.zip", "monday");
    const QString original = path;
    const QString result = Library().ArchiveDocument(path, "Krant");
    EXPECT_EQ(result, m_folder + QStringLiteral("/krant.zip"));
    EXPECT_EQ(path, result);
    EXPECT_EQ(TestHome::ReadFile(result), QByteArray("monday"));
    EXPECT_TRUE(QFileInfo::exists(original));
    EXPECT_TRUE(prompter.questions().empty());
    EXPECT_EQ(ShelfNames(), QStringList({"Krant"}));
    EXPECT_EQ(LibraryFiles(), QStringList({"krant.zip"})) << "no temporary file is left";
}

TEST_F(ArchiveTest, EveryDaysPaperOfTheSameNameIsKept)
{
    Opts().CopyToLibrary = true;
    QString monday = Write("downloads/krant.zip", "monday");
    EXPECT_EQ(Library().ArchiveDocument(monday, "Krant"), m_folder + "/krant.zip");
    QString tuesday = Write("downloads/krant.zip", "tuesday");
    EXPECT_EQ(Library().ArchiveDocument(tuesday, "Krant"), m_folder + "/krant (2).zip");
    // The same paper again is the copy already there.
    QString again = Write("downloads/krant.zip", "monday");
    EXPECT_EQ(Library().ArchiveDocument(again, "Krant"), m_folder + "/krant.zip");
    EXPECT_EQ(TestHome::ReadFile(m_folder + "/krant.zip"), QByteArray("monday"));
    EXPECT_EQ(TestHome::ReadFile(m_folder + "/krant (2).zip"), QByteArray("tuesday"));
    EXPECT_EQ(LibraryFiles().size(), 2);
}

TEST_F(ArchiveTest, DecliningKeepsThePathButStillMakesTheShelf)
{
    QString path = Write("downloads/boek.xml", "<boek/>");
    const QString original = path;
    prompter.answer(PromptAnswer::No);
    EXPECT_EQ(Library().ArchiveDocument(path, "Boek"), original);
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1105, m_folder));
    EXPECT_EQ(prompter.questions()[0].title, SetLangTxt(1104, m_folder));
    EXPECT_EQ(ShelfNames(), QStringList({"Boek"}));
    EXPECT_TRUE(LibraryFiles().isEmpty());

    prompter.answer(PromptAnswer::Yes);
    EXPECT_EQ(Library().ArchiveDocument(path, "Boek"), m_folder + "/boek.xml");
}

TEST_F(ArchiveTest, InsideMeansInsideTheFolderNotANameThatBeginsLikeIt)
{
    Opts().CopyToLibrary = true;
    QString inside = Write("lib/sub/a.xml", "<a/>");
    EXPECT_EQ(Library().ArchiveDocument(inside, "A"), m_root + "/lib/sub/a.xml");
    EXPECT_TRUE(ShelfNames().isEmpty());
    QString beside = Write("lib2/b.xml", "<b/>");
    EXPECT_EQ(Library().ArchiveDocument(beside, "B"), m_folder + "/b.xml");
    EXPECT_EQ(ShelfNames(), QStringList({"B"}));
}

TEST_F(ArchiveTest, AMissingLibraryFolderIsMadeOnlyWhenTheReaderSaysSo)
{
    Opts().CopyToLibrary = true;
    Opts().LibraryLocation = Opts().LibraryLocationText = m_root + QStringLiteral("/new lib");
    QString path = Write("downloads/a.xml", "<a/>");
    prompter.answer(PromptAnswer::No);
    EXPECT_EQ(Library().ArchiveDocument(path, {}), m_root + "/downloads/a.xml");
    EXPECT_FALSE(QFileInfo::exists(m_root + "/new lib"));
    prompter.answer(PromptAnswer::Yes);
    EXPECT_EQ(Library().ArchiveDocument(path, {}), m_root + "/new lib/a.xml");
    EXPECT_EQ(prompter.questions()[1].text, SetLangTxt(1107, m_root + "/new lib"));
}

TEST_F(ArchiveTest, AFailedCopyIsToldAndKeepsTheOriginalPath)
{
    Opts().CopyToLibrary = true;
    // A folder cannot be read as a file, not even by root.
    QDir().mkpath(m_root + "/downloads/odd.xml");
    QString path = m_root + "/downloads/odd.xml";
    EXPECT_EQ(Library().ArchiveDocument(path, "Odd"), m_root + "/downloads/odd.xml");
    EXPECT_EQ(path, m_root + "/downloads/odd.xml");
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_TRUE(prompter.questions()[0].text.startsWith(SetLangTxt(1220, m_folder)));
    EXPECT_TRUE(LibraryFiles().isEmpty());
}

TEST_F(ArchiveTest, ThePersonalArchiveOptionAsksForAShelf)
{
    Opts().AutoArchive = ArchiveByDocumentType;
    EXPECT_EQ(Library().AssignDocumentArchiveClass("Krant"), QStringLiteral("Krant"));
    Opts().AutoArchive = PersonalArchive;
    std::optional<QString> choice = QStringLiteral("Favourites");
    Library().ChooseBookShelf = [&] { return choice; };
    EXPECT_EQ(Library().AssignDocumentArchiveClass("Krant"), QStringLiteral("Favourites"));
    choice.reset();
    EXPECT_EQ(Library().AssignDocumentArchiveClass("Krant"), QStringLiteral("Krant"));
    Library().ChooseBookShelf = nullptr;
}

} // namespace
