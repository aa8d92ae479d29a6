// The searchable text of a unit, read straight from the tree, against the same
// text put together node by node through the DOM handles, the way it was first
// written: samples, generated markup of every awkward kind, and the case folding.
#include "search/tests/SearchFixture.h"

#include "package/NavIndex.h"
#include "package/dom/Dom.h"
#include "render/StyleApplier.h"
#include "render/modCss2RTF.h"

#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <ostream>
#include <random>

// Readable failure messages.
void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// ---- the node-by-node yardstick

struct Texts {
    QString open, close;
};

QHash<QString, Texts> SheetTexts()
{
    QHash<QString, Texts> texts;
    const std::vector<StyleRecord>& table = StyleTable();
    const size_t last = std::min(static_cast<size_t>(std::max(StyleCount(), 0)), table.size() - 1);
    for (size_t r = 1; r <= last; ++r) {
        Texts& t = texts[table[r][Style::Name].toLower()];
        t.open += SetText(table[r][Style::OpentagPrefix]) + SetText(table[r][Style::OpentagSuffix]);
        t.close += SetText(table[r][Style::ClosetagPrefix]) + SetText(table[r][Style::ClosetagSuffix]);
    }
    return texts;
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

void AppendText(QString& out, const QString& text, bool afterStartTag, bool beforeEndTag)
{
    const QChar* d = text.constData();
    const qsizetype n = text.size();
    qsizetype copied = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (d[i] != u'\n' && d[i] != u'\t')
            continue;
        qsizetype begin = i;
        while (begin > copied && IsBlank(d[begin - 1]))
            --begin;
        qsizetype end = i;
        while (end < n && IsBlank(d[end]))
            ++end;
        out += QStringView(d + copied, begin - copied);
        if (!((begin == 0 && afterStartTag) || (end == n && beforeEndTag)))
            out += u' ';
        copied = end;
        i = end - 1;
    }
    out += QStringView(d + copied, n - copied);
}

const Texts* TextsOf(const QHash<QString, Texts>& styles, const QString& name)
{
    auto found = styles.constFind(name);
    if (found == styles.cend() && !name.isLower())
        found = styles.constFind(name.toLower());
    return found == styles.cend() ? nullptr : &*found;
}

void AppendUnit(QString& out, const DomNode& node, const QHash<QString, Texts>& styles)
{
    bool first = true;
    for (DomNode child = node.firstChild(); !child.isNull(); first = false) {
        DomNode next = child.nextSibling();
        const DomNodeType type = child.nodeType();
        if (type == DomNodeType::Text || type == DomNodeType::CData) {
            AppendText(out, child.nodeValue(), first, next.isNull());
        } else if (type == DomNodeType::Element) {
            const QString name = child.nodeName();
            const Texts* texts = TextsOf(styles, name);
            if (texts)
                out += texts->open;
            if (name.compare(QLatin1String("img"), Qt::CaseInsensitive) == 0) {
                const QString descr = child.getAttribute(QStringLiteral("descr"));
                if (!descr.isEmpty())
                    out += QStringLiteral("Afbeelding beschrijving: ") + descr.trimmed();
            }
            AppendUnit(out, child, styles);
            if (texts)
                out += texts->close;
        }
        child = std::move(next);
    }
}

QString NodeByNode(const DomNode& unit)
{
    const QHash<QString, Texts> styles = SheetTexts();
    QString out;
    const Texts* texts = TextsOf(styles, unit.nodeName());
    if (texts)
        out += texts->open;
    AppendUnit(out, unit, styles);
    if (texts)
        out += texts->close;
    return out;
}

// Every element of the document, each taken as a unit, gives the same text both ways.
int CompareEveryElement(const DomDocument& doc, const QString& what)
{
    int compared = 0;
    std::vector<DomNode> pending{doc.documentElement()};
    while (!pending.empty()) {
        const DomNode node = pending.back();
        pending.pop_back();
        EXPECT_EQ(UnitSearchText(node), NodeByNode(node))
            << what.toStdString() << " <" << node.nodeName().toStdString() << ">";
        ++compared;
        for (DomNode child = node.firstChild(); child; child = child.nextSibling()) {
            if (child.nodeType() == DomNodeType::Element)
                pending.push_back(child);
        }
    }
    return compared;
}

// ---- generated markup

class MarkupMaker {
public:
    explicit MarkupMaker(unsigned seed) : m_random(seed) {}

    QByteArray document()
    {
        m_xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<krant>";
        for (int i = pick(3) + 1; i > 0; --i)
            element(0);
        m_xml += "</krant>";
        return m_xml;
    }

private:
    int pick(int n) { return int(m_random() % unsigned(n)); }

    void element(int depth)
    {
        // Names the sheet styles, in any case, and names it does not know.
        static const char* names[] = {"p", "P", "head", "HEAD", "Head", "pagenum", "titel", "b", "i", "artikel", "zin"};
        const char* name = names[pick(int(std::size(names)))];
        if (pick(8) == 0) {
            image();
            return;
        }
        m_xml += QByteArray("<") + name + ">";
        const int children = depth > 4 ? 0 : pick(5);
        for (int c = 0; c < children; ++c) {
            if (pick(2) == 0)
                element(depth + 1);
            else
                text();
        }
        if (children == 0 && pick(2) == 0)
            text();
        m_xml += QByteArray("</") + name + ">";
    }

    void image()
    {
        static const char* descrs[] = {"", "  Een storm  ", "\nkade\t", "foto", "&#160;brug&#160;", "caf\xC3\xA9 "};
        static const char* names[] = {"img", "IMG", "Img"};
        const char* name = names[pick(3)];
        m_xml += QByteArray("<") + name;
        if (pick(4) != 0)
            m_xml += QByteArray(" descr=\"") + descrs[pick(int(std::size(descrs)))] + "\"";
        m_xml += pick(2) == 0 ? QByteArray("/>") : QByteArray("></") + name + ">";
    }

    void text()
    {
        // Blanks of every kind at either end and inside, references, letters
        // beyond ASCII, pairs of surrogates and a byte order mark.
        static const char* pieces[] = {"storm",
                                       " ",
                                       "\n",
                                       "\t",
                                       "\r\n  ",
                                       " \t ",
                                       "&amp;",
                                       "&#10;",
                                       "&#9;",
                                       "IJsvereniging",
                                       "\xC3\xA9\xC3\xA9n",
                                       "\xC3\x89\xC3\x89N",
                                       "stra\xC3\x9F"
                                       "e",
                                       "\xC4\xB0stanbul",
                                       "\xCE\xA3\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1",
                                       "\xF0\x9F\x8C\x8A golf",
                                       "\xEF\xBB\xBFstart",
                                       "\xC2\xA0"};
        const bool cdata = pick(10) == 0;
        m_xml += cdata ? "<![CDATA[" : "";
        for (int i = pick(6) + 1; i > 0; --i) {
            const char* piece = pieces[pick(int(std::size(pieces)))];
            if (cdata && piece[0] == '&')
                continue;
            m_xml += piece;
        }
        m_xml += cdata ? "]]>" : "";
    }

    std::mt19937 m_random;
    QByteArray m_xml;
};

DomDocument Parsed(const QByteArray& xml)
{
    DomDocument doc;
    EXPECT_TRUE(doc.loadXML(xml)) << doc.parseError().reason.toStdString() << "\n" << xml.toStdString();
    return doc;
}

class UnitTextTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(PrepareForReading()); }
    void TearDown() override { ResetProgramState(); }
};

} // namespace

TEST_F(UnitTextTest, SamplesGiveTheSameTextAsTheNodeByNodeWalk)
{
    int files = 0;
    QDirIterator it(AppPaths::SamplesDir(), {QStringLiteral("*.xml")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        DomDocument doc;
        ASSERT_TRUE(doc.load(path)) << path.toStdString();
        EXPECT_GT(CompareEveryElement(doc, path), 100) << path.toStdString();
        ++files;
    }
    EXPECT_GE(files, 2);
}

TEST_F(UnitTextTest, GeneratedMarkupGivesTheSameTextAsTheNodeByNodeWalk)
{
    for (unsigned seed = 1; seed <= 300; ++seed) {
        const QByteArray xml = MarkupMaker(seed).document();
        CompareEveryElement(Parsed(xml), QStringLiteral("seed %1").arg(seed));
        if (HasFailure())
            return;
    }
}

TEST_F(UnitTextTest, StylesAsTheSheetSaysThemAndAnEmptySheet)
{
    // A sheet whose texts stand at every tag of a few elements, names in capitals.
    ASSERT_TRUE(LoadCSSFromText(QStringLiteral("P {\r\nopentag-prefix: \"<\";\r\nclosetag-suffix: \">\";\r\n}\r\n"
                                               "zin {\r\nopentag-suffix: \"[\";\r\nclosetag-prefix: \"]\";\r\n}\r\n")));
    const DomDocument doc = Parsed("<krant><p>een <zin>storm</zin> nu</p><P>b</P></krant>");
    EXPECT_EQ(UnitSearchText(doc.documentElement()), QStringLiteral("<een [storm] nu><b>"));
    for (unsigned seed = 1; seed <= 50; ++seed)
        CompareEveryElement(Parsed(MarkupMaker(seed).document()), QStringLiteral("seed %1").arg(seed));

    LoadCSSFromText(QString());
    for (unsigned seed = 51; seed <= 100; ++seed)
        CompareEveryElement(Parsed(MarkupMaker(seed).document()), QStringLiteral("seed %1").arg(seed));
}

TEST_F(UnitTextTest, BytesThatAreNoUtf8AreReadNodeByNode)
{
    // A lead byte ends one text and a continuation byte starts the next: each
    // node's value is read on its own, so they do not make one character.
    const QByteArray xml = "<krant><p>caf\xC3<b/>\xA9 en \xE2\x82</p><p>\xFF\xFEzee\xC3</p></krant>";
    const DomDocument doc = Parsed(xml);
    CompareEveryElement(doc, QStringLiteral("no UTF-8"));
    EXPECT_FALSE(UnitSearchText(doc.documentElement()).contains(QStringLiteral("caf\u00e9")));
}

TEST_F(UnitTextTest, DeepAndEmptyUnits)
{
    QByteArray xml = "<krant>";
    for (int i = 0; i < 3000; ++i)
        xml += "<zin>w\n";
    for (int i = 0; i < 3000; ++i)
        xml += "</zin>";
    xml += "<leeg/></krant>";
    const DomDocument doc = Parsed(xml);
    const QString text = UnitSearchText(doc.documentElement());
    EXPECT_EQ(text.count(u'w'), 3000);
    EXPECT_EQ(text, NodeByNode(doc.documentElement()));
    EXPECT_TRUE(UnitSearchText(doc.documentElement().selectSingleNode(QStringLiteral("leeg"))).isEmpty());
    EXPECT_TRUE(UnitSearchText(DomNode()).isEmpty());
}

// Folding a text whole changes no length here, not even with pairs of
// surrogates, so every text folds as a search goes; and a search without case
// finds across scripts.
TEST_F(SearchFixture, TextsFoldAsTheSearchGoesAndMatchAcrossScripts)
{
    openPaper({{{QStringLiteral("De STORM en \u00c9\u00c9N stra\u00dfe \u0130stanbul"),
                 QStringLiteral("\u03a3\u039f\u03a6\u0399\u0391 \u041c\u041e\u0421\u041a\u0412\u0410")},
                {QStringLiteral("\U0001F30A Golf IJZEL"), QStringLiteral("\U00010400 deseret")},
                {QStringLiteral("alleen klein")}}});
    const std::vector<SearchEntry>& entries = SearchableEntries();
    ASSERT_EQ(entries.size(), 3u);
    for (const SearchEntry& entry : entries) {
        const QString text = entry.text.toString();
        EXPECT_EQ(entry.folding, text.toCaseFolded().size() == text.size() ? SearchEntry::Folding::AsItGoes
                                                                           : SearchEntry::Folding::ByQString)
            << text.toStdString();
        EXPECT_TRUE(entry.folded.isEmpty());
    }

    find(QStringLiteral("\u00e9\u00e9n"));
    EXPECT_EQ(results().size(), 1);
    find(QStringLiteral("\u03c3\u03bf\u03c6\u03b9\u03b1 \u043c\u043e\u0441\u043a\u0432\u0430"));
    EXPECT_EQ(results().size(), 1);
    find(QStringLiteral("ijzel"));
    EXPECT_EQ(results().size(), 1);
    find(QStringLiteral("\U00010428"), false, false); // the small letter of the pair in the second article
    EXPECT_EQ(results().size(), 1);
}

// Texts of every size, some larger than the memory they are first given: each
// entry's text is whole and its own.
TEST_F(SearchFixture, LargeAndManyEntriesKeepTheirTexts)
{
    std::vector<QStringList> articles;
    for (int a = 0; a < 60; ++a) {
        QStringList paragraphs;
        const int size = a % 7 == 0 ? 90000 : 100 + a * 700;
        paragraphs << QStringLiteral("Artikel%1 ").arg(a) + QString(size, QChar(u'A' + a % 26)) +
                          QStringLiteral(" \u00c9nde%1").arg(a);
        articles.push_back(paragraphs);
    }
    openPaper({articles});
    const std::vector<SearchEntry>& entries = SearchableEntries();
    ASSERT_EQ(entries.size(), 60u);
    const NavIndex& index = DocumentNavIndex();
    for (size_t a = 0; a < entries.size(); ++a) {
        const SearchEntry& entry = entries[a];
        const QString expected = UnitSearchText(index.at(entry.entry).heading.parentNode().parentNode());
        ASSERT_EQ(entry.text.toString(), expected) << a;
        ASSERT_TRUE(entry.text.contains(QStringLiteral(" \u00c9nde%1").arg(a))) << a;
    }
    find(QStringLiteral("\u00e9nde59"));
    EXPECT_EQ(results().size(), 1);
}
