#include "settings/modFilesFolders.h"
#include "settings/modTTFont.h"

#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FilesFoldersTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(const QString& relative) const { return m_dir.path() + QLatin1Char('/') + relative; }
    void file(const QString& relative, const QByteArray& bytes = "x")
    {
        ASSERT_TRUE(TestHome::WriteFile(path(relative), bytes));
    }

    QTemporaryDir m_dir;
};

TEST_F(FilesFoldersTest, FileExistsForFilesFoldersAndWildcards)
{
    file("book.xml");
    file("README");
    ASSERT_TRUE(QDir().mkpath(path("shelf")));

    EXPECT_TRUE(FileExists(path("book.xml")));
    EXPECT_TRUE(FileExists(path("shelf")));
    EXPECT_FALSE(FileExists(path("missing.xml")));

    EXPECT_TRUE(FileExists(path("*.xml")));
    EXPECT_TRUE(FileExists(path("b??k.*")));
    EXPECT_TRUE(FileExists(path("sh*")));
    EXPECT_FALSE(FileExists(path("*.zip")));
    EXPECT_FALSE(FileExists(path("b?k.xml")));
    EXPECT_FALSE(FileExists(path("*.XML"))); // names on Linux keep their case
    EXPECT_FALSE(FileExists(path("nowhere/*")));

    // "*.*" matches every name, also one without a dot.
    QTemporaryDir only;
    ASSERT_TRUE(TestHome::WriteFile(only.path() + "/README", "x"));
    EXPECT_TRUE(FileExists(only.path() + "/*.*"));
}

TEST_F(FilesFoldersTest, ReadWholeFileDecodesUtf8OrWindows1252)
{
    file("utf8.txt", "caf\xC3\xA9 \xE2\x82\xAC\r\n");
    EXPECT_EQ(ReadWholeFile(path("utf8.txt")), QString::fromUtf8("café €\r\n"));

    file("bom.txt", "\xEF\xBB\xBFok");
    EXPECT_EQ(ReadWholeFile(path("bom.txt")), "ok");

    // Not valid UTF-8: every byte is a Windows-1252 character, 0x80..0x9F included.
    file("ansi.txt", QByteArray("\x80 caf\xE9 \x92\x9F\x81", 10));
    EXPECT_EQ(ReadWholeFile(path("ansi.txt")), QString::fromUtf8("€ café ’Ÿ\xC2\x81"));

    // One broken sequence is enough to read the whole file as Windows-1252.
    file("mixed.txt", "\xC3\xA9 \xE9");
    EXPECT_EQ(ReadWholeFile(path("mixed.txt")), QString::fromUtf8("Ã© é"));

    EXPECT_EQ(ReadWholeFile(path("missing.txt")), "");
    EXPECT_EQ(ReadWholeFile(m_dir.path()), "");
}

TEST(TextLines, SplitAtCrLfOrLfKeepingTheLastLine)
{
    EXPECT_EQ(SplitLines("a\r\nb\nc"), QStringList({"a", "b", "c"}));
    EXPECT_EQ(SplitLines("a\r\n"), QStringList({"a"}));
    EXPECT_EQ(SplitLines("a\n\nb\n"), QStringList({"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\rb"), QStringList({"a\rb"}));
    EXPECT_TRUE(SplitLines("").isEmpty());
}

TEST(PathText, ParseDirCutsTheLastComponent)
{
    EXPECT_EQ(ParseDir("/home/reader/book.xml"), "/home/reader");
    EXPECT_EQ(ParseDir("/home"), "/");
    EXPECT_EQ(ParseDir("/"), "/");
    EXPECT_EQ(ParseDir("book.xml"), "book.xml");
    EXPECT_EQ(ParseDir("a/b/"), "a/b");
}

TEST(PathText, NulSeparatedItems)
{
    const QChar nul(0);
    EXPECT_EQ(StripAtNull(QString("abc") + nul + "def"), "abc");
    EXPECT_EQ(StripAtNull("abc"), "abc");

    QString list = QString("one") + nul + nul + "three" + nul + "rest";
    EXPECT_EQ(NextNullItem(list), "one");
    EXPECT_EQ(NextNullItem(list), "");
    EXPECT_EQ(list, QString("three") + nul + "rest");
    EXPECT_EQ(NextNullItem(list), "three");
    EXPECT_EQ(NextNullItem(list), ""); // no NUL left: nothing taken
    EXPECT_EQ(list, "rest");
}

TEST_F(FilesFoldersTest, GetLongFileNameGivesTheCanonicalPath)
{
    file("Shelf/Book.xml");
    ASSERT_TRUE(QFile::link(path("Shelf"), path("link")));
    const QString canonical = QDir(m_dir.path()).canonicalPath() + "/Shelf/Book.xml";

    EXPECT_EQ(GetLongFileName(path("Shelf/Book.xml")), canonical);
    EXPECT_EQ(GetLongFileName(path("Shelf/./../Shelf//Book.xml")), canonical);
    EXPECT_EQ(GetLongFileName(path("link/Book.xml")), canonical);
    EXPECT_EQ(GetLongFileName(path("shelf/book.xml")), ""); // the letter case must match on Linux
    EXPECT_EQ(GetLongFileName(path("Shelf/Missing.xml")), "");
}

TEST_F(FilesFoldersTest, ListSubfoldersNamesFoldersOnlySortedByName)
{
    for (const char* folder : {"beta", "Alpha", ".hidden", "gamma/inner"})
        ASSERT_TRUE(QDir().mkpath(path(folder)));
    file("a-file.txt");
    EXPECT_EQ(ListSubfolders(m_dir.path()), ".hidden;Alpha;beta;gamma");
    EXPECT_EQ(ListSubfolders(path("gamma/inner")), "");
    EXPECT_EQ(ListSubfolders(path("missing")), "");
}

TEST(SpecialFolders, DocumentsAndUnknown)
{
    EXPECT_EQ(GetSpecialFolder(5), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    EXPECT_EQ(GetSpecialFolder(999), "");
}

TEST(Drives, FixedDisksAreLocalVolumesWithLabels)
{
    const QStringList all = GetDrives("ALL").split(';', Qt::SkipEmptyParts);
    const QStringList fixed = GetDrives("3").split(';', Qt::SkipEmptyParts);
    ASSERT_FALSE(all.isEmpty());
    for (const QString& root : fixed) {
        EXPECT_TRUE(all.contains(root)) << root.toStdString();
        EXPECT_FALSE(root.startsWith("/media/") || root.startsWith("/mnt/") || root.startsWith("/run/media/"));
    }
    for (const QString& root : all) {
        EXPECT_TRUE(root.startsWith('/')) << root.toStdString();
        const QString label = GetVolumeLabel(root);
        EXPECT_TRUE(label.startsWith('[') && label.endsWith(']')) << root.toStdString() << label.toStdString();
    }
    EXPECT_EQ(GetDrives("network"), "");
    EXPECT_EQ(GetVolumeLabel("/no/such/volume"), "");
}

// A one-glyph bitmap font: the font database offers it, but it is not scalable.
const char kBitmapFont[] = "STARTFONT 2.1\n"
                           "FONT -misc-QbBitmapOnly-medium-r-normal--8-80-75-75-c-80-iso10646-1\n"
                           "SIZE 8 75 75\nFONTBOUNDINGBOX 8 8 0 0\n"
                           "STARTPROPERTIES 3\nFAMILY_NAME \"QbBitmapOnly\"\nFONT_ASCENT 8\nFONT_DESCENT 0\n"
                           "ENDPROPERTIES\nCHARS 1\n"
                           "STARTCHAR A\nENCODING 65\nSWIDTH 500 0\nDWIDTH 8 0\nBBX 8 8 0 0\nBITMAP\n"
                           "FF\n81\n81\n81\n81\n81\n81\nFF\nENDCHAR\nENDFONT\n";

TEST(Fonts, ListsScalableFamiliesOnlyAndOffersTheFirstEntry)
{
    ScriptedPrompter prompter;
    ASSERT_GE(QFontDatabase::addApplicationFontFromData(QByteArray(kBitmapFont)), 0);
    ASSERT_TRUE(QFontDatabase::families().contains("QbBitmapOnly"));

    QStringList list = {"stale entry"};
    QString first = "stale";
    ASSERT_TRUE(FillFontList(list, true, &first));
    EXPECT_FALSE(list.isEmpty());
    EXPECT_FALSE(list.contains("stale entry"));
    EXPECT_FALSE(list.contains("QbBitmapOnly"));
    for (const QString& family : list) {
        EXPECT_FALSE(family.isEmpty());
        EXPECT_TRUE(QFontDatabase::isScalable(family)) << family.toStdString();
    }
    EXPECT_EQ(first, list.value(0));
    EXPECT_TRUE(prompter.questions().empty());
}

} // namespace
