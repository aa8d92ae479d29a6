// The library from the main window: documents catalogued and archived as they
// open, File > Open through the open-book window, and the recent list.
#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "app/ui/Startup.h"
#include "library/frmLibrary.h"
#include "library/ui/frmOpenBook.h"
#include "package/Container.h"
#include "package/KeyStore.h"
#include "package/modUnzip.h"
#include "package/tests/ZipFixture.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"
#include "settings/modLanguage.h"
#include "tests/support/EmptyLibrary.h"
#include "tests/support/FreshState.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/TestHome.h"

#include <QAction>
#include <QDir>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class LibraryWindowTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PrepareForReading());
        ResetUnzipPasswordPrompt();
        QFile::remove(KeyStore::DefaultPath());
        ForgetLibrary();
        ASSERT_TRUE(m_dir.isValid());
        m_root = QFileInfo(m_dir.path()).canonicalFilePath();
        m_folder = m_root + QStringLiteral("/lib");
        QDir().mkpath(m_folder);
        Opts().LibraryLocation = Opts().LibraryLocationText = m_folder;
        Library().Mounts = [] { return std::vector<MountEntry>{}; };
        makeWindow();
        window->StartNewInstance = [this](const QString& path) { m_started << path; };
        ASSERT_TRUE(Library().LoadLibrary());
    }
    void TearDown() override
    {
        window.reset();
        Library().Mounts = nullptr;
        Library().Unload();
        MainWindowFixture::TearDown();
    }
    // The sample newspaper under another id and title.
    QString Paper(const QString& path, const QString& id, const QString& title)
    {
        QByteArray xml = TestHome::ReadFile(AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml"));
        xml.replace("Het Noorderlicht", title.toUtf8());
        xml.replace("NOORDERLICHT-20261205", id.toUtf8());
        TestHome::WriteFile(path, xml);
        return path;
    }
    QStringList RecentCaptions() const
    {
        QStringList out;
        for (int i = 1; i < 5; ++i) {
            if (window->mnuFileMRU[size_t(i)]->isVisible())
                out << window->mnuFileMRU[size_t(i)]->text();
        }
        return out;
    }

    QTemporaryDir m_dir;
    QString m_root;
    QString m_folder;
    QStringList m_started;
};

TEST_F(LibraryWindowTest, AnOpenedDocumentIsCataloguedAndArchivedBeforeItIsShown)
{
    Opts().CopyToLibrary = true;
    ::Run().ArchiveOnOpen = true;
    const QString outside = Paper(m_root + "/downloads/krant.xml", "K1", "Krant & Co");
    ASSERT_TRUE(open(outside));
    EXPECT_TRUE(::Run().DocumentOpen);
    const auto entry = Library().FindEntry(::Run().DocumentId);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->location, m_folder + "/krant.xml");
    EXPECT_TRUE(QFileInfo::exists(m_folder + "/krant.xml"));
    EXPECT_EQ(entry->timesopened, "1");
    EXPECT_EQ(RecentCaptions(), QStringList({"&1 Krant && Co"}));
    EXPECT_TRUE(window->mnuFileMRU[0]->isVisible());
}

TEST_F(LibraryWindowTest, TheRecentListShowsTheFourReadLastAndDropsAGoneFile)
{
    EXPECT_TRUE(RecentCaptions().isEmpty());
    EXPECT_FALSE(window->mnuFileMRU[0]->isVisible());
    QStringList paths;
    QByteArray catalogue = "<library>";
    for (int i = 1; i <= 6; ++i) {
        paths << Paper(m_folder + QStringLiteral("/p%1.xml").arg(i), QStringLiteral("P%1").arg(i),
                       QStringLiteral("Paper %1").arg(i));
        // Read on days 9 to 14: the last opening of "Paper 6" is the newest; as
        // text the recent list would put day 9 before day 14.
        catalogue += QStringLiteral("<document id=\"P%1\" date=\"2026-01-01T08:00:00\"><title>Paper %1</title>"
                                    "<location>%2</location><bookshelf/><lastopened>2026-01-%3T08:00:00</lastopened>"
                                    "<timesopened>1</timesopened></document>")
                         .arg(i)
                         .arg(paths.last())
                         .arg(i + 8, 2, 10, QLatin1Char('0'))
                         .toUtf8();
    }
    TestHome::WriteFile(frmLibrary::LibraryPath(), catalogue + "</library>");
    ASSERT_TRUE(Library().LoadLibrary());
    EXPECT_EQ(RecentCaptions(), QStringList({"&1 Paper 6", "&2 Paper 5", "&3 Paper 4", "&4 Paper 3"}));

    QFile::remove(paths[4]);
    window->mnuFileMRU[2]->trigger();
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text,
              SetLangTxt(1094, QStringLiteral("'Paper 5'.")) + QStringLiteral("\r\n") + SetLangTxt(1108));
    EXPECT_FALSE(Library().FindEntry("P5"));
    EXPECT_EQ(RecentCaptions(), QStringList({"&1 Paper 6", "&2 Paper 4", "&3 Paper 3", "&4 Paper 2"}));

    // Choosing one opens it here, and it comes first.
    window->mnuFileMRU[4]->trigger();
    EXPECT_TRUE(::Run().DocumentOpen);
    EXPECT_EQ(::Run().DocInfo[1], QStringLiteral("Paper 2"));
    EXPECT_EQ(RecentCaptions().first(), QStringLiteral("&1 Paper 2"));

    // With a document open, No starts a second program on the chosen one.
    prompter.answer(PromptAnswer::No);
    window->mnuFileMRU[2]->trigger();
    EXPECT_EQ(m_started, QStringList({paths[5]}));
    EXPECT_EQ(::Run().DocInfo[1], QStringLiteral("Paper 2"));
}

TEST_F(LibraryWindowTest, ACancelledPassphraseLeavesTheEntryListed)
{
    const QString samples = AppPaths::SamplesDir() + QLatin1Char('/');
    const QString zip = m_root + "/dagblad.cxb";
    ASSERT_TRUE(ZipFixture::Write(zip, {ZipFixture::File("dagblad.xml", TestHome::ReadFile(samples + "dagblad.xml"))}));
    const QString exd = m_folder + "/dagblad.exd";
    Container::WriteOptions o;
    o.keyId = QStringLiteral("Noorderlicht");
    o.kdf = {1, Container::MinMemLimit};
    ASSERT_EQ(Container::Write(zip, exd, QStringLiteral("licht"), o), Container::Error::None);
    QString shelf;
    ASSERT_TRUE(Library().AddLibraryItem("secret", "Secret paper", exd, shelf, false));
    prompter.answerInput(std::nullopt);
    window->mnuFileMRU[1]->trigger();
    EXPECT_FALSE(::Run().DocumentOpen);
    EXPECT_TRUE(Library().FindEntry("secret"));
    EXPECT_EQ(RecentCaptions(), QStringList({"&1 Secret paper"}));
}

TEST_F(LibraryWindowTest, FileOpenShowsTheLibraryAndEnterOpensWithTheSectionListFocused)
{
    const QString path = Paper(m_folder + "/krant.xml", "K1", "Het Noorderlicht");
    QString shelf;
    ASSERT_TRUE(Library().AddLibraryItem("K1", "Het Noorderlicht", path, shelf, false));
    showWindow();
    QTimer::singleShot(0, window.get(), [this] {
        frmOpenBook* book = window->OpenBookWindow;
        EXPECT_TRUE(book->isVisible());
        EXPECT_EQ(book->focusWidget(), book->lstLibrary);
        EXPECT_EQ(book->lstLibrary->accessibleName(), SetLangTxt(1201));
        QTest::keyClick(book->lstLibrary, Qt::Key_Return);
    });
    window->mnuFileOpen->trigger();
    EXPECT_TRUE(::Run().DocumentOpen);
    EXPECT_EQ(::Run().DocInfo[1], QStringLiteral("Het Noorderlicht"));
    // The main window's focus child, which takes the focus when the window
    // manager activates it again.
    EXPECT_EQ(window->focusWidget(), window->NavListView(1));
    EXPECT_EQ(Library().FindEntry("K1")->timesopened, "2");
}

TEST_F(LibraryWindowTest, TheFolderScanCataloguesNewFilesWithoutShowingThem)
{
    Paper(m_folder + "/new.xml", "NEW", "Nieuw");
    TestHome::WriteFile(m_folder + "/broken.xml", "<krant><titel>x");
    prompter.answer(PromptAnswer::Ok);
    ASSERT_TRUE(Library().LoadLibrary());
    EXPECT_FALSE(::Run().DocumentOpen);
    const auto e = Library().FindEntry("NEW");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->timesopened, "0");
    EXPECT_EQ(e->location, m_folder + "/new.xml");
    // One question, then one message for the file that could not be read.
    ASSERT_EQ(prompter.questions().size(), 2u);
    EXPECT_EQ(prompter.questions()[1].text, SetLangTxt(1219, "broken.xml"));
}

// The real start-up, with the reader's message boxes answered as they come.
class StartupLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState(StoredSettings::Clear);
        ForgetLibrary();
        ASSERT_TRUE(m_dir.isValid());
        m_folder = QFileInfo(m_dir.path()).canonicalFilePath();
        SettingsStore store;
        store.Save(QStringLiteral("Language"), QStringLiteral("English"));
        store.Save(QStringLiteral("LibraryLocation"), m_folder);
        store.Save(QStringLiteral("ShowLibraryAtStartUp"), QStringLiteral("1"));
        store.Sync();
        QObject::connect(&m_answer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                m_shown << box->text();
                box->accept();
            } else if (auto* book = qobject_cast<frmOpenBook*>(modal)) {
                m_libraryShown = true;
                m_libraryName = book->lstLibrary->accessibleName();
                book->cmdButton_Click(2);
            }
        });
        m_answer.start(1);
    }
    void TearDown() override
    {
        m_answer.stop();
        SettingsStore().Clear();
        ResetProgramState();
    }
    void Start()
    {
        Startup startup;
        ASSERT_TRUE(startup.Main({}));
        EXPECT_TRUE(QTest::qWaitFor([this] { return m_libraryShown; }, 5000));
        EXPECT_FALSE(::Run().DocumentOpen);
    }
    QTemporaryDir m_dir;
    QString m_folder;
    QTimer m_answer;
    QStringList m_shown;
    bool m_libraryShown = false;
    QString m_libraryName;
};

TEST_F(StartupLibraryTest, TheLibraryIsShownAtStartWhenTheOptionsSaySo)
{
    Start();
    EXPECT_TRUE(m_libraryShown);
    EXPECT_EQ(m_libraryName, QStringLiteral("My library"));
    EXPECT_TRUE(m_shown.isEmpty()) << qPrintable(m_shown.join('|'));
    EXPECT_TRUE(QFileInfo::exists(frmLibrary::LibraryPath())) << "made from its template";
}

TEST_F(StartupLibraryTest, ACorruptCatalogueIsToldOnceAndTheProgramGoesOn)
{
    const QByteArray broken = "<library><document id=\"a\">";
    TestHome::WriteFile(frmLibrary::LibraryPath(), broken);
    Start();
    ASSERT_EQ(m_shown.size(), 1);
    EXPECT_TRUE(m_shown[0].contains(frmLibrary::LibraryPath()));
    EXPECT_TRUE(m_libraryShown) << "the library window still opens, empty";
    EXPECT_EQ(TestHome::ReadFile(frmLibrary::LibraryPath()), broken);
}

} // namespace
