#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "bench/NewspaperGenerator.h"
#include "package/dom/Dom.h"
#include "package/modXML.h"
#include "package/modXdf.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr size_t OneMB = Bench::BytesPerMB;

const std::string& Paper()
{
    static const std::string paper = Bench::GenerateNewspaper(OneMB);
    return paper;
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
        EXPECT_EQ(RunTool({size, dir.filePath(QStringLiteral("bad.xml"))}), 2) << size.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("bad.xml"))));
}

} // namespace
