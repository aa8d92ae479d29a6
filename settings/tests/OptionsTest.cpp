#include "settings/Options.h"

#include "app/core/AppPaths.h"
#include "settings/SettingsStore.h"
#include "settings/modFilesFolders.h"
#include "settings/modLanguage.h"
#include "settings/modTTFont.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tuple>

namespace {

// Every stored option, for comparing one set with another.
auto Values(const Options& o)
{
    return std::make_tuple(
        o.OpenDocument, o.ShowLibraryAtStartUp, o.ShowWordCount, o.Language, o.LibraryLocationText, o.LibraryLocation,
        o.CopyToLibrary, o.AutoArchive, o.SortField, o.LibrarySortOrder, o.BookShelfs, o.Keywords, o.SearchResults,
        o.PersonalInterests, o.AnnotationColorIndex, o.BookmarkColorIndex, o.FoundColorIndex, o.OverRuleCss, o.UserFont,
        o.FontSize, o.ForeGroundColorIndex, o.BackGroundColorIndex, o.AnnotationColor, o.BookmarkColor, o.FoundColor);
}

// Sets every option to something other than its default.
void Scramble(Options& o)
{
    o.OpenDocument = StartAtLastRead;
    o.ShowLibraryAtStartUp = true;
    o.ShowWordCount = false;
    o.Language = QStringLiteral("English");
    o.LibraryLocationText = QStringLiteral("/srv/books/My shelf, old");
    o.CopyToLibrary = true;
    o.AutoArchive = PersonalArchive;
    o.SortField = SortDateAdded;
    o.LibrarySortOrder = 1;
    o.BookShelfs = QStringLiteral("Kranten,Boeken");
    o.Keywords = QStringLiteral("sport,weer");
    o.SearchResults = JumpToFirstOccurrence;
    o.PersonalInterests = QStringLiteral("  korfbal; \"sport\" ");
    o.AnnotationColorIndex = 3;
    o.BookmarkColorIndex = 8;
    o.FoundColorIndex = 10;
    o.OverRuleCss = true;
    o.UserFont = QStringLiteral("Some Font");
    o.FontSize = QStringLiteral("28");
    o.ForeGroundColorIndex = 1;
    o.BackGroundColorIndex = 14;
}

int LoggedLines(const QString& procedure)
{
    const QString log = QString::fromUtf8(TestHome::ReadFile(AppPaths::ErrorLogPath()));
    return static_cast<int>(log.count(QStringLiteral(" - ") + procedure + QLatin1Char(',')));
}

QString LastLogLine()
{
    const QStringList lines = QString::fromUtf8(TestHome::ReadFile(AppPaths::ErrorLogPath()))
                                  .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.last();
}

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SettingsStore store;
        store.Clear();
        ASSERT_TRUE(store.Sync());
        m_file = store.FileName();
        QFile::remove(m_file);
        Options& o = Opts();
        o.LanguageList = ShowLanguage();
        o.SetDefaults();
        ASSERT_TRUE(o.LanguageList.contains("English"));
        ASSERT_TRUE(o.LanguageList.contains("Nederlands"));
    }

    // Replaces the settings file with these lines, as a reader editing it by hand would.
    void writeStore(const QByteArray& lines) { ASSERT_TRUE(TestHome::WriteFile(m_file, "[Settings]\n" + lines)); }
    QString storeText() const { return QString::fromUtf8(TestHome::ReadFile(m_file)); }

    QString m_file;
    ScriptedPrompter m_prompter;
};

TEST_F(OptionsTest, FirstStartWithAnEmptyStoreGivesEveryDefault)
{
    Options& o = Opts();
    Scramble(o);
    LoadSettings();
    Options defaults; // after loading: the library folder's name is in the language loaded
    defaults.SetDefaults();

    EXPECT_EQ(Values(o), Values(defaults));
    EXPECT_EQ(CurrentLanguage(), o.Language);
    EXPECT_EQ(o.LibraryLocation, GetSpecialFolder(5) + "/" + T(1532));

    EXPECT_FALSE(QFile::exists(m_file)) << "reading must not write";
    EXPECT_TRUE(m_prompter.questions().empty());
}

TEST_F(OptionsTest, TheDefaultLibraryIsInTheDocumentsFolderEvenBeforeThatExists)
{
    QTemporaryDir home;
    const QByteArray realHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    LoadSettings();
    const QString library = Opts().LibraryLocation;
    qputenv("HOME", realHome);

    ASSERT_FALSE(T(1532).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(home.path() + "/Documents"));
    EXPECT_EQ(library, home.path() + "/Documents/" + T(1532));
}

TEST_F(OptionsTest, EveryKeySurvivesARoundTripThroughTheFile)
{
    Options& o = Opts();
    Scramble(o);
    SaveOptions();
    // Saving takes the library folder and the mark colours from the lists.
    EXPECT_EQ(o.LibraryLocation, o.LibraryLocationText);
    EXPECT_EQ(o.AnnotationColor, 0xFF00FF); // fuchsia
    EXPECT_EQ(o.BookmarkColor, 0x800000);   // nay
    EXPECT_EQ(o.FoundColor, 0x800080);      // purper
    const auto saved = Values(o);

    // Read the file back through a store that has seen it empty in between.
    const QByteArray bytes = TestHome::ReadFile(m_file);
    ASSERT_FALSE(bytes.isEmpty());
    {
        SettingsStore store;
        store.Clear();
        ASSERT_TRUE(store.Sync());
    }
    ASSERT_TRUE(TestHome::WriteFile(m_file, bytes));
    o.SetDefaults();
    LoadSettings();

    EXPECT_EQ(Values(o), saved);
    EXPECT_EQ(CurrentLanguage(), "English");
    EXPECT_EQ(LoggedLines("LoadSettings"), 0);
    EXPECT_TRUE(storeText().contains("OverRuleCSS=1"));
}

TEST_F(OptionsTest, KeysAndFontNamesInAnotherLetterCase)
{
    Options& o = Opts();
    if (o.FontList.isEmpty())
        FillFontList(o.FontList, true);
    QString font;
    for (const QString& f : o.FontList) {
        if (f.toLower() != f)
            font = f;
    }
    if (font.isEmpty())
        GTEST_SKIP() << "no installed font with capitals in its name";

    writeStore("overrulecss=1\nFONT=" + font.toLower().toUtf8() + "\nlanguage=english\n");
    LoadSettings();
    EXPECT_TRUE(o.OverRuleCss);
    EXPECT_EQ(o.UserFont, font);
    EXPECT_EQ(o.Language, "English"); // as the file is named, which a case-sensitive file system needs
    EXPECT_EQ(CurrentLanguage(), "English");

    SaveOptions();
    const QString text = storeText();
    auto lines = [&text](const QString& key) {
        const QRegularExpression line("^" + key + "=",
                                      QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
        return text.count(line);
    };
    EXPECT_EQ(lines("overrulecss"), 1);
    EXPECT_TRUE(text.contains("\noverrulecss=1")) << "the spelling found stays";
    EXPECT_EQ(lines("font"), 1);
    EXPECT_TRUE(text.contains("\nFONT=" + font.toLower().toUtf8())) << "saved as it was found";
    EXPECT_EQ(lines("language"), 1);
    EXPECT_EQ(GetSetting("OVERRULECSS"), "1");
}

TEST_F(OptionsTest, BookshelfAndKeywordListRules)
{
    Options& o = Opts();
    AddBookShelf("Bookshop");
    EXPECT_EQ(o.BookShelfs, "Bookshop");
    AddBookShelf("Book");     // part of an existing name
    AddBookShelf("BOOKSHOP"); // another letter case
    AddBookShelf("");
    EXPECT_EQ(o.BookShelfs, "Bookshop");
    AddBookShelf("Kranten");
    EXPECT_EQ(o.BookShelfs, "Bookshop,Kranten");
    EXPECT_EQ(GetSetting("BookShelfs"), "Bookshop,Kranten"); // saved at once

    AddKeyWord("sport");
    AddKeyWord("Sport");
    EXPECT_EQ(o.Keywords, "sport");
    EXPECT_EQ(o.BookShelfs, "Bookshop,Kranten");

    struct Case {
        const char* list;
        const char* name;
        const char* left;
    };
    for (const Case& c :
         {Case{"a,b", "a", "b"}, Case{"a,b", "b", "a"}, Case{"a,b,c", "B", "a,c"},
          Case{"Bookshop,Book", "Book", "Bookshop"}, Case{"Book,Bookshop", "Bookshop", "Book"}, Case{"a", "a", ""}}) {
        o.BookShelfs = c.list;
        DeleteBookShelf(c.name);
        EXPECT_EQ(o.BookShelfs, c.left) << c.list << " without " << c.name;
        EXPECT_EQ(GetSetting("BookShelfs", "?"), c.left);
    }

    o.BookShelfs = "a,b";
    const int logged = LoggedLines("DeleteBookShelf");
    DeleteBookShelf("");
    EXPECT_EQ(LoggedLines("DeleteBookShelf"), logged);
    DeleteBookShelf("Bookshop"); // not there: unchanged, and logged
    EXPECT_EQ(o.BookShelfs, "a,b");
    EXPECT_EQ(LoggedLines("DeleteBookShelf"), logged + 1);
}

TEST_F(OptionsTest, AValueOfTheWrongFormIsLoggedAndTheOtherKeysAreStillRead)
{
    Options& o = Opts();
    int logged = LoggedLines("LoadSettings");

    // An index outside its list and text where a number belongs, early on.
    writeStore("ShowWordCount=yes\nAutoArchive=2\nCopyToLibrary=1\nSortField=9\nLibraryLocation=/x\n"
               "Keywords=x\nFontSize=huge\nPersonalInterests=abc\nOverRuleCss=1\n");
    Scramble(o);
    LoadSettings();
    EXPECT_TRUE(o.ShowWordCount);
    EXPECT_EQ(o.SortField, SortTitle);
    EXPECT_EQ(o.FontSize, "14");
    EXPECT_EQ(o.AutoArchive, PersonalArchive);
    EXPECT_TRUE(o.CopyToLibrary);
    EXPECT_EQ(o.LibraryLocation, "/x");
    EXPECT_EQ(o.Keywords, "x");
    EXPECT_EQ(o.PersonalInterests, "abc");
    EXPECT_TRUE(o.OverRuleCss);
    EXPECT_EQ(LoggedLines("LoadSettings"), logged += 3);
    const QString log = QString::fromUtf8(TestHome::ReadFile(AppPaths::ErrorLogPath()));
    EXPECT_TRUE(log.contains(",General settings: ShowWordCount,13,")) << log.toStdString();
    EXPECT_TRUE(log.contains(",Library settings: SortField,9,")) << log.toStdString();
    EXPECT_TRUE(log.contains(",User Mark Up Preferences: FontSize,13,")) << log.toStdString();

    // Saving writes back what could not be read until its option changes.
    o.PersonalInterests = "fietsbrug";
    SaveOptions();
    EXPECT_EQ(GetSetting("ShowWordCount"), "yes");
    EXPECT_EQ(GetSetting("SortField"), "9");
    EXPECT_EQ(GetSetting("FontSize"), "huge");
    EXPECT_EQ(GetSetting("PersonalInterests"), "fietsbrug");
    o.SortField = SortLastRead;
    SaveOptions();
    EXPECT_EQ(GetSetting("SortField"), "3");
    EXPECT_EQ(GetSetting("FontSize"), "huge");

    // Numbers are whole 16-bit values: a fraction is rounded, a larger value overflows.
    writeStore("StartAtLastReadPosition=1.6\nBookmarkColor=70000\nFoundColor=3\n");
    LoadSettings();
    EXPECT_EQ(o.OpenDocument, StartAtLastRead);
    EXPECT_EQ(o.BookmarkColorIndex, 2);
    EXPECT_EQ(o.FoundColorIndex, 3);
    EXPECT_EQ(LoggedLines("LoadSettings"), ++logged);
    EXPECT_TRUE(LastLogLine().contains(",Mark Up settings: BookmarkColor,6,")) << LastLogLine().toStdString();
    EXPECT_TRUE(m_prompter.questions().empty());
}

TEST_F(OptionsTest, AGrayedCheckBoxCountsAsChecked)
{
    const int logged = LoggedLines("LoadSettings");
    writeStore("ShowLibraryAtStartUp=2\nShowWordCount=0\nCopyToLibrary=2\n");
    LoadSettings();
    EXPECT_TRUE(Opts().ShowLibraryAtStartUp);
    EXPECT_FALSE(Opts().ShowWordCount);
    EXPECT_TRUE(Opts().CopyToLibrary);
    EXPECT_EQ(LoggedLines("LoadSettings"), logged);
    // Saved unchanged, it stays grayed; changed, it is 0 or 1.
    Opts().CopyToLibrary = false;
    SaveOptions();
    EXPECT_EQ(GetSetting("ShowLibraryAtStartUp"), "2");
    EXPECT_EQ(GetSetting("CopyToLibrary"), "0");
}

TEST_F(OptionsTest, AMissingLanguageFileFallsBackToTheDutchTextsWithAMessage)
{
    LoadLang("English");
    writeStore("Language=Klingon\nFontSize=22\n");
    LoadSettings();
    EXPECT_EQ(CurrentLanguage(), "Nederlands");
    EXPECT_EQ(Opts().Language, "Klingon") << "kept, so that putting the file back brings it back";
    EXPECT_EQ(Opts().FontSize, "22");
    ASSERT_EQ(m_prompter.questions().size(), 1u);
    EXPECT_EQ(m_prompter.questions()[0].text, T(1852, "Klingon"));
    EXPECT_EQ(m_prompter.questions()[0].icon, PromptIcon::Exclamation);
    SaveOptions();
    EXPECT_EQ(GetSetting("Language"), "Klingon");
}

TEST_F(OptionsTest, AStoreThatCannotBeWrittenIsReportedOnceAndKeepsTheValues)
{
    Options& o = Opts();
    // A folder where the file should be: nothing can write it, not even root.
    ASSERT_TRUE(QDir().mkpath(m_file));
    o.ShowWordCount = false;
    o.BookShelfs = "Kranten";
    SaveOptions();
    AddBookShelf("Boeken");

    ASSERT_EQ(m_prompter.questions().size(), 1u);
    EXPECT_EQ(m_prompter.questions()[0].icon, PromptIcon::Critical);
    EXPECT_TRUE(m_prompter.questions()[0].text.contains(m_file));
    EXPECT_FALSE(o.ShowWordCount);
    EXPECT_EQ(o.BookShelfs, "Kranten,Boeken");
    EXPECT_GE(LoggedLines("SettingsStore::Sync"), 2);

    ASSERT_TRUE(QDir(m_file).removeRecursively());
}

} // namespace
