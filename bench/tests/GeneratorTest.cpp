#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "bench/NewspaperGenerator.h"
#include "package/dom/Dom.h"
#include "package/modXML.h"
#include "package/modXdf.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr size_t OneMB = Bench::BytesPerMB;

const std::string& Paper()
{
    static const std::string paper = Bench::GenerateNewspaper(OneMB);
    return paper;
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

// Exit code of the generator tool run with args; its complaints are not shown.
int RunTool(const QStringList& args)
{
    QProcess tool;
    tool.setStandardErrorFile(QProcess::nullDevice());
    tool.start(QStringLiteral(QB_GEN_PAPER), args);
    if (!tool.waitForFinished(60'000) || tool.exitStatus() != QProcess::NormalExit)
        return -1;
    return tool.exitCode();
}

TEST(NewspaperGeneratorTest, SameSizeAndSeedGiveTheSameBytes)
{
    EXPECT_EQ(Bench::GenerateNewspaper(OneMB), Paper());
    EXPECT_NE(Bench::GenerateNewspaper(OneMB, Bench::DefaultSeed + 1), Paper());
}

TEST(NewspaperGeneratorTest, SizeIsWithinFivePercentOfTheTarget)
{
    for (size_t target : {OneMB / 4, OneMB, 3 * OneMB}) {
        const double size = static_cast<double>(Bench::GenerateNewspaper(target).size());
        EXPECT_NEAR(size / static_cast<double>(target), 1.0, 0.05) << "target " << target;
    }
}

TEST(NewspaperGeneratorTest, TextHasLatin1LettersReferencesAndPageMarks)
{
    const std::string& paper = Paper();
    EXPECT_EQ(paper.rfind("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<krant>\r\n\t<meta>", 0), 0u);
    const auto accented = std::count_if(paper.begin(), paper.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0xC0;
    });
    EXPECT_GT(accented, 1000);
    EXPECT_GT(Count(paper, "&#8364;"), 10u);
    // A page mark every few articles, numbered on from 1.
    const size_t articles = Count(paper, "<artikel>");
    const size_t pages = Count(paper, "<pagenum>");
    EXPECT_GT(pages, articles / 5);
    EXPECT_LT(pages, articles);
    EXPECT_NE(paper.find("<pagenum>" + std::to_string(pages) + "</pagenum>"), std::string::npos);
}

TEST(NewspaperGeneratorTest, LargerPapersHaveMoreSectionsOfAtMost98Articles)
{
    const std::string paper = Bench::GenerateNewspaper(3 * OneMB);
    EXPECT_GT(Count(paper, "<rubriek>"), Count(Paper(), "<rubriek>"));
    size_t from = 0;
    for (size_t at = paper.find("<rubriek>"); at != std::string::npos; at = paper.find("<rubriek>", from)) {
        from = paper.find("</rubriek>", at);
        ASSERT_NE(from, std::string::npos);
        EXPECT_LE(Count(paper.substr(at, from - at), "<artikel>"), 98u);
    }
}

TEST(NewspaperGeneratorTest, OpensLikeANewspaperWithNavigationIds)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("paper.xml"));
    ASSERT_TRUE(Bench::WriteNewspaper(path.toStdString(), OneMB));

    ResetRunState();
    RunState& rs = ::Run();
    LoadXdf(AppPaths::DefaultDir() + QStringLiteral("/news.xdf"));
    ASSERT_TRUE(rs.XmlDoc.load(path)) << rs.XmlDoc.parseError().reason.toStdString() << " line "
                                      << rs.XmlDoc.parseError().line;
    EXPECT_EQ(GetXMLTagValue(rs.XmlDoc.asNode(), rs.XdfDocTitleTag), QStringLiteral("De Proefkrant"));
    // Decoded as ISO-8859-1, with the reference resolved.
    EXPECT_EQ(GetXMLTagValue(rs.XmlDoc.asNode(), rs.XdfDocAuthorTag), QStringLiteral(u"Hoofdredactie: Renée Dijkstra"));
    EXPECT_TRUE(rs.XmlDoc.documentElement().text().contains(QChar(0x20AC)));

    AddNodeIds();
    const DomNodeList heads = rs.XmlDoc.selectNodes(QStringLiteral("//rubriek/titel/head"));
    ASSERT_GE(heads.length(), 2);
    EXPECT_EQ(heads.item(0).getAttribute(QStringLiteral("id")), QStringLiteral("0100"));
    EXPECT_EQ(heads.item(1).getAttribute(QStringLiteral("id")), QStringLiteral("0200"));
    EXPECT_EQ(rs.XmlDoc.selectSingleNode(QStringLiteral("//artikel/titel/head")).getAttribute(QStringLiteral("id")),
              QStringLiteral("0101"));
    EXPECT_TRUE(rs.HasPageNumbers);
    ResetRunState();
}

TEST(NewspaperGeneratorTest, EveryArticleIsCompleteAndPagesCountOnByOne)
{
    DomDocument doc;
    ASSERT_TRUE(doc.loadXML(QByteArray::fromStdString(Paper())));
    const int articles = doc.selectNodes(QStringLiteral("//artikel")).length();
    EXPECT_GT(articles, 100);
    EXPECT_EQ(doc.selectNodes(QStringLiteral("//artikel[titel/head and titel/onderkop and auteur and intro and p]"))
                  .length(),
              articles);
    int expected = 1;
    for (const DomNode& page : doc.selectNodes(QStringLiteral("//pagenum")))
        EXPECT_EQ(page.text(), QString::number(expected++));
    // Heads read like headings: a capital first letter, no stray blanks.
    for (const DomNode& head : doc.selectNodes(QStringLiteral("//head"))) {
        const QString text = head.text();
        ASSERT_FALSE(text.isEmpty());
        EXPECT_TRUE(text[0].isUpper()) << text.toStdString();
        EXPECT_EQ(text, text.trimmed());
    }
}

TEST(NewspaperGeneratorTest, TinyTargetsStillGiveAWholeDocument)
{
    for (size_t target : {size_t(0), size_t(100), size_t(5000)}) {
        DomDocument doc;
        EXPECT_TRUE(doc.loadXML(QByteArray::fromStdString(Bench::GenerateNewspaper(target)))) << target;
        EXPECT_EQ(doc.selectNodes(QStringLiteral("/krant/rubriek/artikel")).length() >= 1, true) << target;
    }
}

TEST(NewspaperGeneratorTest, ToolWritesTheSameDocumentAndRejectsBadSizes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("half.xml"));
    EXPECT_EQ(RunTool({QStringLiteral("0.5"), path}), 0);
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll().toStdString(), Bench::GenerateNewspaper(OneMB / 2));

    for (const QString& size : {QStringLiteral("0"), QStringLiteral("-1"), QStringLiteral("10x"), QString()})
        EXPECT_EQ(RunTool({size, dir.filePath(QStringLiteral("bad.xml"))}), 2)
            << size.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("bad.xml"))));
}

} // namespace
