// The reading moves without any window: a real document opened through the
// open pipeline, real lists and a real text view model, keys turned into
// actions by the key table, and a host that records what the window would show.
#include "navigation/Navigator.h"

#include "package/NavIndex.h"
#include "render/TextState.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"
#include "tests/support/ReadingFixture.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

class NavigatorTest : public ReadingFixture {
protected:
    // A reading key released where the reader is: in the text at level 9, else in the shown list.
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const KeyFocus focus = level() == 9 ? KeyFocus::Text : KeyFocus::List;
        nav.Perform(ActionFor(k, mods, focus));
    }
    void keypad(int k) { key(k, Qt::KeypadModifier); }

    int row(int list) const { return lists.ListIndex(list); }
    QStringList entries(int list) const { return lists.entries(list); }
    int caret() const { return viewer.SelStart(); }
    QString text() const { return viewer.Text(); }
    void expectListShown(int list)
    {
        EXPECT_EQ(host.focused, list);
        EXPECT_TRUE(lists.isVisible(list));
        EXPECT_FALSE(viewer.isVisible());
    }
    void expectTextShown()
    {
        EXPECT_EQ(level(), 9);
        EXPECT_EQ(host.focused, 9);
        EXPECT_TRUE(viewer.isVisible());
        for (int i = 0; i < lists.count(); ++i)
            EXPECT_FALSE(lists.isVisible(i)) << i;
    }
};

TEST_F(NavigatorTest, SectionsArticlesAndText)
{
    openSample();
    EXPECT_EQ(level(), 1);
    ASSERT_EQ(entries(1).size(), 12);
    EXPECT_EQ(entries(1).first(), QStringLiteral("Voorpagina")); // no counts on the section list
    expectListShown(1);
    EXPECT_EQ(host.location, SetLangTxt(1091));
    EXPECT_FALSE(host.up);
    EXPECT_FALSE(host.previous);
    EXPECT_TRUE(host.next);

    key(Qt::Key_Down);
    EXPECT_EQ(row(1), 1);
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    EXPECT_EQ(row(1), 0);
    EXPECT_EQ(host.sounds, QStringList{QStringLiteral("BeginDocument.wav")});

    key(Qt::Key_Right);
    EXPECT_EQ(level(), 2);
    ASSERT_EQ(entries(2).size(), 5);
    EXPECT_TRUE(entries(2)[0].startsWith(QStringLiteral("Eerste vorst brengt schaatskoorts naar het Noorden [")));
    EXPECT_TRUE(entries(2)[0].endsWith(QLatin1Char(']')));
    expectListShown(2);
    EXPECT_EQ(host.location, QStringLiteral("Voorpagina"));
    EXPECT_TRUE(host.up);

    // Alt+Down opens the selected entry: the text, caret at its start.
    key(Qt::Key_Down);
    key(Qt::Key_Down, Qt::AltModifier);
    expectTextShown();
    EXPECT_EQ(row(2), 1);
    EXPECT_EQ(Txt().CurrentHeadId, 102);
    EXPECT_TRUE(text().startsWith(QStringLiteral("Oma's appeltaart wint landelijke bakwedstrijd")));
    EXPECT_EQ(caret(), 0);
    EXPECT_EQ(host.location, QStringLiteral("Voorpagina / ") + entries(2)[1]);

    // Arrows in the text are the caret's; Backspace goes back with the selection kept.
    key(Qt::Key_Up);
    EXPECT_EQ(level(), 9);
    key(Qt::Key_Backspace);
    EXPECT_EQ(level(), 2);
    EXPECT_EQ(row(2), 1);
    expectListShown(2);
    // Left from the article list clears its selection and shows the sections.
    key(Qt::Key_Left);
    EXPECT_EQ(level(), 1);
    EXPECT_EQ(row(2), -1);
    expectListShown(1);

    // Enter opens; 0 and Ctrl+Backspace go to the table of contents from anywhere.
    key(Qt::Key_Return);
    key(Qt::Key_Return);
    expectTextShown();
    key(Qt::Key_0);
    EXPECT_EQ(level(), 1);
    expectListShown(1);
    key(Qt::Key_Right);
    key(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(level(), 1);
    key(Qt::Key_End);
    EXPECT_EQ(row(1), 11);
    key(Qt::Key_Home);
    EXPECT_EQ(row(1), 0);
}

TEST_F(NavigatorTest, ArticlesCrossSectionsWithSoundsAndStopAtTheEnds)
{
    openSample();
    key(Qt::Key_Right);
    key(Qt::Key_End);
    EXPECT_EQ(row(2), 4);
    EXPECT_TRUE(host.next); // last article, but not the last section

    key(Qt::Key_Down);
    EXPECT_EQ(host.sounds, QStringList{QStringLiteral("Navigate.wav")});
    EXPECT_EQ(row(1), 1);
    EXPECT_EQ(row(2), 0);
    expectListShown(2);

    // Back over the boundary lands on the last article of the previous section.
    key(Qt::Key_Up);
    EXPECT_EQ(row(1), 0);
    EXPECT_EQ(row(2), 4);
    EXPECT_EQ(host.sounds.size(), 2);

    // In the text: Alt+Right / keypad 9 and 7 rebuild the text with the caret at the start.
    key(Qt::Key_Right);
    key(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(row(1), 1);
    EXPECT_EQ(row(2), 0);
    EXPECT_EQ(caret(), 0);
    expectTextShown();
    EXPECT_EQ(Txt().CurrentHeadId, 201);
    // The list refilled from the text keeps its counts.
    for (const QString& entry : entries(2))
        EXPECT_TRUE(entry.endsWith(QLatin1Char(']'))) << entry.toStdString();
    EXPECT_EQ(host.location, entries(1)[1] + QStringLiteral(" / ") + entries(2)[0]);
    keypad(Qt::Key_7);
    EXPECT_EQ(row(1), 0);
    EXPECT_EQ(row(2), 4);
    keypad(Qt::Key_8);
    EXPECT_EQ(row(2), 0);
    keypad(Qt::Key_7);
    EXPECT_EQ(host.sounds.last(), QStringLiteral("BeginDocument.wav"));
    EXPECT_EQ(row(2), 0);
    EXPECT_FALSE(host.previous);

    // The last article of the last section: the end sound, nothing moves.
    lists.setListIndex(1, 11);
    nav.LoadLevelTitles(2);
    lists.setListIndex(2, static_cast<int>(entries(2).size()) - 1);
    nav.LoadText(9, 0, QString());
    nav.ShowInfo(9, true);
    EXPECT_FALSE(host.next);
    const QString before = text();
    const qsizetype soundsBefore = host.sounds.size();
    keypad(Qt::Key_9);
    EXPECT_EQ(host.sounds.size(), soundsBefore + 1);
    EXPECT_EQ(host.sounds.last(), QStringLiteral("EndDocument.wav"));
    EXPECT_EQ(row(1), 11);
    EXPECT_EQ(text(), before);
}

TEST_F(NavigatorTest, AbstractIsFoundByATitleWithAnApostrophe)
{
    openSample();
    key(Qt::Key_Right);
    key(Qt::Key_Down); // "Oma's appeltaart ..."
    key(Qt::Key_Question, Qt::ShiftModifier);
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].title, QStringLiteral("Abstract"));
    EXPECT_TRUE(prompter.questions()[0].text.startsWith(QStringLiteral("De appeltaart van Trijntje Westerhof")));
    // "?" in the text, or on a list above the articles, asks nothing.
    key(Qt::Key_Return);
    key(Qt::Key_Question, Qt::ShiftModifier);
    key(Qt::Key_0);
    key(Qt::Key_Question, Qt::ShiftModifier);
    EXPECT_EQ(prompter.questions().size(), 1u);
}

TEST_F(NavigatorTest, PhraseAndParagraphMoves)
{
    openSample();
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
    viewer.setSelStart(thirdPhrase + 4);
    keypad(Qt::Key_2);
    EXPECT_EQ(caret(), thirdPhrase);
    viewer.setSelStart(thirdPhrase + 4);
    keypad(Qt::Key_1);
    EXPECT_EQ(caret(), secondPhrase);
    keypad(Qt::Key_1);
    EXPECT_EQ(caret(), 0);
    // After the last phrase end: the end of the text.
    viewer.setSelStart(static_cast<int>(t.size()) - 3);
    keypad(Qt::Key_3);
    EXPECT_EQ(caret(), t.size());

    // Paragraphs: next is the start of the next non-empty paragraph.
    viewer.setSelStart(0);
    keypad(Qt::Key_6);
    int p2 = static_cast<int>(t.indexOf(QStringLiteral("\r\n"))) + 2;
    while (t.mid(p2, 2) == QStringLiteral("\r\n"))
        p2 += 2;
    EXPECT_EQ(caret(), p2);
    keypad(Qt::Key_6);
    const int p3 = caret();
    EXPECT_GT(p3, p2);
    EXPECT_EQ(t.mid(p3 - 2, 2), QStringLiteral("\r\n"));
    viewer.setSelStart(p3 + 3);
    keypad(Qt::Key_5);
    EXPECT_EQ(caret(), p3);
    keypad(Qt::Key_4);
    EXPECT_EQ(caret(), p2);
    keypad(Qt::Key_4);
    EXPECT_EQ(caret(), 0);
    keypad(Qt::Key_4);
    EXPECT_EQ(caret(), 0);
    EXPECT_EQ(::Run().LastReadPosition, 0);
}

TEST_F(NavigatorTest, OneLevelBookOpensChaptersStraightIntoText)
{
    const QByteArray xdf = TestHome::ReadFile(AppPaths::SamplesDir() + QStringLiteral("/boek/boek.xdf"));
    const QByteArray xml = TestHome::ReadFile(AppPaths::SamplesDir() + QStringLiteral("/boek/boek.xml"));
    openFromWorkingFolder(xml, xdf);
    EXPECT_EQ(::Run().NavLevelCount, 1);
    ASSERT_EQ(entries(1).size(), 8);
    // The only list is the deepest: it carries the counts.
    EXPECT_TRUE(entries(1)[0].startsWith(QStringLiteral("Hoofdstuk 1. De overtocht [")));
    key(Qt::Key_Right);
    expectTextShown();
    EXPECT_TRUE(text().startsWith(QStringLiteral("Hoofdstuk 1. De overtocht")));
    key(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(host.sounds, QStringList{QStringLiteral("BeginDocument.wav")});
    key(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(row(1), 1);
    EXPECT_TRUE(text().startsWith(QStringLiteral("Hoofdstuk 2.")));
    key(Qt::Key_Backspace);
    EXPECT_EQ(level(), 1);
    key(Qt::Key_End);
    key(Qt::Key_Down);
    EXPECT_EQ(host.sounds.last(), QStringLiteral("EndDocument.wav"));
    EXPECT_EQ(row(1), 7);
}

TEST_F(NavigatorTest, ThreeLevelsGetAListEach)
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
    ASSERT_GE(lists.count(), 4);
    expectListShown(3);
    EXPECT_FALSE(lists.isVisible(2));
    EXPECT_EQ(host.location, QStringLiteral("Deel 2 / Hoofdstuk 2.1"));
    key(Qt::Key_Right);
    expectTextShown();
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

TEST_F(NavigatorTest, AHeadingWrappedInTheSourceIsListedAsOneLineAndFindsItsAbstract)
{
    openFromWorkingFolder("<krant><meta><krantnaam>K</krantnaam></meta><rubriek><titel><head>Sport</head></titel>"
                          "<artikel><titel><head>Dijken\n            houden\tstand</head></titel>"
                          "<intro>Het water zakt.</intro><p>x</p></artikel></rubriek></krant>",
                          "DOC_TITLE_TAG=krantnaam\nNAV_LEVEL1=rubriek/titel/head\nNAV_LEVEL2=artikel/titel/head\n");
    Opts().ShowWordCount = false;
    key(Qt::Key_Right);
    EXPECT_EQ(entries(2), QStringList{QStringLiteral("Dijken houden stand")});
    key(Qt::Key_Question, Qt::ShiftModifier);
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, QStringLiteral("Het water zakt."));
}

TEST_F(NavigatorTest, ASectionOf2000ArticlesListsThemAllAndEachOpensItsOwnText)
{
    QByteArray xml = "<krant><meta><krantnaam>Vol</krantnaam></meta><rubriek><titel><head>Vol</head></titel>";
    for (int j = 1; j <= 2000; ++j)
        xml += "<artikel><titel><head>A" + QByteArray::number(j) + "</head></titel><p>tekst " + QByteArray::number(j) +
               "</p></artikel>";
    xml += "</rubriek><rubriek><titel><head>Leeg</head></titel>"
           "<artikel><titel><head>Enige</head></titel><p>y</p></artikel></rubriek></krant>";
    openFromWorkingFolder(xml,
                          "DOC_TITLE_TAG=krantnaam\nNAV_LEVEL1=rubriek/titel/head\nNAV_LEVEL2=artikel/titel/head\n");
    Opts().ShowWordCount = false;
    key(Qt::Key_Right);
    ASSERT_EQ(entries(2).size(), 2000);
    EXPECT_EQ(entries(2)[98], QStringLiteral("A99"));
    // End reaches the last; it opens its own text, not another's.
    key(Qt::Key_End);
    key(Qt::Key_Return);
    EXPECT_TRUE(text().startsWith(QStringLiteral("A2000"))) << text().toStdString();
    // The 98th keeps the id usage files have always stored; the 99th gets one of its own.
    keypad(Qt::Key_8);
    EXPECT_EQ(Txt().CurrentHeadId, 101);
    lists.setListIndex(2, 97);
    nav.LoadText(9, 0, QString());
    EXPECT_EQ(Txt().CurrentHeadId, 198);
    lists.setListIndex(2, 98);
    nav.LoadText(9, 0, QString());
    EXPECT_TRUE(text().startsWith(QStringLiteral("A99")));
    EXPECT_GE(Txt().CurrentHeadId, NavIndex::WideIdBase);
    // The ids as written into the document: zero-padded ordinals, plain decimal past them.
    const DomNodeList heads = ::Run().XmlDoc.selectNodes(QStringLiteral("//artikel/titel/head"));
    EXPECT_EQ(heads.item(97).getAttribute(QStringLiteral("id")), QStringLiteral("0198"));
    EXPECT_EQ(heads.item(98).getAttribute(QStringLiteral("id")), QString::number(Txt().CurrentHeadId));
    // Alt+Right from the last article crosses into the next section's only one.
    lists.setListIndex(2, 1999);
    nav.LoadText(9, 0, QString());
    key(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(row(1), 1);
    EXPECT_EQ(entries(2), QStringList{QStringLiteral("Enige")});
    EXPECT_TRUE(text().startsWith(QStringLiteral("Enige")));
    EXPECT_TRUE(TestHome::ReadFile(AppPaths::ErrorLogPath()).isEmpty());
}

TEST_F(NavigatorTest, AFourLevelBookShowsEachEntrysOwnChildrenAndText)
{
    // Parts, chapters, sections, subsections; titles say where they stand ("2.1.2").
    QByteArray xml = "<boek><info><titel>Vier</titel></info>";
    for (int p = 1; p <= 2; ++p) {
        xml += "<deel><kop><head>D" + QByteArray::number(p) + "</head></kop>";
        for (int c = 1; c <= 2; ++c) {
            const QByteArray cn = QByteArray::number(p) + "." + QByteArray::number(c);
            xml += "<hoofdstuk><kop><head>H" + cn + "</head></kop>";
            for (int s2 = 1; s2 <= 2; ++s2) {
                const QByteArray sn = cn + "." + QByteArray::number(s2);
                xml += "<sectie><kop><head>S" + sn + "</head></kop><p>Tekst van S" + sn + ".</p>";
                for (int u = 1; u <= 3; ++u) {
                    const QByteArray un = sn + "." + QByteArray::number(u);
                    xml += "<sub><kop><head>U" + un + "</head></kop><p>Tekst van U" + un + ".</p></sub>";
                }
                xml += "</sectie>";
            }
            xml += "</hoofdstuk>";
        }
        xml += "</deel>";
    }
    xml += "</boek>";
    openFromWorkingFolder(xml, "DOC_TITLE_TAG=titel\nNAV_LEVEL1=deel/kop/head\nNAV_LEVEL2=hoofdstuk/kop/head\n"
                               "NAV_LEVEL3=sectie/kop/head\nNAV_LEVEL4=sub/kop/head\n");
    ASSERT_EQ(::Run().NavLevelCount, 4);
    EXPECT_EQ(entries(1), (QStringList{"D1", "D2"}));
    key(Qt::Key_Down);
    key(Qt::Key_Right);
    EXPECT_EQ(entries(2), (QStringList{"H2.1", "H2.2"}));
    key(Qt::Key_Down);
    key(Qt::Key_Right);
    EXPECT_EQ(entries(3).size(), 2);
    EXPECT_TRUE(entries(3)[0].startsWith(QStringLiteral("S2.2.1")));
    key(Qt::Key_Down);
    key(Qt::Key_Right);
    ASSERT_EQ(level(), 4);
    ASSERT_EQ(entries(4).size(), 3);
    for (int u = 0; u < 3; ++u)
        EXPECT_TRUE(entries(4)[u].startsWith(QStringLiteral("U2.2.2.%1 [").arg(u + 1))) << entries(4)[u].toStdString();
    key(Qt::Key_Down);
    key(Qt::Key_Right);
    EXPECT_TRUE(text().startsWith(QStringLiteral("U2.2.2.2"))) << text().toStdString();
    EXPECT_EQ(host.location, QStringLiteral("D2 / H2.2 / S2.2.2 / ") + entries(4)[1]);
    // Next article runs on over the ends of the deeper lists: from the last
    // subsection of S2.2.2 ... which is the last of the book.
    key(Qt::Key_Right, Qt::AltModifier);
    EXPECT_TRUE(text().startsWith(QStringLiteral("U2.2.2.3")));
    key(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(host.sounds.last(), QStringLiteral("EndDocument.wav"));
    // Back over a chapter's end: from U2.1.1.1 back to U1.2.2.3, the lists refilled.
    lists.setListIndex(2, 0);
    nav.LoadLevelTitles(3);
    nav.LoadLevelTitles(4);
    nav.LoadText(9, 0, QString());
    EXPECT_TRUE(text().startsWith(QStringLiteral("U2.1.1.1")));
    key(Qt::Key_Left, Qt::AltModifier);
    EXPECT_TRUE(text().startsWith(QStringLiteral("U1.2.2.3"))) << text().toStdString();
    EXPECT_EQ(host.sounds.last(), QStringLiteral("Navigate.wav"));
    EXPECT_EQ(row(1), 0);
    EXPECT_EQ(row(2), 1);
    EXPECT_EQ(row(3), 1);
    EXPECT_EQ(row(4), 2);
    // Level-1 and level-2 ids are the classic ones.
    EXPECT_EQ(TextAssembly::FindHeading(::Run().XmlDoc, 202).text(), QStringLiteral("H2.2"));
    EXPECT_EQ(TextAssembly::FindHeading(::Run().XmlDoc, 100).text(), QStringLiteral("D1"));
}

} // namespace
