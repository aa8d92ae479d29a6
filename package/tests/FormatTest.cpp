#include "app/core/AppPaths.h"
#include "package/dom/DomFormat.h"
#include "package/tests/FormatReference.h"
#include "tests/support/TestHome.h"

#include <QFile>
#include <gtest/gtest.h>

#include <random>

namespace {

// The fast layout equals the first one, in both encodings, from a node at a depth.
void ExpectSameLayout(const DomNode& node, int depth, const std::string& what)
{
    const bool onlyChild = FormatReference::IsOnlyChild(node);
    for (const bool latin1 : {false, true}) {
        QString expected;
        FormatReference::XmlFormatter reference(expected, latin1);
        reference.node(node, depth, onlyChild);
        const DomFormatted formatted = DomFormat(node, depth, onlyChild, latin1);
        EXPECT_EQ(formatted.unwritableName, reference.badName) << what;
        if (!reference.badName.isEmpty())
            continue;
        // Bytes that are no UTF-8 reach the reader as replacement characters either way.
        if (latin1)
            EXPECT_EQ(QByteArray::fromStdString(formatted.text), expected.toLatin1()) << what << " (latin1)";
        else
            EXPECT_EQ(QString::fromStdString(formatted.text), expected) << what;
    }
}

DomDocument Parsed(const QByteArray& markup)
{
    DomDocument doc;
    EXPECT_TRUE(doc.loadXML(markup)) << markup.toStdString();
    return doc;
}

TEST(FastLayout, RealDocumentsComeOutAsBefore)
{
    AppPaths::Init();
    for (const QString& name : {QStringLiteral("/dagblad.xml"), QStringLiteral("/boek/boek.xml")}) {
        DomDocument doc;
        ASSERT_TRUE(doc.load(AppPaths::SamplesDir() + name));
        ExpectSameLayout(doc.asNode(), 0, name.toStdString());
        ExpectSameLayout(doc.documentElement(), 2, name.toStdString());
        const DomNode p = doc.selectSingleNode(QStringLiteral("//p"));
        ExpectSameLayout(p, 1, name.toStdString() + " p");
        ExpectSameLayout(p.firstChild(), 3, name.toStdString() + " text");
    }
}

TEST(FastLayout, EveryKindOfNodeAndCharacterComesOutAsBefore)
{
    DomDocument doc = Parsed("<?xml version='1.0' encoding='utf-8'?><!DOCTYPE r><?pi some data?>"
                             "<r a=\"x'y\" b='say \"hi\"' c=\"&amp;&lt;&gt;&#9;&#10;&#13; €\" d='both &apos; and \"'>"
                             "<t>  lead\r\n\tand\ttabs &amp; &lt; more  \r\n</t><e/><e x=''/>"
                             "<m>mixed <b>bold</b> tail € 𝄞 é ł Ω</m><!-- a comment € --><![CDATA[1 < 2 € ]]>"
                             "<s>\n</s><ā>name</ā><q>&#1; &#127;</q></r>");
    const DomNode r = doc.documentElement();
    ExpectSameLayout(doc.asNode(), 0, "document");
    ExpectSameLayout(r, 0, "root");
    for (DomNode c = r.firstChild(); !c.isNull(); c = c.nextSibling())
        ExpectSameLayout(c, 1, c.nodeName().toStdString());
    const DomAttributes attrs = r.attributes();
    for (int i = 0; i < attrs.length(); ++i)
        ExpectSameLayout(attrs.item(i), 0, "attribute " + attrs.item(i).nodeName().toStdString());
    // Bytes that are no UTF-8: overlong, a surrogate, cut short, past Unicode.
    DomDocument broken = Parsed("<r><t>a\xE0\x8C\x8B\x99"
                                "b \xED\xA0\x80 \xE2\x82 \xF4\x90\x80\x80 \xFF</t></r>");
    ExpectSameLayout(broken.documentElement(), 0, "no UTF-8");
    // A name that is no UTF-8 cannot be written in ISO-8859-1 either.
    DomDocument badName = Parsed("<r><\x80\x80/><\xC3\xA9t\xC3/></r>");
    ExpectSameLayout(badName.documentElement().firstChild(), 1, "name no UTF-8");
    ExpectSameLayout(badName.documentElement().firstChild().nextSibling(), 1, "name cut short");
    // A node made but not yet put in the tree.
    DomNode made = doc.createElement(QStringLiteral("nieuw"));
    made.setAttribute(QStringLiteral("id"), QStringLiteral("7"));
    made.appendChild(doc.createTextNode(QStringLiteral("tekst € ")));
    ExpectSameLayout(made, 2, "free node");
}

// Random trees of elements, attributes, text, comments and CDATA.
TEST(FastLayout, RandomTreesComeOutAsBefore)
{
    const std::vector<std::string> pieces{"<a>",   "</a>",      "<b x='1'>",      "</b>",        "<c/>", " ",
                                          "\t",    "\n",        "\r\n",           "w",           "€",    "é",
                                          "&amp;", "<!--c€-->", "<![CDATA[ ]]€>", "<d y=\"'\"/>"};
    std::mt19937 random(7);
    int compared = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text = "<r>";
        const int length = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < length; ++i)
            text += pieces[random() % pieces.size()];
        text += "</r>";
        DomDocument doc;
        if (!doc.loadXML(QByteArray::fromStdString(text)))
            continue;
        ExpectSameLayout(doc.asNode(), 0, text);
        ExpectSameLayout(doc.documentElement().firstChild(), 1, text);
        ++compared;
    }
    EXPECT_GT(compared, 500);
}

} // namespace
