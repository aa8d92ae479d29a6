#include "library/OpenBookList.h"
#include "library/DocumentRemoval.h"
#include "library/LibraryDates.h"
#include "library/frmLibrary.h"

#include "app/core/AppPaths.h"
#include "app/core/DocumentFiles.h"
#include "app/core/RunState.h"
#include "settings/Options.h"
#include "tests/support/EmptyLibrary.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using K = OpenBookEntryKind;

// Rows of title, shelf and last-opened milliseconds (0: never).
VariantTable Table(const std::vector<std::tuple<QString, QString, qint64>>& rows)
{
    VariantTable t(0, 6, 0, qMax<int>(int(rows.size()), 1) - 1);
    for (int r = 0; r < int(rows.size()); ++r) {
        const auto& [title, shelf, last] = rows[size_t(r)];
        t(ColTitle, r) = title;
        t(ColLocation, r) = QStringLiteral("/lib/") + title;
        t(ColBookshelf, r) = shelf;
        if (last)
            t(ColLastOpened, r) = last;
        t(ColId, r) = QStringLiteral("id-") + title;
    }
    return t;
}

QStringList Texts(const std::vector<OpenBookEntry>& entries)
{
    QStringList out;
    for (const auto& e : entries)
        out << e.text;
    return out;
}

const qint64 kWhen = *LibraryDateKey(QStringLiteral("2026-05-04T09:30:00"));

TEST(OpenBookList, GroupedTopLevelShowsShelvesInTableOrderThenLooseDocuments)
{
    const VariantTable t = Table({{"[Draft] notes", "", 0},
                                  {"Monday", "Kranten", kWhen},
                                  {"Novel", "Boeken", 0},
                                  {"Tuesday", "Kranten", 0},
                                  {"Loose", "", kWhen}});
    const auto entries = BuildOpenBookEntries(t, 5, true, {}, "never", "Up", "Empty");
    const QString when = LibraryDateCellText(kWhen);
    EXPECT_EQ(Texts(entries), QStringList({"[Kranten]", "[Boeken]", "[Draft] notes (never)", "Loose (" + when + ")"}));
    EXPECT_EQ(entries[0].kind, K::Shelf);
    EXPECT_EQ(entries[0].shelf, QStringLiteral("Kranten"));
    // A title in square brackets is still a document.
    EXPECT_EQ(entries[2].kind, K::Document);
    EXPECT_EQ(entries[2].row, 0);
    EXPECT_EQ(entries[3].row, 4);
}

TEST(OpenBookList, InsideAShelfTheUpEntryComesFirst)
{
    const VariantTable t = Table({{"Monday", "Kranten", 0}, {"Novel", "Boeken", 0}, {"Tuesday", "Kranten", 0}});
    const auto entries = BuildOpenBookEntries(t, 3, true, "Kranten", "never", "Up", "Empty");
    EXPECT_EQ(Texts(entries), QStringList({"[Up]", "Monday (never)", "Tuesday (never)"}));
    EXPECT_EQ(entries[0].kind, K::Up);
    EXPECT_EQ(entries[2].row, 2);
}

TEST(OpenBookList, FlatListsEveryRowAndAnEmptyOneGetsThePlaceholder)
{
    // An empty title does not end the list; the row count does.
    const VariantTable t = Table({{"A", "Kranten", 0}, {"", "", 0}, {"C", "", 0}});
    EXPECT_EQ(Texts(BuildOpenBookEntries(t, 3, false, {}, "n", "Up", "Empty")),
              QStringList({"A (n)", " (n)", "C (n)"}));
    const auto empty = BuildOpenBookEntries(Table({}), 0, true, {}, "n", "Up", "Empty");
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty[0].kind, K::Placeholder);
    EXPECT_EQ(empty[0].text, QStringLiteral("Empty"));
}

TEST(OpenBookList, AGroupedListHasNoLimitOfAHundred)
{
    std::vector<std::tuple<QString, QString, qint64>> rows;
    for (int i = 0; i < 150; ++i)
        rows.emplace_back(QStringLiteral("Doc %1").arg(i), i % 2 ? QStringLiteral("Odd") : QString(), 0);
    const VariantTable t = Table(rows);
    EXPECT_EQ(BuildOpenBookEntries(t, 150, true, {}, "n", "Up", "E").size(), 1u + 75u);
    const auto odd = BuildOpenBookEntries(t, 150, true, "Odd", "n", "Up", "E");
    EXPECT_EQ(odd.size(), 1u + 75u);
    EXPECT_EQ(odd.back().row, 149);
}

TEST(RecentList, FourAtMostNumberedWithTheirAmpersandsKept)
{
    const VariantTable t =
        Table({{"Rock & roll", "", 0}, {"B", "", 0}, {"C", "", 0}, {"D", "", 0}, {"E", "", 0}, {"F", "", 0}});
    const auto recent = RecentDocuments(t, 6);
    ASSERT_EQ(recent.size(), 4u);
    EXPECT_EQ(recent[0].caption, QStringLiteral("&1 Rock && roll"));
    EXPECT_EQ(recent[0].title, QStringLiteral("Rock & roll"));
    EXPECT_EQ(recent[3].caption, QStringLiteral("&4 D"));
    EXPECT_EQ(recent[1].location, QStringLiteral("/lib/B"));
    EXPECT_EQ(recent[1].id, QStringLiteral("id-B"));
    EXPECT_TRUE(RecentDocuments(Table({}), 0).empty());
}

class RemovalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState(StoredSettings::Clear);
        ForgetLibrary();
        ASSERT_TRUE(m_dir.isValid());
        m_root = QFileInfo(m_dir.path()).canonicalFilePath();
        Opts().LibraryLocation = m_root + QStringLiteral("/lib");
        QDir().mkpath(Opts().LibraryLocation);
        Library().Mounts = [] { return std::vector<MountEntry>{}; };
        ASSERT_TRUE(Library().LoadLibrary());
    }
    void TearDown() override
    {
        Library().Mounts = nullptr;
        Library().Unload();
    }
    void Add(const QString& id, const QString& path)
    {
        TestHome::WriteFile(path, "<krant/>");
        QString shelf;
        ASSERT_TRUE(Library().AddLibraryItem(id, "T", path, shelf, false));
        TestHome::WriteFile(UsageFilePathFor(id), "<duf/>");
    }
    QTemporaryDir m_dir;
    QString m_root;
    ScriptedPrompter prompter;
};

TEST_F(RemovalTest, TheFileGoesOnlyFromInsideTheLibraryAndTheUsageFileStaysInItsFolder)
{
    const QString inside = m_root + "/lib/a.xml";
    const QString outside = m_root + "/lib2/b.xml";
    Add("a", inside);
    Add("../b", outside);
    const QString escaped = AppPaths::DufDir() + "/../b.duf";
    TestHome::WriteFile(escaped, "<not ours/>");

    EXPECT_EQ(RemoveCataloguedDocument("a", inside), RemovalResult::Removed);
    EXPECT_FALSE(QFileInfo::exists(inside));
    EXPECT_FALSE(QFileInfo::exists(UsageFilePathFor("a")));
    EXPECT_FALSE(Library().FindEntry("a"));

    const QString usage = UsageFilePathFor("../b");
    EXPECT_TRUE(usage.startsWith(AppPaths::DufDir() + "/"));
    EXPECT_FALSE(usage.mid(AppPaths::DufDir().size() + 1).contains('/'));
    EXPECT_EQ(RemoveCataloguedDocument("../b", outside), RemovalResult::Removed);
    EXPECT_TRUE(QFileInfo::exists(outside)) << "a file outside the library is the reader's own";
    EXPECT_FALSE(QFileInfo::exists(usage));
    EXPECT_TRUE(QFileInfo::exists(escaped));
}

TEST_F(RemovalTest, TheOpenDocumentIsRefused)
{
    const QString inside = m_root + "/lib/open.xml";
    Add("open", inside);
    ::Run().DocumentOpen = true;
    ::Run().DocumentId = QStringLiteral("open");
    EXPECT_EQ(RemoveCataloguedDocument("open", inside), RemovalResult::DocumentOpen);
    EXPECT_TRUE(QFileInfo::exists(inside));
    EXPECT_TRUE(Library().FindEntry("open"));
    EXPECT_EQ(RemoveCataloguedDocument("unknown", inside), RemovalResult::Failed);
    EXPECT_TRUE(QFileInfo::exists(inside));
}

TEST(DocumentFiles, UsageFileNamesAreOneToOneAndStayInTheirFolder)
{
    const QString dir = AppPaths::DufDir() + QLatin1Char('/');
    EXPECT_EQ(UsageFilePathFor("krant-2026.01_a"), dir + "krant-2026.01_a.duf");
    EXPECT_EQ(UsageFilePathFor(".."), dir + "%2E..duf");
    EXPECT_NE(UsageFilePathFor("a/b"), UsageFilePathFor("a%2Fb"));
    EXPECT_NE(UsageFilePathFor("a~"), UsageFilePathFor("a%7E"));
    EXPECT_EQ(UsageFilePathFor("O'Brien"), dir + "O%27Brien.duf");
}

} // namespace
