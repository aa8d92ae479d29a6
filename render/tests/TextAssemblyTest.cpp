#include "render/TextAssembly.h"

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "package/dom/Dom.h"
#include "package/modEntities.h"
#include "package/modXML.h"
#include "package/modXdf.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "render/modCss2RTF.h"
#include "settings/Options.h"
#include "settings/modFilesFolders.h"
#include "settings/modLanguage.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestHome.h"

#include <QFile>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

const QColor kBlack(0, 0, 0), kMaroon(0x80, 0, 0), kTeal(0, 0x80, 0x80), kGreen(0, 0x80, 0);

// The bundled newspaper with its own style sheet, ids numbered as at opening.
class TextAssemblyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        LoadLang(QStringLiteral("English"));
        LoadEntityMapping();
        LoadXdf(AppPaths::DefaultDir() + QStringLiteral("/news.xdf"));
        ASSERT_TRUE(::Run().XmlDoc.load(AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml")));
        AddNodeIds();
        ASSERT_TRUE(LoadCSSFromText(ReadWholeFile(AppPaths::SamplesDir() + QStringLiteral("/dagblad.css"))));
    }
    void TearDown() override { ResetProgramState(); }

    // Formatting of the character at a view position (a line break counts two).
    QTextCharFormat At(int position)
    {
        viewer.setSelStart(position);
        viewer.setSelLength(1);
        return viewer.SelCharFormat();
    }
    QTextCharFormat At(const QString& text) { return At(int(viewer.Text().indexOf(text))); }

    // Builds markup with a sheet of its own.
    QString Build(const QString& css, QString xml)
    {
        EXPECT_TRUE(LoadCSSFromText(css));
        viewer.setText(QString());
        assembly.BuildXml(xml);
        return viewer.Text();
    }

    static int ErrorLines() { return int(TestHome::ReadFile(AppPaths::ErrorLogPath()).count("\r\n")); }

    TextViewer viewer;
    TextAssembly assembly{viewer};
    ScriptedPrompter prompter;
};

TEST_F(TextAssemblyTest, AnArticleIsBuiltWithItsStyles)
{
    viewer.setVisible(true);
    assembly.LoadText(101, 0, QString());
    EXPECT_FALSE(viewer.isVisible()); // shown again by whoever shows the text
    EXPECT_EQ(Txt().CurrentHeadId, 101);
    EXPECT_EQ(::Run().CurrentNode.text(), "Eerste vorst brengt schaatskoorts naar het Noorden");

    const QString text = viewer.Text();
    EXPECT_TRUE(text.startsWith("Eerste vorst brengt schaatskoorts naar het Noorden\r\n"
                                "IJsverenigingen zetten de sproeiers klaar; op ondiepe plassen kan zondag al "
                                "geschaatst worden\r\n\r\nWinter\r\n\r\nDoor Roelof Bakker en Femke de Haan\r\n\r\n"
                                "Na drie heldere nachten"))
        << text.left(300).toStdString();
    EXPECT_TRUE(text.contains("tot boven.\"\r\n\r\nOp sloten")); // &apos; decoded, paragraphs apart
    EXPECT_TRUE(text.contains("\"Zo'n ondergelopen weiland"));
    EXPECT_TRUE(text.endsWith("Dan zien we verder.\"\r\n"));
    EXPECT_EQ(viewer.SelStart(), 0);

    const QTextCharFormat head = At(0);
    EXPECT_EQ(head.fontPointSize(), 26);
    EXPECT_EQ(head.fontWeight(), QFont::Bold);
    EXPECT_EQ(head.foreground().color(), kMaroon);
    EXPECT_EQ(head.fontFamilies().toStringList(), QStringList{"Verdana"});
    EXPECT_TRUE(At("IJsverenigingen zetten").fontItalic());
    EXPECT_EQ(At("Winter").foreground().color(), kTeal);
    const QTextCharFormat page = At("Pagina 1");
    EXPECT_EQ(page.fontPointSize(), 15);
    EXPECT_EQ(page.foreground().color(), kTeal);
    EXPECT_EQ(At("In Roden stond").fontPointSize(), 17);
}

TEST_F(TextAssemblyTest, FormattingEndsWithItsElement)
{
    assembly.LoadText(101, 0, QString());
    EXPECT_EQ(At("min 7,4 graden").fontWeight(), QFont::Bold);
    const QTextCharFormat after = At(". Op de grond");
    EXPECT_EQ(after.fontWeight(), QFont::Normal);
    EXPECT_EQ(after.fontPointSize(), 17);
    EXPECT_EQ(after.foreground().color(), kBlack);

    // A described photo (an empty element) in its own colour; the text after it is not.
    assembly.LoadText(406, 0, QString());
    const QTextCharFormat photo = At("Afbeelding beschrijving: Foto: een kudde grijsbruine");
    EXPECT_TRUE(photo.fontItalic());
    EXPECT_EQ(photo.foreground().color(), kGreen);
    EXPECT_FALSE(At("Herder Albert Kremer").fontItalic());

    // Affixes: the opening prefix in the surrounding formatting, the rest in the element's.
    const QString css =
        "q {\r\nfont-weight: bold;\r\nopentag-prefix: \"[\";\r\nopentag-suffix: \"<\";\r\n"
        "closetag-prefix: \">\";\r\nclosetag-suffix: \"]\";\r\n}\r\ni {\r\nfont-style: italic;\r\n}\r\n";
    EXPECT_EQ(Build(css, "<p>a<q>b<i>c</i>d</q>e</b>f<br/>g<i>h<img descr=\"x\"/>j</i>k</p>"),
              "a[<bcd>]efghAfbeelding beschrijving: xjk");
    EXPECT_NE(At(1).fontWeight(), QFont::Bold);
    for (int bold : {2, 3, 4, 5, 6, 7})
        EXPECT_EQ(At(bold).fontWeight(), QFont::Bold) << bold;
    EXPECT_TRUE(At(4).fontItalic());
    EXPECT_FALSE(At(5).fontItalic());
    EXPECT_NE(At(9).fontWeight(), QFont::Bold); // a stray </b> changes nothing
    for (int italic : {11, 12, 38})
        EXPECT_TRUE(At(italic).fontItalic()) << italic;
    EXPECT_FALSE(At(39).fontItalic());
}

TEST_F(TextAssemblyTest, RecordsAndAttributes)
{
    // Both records of an element apply, in table order; an element without one keeps what is in force.
    Build("p {\r\ncolor: red;\r\nfont-size: 10;\r\n}\r\np {\r\nfont-size: 20;\r\n}\r\n", "<p>a<span>b</span></p>");
    EXPECT_EQ(At("a").fontPointSize(), 20);
    EXPECT_EQ(At("b").foreground().color(), QColor(0xFF, 0, 0));

    EXPECT_EQ(Build("", "<div size=\"3\"><p descr=\"no\" size=\"-2\">1</p>"
                        "<img src=\"m.png\" descr=\"Kaart &amp; legenda\"/>"
                        "<font color=\"#00ff00\" size=\"4\" font=\"Arial, Helvetica\" align=\"Center\">2</font>"
                        "<x size=\"big\" color=\"fff\" bgcolor=\"#0000FF\">3</x></div>"),
              "1Afbeelding beschrijving: Kaart & legenda23");
    EXPECT_EQ(At("1").fontPointSize(), 10);
    const QTextCharFormat two = At("2");
    EXPECT_EQ(two.fontPointSize(), 14);
    EXPECT_EQ(two.foreground().color(), QColor(0, 0xFF, 0));
    EXPECT_EQ(two.fontFamilies().toStringList(), QStringList{"Arial"});
    EXPECT_EQ(viewer.document()->lastBlock().blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(viewer.BackColor(), 0xFF0000);
    EXPECT_EQ(ErrorLines(), 2); // the size and the colour of x
    EXPECT_EQ(At("3").fontPointSize(), 12);
    EXPECT_FALSE(At("3").hasProperty(QTextFormat::ForegroundBrush));
}

TEST_F(TextAssemblyTest, ParagraphsWrappedInTheSourceReadAsWords)
{
    // A document laid out by hand: paragraphs wrapped over indented lines.
    const QString path = AppPaths::UserDir() + QStringLiteral("/gewikkeld.xml");
    ASSERT_TRUE(TestHome::WriteFile(path, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                          "<krant>\n"
                                          "  <rubriek>\n"
                                          "    <titel><head>Binnenland</head></titel>\n"
                                          "    <artikel>\n"
                                          "      <titel>\n"
                                          "        <head>Dijken\n"
                                          "          houden stand</head>\n"
                                          "      </titel>\n"
                                          "      <p>Het water stond\n"
                                          "         gisteren hoog,\tmaar\r\n"
                                          "\t\tde dijken <b>hielden</b>\n"
                                          "         het.</p>\n"
                                          "      <p>\n"
                                          "         Tweede alinea.\n"
                                          "      </p>\n"
                                          "    </artikel>\n"
                                          "  </rubriek>\n"
                                          "</krant>\n"));
    ASSERT_TRUE(::Run().XmlDoc.load(path));
    const DomNode head = ::Run().XmlDoc.asNode().selectSingleNode(QStringLiteral("//artikel/titel/head"));
    ASSERT_FALSE(head.isNull());
    assembly.BuildUnit(head);

    const QString text = viewer.Text();
    EXPECT_TRUE(text.contains("Dijken houden stand")) << text.toStdString();
    EXPECT_TRUE(text.contains("Het water stond gisteren hoog, maar de dijken hielden het.")) << text.toStdString();
    EXPECT_TRUE(text.contains("Tweede alinea.")) << text.toStdString();
    EXPECT_FALSE(text.contains("  ")) << text.toStdString();
    for (const QString& line : text.split("\r\n"))
        EXPECT_FALSE(line.startsWith(' ') || line.endsWith(' ')) << '"' << line.toStdString() << '"';
    EXPECT_EQ(At("hielden").fontWeight(), QFont::Bold);
    EXPECT_NE(At(" het.").fontWeight(), QFont::Bold);
}

TEST_F(TextAssemblyTest, AValueThatCannotBeAppliedIsLoggedOncePerBuild)
{
    const QString css = "p {\r\ncolor: #333333;\r\n}\r\nb {\r\nfont-weight: bold;\r\n}\r\n";
    QString xml;
    for (int i = 0; i < 200; ++i)
        xml += "<p>alinea <b>vet</b></p>";
    Build(css, xml);
    EXPECT_EQ(ErrorLines(), 1);
    Build(css, xml);
    EXPECT_EQ(ErrorLines(), 2); // once more for the next build
}

TEST_F(TextAssemblyTest, EveryBuildStartsFromTheSheetsBackground)
{
    const QString css = "body {\r\nbackground-color: teal;\r\n}\r\np {\r\ncolor: white;\r\n}\r\n";
    Build(css, "<body><p bgcolor=\"#00FF00\">groen</p></body>");
    EXPECT_EQ(viewer.BackColor(), 0x00FF00);
    Build(css, "<body><p>volgend artikel</p></body>");
    EXPECT_EQ(viewer.BackColor(), 0x808000); // teal

    Opts().OverRuleCss = true;
    Opts().BackGroundColorIndex = 12; // silver
    Build(css, "<body><p>eigen kleuren</p></body>");
    EXPECT_EQ(viewer.BackColor(), 0xC0C0C0);
    Opts().OverRuleCss = false;

    Build("", "<p bgcolor=\"#00FF00\">x</p>");
    Build("", "<p>zonder opmaak</p>");
    EXPECT_EQ(viewer.BackColor(), 0xFFFFFF);
}

TEST_F(TextAssemblyTest, TheCaretGoesToThePageOrTheLastReadPosition)
{
    assembly.LoadText(101, 0, QStringLiteral("1"));
    const int page = int(viewer.Text().indexOf("Pagina 1"));
    EXPECT_EQ(viewer.SelStart(), page);
    EXPECT_EQ(::Run().LastReadPosition, -1);

    assembly.LoadText(101, 250, QString());
    EXPECT_EQ(::Run().LastReadPosition, 250);
    EXPECT_EQ(viewer.SelStart(), 250);
    assembly.LoadText(101, 0, QStringLiteral("7")); // not in this article: as if no page were asked
    EXPECT_EQ(viewer.SelStart(), 250);

    // The whole section for a level-1 heading.
    assembly.LoadText(100, 0, QString());
    EXPECT_TRUE(viewer.Text().startsWith("Voorpagina\r\n"));
    EXPECT_TRUE(viewer.Text().contains("Vandaag in de krant\r\n"));
}

TEST_F(TextAssemblyTest, SearchMatchesAreColouredAndTheCaretTakesOne)
{
    TextState& txt = Txt();
    txt.SearchText = QStringLiteral("ijs");
    assembly.LoadText(101, 0, QString());
    const QString text = viewer.Text();
    std::vector<int32_t> expected;
    for (qsizetype at = text.indexOf("ijs", 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf("ijs", at + 3, Qt::CaseInsensitive))
        expected.push_back(int32_t(at));
    ASSERT_GT(expected.size(), 5u);
    EXPECT_EQ(txt.FoundPositions, expected);
    EXPECT_TRUE(::Run().GlobalSearchMode);
    EXPECT_EQ(viewer.SelStart(), expected.front());
    EXPECT_EQ(viewer.SelLength(), 3);
    for (int32_t at : expected)
        EXPECT_EQ(viewer.HighlightAt(at), TextViewer::FromQColor(kGreen)) << at;
    EXPECT_EQ(viewer.HighlightAt(expected.front() + 3), -1);

    // Whole words with case, starting at the last match, only below the last read position
    // in the text the search started from.
    txt.SearchWholeWord = txt.SearchCaseSensitive = true;
    txt.StartAtLastMatch = true;
    txt.SearchDirection = 1;
    txt.SearchOriginId = 101;
    txt.SearchText = QStringLiteral("ijs");
    ::Run().LastReadPosition = int32_t(text.indexOf("Op sloten"));
    assembly.LoadText(101, 0, QString());
    ASSERT_EQ(txt.FoundPositions.size(), 3u); // "ijs voorlopig", "ijs op", "ijs telkens"; not "ijsvereniging"
    EXPECT_EQ(viewer.SelStart(), txt.FoundPositions.back());
    EXPECT_EQ(txt.CurrentFound, 2);
    EXPECT_TRUE(prompter.questions().empty());
    // The last match is asked for once; the next build starts at the first.
    EXPECT_FALSE(txt.StartAtLastMatch);
    // Any other text is searched whole: it was listed for a match anywhere in it.
    txt.SearchOriginId = 102;
    assembly.LoadText(101, 0, QString());
    EXPECT_GT(txt.FoundPositions.size(), 3u);
    EXPECT_EQ(txt.CurrentFound, 0);

    txt.SearchText = QStringLiteral("tulpen");
    assembly.LoadText(101, 0, QString());
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1097));
    EXPECT_EQ(prompter.questions()[0].title, SetLangTxt(1092));
    EXPECT_TRUE(txt.SearchText.isEmpty());
    EXPECT_EQ(viewer.SelStart(), 0);
    EXPECT_EQ(viewer.SelLength(), 0);
}

} // namespace
