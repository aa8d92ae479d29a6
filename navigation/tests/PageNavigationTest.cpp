// Page moves over real documents read through the open pipeline, with a real
// text model and a host that records what the window would show.
#include "navigation/Navigator.h"

#include "settings/Options.h"
#include "settings/modLanguage.h"
#include "tests/support/ReadingFixture.h"

#include <gtest/gtest.h>

namespace {

const QByteArray NewspaperXdf =
    "DOC_TITLE_TAG=krantnaam\nNAV_LEVEL1=rubriek/titel/head\nNAV_LEVEL2=artikel/titel/head\n";

// Two sections; a mark before the first section, one between a section's
// heading and its first article, a roman label, a label used twice, and a
// label that begins another ("1" and "12").
QByteArray Newspaper()
{
    auto article = [](const char* title, const QByteArray& body) {
        return QByteArray("<artikel><titel><head>") + title + "</head></titel>" + body + "</artikel>";
    };
    return "<krant><meta><krantnaam>Krant</krantnaam></meta><pagenum>i</pagenum>"
           "<rubriek><titel><head>Binnenland</head></titel>" +
           article("Dijken", "<p>Het water zakt.</p><pagenum>1</pagenum><p>Nog steeds hoog.</p>") +
           article("Wegen", "<p>Files.</p><pagenum>12</pagenum><p>Meer files.</p><pagenum>1</pagenum><p>Eind.</p>") +
           "</rubriek><rubriek><titel><head>Sport</head></titel><pagenum>xii</pagenum>" +
           article("Schaatsen", "<p>IJs.</p>") + article("Voetbal", "<p>Gelijk.</p>") +
           article("Zeilen",
                   "<p>Wind.</p><pagenum>20</pagenum><p>Storm op zee.</p><pagenum>B3</pagenum><p>Haven.</p>") +
           "</rubriek></krant>";
}

class PageNavigationTest : public ReadingFixture {
protected:
    void SetUp() override
    {
        ReadingFixture::SetUp();
        Opts().ShowWordCount = false;
    }

    void open(const QByteArray& xml, const QByteArray& xdf = NewspaperXdf) { openFromWorkingFolder(xml, xdf); }
    void page(int16_t index) { nav.GoPage(index); }
    void goTo(const QString& label)
    {
        prompter.answerInput(label);
        page(0);
    }
    QString article() const { return nav.SelectedEntry(::Run().NavLevelCount); }
    int messages() const { return int(prompter.questions().size()); }
    QString lastMessage() const { return prompter.questions().empty() ? QString() : prompter.questions().back().text; }
};

TEST_F(PageNavigationTest, NextPageWalksEveryMarkInDocumentOrder)
{
    open(Newspaper());
    ASSERT_TRUE(::Run().HasPageNumbers);
    ASSERT_EQ(nav.Pages().marks().size(), 7u);
    // From the start: the mark before the first section stands under the first heading.
    page(1);
    EXPECT_EQ(::Run().CurrentLevel, 9);
    EXPECT_EQ(host.focused, 9);
    EXPECT_EQ(lists.ListIndex(1), 0);
    EXPECT_EQ(article(), QStringLiteral("Dijken"));
    EXPECT_EQ(nav.CurrentPageId, 0);
    EXPECT_EQ(viewer.SelStart(), 0);

    const struct {
        const char* article;
        const char* line;
    } walk[] = {{"Dijken", "Pagina 1"}, {"Wegen", "Pagina 12"},  {"Wegen", "Pagina 1"},
                {"Schaatsen", nullptr}, {"Zeilen", "Pagina 20"}, {"Zeilen", "Pagina B3"}};
    for (const auto& step : walk) {
        page(1);
        EXPECT_EQ(article(), QString::fromUtf8(step.article));
        if (step.line) {
            EXPECT_EQ(atCaret(), QString::fromUtf8(step.line)) << step.line;
        }
        EXPECT_EQ(::Run().LastReadPosition, viewer.SelStart());
    }
    // The mark between "Sport" and its first article: section 2, first article, caret at the start.
    EXPECT_EQ(messages(), 0);
    page(1);
    EXPECT_EQ(messages(), 1);
    EXPECT_EQ(lastMessage(), SetLangTxt(118));
    EXPECT_EQ(prompter.questions().back().title, SetLangTxt(117));
    EXPECT_EQ(article(), QStringLiteral("Zeilen")) << "the view does not change";
}

TEST_F(PageNavigationTest, PreviousPageGoesBackAndStopsAtTheFirst)
{
    open(Newspaper());
    page(2);
    EXPECT_EQ(lastMessage(), SetLangTxt(118)) << "nothing before the start";
    goTo(QStringLiteral("20"));
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina 20"));
    page(2);
    EXPECT_EQ(lists.ListIndex(1), 1);
    EXPECT_EQ(article(), QStringLiteral("Schaatsen")) << "xii stands under Sport, shown with its first article";
    page(2);
    EXPECT_EQ(article(), QStringLiteral("Wegen"));
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina 1"));
    page(2);
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina 12"));
    page(2);
    page(2);
    EXPECT_EQ(article(), QStringLiteral("Dijken"));
    EXPECT_EQ(nav.CurrentPageId, 0) << "the first mark, before any heading";
    const int before = messages();
    page(2);
    EXPECT_EQ(messages(), before + 1);
    EXPECT_EQ(lastMessage(), SetLangTxt(118));
}

TEST_F(PageNavigationTest, GoToPageTakesAnyLabelAndTheLaterOfTwo)
{
    open(Newspaper());
    goTo(QStringLiteral("  xii "));
    EXPECT_EQ(lists.ListIndex(1), 1);
    EXPECT_EQ(article(), QStringLiteral("Schaatsen"));
    ASSERT_EQ(prompter.questions().back().kind, ScriptedPrompter::Question::Kind::Input);
    EXPECT_EQ(prompter.questions().back().title, SetLangTxt(117));

    goTo(QStringLiteral("B3"));
    EXPECT_EQ(article(), QStringLiteral("Zeilen"));
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina B3"));
    // "1" is on two marks: the later one, in "Wegen" after page 12.
    goTo(QStringLiteral("1"));
    EXPECT_EQ(article(), QStringLiteral("Wegen"));
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina 1"));
    EXPECT_GT(viewer.SelStart(), viewer.Text().indexOf(QStringLiteral("Pagina 12")));
    // Quotes are a label like any other; unknown labels and Cancel change nothing.
    const int shownAt = viewer.SelStart();
    const int before = messages();
    goTo(QStringLiteral("1' or '1'='1"));
    EXPECT_EQ(messages(), before + 2);
    EXPECT_EQ(lastMessage(), SetLangTxt(118));
    prompter.answerInput(std::nullopt);
    page(0);
    EXPECT_EQ(messages(), before + 3) << "only the question itself";
    EXPECT_EQ(viewer.SelStart(), shownAt);
    // "-1" is a label, not a cancel.
    goTo(QStringLiteral("-1"));
    EXPECT_EQ(lastMessage(), SetLangTxt(118));
}

TEST_F(PageNavigationTest, PageMovesGoFromWhereTheReaderIs)
{
    open(Newspaper());
    goTo(QStringLiteral("12"));
    // The reader goes on to the third article of section 2 by article moves.
    lists.setListIndex(1, 1);
    nav.LoadLevelTitles(2);
    lists.setListIndex(2, 2);
    nav.LoadText(2, 0, QString());
    ::Run().CurrentLevel = 9;
    page(2);
    EXPECT_EQ(article(), QStringLiteral("Schaatsen")) << "the page before Zeilen is xii, not the one before 12";
    // In the text of Zeilen after its first mark, next is the mark after it.
    goTo(QStringLiteral("20"));
    viewer.setSelStart(viewer.SelStart() + 10);
    page(1);
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina B3"));
    // In a list, the reader stands before the selected heading.
    ::Run().CurrentLevel = 1;
    lists.setListIndex(1, 1);
    nav.ShowInfo(1, true);
    page(1);
    EXPECT_EQ(article(), QStringLiteral("Schaatsen"));
    EXPECT_EQ(lists.ListIndex(2), 0);
    ::Run().CurrentLevel = 1;
    lists.setListIndex(1, 1);
    page(2);
    EXPECT_EQ(article(), QStringLiteral("Wegen"));
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina 1"));
}

TEST_F(PageNavigationTest, OneLevelBookShowsTheChapterOfThePage)
{
    open("<boek><titel>Reis</titel><hoofdstuk><titel><head>Een</head></titel><p>a</p><pagenum>5</pagenum><p>b</p>"
         "</hoofdstuk><hoofdstuk><titel><head>Twee</head></titel><p>c</p><pagenum>6</pagenum><p>d</p></hoofdstuk>"
         "</boek>",
         "DOC_TITLE_TAG=titel\nNAV_LEVEL1=hoofdstuk/titel/head\n");
    ASSERT_EQ(::Run().NavLevelCount, 1);
    goTo(QStringLiteral("6"));
    EXPECT_EQ(lists.ListIndex(1), 1);
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina 6"));
    page(2);
    EXPECT_EQ(lists.ListIndex(1), 0);
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina 5"));
}

TEST_F(PageNavigationTest, ADocumentWithoutPagesAfterOneWithPagesSaysSo)
{
    open(Newspaper());
    goTo(QStringLiteral("20"));
    ASSERT_NE(nav.CurrentPageId, 0);
    open("<krant><meta><krantnaam>K</krantnaam></meta><rubriek><titel><head>A</head></titel>"
         "<artikel><titel><head>B</head></titel><p>x</p></artikel></rubriek></krant>");
    EXPECT_FALSE(::Run().HasPageNumbers);
    EXPECT_EQ(nav.CurrentPageId, 0);
    const int before = messages();
    page(1);
    ASSERT_EQ(messages(), before + 1);
    EXPECT_EQ(lastMessage(), SetLangTxt(121));
    EXPECT_FALSE(SetLangTxt(121).isEmpty());
    EXPECT_EQ(::Run().CurrentLevel, 1);
}

TEST_F(PageNavigationTest, TheSampleNewspaperPagesFollowTheIds)
{
    open(TestHome::ReadFile(AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml")),
         TestHome::ReadFile(AppPaths::DefaultDir() + QStringLiteral("/news.xdf")));
    const auto& marks = nav.Pages().marks();
    ASSERT_GT(marks.size(), 10u);
    for (size_t i = 1; i < marks.size(); ++i)
        EXPECT_LT(marks[i - 1].id, marks[i].id);
    // Page 3 of the paper: the section and article its id names.
    goTo(QStringLiteral("3"));
    const PageMark& three = marks[size_t(nav.Pages().lastWithLabel(QStringLiteral("3")))];
    EXPECT_EQ(lists.ListIndex(1), three.level1 - 1);
    EXPECT_EQ(lists.ListIndex(2), three.level2 - 1);
    EXPECT_EQ(nav.CurrentPageId, three.id);
    EXPECT_EQ(atCaret(), QStringLiteral("Pagina 3"));
}

} // namespace
