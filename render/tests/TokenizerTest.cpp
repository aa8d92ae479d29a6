#include "render/XML2RTF.h"

#include "app/core/AppPaths.h"
#include "app/core/ErrorConvention.h"
#include "package/dom/Dom.h"
#include "package/modEntities.h"

#include <QRegularExpression>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Writes every event down, e.g. "prop(class|x)", and keeps the text as the
// reader would see it, references decoded.
class Recorder : public XML2RTFEvents {
public:
    QStringList events;
    QString shown;
    std::function<void()> onText; // runs inside xMLText, for tests that misbehave there

    void xMLTagBegin(QStringView n) override { events << "begin(" + n.toString() + ")"; }
    void xMLProperty(QStringView n, QStringView v) override
    {
        events << "prop(" + n.toString() + "|" + v.toString() + ")";
    }
    void xMLTagEnd(QStringView t) override { events << "end(" + t.toString() + ")"; }
    void xMLTagClose(QStringView n) override { events << "close(" + n.toString() + ")"; }
    void xMLText(QStringView t) override
    {
        events << "text(" + t.toString() + ")";
        shown += ReplaceEntities(t);
        if (onText)
            onText();
    }
};

// The events of one scan, separated by blanks.
QString Scan(QString xml)
{
    Recorder r;
    XML2RTF(&r).ParsexML(xml);
    return r.events.join(' ');
}

TEST(TokenizerTest, ElementsAndAttributes)
{
    EXPECT_EQ(Scan(R"(<p class="x" id="7">Hello</p>)"),
              "begin(p) prop(class|x) prop(id|7) end(p) text(Hello) close(p)");
    EXPECT_EQ(Scan("<p>Hello</p>"), "begin(p) end(p) text(Hello) close(p)");
    // Names keep their case; values keep blanks inside, "<" and ">"; single quotes mean nothing.
    EXPECT_EQ(Scan(R"(<Kop t=" a <b> c " s='1' u="2"></Kop>)"),
              "begin(Kop) prop(t|a <b> c) prop(s='1' u|2) end(Kop) close(Kop)");
    // Blanks around "=": the trimmed name "a =" loses its last character.
    EXPECT_EQ(Scan(R"(<p a = "x"></p>)"), "begin(p) prop(a |x) end(p) close(p)");
    // A quote without a name before it gives an empty name; ending the scan
    // there would lose the rest of the unit.
    EXPECT_EQ(Scan(R"(<p  "x">z</p>)"), "begin(p) prop(|x) end(p) text(z) close(p)");
}

TEST(TokenizerTest, EmptyElementsDeclarationAndComments)
{
    EXPECT_EQ(Scan("<p>a<br/>b</p>"), "begin(p) end(p) text(a) begin(br/) end(br/) text(b) close(p)");
    EXPECT_EQ(Scan(R"(<img src="a.jpg" descr="Map"/>)"), "begin(img) prop(src|a.jpg) prop(descr|Map) end(img/)");
    // With a blank before the slash the tag does not end at its ">": everything
    // up to the next double quote becomes an attribute name.
    EXPECT_EQ(Scan(R"(<p>a<br />b</p><i x="1">c</i>)"),
              "begin(p) end(p) text(a) begin(br) prop(/>b</p><i x|1) end(br) text(c) close(i)");
    EXPECT_EQ(Scan("<>"), "begin() end()");
    EXPECT_EQ(Scan(R"(<?xml version="1.0" encoding="utf-8"?>)"),
              "begin(?xml) prop(version|1.0) prop(encoding|utf-8) end(?xml?)");
    EXPECT_EQ(Scan("<!--note--><p>x</p>"), "begin(!--note--) end(!--note--) begin(p) end(p) text(x) close(p)");
    // A blank makes the rest of a comment an attribute list up to the next quote.
    EXPECT_EQ(Scan(R"(<!-- a note --><p>x</p><q a="1">y</q>)"),
              "begin(!--) prop(a note --><p>x</p><q a|1) end(!--) text(y) close(q)");
}

TEST(TokenizerTest, BlankTextIsCarriedIntoTheNextRun)
{
    EXPECT_EQ(Scan("<b>one</b> <i>two</i>"), "begin(b) end(b) text(one) close(b) begin(i) end(i) text( two) close(i)");
    EXPECT_EQ(Scan("<a> <b>  <c>x </c></b></a>"),
              "begin(a) end(a) begin(b) end(b) begin(c) end(c) text(   x ) close(c) close(b) close(a)");
    // Blank text that no text follows, text after the last tag and an unterminated tag raise nothing.
    EXPECT_EQ(Scan("<p>x</p> "), "begin(p) end(p) text(x) close(p)");
    EXPECT_EQ(Scan("<p>a</p>tail"), "begin(p) end(p) text(a) close(p)");
    EXPECT_EQ(Scan("abc"), "");
    EXPECT_EQ(Scan("<p>a<b"), "begin(p) end(p) text(a)");
    EXPECT_EQ(Scan(R"(<p x="1)"), "begin(p)");
}

TEST(TokenizerTest, LineBreaksAndTabsInTextAreBlanksAndNextToTagsNothing)
{
    QString xml = "<p>word\r\nword\tand  \n   more\rstays\n</p>\r\n\t<q\n  a=\"1\">x</q>";
    Recorder r;
    XML2RTF(&r).ParsexML(xml);
    EXPECT_EQ(xml, "<p>word word and more\rstays</p><q a=\"1\">x</q>");
    EXPECT_EQ(r.events.join(' '), "begin(p) end(p) text(word word and more\rstays) close(p) begin(q) "
                                  "prop(a|1) end(q) text(x) close(q)");
    QString crTab = "<p>a\r\t\nb</p>";
    XML2RTF().ParsexML(crTab);
    EXPECT_EQ(crTab, "<p>a b</p>");
    QString plain = "<p>a  b</p> <q/>"; // blanks alone are left as they are
    XML2RTF().ParsexML(plain);
    EXPECT_EQ(plain, "<p>a  b</p> <q/>");
}

TEST(TokenizerTest, CDataSectionsAreText)
{
    EXPECT_EQ(Scan(R"(<p>a<![CDATA[b & <c d="1"> ]]>e</p>)"),
              R"(begin(p) end(p) text(ab &amp; &lt;c d="1"> e) close(p))");
    EXPECT_EQ(Scan("<p><![CDATA[ ]]><b>x</b></p>"), "begin(p) end(p) begin(b) end(b) text( x) close(b) close(p)");
    // Without its end it is read as the tag it looks like.
    EXPECT_EQ(Scan("<p><![CDATA[x</p>"), "begin(p) end(p) begin(![CDATA[x</p) end(![CDATA[x</p)");

    LoadEntityMapping();
    DomDocument doc;
    ASSERT_TRUE(doc.loadXML(QString(R"(<p>1 <![CDATA[< 2 & "3" &amp;]]> 4 &amp; 5</p>)")));
    QString xml = doc.documentElement().xml();
    Recorder r;
    XML2RTF(&r).ParsexML(xml);
    EXPECT_EQ(r.shown, R"(1 < 2 & "3" &amp; 4 & 5)");
}

TEST(TokenizerTest, LongTextsArriveWhole)
{
    const QString longText(100000, u'w');
    EXPECT_EQ(Scan("<b>x</b> <p>" + longText + "</p>"),
              "begin(b) end(b) text(x) close(b) begin(p) end(p) text( " + longText + ") close(p)");
    // Blanks carried past a hundred thousand tags.
    EXPECT_TRUE(Scan(QString("<b> ").repeated(100000) + "x<i/>")
                    .endsWith("text(" + QString(100000, u' ') + "x) begin(i/) end(i/)"));
}

TEST(TokenizerTest, HandlersMayChangeTheCallersStringButNotScanAgain)
{
    QString xml = "<p>a</p><p>b</p>";
    Recorder r;
    XML2RTF parser(&r);
    r.onText = [&] { xml = "<x>changed</x>"; };
    parser.ParsexML(xml);
    EXPECT_EQ(r.events.join(' '), "begin(p) end(p) text(a) close(p) begin(p) end(p) text(b) close(p)");

    r.onText = [&] {
        QString inner = "<q>c</q>";
        parser.ParsexML(inner);
    };
    int number = 0;
    try {
        QString again = "<p>a</p>";
        parser.ParsexML(again);
    } catch (const QbError& e) {
        number = e.number();
    }
    EXPECT_EQ(number, ErrNo::InvalidCall);
    r.onText = nullptr;
    r.events.clear();
    QString next = "<p>c</p>";
    parser.ParsexML(next);
    EXPECT_EQ(r.events.join(' '), "begin(p) end(p) text(c) close(p)");
}

// The DOM's serialization of real units: every element begins once and ends
// once (an end tag, or "/" for an empty one), attribute names are names, and
// the text the reader sees is the unit's text.
TEST(TokenizerTest, ReadsTheDomSerializationOfTheSampleDocuments)
{
    LoadEntityMapping();
    for (const auto& [file, pattern] : {std::pair{"/samples/dagblad.xml", "//artikel | //rubriek"},
                                        std::pair{"/samples/boek/boek.xml", "//hoofdstuk"}}) {
        DomDocument doc;
        ASSERT_TRUE(doc.load(AppPaths::DataDir() + file)) << file;
        const DomNodeList units = doc.selectNodes(pattern);
        ASSERT_GE(units.length(), 8);
        for (const DomNode& unit : units) {
            SCOPED_TRACE(unit.selectSingleNode("titel/head").text().toStdString());
            QString xml = unit.xml();
            Recorder r;
            XML2RTF(&r).ParsexML(xml);
            const int elements = unit.selectNodes("descendant-or-self::*").length();
            EXPECT_EQ(r.events.filter(QRegularExpression("^begin\\(")).size(), elements);
            EXPECT_EQ(r.events.filter(QRegularExpression("^(close\\(|end\\(.*/\\)$)")).size(), elements);
            EXPECT_TRUE(r.events.filter(QRegularExpression("^prop\\((\\||[^|]*[ <>=])")).isEmpty());
            EXPECT_EQ(r.shown, unit.text());
        }
    }
}

} // namespace
