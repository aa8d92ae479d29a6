#include "render/StyleApplier.h"

#include "app/core/AppPaths.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "render/modCss2RTF.h"
#include "settings/Options.h"
#include "tests/support/FreshState.h"
#include "tests/support/TestHome.h"

#include <QFile>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

class StyleApplierTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        ASSERT_TRUE(LoadCSSFromText("default {\r\nfont-family: Tahoma;\r\nfont-size: 16;\r\n}\r\n"
                                    "artikel {\r\ncolor: teal;\r\nbackground-color: silver;\r\n}\r\n"));
    }
    void TearDown() override { ResetProgramState(); }

    // The formatting of a character inserted after applying the properties.
    QTextCharFormat Applied(std::initializer_list<std::pair<const char*, QString>> properties,
                            const QString& element = {})
    {
        for (const auto& [name, value] : properties)
            MarkUpRTF(viewer, QString::fromLatin1(name), value, element);
        viewer.setSelText(QStringLiteral("x"));
        QTextCursor c(viewer.document());
        c.setPosition(viewer.document()->characterCount() - 2);
        c.setPosition(viewer.document()->characterCount() - 1, QTextCursor::KeepAnchor);
        return c.charFormat();
    }

    static QStringList ErrorLines()
    {
        const QString log = QString::fromLatin1(TestHome::ReadFile(AppPaths::ErrorLogPath()));
        return log.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    TextViewer viewer;
};

TEST_F(StyleApplierTest, FontsAndStylesReadAsTheDialectMeansThem)
{
    EXPECT_EQ(Applied({{"font-family", " Arial, Verdana"}}).fontFamilies().toStringList(), QStringList{"Arial"});
    EXPECT_EQ(Applied({{"FONT-FAMILY", "\"Times New Roman\", serif"}}).fontFamilies().toStringList(),
              QStringList{"\"Times New Roman\""});
    EXPECT_NE(Applied({{"font-weight", "700"}}).fontWeight(), QFont::Bold);
    EXPECT_EQ(Applied({{"font-weight", "bolder"}}).fontWeight(), QFont::Bold);
    EXPECT_FALSE(Applied({{"font-style", "oblique"}}).fontItalic());
    EXPECT_TRUE(Applied({{"text-decoration", "Underline"}, {"font-style", "ITALIC"}}).fontUnderline());
    // Unknown property names and empty values do nothing.
    const QTextCharFormat before = Applied({{"font-weight", "bold"}});
    EXPECT_EQ(Applied({{"text-weight", "normal"}, {"font-style", ""}, {"font-weight", ""}, {"color", ""}}), before);
    EXPECT_TRUE(ErrorLines().isEmpty());
    // Under overrule the reader's font wins whatever the sheet says.
    Opts().OverRuleCss = true;
    Opts().UserFont = QStringLiteral("Courier");
    EXPECT_EQ(Applied({{"font-family", "Arial"}}).fontFamilies().toStringList(), QStringList{"Courier"});
}

TEST_F(StyleApplierTest, FontSizeReadsNumbersUnitsAndTheOffset)
{
    EXPECT_EQ(Applied({{"font-size", "9pt"}}).fontPointSize(), 9);
    EXPECT_EQ(Applied({{"font-size", "12.5"}}).fontPointSize(), 12); // halves to even
    Txt().FontSizeOffset = 4;
    EXPECT_EQ(Applied({{"font-size", "12px"}}).fontPointSize(), 16);
    Txt().FontSizeOffset = -15;
    EXPECT_EQ(Applied({{"font-size", "20px"}}).fontPointSize(), 5);
    // Too small with the offset, or no leading digit: one log entry each, the size in force stays.
    EXPECT_EQ(Applied({{"font-size", "12"}}).fontPointSize(), 5);
    Txt().FontSizeOffset = 0;
    EXPECT_EQ(Applied({{"font-size", "large"}}).fontPointSize(), 5);
    const QStringList errors = ErrorLines();
    ASSERT_EQ(errors.size(), 2);
    EXPECT_TRUE(errors[0].contains(" - MarkUpRTF,")) << errors[0].toStdString();
    EXPECT_TRUE(errors[1].contains(",13,Type mismatch,")) << errors[1].toStdString();
}

TEST_F(StyleApplierTest, OverruledSizesFollowTheElement)
{
    Opts().OverRuleCss = true;
    Opts().FontSize = QStringLiteral("12");
    Txt().FontSizeOffset = 10; // not added under overrule
    EXPECT_EQ(Applied({{"font-size", "20"}}, "head").fontPointSize(), 36);
    EXPECT_EQ(Applied({{"font-size", "20"}}, "chapeau").fontPointSize(), 24);
    EXPECT_EQ(Applied({{"font-size", "20"}}, "onderkop").fontPointSize(), 18);
    EXPECT_EQ(Applied({{"font-size", "20"}}, "Head").fontPointSize(), 12);
    Opts().FontSize = QStringLiteral("13");
    EXPECT_EQ(Applied({{"font-size", "20"}}, "onderkop").fontPointSize(), 20); // 19.5 to even
    Opts().FontSize = QStringLiteral("15");
    EXPECT_EQ(Applied({{"font-size", "20"}}, "onderkop").fontPointSize(), 22); // 22.5 to even
    // A rule without a size leaves the size alone, overrule or not.
    EXPECT_EQ(Applied({{"font-size", ""}}, "head").fontPointSize(), 22);
}

TEST_F(StyleApplierTest, ColoursByNameByStyleFieldOrTheReadersOwn)
{
    EXPECT_EQ(Applied({{"color", "Red"}}).foreground().color(), QColor(0xFF, 0, 0));
    // A number names a field of record 1, then of record 0.
    EXPECT_EQ(Applied({{"color", "9"}}).foreground().color(), QColor(0, 0x80, 0x80));
    EXPECT_EQ(SetColor("8"), QString::number(0xC0C0C0));
    ASSERT_TRUE(LoadCSSFromText("p {\r\nfont-size: 3;\r\n}\r\n"));
    EXPECT_EQ(SetColor("9"), "0"); // Black, the built-in default
    // Not a colour name: one log entry, the colour in force stays.
    EXPECT_EQ(Applied({{"color", "#FF0000"}}).foreground().color(), QColor(0, 0x80, 0x80));
    EXPECT_EQ(ErrorLines().size(), 1);
    EXPECT_EQ(SetColor("#FF0000"), "");
    EXPECT_EQ(SetColor("99"), ""); // no such field: logged
    EXPECT_EQ(ErrorLines().size(), 2);
    EXPECT_TRUE(ErrorLines().last().contains(" - SetColor,"));

    // The sheet's background never reaches the view; under overrule the reader's colours do.
    viewer.setBackColor(0x123456);
    MarkUpRTF(viewer, QStringLiteral("background-color"), QStringLiteral("red"));
    EXPECT_EQ(viewer.BackColor(), 0x123456);
    Opts().OverRuleCss = true;
    Opts().ForeGroundColorIndex = 15;
    Opts().BackGroundColorIndex = 2;
    EXPECT_EQ(Applied({{"color", "red"}, {"background-color", "red"}}).foreground().color(), QColor(0xFF, 0xFF, 0));
    EXPECT_EQ(viewer.BackColor(), 0xFF0000);
}

TEST_F(StyleApplierTest, AlignmentAndIndentSetTheParagraph)
{
    const auto block = [&] { return viewer.document()->lastBlock().blockFormat(); };
    MarkUpRTF(viewer, QStringLiteral("text-align"), QStringLiteral("CENTER"));
    EXPECT_EQ(block().alignment(), Qt::AlignHCenter);
    MarkUpRTF(viewer, QStringLiteral("text-align"), QStringLiteral("justify"));
    EXPECT_EQ(block().alignment(), Qt::AlignLeft);

    // Indents are in twips, 15 to a pixel; "text-indent" is not the name the applier takes.
    MarkUpRTF(viewer, QStringLiteral("text-ident"), QStringLiteral("150px"));
    EXPECT_EQ(block().leftMargin(), 10);
    MarkUpRTF(viewer, QStringLiteral("text-ident"), QStringLiteral("auto"));
    MarkUpRTF(viewer, QStringLiteral("text-indent"), QStringLiteral("300"));
    EXPECT_EQ(block().leftMargin(), 10);
    EXPECT_EQ(ErrorLines().size(), 1);
    MarkUpRTF(viewer, QStringLiteral("text-ident"), QStringLiteral("px")); // the default, 0
    EXPECT_EQ(block().leftMargin(), 0);
}

TEST_F(StyleApplierTest, TextAndTheConverters)
{
    MarkUpRTF(viewer, QStringLiteral("Text"), QStringLiteral("CrLf"));
    MarkUpRTF(viewer, QStringLiteral("text"), QStringLiteral("crlf "));
    EXPECT_EQ(viewer.Text(), "\r\ncrlf ");

    EXPECT_EQ(SetFontName(" 0"), "Tahoma");
    EXPECT_EQ(SetFontName("0"), "0");
    EXPECT_EQ(SetFontSize(""), 16);
    EXPECT_EQ(SetFontSize("1e1"), 10);
    EXPECT_EQ(SetFontSize("px"), 0);
    EXPECT_EQ(SetFontSize("99999"), 0); // beyond 16 bits
    const QStringList errors = ErrorLines();
    ASSERT_EQ(errors.size(), 2);
    EXPECT_TRUE(errors[1].contains(" - SetFontSize,") && errors[1].contains(",6,Overflow,"));
}

} // namespace
