#include "package/dom/Dom.h"
#include "package/dom/DomPattern.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/TestHome.h"

#include <QFile>
#include <QStringEncoder>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

DomDocument Parse(const QByteArray& markup)
{
    DomDocument doc;
    EXPECT_TRUE(doc.loadXML(markup)) << doc.parseError().reason.toStdString();
    return doc;
}

// The attribute "id" of each node, joined with commas.
QString Ids(const DomNodeList& list)
{
    QStringList ids;
    for (const DomNode& n : list)
        ids << n.getAttribute(QStringLiteral("id"));
    return ids.join(QLatin1Char(','));
}

QString Names(const DomNodeList& list)
{
    QStringList names;
    for (const DomNode& n : list)
        names << n.nodeName();
    return names.join(QLatin1Char(','));
}

class DomFileTest : public ::testing::Test {
protected:
    QString write(const QByteArray& bytes)
    {
        const QString path = dir.filePath(QStringLiteral("doc%1.xml").arg(++count));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QTemporaryDir dir;
    int count = 0;
};

const QByteArray Usage = R"(<?xml version="1.0" encoding="iso-8859-1"?>
<duf>
	<bookmark id="0" type="auto">
		<bmk-date>today</bmk-date>
		<bmk-id>00307</bmk-id>
		<bmk-position>12</bmk-position>
	</bookmark>
	<bookmark id="2" type="user">
		<bmk-id>00307</bmk-id>
		<bmk-descriptivetitle>O'Brien's "view"12</bmk-descriptivetitle>
	</bookmark>
	<annotation id="1" type="user"><ann-id>307</ann-id></annotation>
	<bookmark id="10" type="user"><bmk-id>308</bmk-id></bookmark>
</duf>
)";

} // namespace

TEST_F(DomFileTest, SingleByteEncodingsAreConverted)
{
    for (const char* label : {"ISO-8859-1", "iso_8859-1", "Latin1", "l1"}) {
        DomDocument doc;
        const QByteArray bytes =
            QByteArray("<?xml version=\"1.0\" encoding=\"") + label + "\"?>\n<p a=\"\xC0\">caf\xE9</p>";
        ASSERT_TRUE(doc.load(write(bytes))) << label;
        EXPECT_EQ(doc.documentElement().text(), QStringLiteral("café")) << label;
        EXPECT_EQ(doc.documentElement().getAttribute(QStringLiteral("a")), QStringLiteral("À"));
    }
    DomDocument cp;
    ASSERT_TRUE(cp.load(write("<?xml version='1.0' encoding='Windows-1252'?><p>\x80 \x93q\x94 \x9F\xE9\x81</p>")));
    EXPECT_EQ(cp.documentElement().text(), QStringLiteral("€ “q” Ÿé\u0081"));
}

// Large files are converted in two halves at once: every paragraph, on either
// side of the middle, must come out whole.
TEST_F(DomFileTest, LargeSingleByteFilesConvertAcrossTheMiddle)
{
    for (const char* label : {"ISO-8859-1", "Windows-1252"}) {
        QByteArray bytes = QByteArray("<?xml version=\"1.0\" encoding=\"") + label + "\"?>\n<r>\n";
        int paragraphs = 0;
        while (bytes.size() < (6 << 20)) {
            bytes += "\t<p>Nr " + QByteArray::number(paragraphs) + ": caf\xE9 \x80\x93q\x94 " +
                     QByteArray(paragraphs % 7, '\xE0') + "</p>\n";
            ++paragraphs;
        }
        bytes += "</r>\n";
        DomDocument doc;
        ASSERT_TRUE(doc.load(write(bytes))) << label;
        const DomNodeList items = doc.documentElement().childNodes();
        ASSERT_EQ(items.length(), paragraphs) << label;
        const bool cp1252 = QByteArray(label) == "Windows-1252";
        const QString euro = cp1252 ? QStringLiteral("€“q”") : QStringLiteral("\u0080\u0093q\u0094");
        for (const int i : {0, paragraphs / 2 - 1, paragraphs / 2, paragraphs / 2 + 1, paragraphs - 1}) {
            const QString expected = QStringLiteral("Nr %1: café %2 ").arg(i).arg(euro) + QString(i % 7, u'à');
            EXPECT_EQ(items.item(i).text(), expected) << label << " paragraph " << i;
        }
    }
}

TEST_F(DomFileTest, UnicodeEncodingsLoad)
{
    const QString text = QStringLiteral("Grüße € 𝄞");
    DomDocument doc;
    ASSERT_TRUE(doc.load(write("<p>" + text.toUtf8() + "</p>")));
    EXPECT_EQ(doc.documentElement().text(), text);
    ASSERT_TRUE(doc.load(write("\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?><p>" + text.toUtf8() + "</p>")));
    EXPECT_EQ(doc.documentElement().text(), text);

    for (auto encoding : {QStringEncoder::Utf16LE, QStringEncoder::Utf16BE}) {
        QStringEncoder encode(encoding, QStringEncoder::Flag::WriteBom);
        const QByteArray bytes = encode(QStringLiteral("<?xml version='1.0' encoding='UTF-16'?><p>") + text + "</p>");
        ASSERT_TRUE(doc.load(write(bytes))) << doc.parseError().reason.toStdString();
        EXPECT_EQ(doc.documentElement().text(), text);
    }
    // Markup already decoded ignores its declaration.
    ASSERT_TRUE(doc.loadXML(QStringLiteral("<?xml version='1.0' encoding='iso-8859-1'?><p>é</p>")));
    EXPECT_EQ(doc.documentElement().text(), QStringLiteral("é"));
}

TEST_F(DomFileTest, FailedLoadsExplainAndLeaveTheDocumentEmpty)
{
    DomDocument doc = Parse("<ok/>");
    EXPECT_FALSE(doc.load(write("<?xml version=\"1.0\" encoding=\"KOI8-R\"?><p>\xE9</p>")));
    EXPECT_EQ(doc.parseError().errorCode, DomParseError::EncodingErrorCode);
    EXPECT_EQ(doc.parseError().reason, QStringLiteral("Unsupported encoding: KOI8-R"));
    EXPECT_TRUE(doc.documentElement().isNull());

    EXPECT_FALSE(doc.load(dir.filePath(QStringLiteral("missing.xml"))));
    EXPECT_NE(doc.parseError().errorCode, 0);
    EXPECT_TRUE(doc.parseError().reason.contains(QStringLiteral("missing.xml")));

    // The error column counts characters, not the bytes of the converted text.
    ASSERT_TRUE(doc.loadXML(QByteArray("<ok/>")));
    EXPECT_FALSE(doc.load(write("<?xml version='1.0' encoding='iso-8859-1'?>\n<a>\n<c>\xE9\xE9</d>\n</a>")));
    const DomParseError& e = doc.parseError();
    EXPECT_NE(e.errorCode, 0);
    EXPECT_FALSE(e.reason.isEmpty());
    EXPECT_EQ(e.line, 3);
    EXPECT_EQ(e.linepos, 8);
    EXPECT_TRUE(doc.documentElement().isNull());
    EXPECT_TRUE(doc.xml().isEmpty());

    EXPECT_FALSE(doc.loadXML(QByteArray("<a>\r\n<b/>\r\n  <c x='1' y=2/></a>")));
    EXPECT_EQ(doc.parseError().line, 3);

    ASSERT_TRUE(doc.loadXML(QByteArray("<ok/>")));
    EXPECT_EQ(doc.parseError().errorCode, 0);
}

TEST(DomText, JoinsAllDescendantTextAndKeepsInlineBlanks)
{
    DomDocument doc = Parse("<a>1<b>2<c>3</c></b><![CDATA[<4>]]>5<!-- no -->6</a>");
    EXPECT_EQ(doc.documentElement().text(), QStringLiteral("123<4>56"));

    // Character references and declared entities are resolved.
    doc = Parse("<!DOCTYPE p [<!ENTITY x 'y'>]><p>&#233;&#x20AC; caf&x;</p>");
    EXPECT_EQ(doc.documentElement().text(), QStringLiteral("é€ cafy"));

    doc = Parse("<p><b>a</b> <i>b</i></p>");
    EXPECT_EQ(doc.documentElement().text(), QStringLiteral("a b"));
    EXPECT_EQ(doc.documentElement().xml(), QStringLiteral("<p><b>a</b> <i>b</i></p>"));

    // Indentation of a pretty-printed file is not content; mixed content keeps its line breaks.
    doc = Parse("<r>\r\n\t<b>\r\n\t\t<c>x</c>\r\n\t</b>\r\n\t<p>Hi\n<i>there</i>\n</p>\r\n</r>");
    const DomNode r = doc.documentElement();
    EXPECT_EQ(Names(r.childNodes()), QStringLiteral("b,p"));
    EXPECT_EQ(r.firstChild().text(), QStringLiteral("x"));
    EXPECT_EQ(r.childNodes().item(1).text(), QStringLiteral("Hi\nthere\n"));
}

TEST(DomText, SetTextReplacesChildrenAndOldHandlesStayUsable)
{
    DomDocument doc = Parse("<r><t>old</t><m>a<b>b</b></m></r>");
    DomNode t = doc.selectSingleNode(QStringLiteral("//t"));
    t.setText(QStringLiteral("new & <more>"));
    EXPECT_EQ(t.xml(), QStringLiteral("<t>new &amp; &lt;more&gt;</t>"));

    DomNode m = doc.selectSingleNode(QStringLiteral("//m"));
    const DomNode b = m.selectSingleNode(QStringLiteral("b"));
    m.setText(QStringLiteral("plain"));
    EXPECT_EQ(m.childNodes().length(), 1);
    EXPECT_EQ(m.text(), QStringLiteral("plain"));
    EXPECT_EQ(b.text(), QStringLiteral("b"));
    EXPECT_TRUE(b.parentNode().isNull());
    m.setText(QString());
    EXPECT_FALSE(m.hasChildNodes());
    EXPECT_EQ(doc.xml(), QStringLiteral("<r><t>new &amp; &lt;more&gt;</t><m/></r>"));
}

TEST(DomNodes, XmlFormAndNodeKinds)
{
    DomDocument doc = Parse("<r><br /><a x='1 &amp; 2' y='say \"hi\"' z='&lt;'>&lt;&amp;&gt;</a></r>");
    const DomNode r = doc.documentElement();
    EXPECT_EQ(r.xml(),
              QStringLiteral(R"(<r><br/><a x="1 &amp; 2" y="say &quot;hi&quot;" z="&lt;">&lt;&amp;&gt;</a></r>)"));
    const DomNode a = r.childNodes().item(1);
    const DomNode x = a.attributes().getNamedItem(QStringLiteral("x"));
    EXPECT_EQ(x.xml(), QStringLiteral(R"(x="1 &amp; 2")"));
    EXPECT_EQ(x.nodeType(), DomNodeType::Attribute);
    EXPECT_EQ(x.nodeValue(), QStringLiteral("1 & 2"));
    EXPECT_TRUE(x.parentNode().isNull());

    const DomNode text = a.firstChild();
    EXPECT_EQ(text.nodeType(), DomNodeType::Text);
    EXPECT_EQ(text.nodeName(), QStringLiteral("#text"));
    EXPECT_EQ(text.xml(), QStringLiteral("&lt;&amp;&gt;"));
    EXPECT_EQ(text.nodeValue(), QStringLiteral("<&>"));

    EXPECT_EQ(r.parentNode().nodeType(), DomNodeType::Document);
    EXPECT_EQ(r.parentNode().nodeName(), QStringLiteral("#document"));
    EXPECT_TRUE(r.parentNode() == doc.asNode());
    EXPECT_TRUE(doc.asNode().parentNode().isNull());
    EXPECT_TRUE(r.ownerDocument().sameDocument(doc));
}

TEST(DomPattern, TranslatesOperatorsOutsideQuotes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"//pagenum[@id $gt$ 0100003]", "//pagenum[@id > 0100003]"},
        {"a[@x$LT$2 $And$ @y $ge$ 1]", "a[@x < 2 and @y >= 1]"},
        {"a[@x $le$ 2 $or$ @x $eq$ 5 $or$ @x $ne$ 7]", "a[@x <= 2 or @x = 5 or @x != 7]"},
        {"a[t = '$gt$' $and$ u = \"x $or$ 'y'\"]", "a[t = '$gt$' and u = \"x $or$ 'y'\"]"},
        {"a[b = $title]", "a[b = $title]"},
        {"a[b $not$ c]", "a[b $not$ c]"},
        {"//bookmark[@type='user'] | //pagenum", "//bookmark[@type='user'] | //pagenum"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(TranslateXslPattern(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

TEST(DomQuery, ComparisonsFollowTheirOperandTypes)
{
    DomDocument doc = Parse(Usage);
    auto ids = [&](const char* pattern) { return Ids(doc.selectNodes(QString::fromUtf8(pattern))); };
    EXPECT_EQ(ids("//bookmark[bmk-id = 307]"), QStringLiteral("0,2"));
    EXPECT_EQ(ids("//bookmark[bmk-id = '307']"), QString());
    EXPECT_EQ(ids("//*[ann-id = '00307']"), QString());
    EXPECT_EQ(ids("//*[@id = 10]"), QStringLiteral("10"));
    EXPECT_EQ(ids("//bookmark[@id $gt$ 1]"), QStringLiteral("2,10"));
    EXPECT_EQ(ids("//bookmark[@id $lt$ 10]"), QStringLiteral("0,2"));
    EXPECT_EQ(ids("//bookmark[@id >= 2 and @id <= 2]"), QStringLiteral("2"));
    EXPECT_EQ(ids("//bookmark[(@type='user' $and$ @id $gt$ 5) $or$ @id = 0]"), QStringLiteral("0,10"));
    EXPECT_EQ(ids("//bookmark[@type='user']"), QStringLiteral("2,10"));
    EXPECT_EQ(ids("//annotation | //bookmark"), QStringLiteral("0,2,1,10"));

    const DomNodeList attrs = doc.selectNodes(QStringLiteral("//@id"));
    ASSERT_EQ(attrs.length(), 4);
    EXPECT_EQ(attrs.item(3).nodeType(), DomNodeType::Attribute);
    EXPECT_EQ(attrs.item(3).nodeValue(), QStringLiteral("10"));
}

TEST(DomQuery, RelativeQueriesAndElementLists)
{
    DomDocument doc = Parse(Usage);
    EXPECT_EQ(Names(doc.getElementsByTagName(QStringLiteral("bookmark[@id='0']/*"))),
              QStringLiteral("bmk-date,bmk-id,bmk-position"));
    EXPECT_EQ(Ids(doc.getElementsByTagName(QStringLiteral("bookmark"))), QStringLiteral("0,2,10"));
    EXPECT_EQ(doc.getElementsByTagName(QStringLiteral("*")).length(), 12);
    EXPECT_EQ(Ids(doc.getElementsByTagName(QStringLiteral("annotation | bookmark[@id=2]"))), QStringLiteral("2,1"));

    const DomNode second = doc.selectSingleNode(QStringLiteral("//bookmark[@type='user']"));
    EXPECT_EQ(second.getAttribute(QStringLiteral("id")), QStringLiteral("2"));
    EXPECT_EQ(second.selectNodes(QStringLiteral("*")).length(), 2);
    EXPECT_EQ(Ids(second.selectNodes(QStringLiteral("../annotation"))), QStringLiteral("1"));
    EXPECT_EQ(second.selectSingleNode(QStringLiteral("bmk-id")).text(), QStringLiteral("00307"));
    EXPECT_TRUE(second.selectSingleNode(QStringLiteral("bmk-date")).isNull());

    DomNodeList list = doc.getElementsByTagName(QStringLiteral("bookmark"));
    EXPECT_TRUE(list.item(-1).isNull());
    EXPECT_TRUE(list.item(3).isNull());
    EXPECT_EQ(list.nextNode().getAttribute(QStringLiteral("id")), QStringLiteral("0"));
    list.nextNode();
    EXPECT_EQ(list.nextNode().getAttribute(QStringLiteral("id")), QStringLiteral("10"));
    EXPECT_TRUE(list.nextNode().isNull());
}

TEST(DomQuery, VariablesCarryUserTextSafely)
{
    DomDocument doc = Parse(Usage);
    const QString pattern = QStringLiteral("//bookmark[bmk-descriptivetitle = $title]");
    const DomNode hit =
        doc.asNode().selectSingleNode(pattern, {{QStringLiteral("title"), QStringLiteral("O'Brien's \"view\"12")}});
    EXPECT_EQ(hit.getAttribute(QStringLiteral("id")), QStringLiteral("2"));
    // The cached query binds the new value, and quotes cannot widen the query.
    EXPECT_EQ(doc.asNode().selectNodes(pattern, {{QStringLiteral("title"), QStringLiteral("x' or '1'='1")}}).length(),
              0);
    EXPECT_EQ(
        doc.asNode().selectNodes(pattern, {{QStringLiteral("title"), QStringLiteral("O'Brien's \"view\"12")}}).length(),
        1);
}

TEST(DomQuery, BadPatternsGiveNothing)
{
    DomDocument doc = Parse(Usage);
    for (const char* bad : {"//bookmark[@id='0'", "count(//bookmark)", "//a[b $not$ c]", "//bookmark[@id = $unbound]",
                            "", "//bookmark[@id=\"O'Brien]"}) {
        EXPECT_EQ(doc.selectNodes(QString::fromUtf8(bad)).length(), 0) << bad;
        EXPECT_TRUE(doc.selectSingleNode(QString::fromUtf8(bad)).isNull()) << bad;
    }
    EXPECT_EQ(doc.getElementsByTagName(QStringLiteral("bookmark[")).length(), 0);
}

TEST(DomQuery, ManyDistinctPatternsStayCorrect)
{
    DomDocument doc = Parse("<r><n v='1'/><n v='2'/><n v='3'/></r>");
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 150; ++i)
            ASSERT_EQ(doc.selectNodes(QStringLiteral("//n[@v $lt$ %1]").arg(i)).length(), std::clamp(i - 1, 0, 3)) << i;
}

TEST(DomTree, CreatedNodesStayOutOfTheTreeUntilAppended)
{
    DomDocument doc = Parse(Usage);
    DomNode bookmark = doc.createElement(QStringLiteral("bookmark"));
    bookmark.setAttribute(QStringLiteral("id"), QStringLiteral("3"));
    bookmark.setAttribute(QStringLiteral("type"), QStringLiteral("user"));
    DomNode id = bookmark.appendChild(doc.createElement(QStringLiteral("bmk-id")));
    id.appendChild(doc.createTextNode(QStringLiteral("00412 & more")));

    EXPECT_TRUE(bookmark.parentNode().isNull());
    EXPECT_EQ(doc.getElementsByTagName(QStringLiteral("bookmark")).length(), 3);
    EXPECT_EQ(doc.selectNodes(QStringLiteral("//bookmark")).length(), 3);
    EXPECT_EQ(doc.selectNodes(QStringLiteral("/*")).length(), 1);
    EXPECT_FALSE(doc.xml().contains(QStringLiteral("00412")));
    EXPECT_EQ(bookmark.selectSingleNode(QStringLiteral("bmk-id")).text(), QStringLiteral("00412 & more"));

    const DomNode root = doc.documentElement();
    EXPECT_TRUE(DomNode(root).appendChild(bookmark) == bookmark);
    bookmark.setAttribute(QStringLiteral("id"), QStringLiteral("4")); // the handle is the node in the tree
    EXPECT_EQ(bookmark.xml(),
              QStringLiteral(R"(<bookmark id="4" type="user"><bmk-id>00412 &amp; more</bmk-id></bookmark>)"));
    EXPECT_TRUE(bookmark.parentNode() == root);
    EXPECT_EQ(Ids(doc.selectNodes(QStringLiteral("//bookmark[@type='user']"))), QStringLiteral("2,10,4"));

    // A new document gets its root through the document node; a second root is refused.
    DomDocument fresh;
    DomNode made = fresh.asNode().appendChild(fresh.createElement(QStringLiteral("duf")));
    EXPECT_TRUE(made == fresh.documentElement());
    EXPECT_TRUE(fresh.asNode().appendChild(fresh.createElement(QStringLiteral("two"))).isNull());
    EXPECT_EQ(fresh.xml(), QStringLiteral("<duf/>"));
}

TEST(DomTree, RemoveMoveAndCopy)
{
    DomDocument doc = Parse(Usage);
    DomNode root = doc.documentElement();
    const DomNode two = doc.selectSingleNode(QStringLiteral("//bookmark[@id=2]"));
    EXPECT_TRUE(two.firstChild().removeChild(two).isNull()); // not its child
    const DomNode removed = root.removeChild(two);
    EXPECT_TRUE(removed == two);
    EXPECT_TRUE(two.parentNode().isNull());
    EXPECT_EQ(two.selectSingleNode(QStringLiteral("bmk-id")).text(), QStringLiteral("00307"));
    EXPECT_EQ(Ids(doc.getElementsByTagName(QStringLiteral("bookmark"))), QStringLiteral("0,10"));
    EXPECT_EQ(Ids(doc.selectNodes(QStringLiteral("//*[@type='user']"))), QStringLiteral("1,10"));

    // Appending a node of the tree moves it.
    root.appendChild(doc.selectSingleNode(QStringLiteral("//annotation")));
    EXPECT_EQ(Names(root.childNodes()), QStringLiteral("bookmark,bookmark,annotation"));
    EXPECT_TRUE(root.firstChild().appendChild(root).isNull()); // not into its own subtree

    // A node of another document is copied in; the source keeps it.
    DomDocument other = Parse("<x><bmk-id>9</bmk-id></x>");
    const DomNode copied = root.appendChild(other.documentElement().firstChild());
    EXPECT_TRUE(copied.ownerDocument().sameDocument(doc));
    EXPECT_EQ(other.documentElement().childNodes().length(), 1);
    EXPECT_EQ(root.childNodes().item(3).xml(), QStringLiteral("<bmk-id>9</bmk-id>"));
}

TEST(DomTree, AttributeMap)
{
    DomDocument doc = Parse("<r a='1' b='2'/>");
    DomNode r = doc.documentElement();
    DomAttributes map = r.attributes();
    EXPECT_EQ(map.length(), 2);
    EXPECT_EQ(map.item(1).nodeName(), QStringLiteral("b"));
    EXPECT_TRUE(map.item(2).isNull());
    EXPECT_TRUE(map.getNamedItem(QStringLiteral("c")).isNull());

    DomNode c = doc.createAttribute(QStringLiteral("c"));
    c.setNodeValue(QStringLiteral("3"));
    map.setNamedItem(c);
    DomNode a = doc.createAttribute(QStringLiteral("a"));
    a.setText(QStringLiteral("x\"y"));
    map.setNamedItem(a);
    EXPECT_EQ(r.xml(), QStringLiteral(R"(<r a="x&quot;y" b="2" c="3"/>)"));
    EXPECT_EQ(map.length(), 3);
    EXPECT_EQ(r.getAttribute(QStringLiteral("missing")), QString());
    EXPECT_EQ(doc.selectNodes(QStringLiteral("//@*")).length(), 3); // the free attributes are not in the tree
    EXPECT_EQ(doc.createTextNode(QStringLiteral("t")).attributes().length(), 0);
}

TEST(DomTree, NodesOutliveTheirDocumentHandleAndReloads)
{
    DomNode kept;
    {
        DomDocument doc = Parse("<r><a>first</a></r>");
        kept = doc.selectSingleNode(QStringLiteral("//a"));
    }
    EXPECT_EQ(kept.text(), QStringLiteral("first"));
    EXPECT_EQ(kept.ownerDocument().documentElement().nodeName(), QStringLiteral("r"));

    DomDocument doc = kept.ownerDocument();
    ASSERT_TRUE(doc.loadXML(QByteArray("<other><a>second</a></other>")));
    EXPECT_EQ(kept.text(), QStringLiteral("first"));
    EXPECT_EQ(kept.parentNode().nodeName(), QStringLiteral("r"));
    // A node of the old content is copied into the new one.
    DomNode root = doc.documentElement();
    root.appendChild(kept);
    EXPECT_EQ(root.xml(), QStringLiteral("<other><a>second</a><a>first</a></other>"));
}

TEST(DomEntities, DeclaredEntitiesAreResolvedInTextAndAttributes)
{
    DomDocument doc;
    ASSERT_TRUE(doc.loadXML(QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                       "<!-- a book -->\n"
                                       "<!DOCTYPE boek [\n"
                                       "  <!ENTITY eacute \"&#233;\">\n"
                                       "  <!-- <!ENTITY nep \"x\"> -->\n"
                                       "  <!ENTITY uitgever 'Uitgeverij &quot;De Ree&quot; &amp; Zn'>\n"
                                       "  <!ENTITY dubbel \"&eacute;&eacute;n\">\n"
                                       "  <!ENTITY eacute \"second declaration loses\">\n"
                                       "]>\n"
                                       "<boek titel=\"Caf&eacute;\"><titel>Caf&eacute; &amp; d&eacute;j&#224;</titel>"
                                       "<p>&dubbel; door &uitgever;</p><!-- &onbekend; --><![CDATA[&ook;]]></boek>")))
        << doc.parseError().reason.toStdString();
    const DomNode root = doc.documentElement();
    EXPECT_EQ(root.getAttribute(QStringLiteral("titel")), QStringLiteral("Café"));
    EXPECT_EQ(root.selectSingleNode(QStringLiteral("titel")).text(), QStringLiteral("Café & déjà"));
    EXPECT_EQ(root.selectSingleNode(QStringLiteral("p")).text(), QStringLiteral("één door Uitgeverij \"De Ree\" & Zn"));
    // References inside comments and CDATA are not references.
    EXPECT_TRUE(root.text().endsWith(QStringLiteral("&ook;")));
}

TEST(DomEntities, AnUndeclaredEntityMakesTheDocumentNotWellFormed)
{
    DomDocument doc;
    EXPECT_FALSE(doc.loadXML(QByteArray("<krant>\n<titel>Goed</titel>\n<p>Caf&eacute;</p></krant>")));
    EXPECT_EQ(doc.parseError().errorCode, DomParseError::UndeclaredEntityCode);
    EXPECT_TRUE(doc.parseError().reason.contains(QStringLiteral("eacute")));
    EXPECT_EQ(doc.parseError().line, 3);
    EXPECT_EQ(doc.parseError().linepos, 7);

    // Undeclared inside a declared value, and a document of two lines in Latin-1 read from a file.
    EXPECT_FALSE(doc.loadXML(QByteArray("<!DOCTYPE a [<!ENTITY x \"&y;\">]><a>&x;</a>")));
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/l1.xml");
    ASSERT_TRUE(TestHome::WriteFile(path, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<a>\xe9&nbsp;</a>"));
    EXPECT_FALSE(doc.load(path));
    EXPECT_EQ(doc.parseError().line, 2);
    EXPECT_EQ(doc.parseError().linepos, 5);

    // What an external subset declares is unknown here, so it is not held against the document.
    EXPECT_TRUE(doc.loadXML(QByteArray("<!DOCTYPE a SYSTEM \"a.dtd\"><a>&nbsp;</a>")));
}

TEST(DomEntities, ExpansionIsBounded)
{
    QByteArray bomb = "<!DOCTYPE a [<!ENTITY l0 \"lollollollollollollollollollollollollollollollollol\">";
    for (int i = 1; i <= 8; ++i) {
        bomb += "<!ENTITY l" + QByteArray::number(i) + " \"";
        for (int k = 0; k < 10; ++k)
            bomb += "&l" + QByteArray::number(i - 1) + ";";
        bomb += "\">";
    }
    bomb += "]><a>&l8;</a>";
    DomDocument doc;
    EXPECT_FALSE(doc.loadXML(bomb));
    EXPECT_TRUE(doc.parseError().reason.contains(QStringLiteral("too large"))) << doc.parseError().reason.toStdString();
    EXPECT_FALSE(doc.loadXML(QByteArray("<!DOCTYPE a [<!ENTITY s \"&s;\">]><a>&s;</a>")));
}

TEST(DomQuery, PathWalkFindsEveryEndInOrderWithItsAncestors)
{
    // Enough sections for the walk to split over two threads, one nested deeper than is kept.
    QByteArray xml = "<krant>";
    for (int s = 0; s < 40; ++s) {
        xml += "<rubriek><titel><head id='s" + QByteArray::number(s) + "'/></titel>";
        for (int a = 0; a < 3; ++a)
            xml += "<artikel><titel><head id='a" + QByteArray::number(s * 10 + a) +
                   "'/></titel><p>x<pagenum/></p></artikel>";
        if (s == 7)
            xml +=
                "<a><b><c><d><e><f><g><h><i><artikel><titel><head id='deep'/></titel></artikel></i></h></g></f></e></d>"
                "</c></b></a>";
        xml += "</rubriek>";
    }
    const DomDocument doc = Parse(xml + "</krant>");
    const std::vector<QStringList> paths{{"rubriek", "titel", "head"}, {"pagenum"}, {"artikel", "titel", "head"}};
    const std::vector<DomDocument::PathHit> hits = doc.findByPaths(paths);

    // The same elements as the queries, in document order, with the right bits.
    const DomNodeList all = doc.selectNodes("//rubriek/titel/head | //pagenum | //artikel/titel/head");
    ASSERT_EQ(hits.size(), size_t(all.length()));
    for (size_t i = 0; i < hits.size(); ++i) {
        const DomNode& node = hits[i].node;
        ASSERT_TRUE(node == all.item(int(i))) << i;
        const QString name = node.nodeName();
        const QString above = node.parentNode().parentNode().nodeName();
        const uint32_t expected = name == "pagenum" ? 2u : above == "rubriek" ? 1u : 4u;
        EXPECT_EQ(hits[i].matches, expected) << i;
        for (int n = 1; n <= DomDocument::PathHit::Above; ++n)
            ASSERT_EQ(hits[i].above[size_t(n - 1)], node.ancestor(n).identity()) << i << " up " << n;
    }
    const auto deep =
        std::find_if(hits.begin(), hits.end(), [](const auto& h) { return h.node.getAttribute("id") == "deep"; });
    ASSERT_NE(deep, hits.end());
    EXPECT_NE(deep->above.back(), nullptr);
    // Near the top the chain ends in the document node and then nothing.
    EXPECT_EQ(hits.front().above[3], doc.asNode().identity());
    EXPECT_EQ(hits.front().above[4], nullptr);
}
