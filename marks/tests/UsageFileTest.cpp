// The usage file on disk: made from the template, read, changed under its
// lock by more than one program, and never written over when damaged.
#include "marks/UsageFile.h"

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "package/modXML.h"
#include "render/StyleSheetChoice.h"
#include "tests/support/FreshState.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <gtest/gtest.h>

namespace {

class UsageFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState(StoredSettings::Clear);
        path = AppPaths::DufDir() + QStringLiteral("/paper-0412.duf");
        templatePath = AppPaths::DefaultDir() + QStringLiteral("/default.duf");
    }
    void TearDown() override { QDir(AppPaths::DufDir()).removeRecursively(); }

    static QString errorLog() { return QString::fromUtf8(TestHome::ReadFile(AppPaths::ErrorLogPath())); }
    QStringList folderEntries() const
    {
        return QDir(AppPaths::DufDir()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    // A user bookmark with the next free id, as the bookmark dialog will add one.
    static void addUserBookmark(DomNode& root, const QString& title)
    {
        DomDocument doc = root.ownerDocument();
        const QString id = getNewId(doc.asNode(), QStringLiteral("bookmark"));
        DomNode bookmark = root.appendChild(doc.createElement(QStringLiteral("bookmark")));
        bookmark.setAttribute(QStringLiteral("id"), id);
        bookmark.setAttribute(QStringLiteral("type"), QStringLiteral("user"));
        bookmark.appendChild(doc.createElement(QStringLiteral("bmk-descriptivetitle"))).setText(title);
    }
    static QStringList userBookmarks(const UsageFile& file)
    {
        QStringList out;
        for (const DomNode& b : file.document()->getElementsByTagName(QStringLiteral("bookmark"))) {
            if (b.getAttribute(QStringLiteral("type")) == QLatin1String("user"))
                out << b.getAttribute(QStringLiteral("id")) + QLatin1Char(':') + b.text();
        }
        return out;
    }

    QString path;
    QString templatePath;
};

TEST_F(UsageFileTest, ANewFileIsAByteCopyOfTheTemplateAndReopeningLeavesItAlone)
{
    UsageFile file;
    EXPECT_EQ(file.Open(path, templatePath).result, UsageFile::Opening::Created);
    const QByteArray shipped = TestHome::ReadFile(templatePath);
    ASSERT_FALSE(shipped.isEmpty());
    EXPECT_EQ(TestHome::ReadFile(path), shipped);
    const QDateTime written = QFileInfo(path).lastModified();

    UsageFile again;
    EXPECT_EQ(again.Open(path, templatePath).result, UsageFile::Opening::Opened);
    EXPECT_EQ(TestHome::ReadFile(path), shipped);
    EXPECT_EQ(QFileInfo(path).lastModified(), written);
    EXPECT_EQ(again.document()->documentElement().nodeName(), QStringLiteral("usage"));
    // The shipped template's empty last-read bookmark means "never saved".
    const LastReadBookmark lastRead = again.LastRead();
    EXPECT_TRUE(lastRead.present);
    EXPECT_TRUE(lastRead.date.isEmpty());
    EXPECT_EQ(folderEntries(), QStringList({"paper-0412.duf"}));
}

TEST_F(UsageFileTest, AMissingTemplateGivesTheBuiltInFileAndALogLine)
{
    UsageFile file;
    EXPECT_EQ(file.Open(path, AppPaths::UserDir() + QStringLiteral("/nowhere.duf")).result,
              UsageFile::Opening::Created);
    EXPECT_EQ(TestHome::ReadFile(path), UsageFile::BuiltInTemplate());
    EXPECT_TRUE(errorLog().contains(QStringLiteral("nowhere.duf"))) << errorLog().toStdString();
    EXPECT_TRUE(file.SaveLastRead(QStringLiteral("5-12-2026 10:00"), QStringLiteral("00203"), QStringLiteral("17")));
}

TEST_F(UsageFileTest, ADamagedFileIsReportedAndNeitherWrittenNorDeleted)
{
    const QByteArray damaged("<?xml version=\"1.0\"?>\r\n<usage>\r\n\t<bookmark id=\"0\"\r\n");
    ASSERT_TRUE(TestHome::WriteFile(path, damaged));
    UsageFile file;
    const UsageFile::OpenOutcome outcome = file.Open(path, templatePath);
    EXPECT_EQ(outcome.result, UsageFile::Opening::Damaged);
    EXPECT_NE(outcome.errorNumber, 0);
    EXPECT_FALSE(outcome.description.isEmpty());
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(file.SaveLastRead(QStringLiteral("x"), QStringLiteral("00100"), QString()));
    EXPECT_EQ(TestHome::ReadFile(path), damaged);

    // Set aside, it is kept whole, and a fresh file takes its place.
    const QString aside = file.SetAside();
    ASSERT_FALSE(aside.isEmpty());
    EXPECT_EQ(TestHome::ReadFile(aside), damaged);
    EXPECT_FALSE(aside.endsWith(QLatin1String(".duf")));
    EXPECT_EQ(file.Open(path, templatePath).result, UsageFile::Opening::Created);
    EXPECT_EQ(TestHome::ReadFile(aside), damaged);
}

TEST_F(UsageFileTest, TwoProgramsOnOneFileKeepEachOthersChangesAndIds)
{
    UsageFile first, second;
    ASSERT_EQ(first.Open(path, templatePath).result, UsageFile::Opening::Created);
    ASSERT_EQ(second.Open(path, templatePath).result, UsageFile::Opening::Opened);

    ASSERT_TRUE(first.Change([](DomNode& root) { addUserBookmark(root, QStringLiteral("from the first")); }));
    // The second has not seen that bookmark in memory; its change reads the file first.
    ASSERT_TRUE(second.Change([](DomNode& root) { addUserBookmark(root, QStringLiteral("from the second")); }));
    ASSERT_TRUE(first.SaveLastRead(QStringLiteral("5-12-2026 10:00"), QStringLiteral("00203"), QStringLiteral("17")));

    UsageFile reader;
    ASSERT_EQ(reader.Open(path, templatePath).result, UsageFile::Opening::Opened);
    EXPECT_EQ(userBookmarks(reader), QStringList({"1:from the first", "2:from the second"}));
    EXPECT_EQ(reader.LastRead().id, QStringLiteral("00203"));
    // Refresh brings the other's change into memory without a change of one's own.
    ASSERT_TRUE(second.Refresh());
    EXPECT_EQ(second.LastRead().position, QStringLiteral("17"));
    EXPECT_EQ(folderEntries(), QStringList({"paper-0412.duf"}));
}

TEST_F(UsageFileTest, AFileDamagedByAnotherProgramIsNotWrittenOver)
{
    UsageFile file;
    ASSERT_EQ(file.Open(path, templatePath).result, UsageFile::Opening::Created);
    const QByteArray damaged("<usage><bookmark");
    ASSERT_TRUE(TestHome::WriteFile(path + QStringLiteral(".new"), damaged));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(path + QStringLiteral(".new"), path));
    EXPECT_FALSE(file.SaveLastRead(QStringLiteral("x"), QStringLiteral("00100"), QString()));
    EXPECT_EQ(TestHome::ReadFile(path), damaged);
}

TEST_F(UsageFileTest, TheFirstOfTwoLastReadBookmarksIsKeptUpToDate)
{
    ASSERT_TRUE(TestHome::WriteFile(
        path, "<usage><bookmark id=\"0\" type=\"auto\"><bmk-date>1-1-2026 08:00</bmk-date><bmk-id>00100</bmk-id>"
              "<bmk-position/></bookmark><css>x.css</css><bookmark id=\"0\" type=\"auto\"><bmk-date>2-1-2026 "
              "08:00</bmk-date><bmk-id>00500</bmk-id><bmk-position>9</bmk-position></bookmark></usage>"));
    UsageFile file;
    ASSERT_EQ(file.Open(path, templatePath).result, UsageFile::Opening::Opened);
    EXPECT_EQ(file.LastRead().id, QStringLiteral("00100"));
    ASSERT_TRUE(file.SaveLastRead(QStringLiteral("3-1-2026 08:00"), QStringLiteral("00307"), QStringLiteral("42")));

    UsageFile reader;
    ASSERT_EQ(reader.Open(path, templatePath).result, UsageFile::Opening::Opened);
    EXPECT_EQ(reader.document()->getElementsByTagName(QStringLiteral("bookmark")).length(), 2);
    EXPECT_EQ(reader.LastRead().id, QStringLiteral("00307"));
    EXPECT_EQ(reader.LastRead().position, QStringLiteral("42"));
    EXPECT_EQ(reader.document()->getElementsByTagName(QStringLiteral("css")).item(0).text(), QStringLiteral("x.css"));

    // Not the root's first element: still the first in the file.
    ASSERT_TRUE(TestHome::WriteFile(
        path, "<usage><css>x.css</css><bookmark id=\"0\" type=\"auto\"><bmk-date>d</bmk-date><bmk-id>00200</bmk-id>"
              "</bookmark><bookmark id=\"0\" type=\"auto\"><bmk-date>e</bmk-date><bmk-id>00600</bmk-id>"
              "</bookmark></usage>"));
    UsageFile later;
    ASSERT_EQ(later.Open(path, templatePath).result, UsageFile::Opening::Opened);
    EXPECT_EQ(later.LastRead().id, QStringLiteral("00200"));
}

TEST_F(UsageFileTest, ABookmarkWithoutChildrenGetsThemAndAFileWithoutOneGetsOneAtTheEnd)
{
    ASSERT_TRUE(TestHome::WriteFile(path, "<usage><bookmark id=\"0\" type=\"auto\"/></usage>"));
    UsageFile file;
    ASSERT_EQ(file.Open(path, templatePath).result, UsageFile::Opening::Opened);
    ASSERT_TRUE(file.SaveLastRead(QStringLiteral("d"), QStringLiteral("00100"), QString()));
    DomNode bookmark = file.document()->getElementsByTagName(QStringLiteral("bookmark")).item(0);
    QStringList names;
    for (const DomNode& child : bookmark.childNodes())
        names << child.nodeName();
    EXPECT_EQ(names, QStringList({"bmk-date", "bmk-id", "bmk-position"}));

    ASSERT_TRUE(TestHome::WriteFile(path, "<usage><css>x.css</css></usage>"));
    UsageFile other;
    ASSERT_EQ(other.Open(path, templatePath).result, UsageFile::Opening::Opened);
    ASSERT_TRUE(other.SaveLastRead(QStringLiteral("d"), QStringLiteral("00100"), QStringLiteral("3")));
    const DomNode last = other.document()->documentElement().childNodes().item(1);
    EXPECT_EQ(last.nodeName(), QStringLiteral("bookmark"));
    EXPECT_EQ(last.getAttribute(QStringLiteral("id")), QStringLiteral("0"));
    EXPECT_EQ(last.getAttribute(QStringLiteral("type")), QStringLiteral("auto"));
}

TEST_F(UsageFileTest, LeftOversOfAKilledSaveAreRemovedAndNoLockStays)
{
    UsageFile file;
    ASSERT_EQ(file.Open(path, templatePath).result, UsageFile::Opening::Created);
    ASSERT_TRUE(TestHome::WriteFile(path + QStringLiteral(".Ab12Cd"), "half"));
    ASSERT_TRUE(TestHome::WriteFile(path + QStringLiteral(".damaged-20261205-100000"), "kept"));
    ASSERT_TRUE(file.SaveLastRead(QStringLiteral("d"), QStringLiteral("00100"), QString()));
    EXPECT_EQ(folderEntries(), QStringList({"paper-0412.duf", "paper-0412.duf.damaged-20261205-100000"}));
}

TEST_F(UsageFileTest, ALockLeftByAKilledProgramDoesNotBlock)
{
    UsageFile file;
    ASSERT_EQ(file.Open(path, templatePath).result, UsageFile::Opening::Created);
    // A lock file naming a process that no longer runs.
    ASSERT_TRUE(TestHome::WriteFile(path + QStringLiteral(".lock"),
                                    "999999999\nduf-writer\n" + QSysInfo::machineHostName().toUtf8() + "\n"));
    EXPECT_TRUE(file.SaveLastRead(QStringLiteral("d"), QStringLiteral("00100"), QString()));
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".lock")));
}

TEST_F(UsageFileTest, AFolderThatTakesNoLockStillLetsTheFileBeRead)
{
    UsageFile file;
    ASSERT_EQ(file.Open(path, templatePath).result, UsageFile::Opening::Created);
    QFile::setPermissions(AppPaths::DufDir(), QFile::ReadOwner | QFile::ExeOwner);
    if (QFileInfo(AppPaths::DufDir()).isWritable())
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    UsageFile reader;
    EXPECT_EQ(reader.Open(path, templatePath).result, UsageFile::Opening::Opened);
    EXPECT_FALSE(reader.SaveLastRead(QStringLiteral("d"), QStringLiteral("00100"), QString()));
    QFile::setPermissions(AppPaths::DufDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(TestHome::ReadFile(path), TestHome::ReadFile(templatePath));
}

TEST_F(UsageFileTest, TheRunStatesUsageFileIsTakenOverForAChange)
{
    RunState& rs = ::Run();
    rs.DocumentId = QStringLiteral("paper-0412");
    auto duf = std::make_shared<DomDocument>();
    ASSERT_TRUE(duf->loadXML(QStringLiteral("<usage/>")));
    rs.DufDoc = duf;
    ASSERT_TRUE(ChangeDocumentUsageFile([](DomNode& root) { addUserBookmark(root, QStringLiteral("b")); }));
    EXPECT_TRUE(TestHome::ReadFile(path).contains("bmk-descriptivetitle"));
    rs.DufDoc.reset();
    EXPECT_FALSE(ChangeDocumentUsageFile([](DomNode&) {}));
}

TEST_F(UsageFileTest, TheDocumentsStyleChoiceKeepsAnotherProgramsMarks)
{
    RunState& rs = ::Run();
    rs.DocumentId = QStringLiteral("paper-0412");
    UsageFile& mine = DocumentUsageFile();
    ASSERT_EQ(mine.Open(path, templatePath).result, UsageFile::Opening::Created);
    rs.DufDoc = mine.document();
    UsageFile other;
    ASSERT_EQ(other.Open(path, templatePath).result, UsageFile::Opening::Opened);
    ASSERT_TRUE(other.Change([](DomNode& root) { addUserBookmark(root, QStringLiteral("elders gezet")); }));

    DefaultCss(QStringLiteral("paper-0412.css"));
    UsageFile reader;
    ASSERT_EQ(reader.Open(path, templatePath).result, UsageFile::Opening::Opened);
    EXPECT_EQ(userBookmarks(reader), QStringList({"1:elders gezet"}));
    EXPECT_EQ(reader.document()->getElementsByTagName(QStringLiteral("css")).item(0).text(),
              QStringLiteral("paper-0412.css"));
    mine.Close();
}

} // namespace
