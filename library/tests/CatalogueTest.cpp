#include "library/frmLibrary.h"

#include "app/core/AppPaths.h"
#include "library/LibraryDates.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"
#include "tests/support/EmptyLibrary.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Kind = ScriptedPrompter::Question::Kind;

QByteArray Catalogue(const QString& documents)
{
    return ("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<library>" + documents + "</library>\r\n").toUtf8();
}

QString Doc(const QString& id, const QString& location, const QString& shelf = {}, const QString& times = "1",
            const QString& last = "2026-01-01T10:00:00", const QString& title = {})
{
    return QStringLiteral(
               "<document id=\"%1\" date=\"2026-01-01T09:00:00\"><title>%5</title><location>%2</location>"
               "<bookshelf>%3</bookshelf><lastopened>%6</lastopened><timesopened>%4</timesopened></document>")
        .arg(id.toHtmlEscaped(), location.toHtmlEscaped(), shelf.toHtmlEscaped(), times,
             title.isEmpty() ? QStringLiteral("Title ") + id.toHtmlEscaped() : title.toHtmlEscaped(), last);
}

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState(StoredSettings::Clear);
        LoadLang(QStringLiteral("English"));
        ForgetLibrary();
        ASSERT_TRUE(m_dir.isValid());
        m_root = QFileInfo(m_dir.path()).canonicalFilePath();
        m_folder = m_root + QStringLiteral("/My Library");
        QDir().mkpath(m_folder);
        Opts().LibraryLocation = Opts().LibraryLocationText = m_folder;
        Library().Mounts = [] { return std::vector<MountEntry>{{QStringLiteral("/"), "ext4", "8:1", false}}; };
        // The folder scan opens a file by cataloguing it under its file name.
        Library().OpenAddOnly = [this](const QString& path) -> std::optional<std::array<QString, 8>> {
            m_opened.append(path);
            if (m_unreadable.contains(QFileInfo(path).fileName()))
                return std::nullopt;
            QString shelf = QStringLiteral("Krant");
            const QString id = QFileInfo(path).fileName();
            Library().AddLibraryItem(id, QStringLiteral("Title ") + id, path, shelf, true);
            return std::array<QString, 8>{id, QStringLiteral("Title ") + id};
        };
    }
    void TearDown() override
    {
        Library().OpenAddOnly = nullptr;
        Library().Mounts = nullptr;
        Library().Unload();
    }

    QString InLibrary(const QString& name, const QByteArray& bytes = "<krant/>")
    {
        const QString path = m_folder + QLatin1Char('/') + name;
        TestHome::WriteFile(path, bytes);
        return path;
    }
    QString Outside(const QString& name)
    {
        const QString path = m_root + QStringLiteral("/elsewhere/") + name;
        TestHome::WriteFile(path, "<krant/>");
        return path;
    }

    QTemporaryDir m_dir;
    QString m_root;
    QString m_folder;
    QStringList m_opened;
    QStringList m_unreadable;
    ScriptedPrompter prompter;
};

TEST_F(CatalogueTest, FirstStartMakesTheFileAndOffersTheHandledFilesOfTheFolder)
{
    InLibrary(QStringLiteral("krant.xml"));
    InLibrary(QStringLiteral("boek.ZIP"));
    InLibrary(QStringLiteral("notes.txt"));
    QDir().mkpath(m_folder + QStringLiteral("/sub.xml"));
    prompter.answer(PromptAnswer::Ok);
    ASSERT_TRUE(Library().LoadLibrary());
    EXPECT_TRUE(QFileInfo::exists(frmLibrary::LibraryPath()));
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1217, QStringLiteral("2")));
    EXPECT_EQ(prompter.questions()[0].title, SetLangTxt(1218));
    EXPECT_EQ(m_opened, QStringList({m_folder + "/boek.ZIP", m_folder + "/krant.xml"}));

    const auto entry = Library().FindEntry(QStringLiteral("krant.xml"));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->timesopened, QStringLiteral("0"));
    EXPECT_TRUE(entry->lastopened.isEmpty());
    EXPECT_TRUE(entry->bookshelf.isEmpty());
    EXPECT_TRUE(ParseLibraryDate(entry->date).isValid());

    // Catalogued now, so the next start asks nothing.
    prompter.clear();
    m_opened.clear();
    ASSERT_TRUE(Library().LoadLibrary());
    EXPECT_TRUE(prompter.questions().empty());
    EXPECT_TRUE(m_opened.isEmpty());
}

TEST_F(CatalogueTest, CancelAddsNothingAndFailuresAreToldOnce)
{
    InLibrary(QStringLiteral("a.xml"));
    InLibrary(QStringLiteral("b.xml"));
    InLibrary(QStringLiteral("c.xml"));
    prompter.answer(PromptAnswer::Cancel);
    ASSERT_TRUE(Library().LoadLibrary());
    EXPECT_TRUE(Library().Entries().empty());

    prompter.clear();
    m_unreadable = {QStringLiteral("a.xml"), QStringLiteral("c.xml")};
    prompter.answer(PromptAnswer::Ok);
    ASSERT_TRUE(Library().LoadLibrary());
    ASSERT_EQ(prompter.questions().size(), 2u);
    EXPECT_EQ(prompter.questions()[1].text, SetLangTxt(1219, QStringLiteral("a.xml\r\nc.xml")));
    EXPECT_EQ(Library().Entries().size(), 1u);
}

TEST_F(CatalogueTest, MissingFilesOnAFixedDiskGoWithOneMessageOthersStay)
{
    const QString kept = InLibrary(QStringLiteral("kept.xml"));
    const QString gone1 = m_root + QStringLiteral("/elsewhere/gone1.xml");
    const QString gone2 = m_folder + QStringLiteral("/gone2.xml");
    // A loop of links cannot be read, but that is no proof the document is gone.
    QFile::link(m_root + QStringLiteral("/loopA"), m_root + QStringLiteral("/loopB"));
    QFile::link(m_root + QStringLiteral("/loopB"), m_root + QStringLiteral("/loopA"));
    TestHome::WriteFile(frmLibrary::LibraryPath(),
                        Catalogue(Doc("k", kept) + Doc("g1", gone1) + Doc("usb", "/mnt/usb/krant.xml") +
                                  Doc("g2", gone2) + Doc("loop", m_root + "/loopA") + Doc("rel", "kranten/a.xml")));
    ASSERT_TRUE(Library().LoadLibrary());
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].title, SetLangTxt(1213));
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1214, gone1 + QStringLiteral("\r\n") + gone2));
    QStringList ids;
    for (const LibraryEntry& e : Library().Entries())
        ids << e.id;
    EXPECT_EQ(ids, QStringList({"k", "usb", "loop", "rel"}));
    // Saved: a fresh load sees the same.
    Library().Unload();
    prompter.clear();
    ASSERT_TRUE(Library().LoadLibrary());
    EXPECT_TRUE(prompter.questions().empty());
    EXPECT_EQ(Library().Entries().size(), 4u);
}

TEST_F(CatalogueTest, EntriesInAMissingLibraryFolderWaitForTheirDisk)
{
    Opts().LibraryLocation = m_root + QStringLiteral("/Unplugged");
    TestHome::WriteFile(frmLibrary::LibraryPath(), Catalogue(Doc("u", m_root + "/Unplugged/krant.xml")));
    ASSERT_TRUE(Library().LoadLibrary());
    EXPECT_TRUE(prompter.questions().empty());
    EXPECT_TRUE(Library().FindEntry(QStringLiteral("u")));
}

TEST_F(CatalogueTest, ACatalogedFileUnderAnotherSpellingIsNotNew)
{
    const QString real = InLibrary(QStringLiteral("krant.xml"));
    ASSERT_TRUE(QFile::link(real, m_folder + QStringLiteral("/link.xml")));
    TestHome::WriteFile(frmLibrary::LibraryPath(), Catalogue(Doc("k", m_folder + "/./krant.xml", "Mijn plank", "3")));
    ASSERT_TRUE(Library().LoadLibrary());
    EXPECT_TRUE(prompter.questions().empty());
    const auto e = Library().FindEntry(QStringLiteral("k"));
    ASSERT_TRUE(e);
    EXPECT_EQ(e->timesopened, QStringLiteral("3"));
    EXPECT_EQ(e->bookshelf, QStringLiteral("Mijn plank"));
}

TEST_F(CatalogueTest, ReopeningCountsKeepsTheReadersShelfAndTheFirstTitle)
{
    ASSERT_TRUE(Library().LoadLibrary());
    const QString first = Outside(QStringLiteral("krant.xml"));
    QString type = QStringLiteral("Krant");
    ASSERT_TRUE(Library().AddLibraryItem("k", "First title", first, type, false));
    ASSERT_TRUE(Library().SetBookShelf("k", "Favourites"));
    auto e = Library().FindEntry("k");
    EXPECT_EQ(e->timesopened, QStringLiteral("1")) << "a change of shelf is not an opening";

    const QString second = Outside(QStringLiteral("krant-copy.xml"));
    ASSERT_TRUE(Library().AddLibraryItem("k", "Second title", second, type, false));
    e = Library().FindEntry("k");
    EXPECT_EQ(e->timesopened, QStringLiteral("2"));
    EXPECT_EQ(e->bookshelf, QStringLiteral("Favourites"));
    EXPECT_EQ(e->title, QStringLiteral("First title"));
    EXPECT_EQ(e->location, first) << "the stored file is still there";
    EXPECT_TRUE(ParseLibraryDate(e->lastopened).isValid());

    // An add-only open of a known document is no opening; once the stored
    // file is gone the document has moved to where it was found.
    QFile::remove(first);
    QString shelf = type;
    ASSERT_TRUE(Library().AddLibraryItem("k", "Second title", second, shelf, true));
    EXPECT_TRUE(shelf.isEmpty());
    e = Library().FindEntry("k");
    EXPECT_EQ(e->timesopened, QStringLiteral("2"));
    EXPECT_EQ(e->location, second);
    EXPECT_EQ(e->bookshelf, QStringLiteral("Favourites"));
}

TEST_F(CatalogueTest, CountsBeyondSixteenBitsAndRelativePaths)
{
    TestHome::WriteFile(frmLibrary::LibraryPath(), Catalogue(Doc("big", "/mnt/x.xml", {}, "32767")));
    ASSERT_TRUE(Library().LoadLibrary());
    ASSERT_TRUE(Library().UpdateLibraryItem("big"));
    EXPECT_EQ(Library().FindEntry("big")->timesopened, QStringLiteral("32768"));
    QString shelf;
    ASSERT_TRUE(Library().AddLibraryItem("rel", "Rel", "sub/../krant.xml", shelf, false));
    EXPECT_EQ(Library().FindEntry("rel")->location, QDir::current().absoluteFilePath("krant.xml"));
}

TEST_F(CatalogueTest, AnApostropheInAnIdOrShelfIsJustAText)
{
    ASSERT_TRUE(Library().LoadLibrary());
    const QString id = QStringLiteral("O'Brien's \"krant\"");
    QString shelf = QStringLiteral("Rock 'n' roll");
    const QString path = Outside("o.xml");
    ASSERT_TRUE(Library().AddLibraryItem(id, "Title", path, shelf, false));
    ASSERT_TRUE(Library().AddLibraryItem(id, "Title", path, shelf, false));
    QString other = QString();
    ASSERT_TRUE(Library().AddLibraryItem("x' or '1'='1", "Other", Outside("x.xml"), other, false));
    EXPECT_EQ(Library().FindEntry(id)->timesopened, QStringLiteral("2"));
    EXPECT_EQ(Library().Entries().size(), 2u);
    EXPECT_EQ(Library().CountBookShelfUsage(shelf), 1);
    ASSERT_TRUE(Library().DeleteLibraryItem(id));
    EXPECT_FALSE(Library().FindEntry(id));
    EXPECT_FALSE(Library().DeleteLibraryItem(id)) << "nothing left to remove";
}

TEST_F(CatalogueTest, ACorruptCatalogueIsToldOnceAndNeverWrittenOver)
{
    const QByteArray broken = "<?xml version=\"1.0\"?>\n<library><document id=\"a\"><title>x</titel></library>";
    TestHome::WriteFile(frmLibrary::LibraryPath(), broken);
    EXPECT_FALSE(Library().LoadLibrary());
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].icon, PromptIcon::Critical);
    EXPECT_TRUE(prompter.questions()[0].text.contains(frmLibrary::LibraryPath()));
    QString shelf;
    EXPECT_FALSE(Library().AddLibraryItem("new", "New", Outside("n.xml"), shelf, false));
    EXPECT_FALSE(Library().DeleteLibraryItem("a"));
    Library().BuildLibrary(0, false, false);
    EXPECT_EQ(Library().LibraryRows, 0);
    EXPECT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(TestHome::ReadFile(frmLibrary::LibraryPath()), broken);
}

TEST_F(CatalogueTest, TheTableSortsCountsAsNumbersAndDatesAsDates)
{
    const QString shortForm =
        QLocale::system().toString(QDateTime(QDate(2026, 2, 1), QTime(8, 0)), QLocale::ShortFormat);
    TestHome::WriteFile(frmLibrary::LibraryPath(),
                        Catalogue(Doc("nine", "/mnt/a", {}, "9", "2026-01-10T10:00:00") +
                                  Doc("ten", "/mnt/b", {}, "10", "2025-12-31T23:00:00") +
                                  Doc("old", "/mnt/c", {}, "2", shortForm) + Doc("never", "/mnt/d", {}, "0", "")));
    ASSERT_TRUE(Library().LoadLibrary());
    auto ids = [](const VariantTable& t, int rows) {
        QStringList out;
        for (int r = 0; r < rows; ++r)
            out << t(ColId, r).toString();
        return out;
    };
    Library().BuildLibrary(SortTimesRead, true, false);
    EXPECT_EQ(ids(Library().LibraryTable, Library().LibraryRows), QStringList({"ten", "nine", "old", "never"}));
    Library().BuildLibrary(SortLastRead, true, true);
    EXPECT_EQ(ids(Library().RecentLibraryTable, Library().RecentLibraryRows),
              QStringList({"old", "nine", "ten", "never"}));
}

TEST_F(CatalogueTest, AnEmptyCatalogueGivesOneEmptyRow)
{
    ASSERT_TRUE(Library().LoadLibrary());
    Library().BuildLibrary(0, false, false);
    EXPECT_EQ(Library().LibraryRows, 0);
    EXPECT_EQ(Library().LibraryTable.rowCount(), 1);
    EXPECT_TRUE(Library().LibraryTable(ColTitle, 0).toString().isEmpty());
}

TEST_F(CatalogueTest, ShelfNamesAreComparedWhole)
{
    EXPECT_TRUE(AddShelfName("Bookshop"));
    EXPECT_TRUE(AddShelfName("Book"));
    EXPECT_FALSE(AddShelfName("BOOK"));
    EXPECT_TRUE(AddShelfName("Papers, daily"));
    EXPECT_FALSE(AddShelfName(" "));
    EXPECT_EQ(ShelfNames(), QStringList({"Bookshop", "Book", "Papers  daily"}));
    ASSERT_TRUE(Library().LoadLibrary());
    Library().AddDocument("Krant");
    Library().AddDocument("krant");
    EXPECT_EQ(ShelfNames().last(), QStringLiteral("Krant"));
    EXPECT_EQ(ShelfNames().size(), 4);
}

TEST_F(CatalogueTest, RenamingAShelfReachesEveryEntry)
{
    TestHome::WriteFile(frmLibrary::LibraryPath(),
                        Catalogue(Doc("a", "/mnt/a", "Kranten") + Doc("b", "/mnt/b", "KRANTEN") + Doc("c", "/mnt/c")));
    ASSERT_TRUE(Library().LoadLibrary());
    Library().UpdateLibraryLocation("kranten", "Dagbladen");
    EXPECT_EQ(Library().CountBookShelfUsage("Dagbladen"), 2);
    EXPECT_EQ(Library().FindEntry("c")->bookshelf, QString());
}

TEST_F(CatalogueTest, TwoProcessesAddingAtOnceLoseNothing)
{
    ASSERT_TRUE(Library().LoadLibrary());
    QString shelf;
    ASSERT_TRUE(Library().AddLibraryItem("mine-before", "Mine", "/mnt/m.xml", shelf, false));
    QProcess a, b;
    a.start(QStringLiteral(QB_LIBRARY_WRITER), {"a", "40"});
    b.start(QStringLiteral(QB_LIBRARY_WRITER), {"b", "40"});
    ASSERT_TRUE(a.waitForFinished(120000));
    ASSERT_TRUE(b.waitForFinished(120000));
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().constData();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().constData();
    // This instance read the file before; its next change keeps theirs.
    ASSERT_TRUE(Library().AddLibraryItem("mine-after", "Mine", "/mnt/n.xml", shelf, false));
    Library().Mounts = [] { return std::vector<MountEntry>{}; };
    ASSERT_TRUE(Library().LoadLibrary());
    const auto entries = Library().Entries();
    EXPECT_EQ(entries.size(), 82u);
    EXPECT_TRUE(Library().FindEntry("a-39"));
    EXPECT_TRUE(Library().FindEntry("b-0"));
}

TEST_F(CatalogueTest, ALockLeftEmptyByAKilledWriterIsTakenOver)
{
    ASSERT_TRUE(Library().LoadLibrary());
    const QString lockPath = frmLibrary::LibraryPath() + QStringLiteral(".lock");
    ASSERT_TRUE(TestHome::WriteFile(lockPath, QByteArray()));
    QFile lock(lockPath);
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-10), QFileDevice::FileModificationTime));
    lock.close();
    QString shelf;
    EXPECT_TRUE(Library().AddLibraryItem("after", "After", "/mnt/a.xml", shelf, false));
    EXPECT_TRUE(Library().FindEntry("after"));
}

TEST_F(CatalogueTest, AChangeByAnotherInstanceIsSeenAndAnnounced)
{
    ASSERT_TRUE(Library().LoadLibrary());
    int announced = 0;
    auto c = QObject::connect(&Library(), &frmLibrary::catalogueChanged, [&] { ++announced; });
    QProcess other;
    other.start(QStringLiteral(QB_LIBRARY_WRITER), {"other", "1"});
    ASSERT_TRUE(other.waitForFinished(60000));
    Library().BuildLibrary(0, false, false);
    QCoreApplication::processEvents();
    QObject::disconnect(c);
    EXPECT_EQ(Library().LibraryRows, 1);
    EXPECT_EQ(announced, 1);
}

} // namespace
