#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "app/ui/frmMain.h"
#include "navigation/NavList.h"
#include "package/modEntities.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "render/modCss2RTF.h"
#include "render/ui/TextViewerWidget.h"
#include "settings/Options.h"
#include "settings/modFilesFolders.h"
#include "settings/modLanguage.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The main window on screen (offscreen), driven by key clicks to the focused control.
class NavigationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetRunState();
        ResetTextState();
        Opts().SetDefaults();
        QFile::remove(AppPaths::ErrorLogPath());
        QDir(AppPaths::TempDir()).removeRecursively();
        QDir().mkpath(AppPaths::TempDir());
        LoadLang(QStringLiteral("English"));
        LoadEntityMapping();
        ASSERT_TRUE(LoadCSSFromText(ReadWholeFile(AppPaths::SamplesDir() + QStringLiteral("/dagblad.css"))));
        window = std::make_unique<frmMain>();
        window->PlayWaveHook = [this](const QString& path) { sounds << QFileInfo(path).fileName(); };
        window->Form_Load();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override
    {
        window.reset();
        Opts().SetDefaults();
        ResetTextState();
        ResetRunState();
    }

    void openNewspaper()
    {
        QString path = AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml");
        bool addOnly = false;
        ASSERT_TRUE(window->OpenFile(path, addOnly));
        ASSERT_TRUE(::Run().DocumentOpen);
    }

    // A document and its descriptor in the working folder, loaded as a package would be.
    void openFromWorkingFolder(const QByteArray& xml, const QByteArray& xdf)
    {
        const QString temp = AppPaths::TempDir() + QLatin1Char('/');
        ASSERT_TRUE(TestHome::WriteFile(temp + QStringLiteral("doc.xml"), xml));
        ASSERT_TRUE(TestHome::WriteFile(temp + QStringLiteral("doc.xdf"), xdf));
        QString path = QStringLiteral("/somewhere/doc.zip");
        bool addOnly = false;
        window->LoadXMLBook(path, addOnly);
        ASSERT_TRUE(::Run().DocumentOpen);
    }

    static QWidget* focus() { return QApplication::focusWidget(); }
    static void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(focus(), k, mods); }
    static void keypad(Qt::Key k) { key(k, Qt::KeypadModifier); }

    int16_t level() const { return ::Run().CurrentLevel; }
    int row(int list) const { return window->NavLists->ListIndex(list); }
    QStringList entries(int list) const { return window->NavLists->entries(list); }
    QString location() const { return window->txtLocation->text(); }
    int caret() const { return window->Viewer->SelStart(); }
    QString text() const { return window->Viewer->Text(); }
    // The list view that shows a list, with the screen reader's current row on the selection.
    void expectListFocused(int list)
    {
        EXPECT_EQ(focus(), window->NavListView(list));
        EXPECT_TRUE(window->NavListView(list)->isVisible());
        EXPECT_EQ(window->NavListView(list)->currentIndex().row(), row(list));
    }
    void expectTextFocused()
    {
        EXPECT_EQ(focus(), window->TextViewerView);
        EXPECT_TRUE(window->TextViewerView->isVisible());
    }

    ScriptedPrompter prompter;
    std::unique_ptr<frmMain> window;
    QStringList sounds;
};

TEST_F(NavigationTest, SectionsArticlesAndTextFromTheKeyboard)
{
    openNewspaper();
    EXPECT_EQ(level(), 1);
    EXPECT_EQ(entries(1).size(), 12);
    EXPECT_EQ(entries(1).first(), QStringLiteral("Voorpagina")); // no counts on the section list
    expectListFocused(1);
    EXPECT_EQ(location(), SetLangTxt(1091));
    EXPECT_FALSE(window->cmdLevelUp->isEnabled());
    EXPECT_FALSE(window->cmdPrevArticle->isEnabled());
    EXPECT_TRUE(window->cmdNextArticle->isEnabled());

    // Down and Up go through GoArticle, not through the list box; Up on the first plays the start sound.
    key(Qt::Key_Down);
    EXPECT_EQ(row(1), 1);
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    EXPECT_EQ(row(1), 0);
    EXPECT_EQ(sounds, QStringList{QStringLiteral("BeginDocument.wav")});
    // Letters never move the list by themselves.
    key(Qt::Key_S);
    EXPECT_EQ(row(1), 0);

    key(Qt::Key_Right);
    EXPECT_EQ(level(), 2);
    ASSERT_EQ(entries(2).size(), 5);
    EXPECT_TRUE(entries(2)[0].startsWith(QStringLiteral("Eerste vorst brengt schaatskoorts naar het Noorden [")));
    EXPECT_TRUE(entries(2)[0].endsWith(QLatin1Char(']')));
    expectListFocused(2);
    EXPECT_EQ(location(), QStringLiteral("Voorpagina"));
    EXPECT_TRUE(window->mnuNavigateLevelUp->isEnabled());

    // Alt+Down opens the selected entry: the text, caret at its start.
    key(Qt::Key_Down);
    key(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(level(), 9);
    EXPECT_EQ(row(2), 1);
    EXPECT_TRUE(text().startsWith(QStringLiteral("Oma's appeltaart wint landelijke bakwedstrijd")));
    EXPECT_EQ(caret(), 0);
    expectTextFocused();
    EXPECT_EQ(location(), QStringLiteral("Voorpagina / ") + entries(2)[1]);
    EXPECT_FALSE(::Run().IgnoreNextKeyUp);

    // Up in the text moves the caret only; Backspace goes back with the selection kept.
    key(Qt::Key_Down);
    EXPECT_GT(::Run().LastReadPosition, 0);
    key(Qt::Key_Up);
    EXPECT_EQ(level(), 9);
    key(Qt::Key_Backspace);
    EXPECT_EQ(level(), 2);
    EXPECT_EQ(row(2), 1);
    expectListFocused(2);
    // Left from the article list clears its selection and shows the sections.
    key(Qt::Key_Left);
    EXPECT_EQ(level(), 1);
    EXPECT_EQ(row(2), -1);
    expectListFocused(1);

    // Enter opens; 0 and Ctrl+Backspace go to the table of contents from anywhere.
    key(Qt::Key_Return);
    key(Qt::Key_Return);
    EXPECT_EQ(level(), 9);
    key(Qt::Key_0);
    EXPECT_EQ(level(), 1);
    expectListFocused(1);
    key(Qt::Key_Right);
    key(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(level(), 1);
    // End and Home in a list.
    key(Qt::Key_End);
    EXPECT_EQ(row(1), 11);
    key(Qt::Key_Home);
    EXPECT_EQ(row(1), 0);
}

TEST_F(NavigationTest, ArticlesCrossSectionsWithSoundsAndStopAtTheEnds)
{
    openNewspaper();
    key(Qt::Key_Right);
    key(Qt::Key_End);
    EXPECT_EQ(row(2), 4);
    EXPECT_TRUE(window->cmdNextArticle->isEnabled()); // last article, but not the last section

    key(Qt::Key_Down);
    EXPECT_EQ(sounds, QStringList{QStringLiteral("Navigate.wav")});
    EXPECT_EQ(row(1), 1);
    EXPECT_EQ(row(2), 0);
    EXPECT_EQ(entries(2).size(), 5);
    expectListFocused(2);

    // Back over the boundary lands on the last article of the previous section.
    key(Qt::Key_Up);
    EXPECT_EQ(row(1), 0);
    EXPECT_EQ(row(2), 4);
    EXPECT_EQ(sounds.size(), 2);
    EXPECT_EQ(sounds.last(), QStringLiteral("Navigate.wav"));

    // In the text: Alt+Right / keypad 9 and 7 rebuild the text with the caret at the start.
    key(Qt::Key_Right);
    EXPECT_EQ(level(), 9);
    key(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(row(1), 1);
    EXPECT_EQ(row(2), 0);
    EXPECT_EQ(caret(), 0);
    expectTextFocused();
    EXPECT_EQ(location(), entries(1)[1] + QStringLiteral(" / ") + entries(2)[0]);
    keypad(Qt::Key_7);
    EXPECT_EQ(row(1), 0);
    EXPECT_EQ(row(2), 4);
    keypad(Qt::Key_8); // first article of the list
    EXPECT_EQ(row(2), 0);
    keypad(Qt::Key_7);
    EXPECT_EQ(sounds.last(), QStringLiteral("BeginDocument.wav"));
    EXPECT_EQ(row(2), 0);
    EXPECT_FALSE(window->cmdPrevArticle->isEnabled());

    // The last article of the last section: the end sound, nothing moves.
    window->NavLists->setListIndex(1, 11);
    window->LoadLevelTitles(2);
    window->NavLists->setListIndex(2, static_cast<int>(entries(2).size()) - 1);
    window->ShowInfo(9, true);
    EXPECT_FALSE(window->cmdNextArticle->isEnabled());
    const QString before = text();
    const int soundsBefore = static_cast<int>(sounds.size());
    keypad(Qt::Key_9);
    EXPECT_EQ(sounds.size(), soundsBefore + 1);
    EXPECT_EQ(sounds.last(), QStringLiteral("EndDocument.wav"));
    EXPECT_EQ(row(1), 11);
    EXPECT_EQ(text(), before);
}

TEST_F(NavigationTest, ButtonsAndMenuDoTheSameMoves)
{
    openNewspaper();
    QTest::mouseClick(window->cmdNextArticle, Qt::LeftButton);
    EXPECT_EQ(row(1), 1);
    expectListFocused(1);
    window->mnuNavigatePreviousArticle->trigger();
    EXPECT_EQ(row(1), 0);
    window->NavList_DblClick();
    EXPECT_EQ(level(), 2);
    QTest::mouseClick(window->cmdLevelUp, Qt::LeftButton);
    EXPECT_EQ(level(), 1);
    window->NavList_DblClick();
    window->NavList_DblClick();
    EXPECT_EQ(level(), 9);
    window->mnuNavigateToc->trigger();
    EXPECT_EQ(level(), 1);

    // Closing disables all six again.
    window->mnuFileClose_Click();
    for (QAction* a : {window->mnuNavigateLevelUp, window->mnuNavigateNextArticle, window->mnuNavigatePreviousArticle})
        EXPECT_FALSE(a->isEnabled());
    for (QPushButton* b : {window->cmdLevelUp, window->cmdNextArticle, window->cmdPrevArticle})
        EXPECT_FALSE(b->isEnabled());
}

TEST_F(NavigationTest, KeysActOnTheirOwnReleaseOnly)
{
    openNewspaper();
    // A flagged release is swallowed once.
    ::Run().IgnoreNextKeyUp = true;
    key(Qt::Key_Right);
    EXPECT_EQ(level(), 1);
    EXPECT_FALSE(::Run().IgnoreNextKeyUp);

    // Auto-repeat releases do nothing; a release whose press went elsewhere does nothing.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(focus(), &press);
    QApplication::sendEvent(focus(), &repeat);
    EXPECT_EQ(row(1), 0);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(focus(), &release);
    EXPECT_EQ(row(1), 1);
    QTest::keyRelease(focus(), Qt::Key_Down);
    EXPECT_EQ(row(1), 1);
}

TEST_F(NavigationTest, SizeKeysAndTheAbstract)
{
    openNewspaper();
    key(Qt::Key_Right);
    key(Qt::Key_Down); // "Oma's appeltaart ...": the apostrophe must not break the lookup
    key(Qt::Key_Question, Qt::ShiftModifier);
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].title, QStringLiteral("Abstract"));
    EXPECT_TRUE(prompter.questions()[0].text.startsWith(QStringLiteral("De appeltaart van Trijntje Westerhof")));
    // The key that closes the box is pressed in the box and released over the
    // list: that release must not open the article.
    QTest::keyRelease(focus(), Qt::Key_Return);
    EXPECT_EQ(level(), 2);
    EXPECT_FALSE(::Run().IgnoreNextKeyUp);

    key(Qt::Key_Return);
    key(Qt::Key_Equal, Qt::ShiftModifier);
    EXPECT_EQ(Txt().FontSizeOffset, 5);
    key(Qt::Key_Plus, Qt::ShiftModifier);
    EXPECT_EQ(Txt().FontSizeOffset, 10);
    key(Qt::Key_Asterisk, Qt::KeypadModifier | Qt::AltModifier);
    EXPECT_EQ(Txt().FontSizeOffset, 0);
    key(Qt::Key_Minus, Qt::ShiftModifier);
    EXPECT_EQ(Txt().FontSizeOffset, -5);
    key(Qt::Key_Plus, Qt::KeypadModifier | Qt::AltModifier);
    EXPECT_EQ(Txt().FontSizeOffset, 0);
    key(Qt::Key_Equal); // without Shift: nothing
    EXPECT_EQ(Txt().FontSizeOffset, 0);
    EXPECT_EQ(level(), 9);
    expectTextFocused();
    // "?" in the text does nothing.
    key(Qt::Key_Question, Qt::ShiftModifier);
    EXPECT_EQ(prompter.questions().size(), 1u);
}

TEST_F(NavigationTest, PhraseAndParagraphMoves)
{
    openNewspaper();
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    const QString t = text();
    static const QRegularExpression end(QStringLiteral("[.?!;:]( |\r\n)"));
    const auto first = end.match(t);
    ASSERT_TRUE(first.hasMatch());
    const int secondPhrase = static_cast<int>(first.capturedEnd());

    // At the start, previous and current stay.
    keypad(Qt::Key_1);
    keypad(Qt::Key_2);
    EXPECT_EQ(caret(), 0);
    keypad(Qt::Key_3);
    EXPECT_EQ(caret(), secondPhrase);
    EXPECT_EQ(::Run().LastReadPosition, secondPhrase);
    const int thirdPhrase = static_cast<int>(end.match(t, secondPhrase).capturedEnd());
    keypad(Qt::Key_3);
    EXPECT_EQ(caret(), thirdPhrase);
    // From inside a phrase: current goes to its start, previous to the one before.
    window->Viewer->setSelStart(thirdPhrase + 4);
    keypad(Qt::Key_2);
    EXPECT_EQ(caret(), thirdPhrase);
    window->Viewer->setSelStart(thirdPhrase + 4);
    keypad(Qt::Key_1);
    EXPECT_EQ(caret(), secondPhrase);
    keypad(Qt::Key_1);
    EXPECT_EQ(caret(), 0);
    // After the last phrase end: the end of the text.
    window->Viewer->setSelStart(static_cast<int>(t.size()) - 3);
    keypad(Qt::Key_3);
    EXPECT_EQ(caret(), t.size());

    // Paragraphs: next is the start of the next non-empty paragraph.
    window->Viewer->setSelStart(0);
    keypad(Qt::Key_6);
    int p2 = static_cast<int>(t.indexOf(QStringLiteral("\r\n"))) + 2;
    while (t.mid(p2, 2) == QStringLiteral("\r\n"))
        p2 += 2;
    EXPECT_EQ(caret(), p2);
    keypad(Qt::Key_6);
    const int p3 = caret();
    EXPECT_GT(p3, p2);
    EXPECT_EQ(t.mid(p3 - 2, 2), QStringLiteral("\r\n"));
    window->Viewer->setSelStart(p3 + 3);
    keypad(Qt::Key_5);
    EXPECT_EQ(caret(), p3);
    keypad(Qt::Key_4);
    EXPECT_EQ(caret(), p2);
    keypad(Qt::Key_4);
    EXPECT_EQ(caret(), 0);
    keypad(Qt::Key_4);
    EXPECT_EQ(caret(), 0);
    EXPECT_EQ(level(), 9);
    EXPECT_FALSE(::Run().IgnoreNextKeyUp);
}

TEST_F(NavigationTest, OneLevelBookOpensChaptersStraightIntoText)
{
    QByteArray xdf = TestHome::ReadFile(AppPaths::SamplesDir() + QStringLiteral("/boek/boek.xdf"));
    QByteArray xml = TestHome::ReadFile(AppPaths::SamplesDir() + QStringLiteral("/boek/boek.xml"));
    openFromWorkingFolder(xml, xdf);
    EXPECT_EQ(::Run().NavLevelCount, 1);
    ASSERT_EQ(entries(1).size(), 8);
    // The only list is the deepest: it carries the counts.
    EXPECT_TRUE(entries(1)[0].startsWith(QStringLiteral("Hoofdstuk 1. De overtocht [")));
    expectListFocused(1);
    key(Qt::Key_Right);
    EXPECT_EQ(level(), 9);
    EXPECT_TRUE(text().startsWith(QStringLiteral("Hoofdstuk 1. De overtocht")));
    expectTextFocused();
    key(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(sounds, QStringList{QStringLiteral("BeginDocument.wav")});
    key(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(row(1), 1);
    EXPECT_TRUE(text().startsWith(QStringLiteral("Hoofdstuk 2.")));
    key(Qt::Key_Backspace);
    EXPECT_EQ(level(), 1);
    key(Qt::Key_End);
    key(Qt::Key_Down);
    EXPECT_EQ(sounds.last(), QStringLiteral("EndDocument.wav"));
    EXPECT_EQ(row(1), 7);
}

TEST_F(NavigationTest, ThreeLevelsGetAListEach)
{
    QByteArray xml = "<doc><info><titel>Drie</titel></info>";
    for (int d = 1; d <= 2; ++d) {
        xml += "<deel><titel><head>Deel " + QByteArray::number(d) + "</head></titel>";
        for (int h = 1; h <= 2; ++h)
            xml += "<hoofdstuk><titel><head>Hoofdstuk " + QByteArray::number(d) + "." + QByteArray::number(h) +
                   "</head></titel><par><titel><head>Paragraaf</head></titel><p>Tekst.</p></par></hoofdstuk>";
        xml += "</deel>";
    }
    xml += "</doc>";
    openFromWorkingFolder(xml, "DOC_TITLE_TAG=titel\nNAV_LEVEL1=deel/titel/head\nNAV_LEVEL2=hoofdstuk/titel/head\n"
                               "NAV_LEVEL3=par/titel/head\n");
    ASSERT_EQ(::Run().NavLevelCount, 3);
    EXPECT_EQ(entries(1), (QStringList{QStringLiteral("Deel 1"), QStringLiteral("Deel 2")}));
    key(Qt::Key_Down);
    key(Qt::Key_Right);
    EXPECT_EQ(level(), 2);
    EXPECT_EQ(entries(2), (QStringList{QStringLiteral("Hoofdstuk 2.1"), QStringLiteral("Hoofdstuk 2.2")}));
    key(Qt::Key_Right);
    EXPECT_EQ(level(), 3);
    ASSERT_GE(window->NavLists->count(), 4);
    expectListFocused(3);
    EXPECT_FALSE(window->NavListView(2)->isVisible());
    EXPECT_EQ(location(), QStringLiteral("Deel 2 / Hoofdstuk 2.1"));
    key(Qt::Key_Right);
    EXPECT_EQ(level(), 9);
    expectTextFocused();
    key(Qt::Key_Backspace);
    EXPECT_EQ(level(), 3);
    key(Qt::Key_Backspace);
    EXPECT_EQ(level(), 2);
    EXPECT_GE(::Run().LastReadPosition, 0);
    // Leaving a list above the deepest drops the position to come back to.
    key(Qt::Key_Backspace);
    EXPECT_EQ(level(), 1);
    EXPECT_EQ(::Run().LastReadPosition, -1);
    EXPECT_EQ(row(2), -1);
    EXPECT_EQ(row(3), -1);
}

TEST_F(NavigationTest, MoreThan98ArticlesInASectionAreLoggedNotMisfiled)
{
    QByteArray xml = "<krant><meta><krantnaam>Vol</krantnaam></meta><rubriek><titel><head>Vol</head></titel>";
    for (int j = 1; j <= 101; ++j)
        xml += "<artikel><titel><head>A" + QByteArray::number(j) + "</head></titel><p>x</p></artikel>";
    xml += "</rubriek><rubriek><titel><head>Leeg</head></titel>"
           "<artikel><titel><head>Enige</head></titel><p>y</p></artikel></rubriek></krant>";
    openFromWorkingFolder(xml, "DOC_TITLE_TAG=krantnaam\nNAV_LEVEL1=rubriek/titel/head\nNAV_LEVEL2=artikel/titel/head\n");
    Opts().ShowWordCount = false;
    key(Qt::Key_Right);
    EXPECT_EQ(entries(2).size(), 98);
    EXPECT_EQ(entries(2).last(), QStringLiteral("A98"));
    const QString log = QString::fromUtf8(TestHome::ReadFile(AppPaths::ErrorLogPath()));
    EXPECT_TRUE(log.contains(QStringLiteral("LoadLevelTitles"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("101"))) << log.toStdString();
    // The next section lists only its own article.
    key(Qt::Key_Left);
    key(Qt::Key_Down);
    key(Qt::Key_Right);
    EXPECT_EQ(entries(2), QStringList{QStringLiteral("Enige")});
}

} // namespace
