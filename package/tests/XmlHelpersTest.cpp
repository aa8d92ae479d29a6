#include "package/modXML.h"

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace {

DomDocument Parse(const QByteArray& markup)
{
    DomDocument doc;
    EXPECT_TRUE(doc.loadXML(markup)) << doc.parseError().reason.toStdString();
    return doc;
}

// Error-log lines written so far for the named procedure.
int Logged(const char* procedure)
{
    const QString log = QString::fromUtf8(TestHome::ReadFile(AppPaths::ErrorLogPath()));
    return static_cast<int>(log.count(QStringLiteral(" - ") + QLatin1String(procedure) + QLatin1Char(',')));
}

QString Ids(const DomDocument& doc, const QString& pattern)
{
    QStringList ids;
    for (const DomNode& n : doc.selectNodes(pattern))
        ids << n.getAttribute(QStringLiteral("id"));
    return ids.join(QLatin1Char(','));
}

// A catalogue of count books.
DomDocument Catalogue(int count)
{
    QByteArray markup = "<library>";
    for (int i = 0; i < count; ++i)
        markup += "<book id='" + QByteArray::number(i) + "' shelf='Kast'><title>Titel " + QByteArray::number(i) +
                  "</title><path>/home/lezer/boeken/" + QByteArray::number(i) + ".xml</path></book>";
    return Parse(markup + "</library>");
}

class XmlHelpersTest : public ::testing::Test {
protected:
    void SetUp() override { ResetRunState(); }
    QTemporaryDir m_dir;
    RunState& rs = ::Run();
};

TEST_F(XmlHelpersTest, GetXMLTagValueJoinsNestedTextAndSetsTheCurrentNodes)
{
    const DomDocument doc = Parse("<doc><head><title>The <i>Daily</i> Post</title></head>"
                                  "<part><title>Second</title></part></doc>");
    EXPECT_EQ(GetXMLTagValue(doc.asNode(), QStringLiteral("title")), "The Daily Post");
    EXPECT_EQ(rs.CurrentNodeList.length(), 2);
    EXPECT_TRUE(rs.CurrentNode == doc.selectSingleNode(QStringLiteral("/doc/head/title")));
    // From an element only what lies below it counts.
    EXPECT_EQ(GetXMLTagValue(doc.selectSingleNode(QStringLiteral("//part")), QStringLiteral("title")), "Second");
    EXPECT_EQ(GetXMLTagValue(doc.selectSingleNode(QStringLiteral("//part/title")), QStringLiteral("title")), "");

    EXPECT_EQ(GetXMLTagValue(doc.asNode(), QString()), "");
    EXPECT_EQ(rs.CurrentNodeList.length(), 0);
    EXPECT_TRUE(rs.CurrentNode.isNull());
}

TEST_F(XmlHelpersTest, AttributesAreReadAddedAndReplaced)
{
    const DomDocument doc = Parse(R"(<doc><entry id="7" type="user"/></doc>)");
    const DomNode entry = doc.selectSingleNode(QStringLiteral("//entry"));
    EXPECT_EQ(GetXMLTagAttributeValue(entry, QStringLiteral("type")), "user");
    EXPECT_TRUE(AddAttribute(entry, QStringLiteral("id"), QStringLiteral("8")) == entry);
    EXPECT_TRUE(AddAttribute(entry, QStringLiteral("new"), QStringLiteral("a&b")) == entry);
    EXPECT_EQ(doc.xml(), R"(<doc><entry id="8" type="user" new="a&amp;b"/></doc>)");

    const int logged = Logged("GetXMLTagAttributeValue") + Logged("AddAttribute");
    EXPECT_EQ(GetXMLTagAttributeValue(entry, QStringLiteral("missing")), "");
    EXPECT_TRUE(AddAttribute(DomNode(), QStringLiteral("id"), QStringLiteral("1")).isNull());
    EXPECT_EQ(Logged("GetXMLTagAttributeValue") + Logged("AddAttribute"), logged + 2);
}

TEST_F(XmlHelpersTest, GetNewIdIsOneMoreThanTheLargestReadableId)
{
    EXPECT_EQ(getNewId(Parse("<duf><annotation id='4'/></duf>").asNode(), "bookmark"), "1");
    const DomDocument doc = Parse("<duf><bookmark id='1'/><x><bookmark id='5'/></x><bookmark id=' 3 '/></duf>");
    EXPECT_EQ(getNewId(doc.documentElement().firstChild(), "bookmark"), "6"); // "//" searches the whole document
    EXPECT_EQ(rs.CurrentNodeList.length(), 3);

    // An id that cannot be read, or whose successor could not be, fails as before.
    const int logged = Logged("getNewId");
    EXPECT_EQ(getNewId(Parse("<duf><bookmark id='2'/><bookmark id='two'/></duf>").asNode(), "bookmark"), "");
    EXPECT_EQ(getNewId(Parse("<duf><bookmark id='32767'/></duf>").asNode(), "bookmark"), "");
    EXPECT_EQ(getNewId(Parse("<duf><bookmark id='32766'/></duf>").asNode(), "bookmark"), "32767");
    EXPECT_EQ(Logged("getNewId"), logged + 2);
}

TEST_F(XmlHelpersTest, AddNodeIdsNumbersTwoLevelsAndPages)
{
    ASSERT_TRUE(rs.XmlDoc.loadXML(QByteArray(R"(<krant><pagenum>1</pagenum>
        <rubriek><titel><head id="old">Binnenland</head></titel>
          <artikel><titel><head>A1</head></titel><pagenum>2</pagenum></artikel>
          <artikel><titel><head>A2</head></titel></artikel><pagenum>3</pagenum></rubriek>
        <rubriek><titel><head>Sport</head></titel><pagenum>4</pagenum></rubriek></krant>)")));
    rs.XdfNavLevel[1] = QStringLiteral("rubriek/titel/head");
    rs.XdfNavLevel[2] = QStringLiteral("artikel/titel/head");
    rs.NavLevelCount = 2;
    AddNodeIds();
    EXPECT_EQ(Ids(rs.XmlDoc, QStringLiteral("/krant/rubriek/titel/head")), "0100,0200");
    EXPECT_EQ(Ids(rs.XmlDoc, QStringLiteral("//artikel/titel/head")), "0101,0102");
    // A page mark is numbered after the article it stands in (or follows), and
    // the page counter starts again at each heading.
    EXPECT_EQ(Ids(rs.XmlDoc, QStringLiteral("//pagenum")), "0000000,0101000,0102000,0200000");
    EXPECT_TRUE(rs.HasPageNumbers);
}

TEST_F(XmlHelpersTest, AddNodeIdsWithOneLevelPutsZerosInTheMiddleAndWidensPast99)
{
    QByteArray markup = "<book>";
    for (int i = 0; i < 100; ++i)
        markup += "<chapter><article/><pagenum/></chapter>";
    ASSERT_TRUE(rs.XmlDoc.loadXML(markup + "<pagenum/></book>"));
    rs.XdfNavLevel[1] = QStringLiteral("chapter");
    rs.XdfNavLevel[2] = QStringLiteral("book/chapter/article"); // unused with one level
    rs.NavLevelCount = 1;
    AddNodeIds();
    EXPECT_TRUE(Ids(rs.XmlDoc, QStringLiteral("//chapter")).endsWith(QLatin1String(",9900,10000")));
    EXPECT_EQ(Ids(rs.XmlDoc, QStringLiteral("//article")).remove(QLatin1Char(',')), "");
    const QStringList pages = Ids(rs.XmlDoc, QStringLiteral("//pagenum")).split(QLatin1Char(','));
    ASSERT_EQ(pages.size(), 101);
    EXPECT_EQ(pages[0] + ',' + pages[99] + ',' + pages[100], "0100000,10000000,10000001");

    // Without page marks HasPageNumbers stays as it was.
    ASSERT_TRUE(rs.XmlDoc.loadXML(QByteArray("<book><chapter/></book>")));
    rs.HasPageNumbers = false;
    AddNodeIds();
    EXPECT_FALSE(rs.HasPageNumbers);
    rs.HasPageNumbers = true;
    AddNodeIds();
    EXPECT_TRUE(rs.HasPageNumbers);
}

TEST_F(XmlHelpersTest, FormatXMLLaysOutElementsTextAndAttributes)
{
    const DomDocument doc = Parse("<a><b>x</b><c/></a>");
    EXPECT_EQ(FormatXML(doc.documentElement(), 0), "<a>\r\n\t<b>x</b>\r\n\t<c/>\r\n</a>\r\n");
    EXPECT_EQ(FormatXML(doc.asNode(), 3), FormatXML(doc.documentElement(), 0)); // a document starts at 0

    DomDocument mixed = Parse("<r><p>intro &amp; <b>bold</b>\n\t tail </p><q/></r>");
    EXPECT_EQ(FormatXML(mixed.selectSingleNode(QStringLiteral("//p")), 1),
              "\t<p>\r\n\t\tintro &amp;\r\n\t\t<b>bold</b>\r\n\t\ttail\r\n\t</p>\r\n");
    DomNode q = mixed.selectSingleNode(QStringLiteral("//q"));
    q.setText(QStringLiteral(" 1 < 2\r\nand\t3 "));
    EXPECT_EQ(FormatXML(q, 0), "<q>1 &lt; 2 and 3</q>\r\n");

    // Single quotes around a double quote; "&", "<" and line breaks escaped so the value reads back.
    const DomDocument attrs = Parse(R"(<a said='say "hi"' both="x &quot; ' y" marks="a &amp; b &lt; c&#10;"/>)");
    const QString formatted = FormatXML(attrs.documentElement(), 0);
    EXPECT_EQ(formatted, "<a said='say \"hi\"' both='x \" &apos; y' marks=\"a &amp; b &lt; c&#10;\"/>\r\n");
    const DomNode back = Parse(formatted.toUtf8()).documentElement();
    EXPECT_EQ(back.getAttribute(QStringLiteral("both")), "x \" ' y");
    EXPECT_EQ(back.getAttribute(QStringLiteral("marks")), "a & b < c\n");
}

TEST_F(XmlHelpersTest, FormatXMLWritesCDataAndComments)
{
    DomDocument doc = Parse("<a><![CDATA[1 < 2]]></a>");
    EXPECT_EQ(FormatXML(doc.documentElement(), 0), "<a>\r\n\t<![CDATA[1 < 2]]>\r\n</a>\r\n");
    // The loader drops comments; add them through the parser's own tree.
    pugi::xml_node root = doc.native().document_element();
    root.append_child(pugi::node_comment).set_value(" note ");
    root.append_child(pugi::node_comment).set_value("two\r\nlines");
    EXPECT_EQ(FormatXML(doc.documentElement(), 0),
              "<a>\r\n\t<![CDATA[1 < 2]]>\r\n\t<!-- note -->\r\n<!--two\r\nlines-->\r\n</a>\r\n");
}

TEST_F(XmlHelpersTest, SaveFormattedXMLKeepsEveryCharacter)
{
    DomDocument doc = Parse("<library><book><raw/></book></library>");
    const QString title = QString::fromUtf8("Caf\u00e9 & <Co> \u20ac \"x\" 'y'");
    const QString text = QString::fromUtf8("Prijs \u20ac 5 \xF0\x9F\x98\x80 & <meer>");
    DomNode book = doc.selectSingleNode(QStringLiteral("//book"));
    book.setAttribute(QStringLiteral("title"), title);
    book.appendChild(doc.createElement(QStringLiteral("note"))).setText(text);
    doc.native().child("library").child("book").child("raw").append_child(pugi::node_cdata).set_value("\xE2\x82\xAC!");

    const QString path = m_dir.filePath(QStringLiteral("library.xml"));
    ASSERT_TRUE(SaveFormattedXML(doc.documentElement(), path));
    const QByteArray bytes = TestHome::ReadFile(path);
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<library>\r\n"));
    EXPECT_TRUE(bytes.endsWith("</library>\r\n\r\n"));
    EXPECT_TRUE(bytes.contains("Caf\xE9 &amp; &lt;Co> &#8364;")); // é as one Latin-1 byte
    EXPECT_TRUE(bytes.contains("&#128512;"));                     // one reference for the surrogate pair

    DomDocument back;
    ASSERT_TRUE(back.load(path)) << back.parseError().reason.toStdString();
    EXPECT_EQ(back.selectSingleNode(QStringLiteral("//book")).getAttribute(QStringLiteral("title")), title);
    EXPECT_EQ(GetXMLTagValue(back.asNode(), QStringLiteral("note")), text);
    // References mean nothing inside CDATA: the section is closed around them. (The
    // loader keeps the indentation beside a CDATA section.)
    EXPECT_EQ(GetXMLTagValue(back.asNode(), QStringLiteral("raw")).trimmed(), QString::fromUtf8("\u20ac!"));
}

TEST_F(XmlHelpersTest, AFailedSaveLeavesTheOldFileWholeAndIsLoggedOnce)
{
    const DomDocument doc = Catalogue(2000); // well past the limit below
    const QByteArray old = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<library/>\r\n\r\n";
    const QString folder = m_dir.filePath(QStringLiteral("full"));
    const QString target = folder + QStringLiteral("/library.xml");
    ASSERT_TRUE(TestHome::WriteFile(target, old));
    int logged = Logged("SaveFormattedXML");
    {
        const FileSizeLimit limit(64 * 1024);
        ASSERT_TRUE(limit.active());
        EXPECT_FALSE(SaveFormattedXML(doc.documentElement(), target));
    }
    EXPECT_TRUE(TestHome::ReadFile(target) == old) << "the old file changed";
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("library.xml")});
    EXPECT_EQ(Logged("SaveFormattedXML"), logged + 1);
    EXPECT_FALSE(SaveFormattedXML(DomNode(), target)); // no node: nothing written over the file
    EXPECT_TRUE(TestHome::ReadFile(target) == old);

    // A folder that cannot be written (only where permissions bind, not for root).
    const QString locked = m_dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(TestHome::WriteFile(locked + QStringLiteral("/library.xml"), old));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    if (QFile probe(locked + QStringLiteral("/probe")); !probe.open(QIODevice::WriteOnly)) {
        logged = Logged("SaveFormattedXML");
        EXPECT_FALSE(SaveFormattedXML(doc.documentElement(), locked + QStringLiteral("/library.xml")));
        EXPECT_TRUE(TestHome::ReadFile(locked + QStringLiteral("/library.xml")) == old) << "the old file changed";
        EXPECT_EQ(Logged("SaveFormattedXML"), logged + 1);
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A folder in the path that is a file.
    logged = Logged("SaveFormattedXML");
    EXPECT_FALSE(SaveFormattedXML(doc.documentElement(), target + QStringLiteral("/library.xml")));
    EXPECT_TRUE(TestHome::ReadFile(target) == old);
    EXPECT_EQ(Logged("SaveFormattedXML"), logged + 1);
}

// How fast is for the benchmark; here, that a large catalogue comes back whole.
TEST_F(XmlHelpersTest, ALargeCatalogueIsSavedWhole)
{
    const DomDocument doc = Catalogue(5000);
    const QString path = m_dir.filePath(QStringLiteral("big.xml"));
    ASSERT_TRUE(SaveFormattedXML(doc.documentElement(), path));
    DomDocument back;
    ASSERT_TRUE(back.load(path));
    EXPECT_EQ(back.selectNodes(QStringLiteral("//book")).length(), 5000);
    EXPECT_EQ(GetXMLTagValue(back.asNode(), QStringLiteral("path")), "/home/lezer/boeken/0.xml");
}

} // namespace
