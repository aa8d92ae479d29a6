#include "render/modCss2RTF.h"

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "settings/modFilesFolders.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

const QStringList kProperties = {"",
                                 "font-family",
                                 "font-size",
                                 "font-style",
                                 "font-weight",
                                 "text-align",
                                 "text-indent",
                                 "text-decorartion",
                                 "background-color",
                                 "color",
                                 "opentag-prefix",
                                 "opentag-suffix",
                                 "closetag-prefix",
                                 "closetag-suffix"};
const QStringList kDefaults = {"",     "Verdana", "14",    "normal", "normal", "left", "0",
                               "none", "White",   "Black", "",       "",       "",     ""};

// A record as "name{property=value;...}"; record 0 shows only what differs from the built-in defaults.
QString Show(const StyleRecord& r, bool isDefaults)
{
    QStringList parts;
    for (int f = 1; f < Style::FieldCount; ++f) {
        if (!r[f].isEmpty() && !(isDefaults && r[f] == kDefaults[f]))
            parts << kProperties[f] + "=" + r[f];
        else if (isDefaults && r[f] != kDefaults[f])
            parts << kProperties[f] + "=(empty)";
    }
    return r[Style::Name] + "{" + parts.join(";") + "}";
}

// Every record of the table but the last, which must be the empty one at StyleCount.
QStringList Table()
{
    const std::vector<StyleRecord>& table = StyleTable();
    EXPECT_EQ(table.size(), static_cast<size_t>(StyleCount()) + 1);
    QStringList shown;
    for (size_t i = 0; i < table.size(); ++i)
        shown << Show(table[i], i == 0);
    if (StyleCount() > 0) {
        EXPECT_EQ(shown.takeLast(), "{}");
    }
    return shown;
}

TEST(CssTest, EmptyOrRuleLessSheetLoadsTheDefaultsOnly)
{
    for (const QString& text : {QString(), QString("x"), QString("no rules here }")}) {
        EXPECT_TRUE(LoadCSSFromText(text));
        EXPECT_EQ(StyleCount(), 1);
        EXPECT_EQ(Table(), QStringList({"{}"}));
        for (int f = 0; f < Style::FieldCount; ++f)
            EXPECT_EQ(StyleTable()[0][f], kDefaults[f]) << f;
    }
}

TEST(CssTest, ReadsTheDialect)
{
    ASSERT_TRUE(LoadCSSFromText(
        "default {\r\nfont-family: Verdana;\r\nfont-size: 12;\r\n}\r\n"
        "head {\r\nfont-weight: bold;\r\nopentag-prefix: \"crlf\";\r\nopentag-suffix: \"crlf\";\r\n}\r\n"
        "P {\r\n"
        "\tFONT-SIZE: 12px;\r\n"
        "Color: Red;\r\n"
        "font-family: \"Times New Roman\", serif;\r\n"
        "text-decoration: underline;\r\n"
        "text-decorartion: underline;\r\n"
        "text-indent: 20px;\r\n"
        "line-height: 2;\r\n"
        "closetag-prefix: \"Page: \";\r\n"
        "closetag-suffix: a:b:c ;\r\n"
        "}\r\n"
        "h1 h2 {\r\ncolor: blue;\r\n}\r\n"
        "h1, h2 {\r\ncolor: lime;\r\n}\r\n"
        "head {\r\nfont-style: italic;\r\n}\r\n"));
    EXPECT_EQ(StyleCount(), 6);
    EXPECT_EQ(Table(),
              QStringList({"default{font-size=12}", "head{font-weight=bold;opentag-prefix=crlf;opentag-suffix=crlf}",
                           "P{font-family=\"Times New Roman\", serif;font-size=12px;text-indent=20px;"
                           "text-decorartion=underline;color=Red;closetag-prefix=Page: ;closetag-suffix=a:b:c}",
                           "h1{color=blue}", "h1,{color=lime}", "head{font-style=italic}"}));
}

TEST(CssTest, PageNumberSuffixComesFromThePagenumRuleOfTheSheetInForce)
{
    ASSERT_TRUE(LoadCSSFromText("Pagenum {\r\nopentag-suffix: \"Blz \";\r\n}\r\n"
                                "pagenum {\r\nopentag-suffix: \"Pagina \";\r\n}\r\n"));
    EXPECT_EQ(PageNumSuffix(), "Pagina ");
    ASSERT_TRUE(LoadCSSFromText("p {\r\ncolor: red;\r\n}\r\n"));
    EXPECT_EQ(PageNumSuffix(), "");
}

TEST(CssTest, SheetsWrittenLooselyReadAsMeant)
{
    // Selector against its "{", last declaration without ";" or with "}" right after it.
    ASSERT_TRUE(LoadCSSFromText("p{color: red}\r\ni {color: red;}\r\nb {font-weight: bold; color: red }"));
    EXPECT_EQ(Table(), QStringList({"{}", "p{color=red}", "i{color=red}", "b{font-weight=bold;color=red}"}));

    // LF line ends read like CR LF; a line break inside a value or before "{" is no part of it.
    const QString crlf = "default {\r\nfont-size: 16;\r\n}\r\nhead\r\n{\r\nfont-family: Arial,\r\n Verdana;\r\n}\r\n";
    const QStringList expected = {"default{font-size=16}", "head{font-family=Arial, Verdana}"};
    ASSERT_TRUE(LoadCSSFromText(crlf));
    EXPECT_EQ(Table(), expected);
    ASSERT_TRUE(LoadCSSFromText(QString(crlf).replace("\r\n", "\n")));
    EXPECT_EQ(Table(), expected);

    // A declaration without ":" and a rule without selector cost only themselves.
    ASSERT_TRUE(LoadCSSFromText("p {\r\ncolour red;\r\ncolor: red;\r\n}\r\n{\r\ncolor: blue;\r\n}{color: lime;}\r\n"
                                "i {\r\nfont-style: italic;\r\n}\r\n"));
    EXPECT_EQ(Table(), QStringList({"{}", "p{color=red}", "{color=blue}", "{color=lime}", "i{font-style=italic}"}));
}

TEST(CssTest, UnclosedRulesAndLaterDefaultRules)
{
    // A rule without "}" keeps only its name, in the record the next rule takes.
    ASSERT_TRUE(LoadCSSFromText("a {\r\ncolor: red;\r\n}\r\nb {\r\ncolor: blue;\r\n"));
    EXPECT_EQ(StyleCount(), 2);
    EXPECT_EQ(Table(), QStringList({"{}", "a{color=red}"}));

    // A later "default" rule starts the numbering again; "c" replaces "a" whole.
    ASSERT_TRUE(LoadCSSFromText("a {\r\ncolor: red;\r\n}\r\nb {\r\ncolor: blue;\r\n}\r\n"
                                "default {\r\nfont-size: 20;\r\n}\r\nc {\r\nfont-style: italic;\r\n}\r\n"));
    EXPECT_EQ(Table(), QStringList({"default{font-size=20}", "c{font-style=italic}"}));
}

TEST(CssTest, TheTableGrowsPastFiftyRulesUpToTheSixteenBitLimit)
{
    QString sheet;
    for (int i = 1; i <= 60; ++i)
        sheet += QString("e%1 {\r\nfont-size: %1;\r\n}\r\n").arg(i);
    ASSERT_TRUE(LoadCSSFromText(sheet));
    EXPECT_EQ(StyleCount(), 61);
    EXPECT_EQ(Table().last(), "e60{font-size=60}");

    EXPECT_FALSE(LoadCSSFromText(QString("x {}").repeated(32800)));
    EXPECT_EQ(StyleCount(), 32767);
    EXPECT_EQ(Table().last(), "x{}");
}

TEST(CssTest, LoadCssReadsAStyleSheetOfTheRunState)
{
    RunState& rs = ::Run();
    rs.StyleSheets = {{"een", "p {\r\ncolor: red;\r\n}\r\n"}, {"twee", "i {\r\ncolor: blue;\r\n}\r\n"}};
    EXPECT_TRUE(LoadCSS(2));
    EXPECT_EQ(Table(), QStringList({"{}", "i{color=blue}"}));
    // No such entry: the defaults are in force and the error is logged.
    EXPECT_FALSE(LoadCSS(3));
    EXPECT_EQ(Table(), QStringList({"{}"}));
    EXPECT_TRUE(TestHome::ReadFile(AppPaths::ErrorLogPath()).contains(" - LoadCSS,Read style sheet 3,9,"));
    rs.StyleSheets.clear();
}

// The package sheet of the sample newspaper and the system sheets read as
// written: every line a selector and " {", a declaration ending in ";" or "}"
// (CR LF line ends), so a strict reader of the dialect reads them the same;
// every declaration lands in its record with its value; "default" comes first;
// the page-number suffix is that of the package sheet; colours are named ones.
TEST(CssTest, ShippedSheetsReadAsWritten)
{
    const QStringList sheets = QDir(AppPaths::CssDir()).entryList({"*.css"}, QDir::Files, QDir::Name);
    EXPECT_EQ(sheets, QStringList({"grote_letters.css", "hoog_contrast.css", "standaard.css"}));
    const QSet<QString> colours = {"aqua", "black", "blue",   "fuchsia", "grey",   "green", "lime",  "maroon",
                                   "nay",  "olive", "purper", "red",     "silver", "teal",  "white", "yellow"};
    const QRegularExpression line(R"(^(?:([a-z]+) \{|([a-z-]+): ("?)([^;"]*)\3;|\})$)");
    QStringList paths = {AppPaths::SamplesDir() + "/dagblad.css"};
    for (const QString& s : sheets)
        paths << AppPaths::CssDir() + "/" + s;
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        const QByteArray bytes = TestHome::ReadFile(path);
        ASSERT_TRUE(bytes.startsWith("default {\r\n") && bytes.endsWith("}\r\n"));
        ASSERT_TRUE(LoadCSSFromText(ReadWholeFile(path)));
        EXPECT_EQ(PageNumSuffix(), "Pagina ");
        int record = -1;
        QSet<QString> styled;
        for (const QString& l : QString::fromLatin1(bytes).split("\r\n").mid(0, bytes.count("\r\n"))) {
            const QRegularExpressionMatch m = line.match(l);
            ASSERT_TRUE(m.hasMatch()) << l.toStdString();
            if (m.hasCaptured(1)) {
                ++record;
                ASSERT_LT(record, StyleCount());
                EXPECT_EQ(StyleTable()[record][Style::Name], m.captured(1));
                styled << m.captured(1);
            } else if (m.hasCaptured(2)) {
                const int field = static_cast<int>(kProperties.indexOf(m.captured(2)));
                ASSERT_GT(field, 0) << l.toStdString();
                EXPECT_EQ(StyleTable()[record][field], m.captured(4)) << l.toStdString();
                if (field == Style::Color || field == Style::BackgroundColor) {
                    EXPECT_TRUE(colours.contains(m.captured(4))) << l.toStdString();
                }
            }
        }
        EXPECT_EQ(record + 1, StyleCount());
        if (path.contains("/CSS/")) {
            for (const char* e : {"krant", "rubriek", "artikel", "titel", "head", "onderkop", "chapeau", "auteur",
                                  "intro", "p", "b", "i", "pagenum", "img", "hoofdstuk"})
                EXPECT_TRUE(styled.contains(e)) << e;
        }
    }

    // Yellow on black, also in records 0 and 1, where the lists and the view take their colours from.
    ASSERT_TRUE(LoadCSSFromText(ReadWholeFile(AppPaths::CssDir() + "/hoog_contrast.css")));
    for (int r = 0; r < StyleCount(); ++r) {
        const StyleRecord& rec = StyleTable()[r];
        EXPECT_TRUE(rec[Style::Color].isEmpty() || rec[Style::Color] == "yellow") << r;
        EXPECT_TRUE(rec[Style::BackgroundColor].isEmpty() || rec[Style::BackgroundColor] == "black") << r;
    }
    EXPECT_EQ(StyleTable()[1][Style::Color] + StyleTable()[1][Style::BackgroundColor], "yellowblack");
}

} // namespace
