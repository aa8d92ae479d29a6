#include "app/core/WorkingFolder.h"
#include "app/core/AppPaths.h"
#include "app/core/BackgroundLoad.h"
#include "tests/support/TestHome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QString InTemp(const QString& name)
{
    return AppPaths::TempDir() + QLatin1Char('/') + name;
}

TEST(WorkingFolderTest, KindsAreTakenFromTheLastThreeLettersInAnyCase)
{
    EXPECT_EQ(PackageKindOf(QStringLiteral("/a/krant.ZIP")), PackageKind::Zip);
    EXPECT_EQ(PackageKindOf(QStringLiteral("/a/krant.cxb")), PackageKind::Zip);
    EXPECT_EQ(PackageKindOf(QStringLiteral("/a/krant.Exd")), PackageKind::Encrypted);
    EXPECT_EQ(PackageKindOf(QStringLiteral("/a/krant.xml")), PackageKind::Xml);
    EXPECT_EQ(PackageKindOf(QStringLiteral("/a/brief.rtf")), PackageKind::Rtf);
    // Only the last three characters count, dot or not.
    EXPECT_EQ(PackageKindOf(QStringLiteral("/a/krantxml")), PackageKind::Xml);
    EXPECT_EQ(PackageKindOf(QStringLiteral("/a/krant.xml.txt")), PackageKind::Unsupported);
    EXPECT_EQ(PackageKindOf(QStringLiteral("ml")), PackageKind::Unsupported);
}

TEST(WorkingFolderTest, EmptyingRemovesFilesButNeverFollowsLinks)
{
    QTemporaryDir outside;
    const QString precious = outside.path() + QStringLiteral("/precious.xml");
    ASSERT_TRUE(TestHome::WriteFile(precious, "<keep/>"));
    ASSERT_TRUE(TestHome::WriteFile(InTemp(QStringLiteral("b.xml")), "<b/>"));
    ASSERT_TRUE(TestHome::WriteFile(InTemp(QStringLiteral("a.xml")), "<a/>"));
    ASSERT_TRUE(TestHome::WriteFile(InTemp(QStringLiteral("Stijl.CSS")), "x"));
    ASSERT_TRUE(TestHome::WriteFile(InTemp(QStringLiteral("krant.xdf")), "x"));
    ASSERT_TRUE(QFile::link(precious, InTemp(QStringLiteral("link.xml"))));

    const WorkingFolderContents contents = ListWorkingFolder();
    EXPECT_EQ(contents.xmlFileName, QStringLiteral("link.xml")); // the last in name order
    EXPECT_EQ(contents.styleSheets, QStringList{QStringLiteral("Stijl.CSS")});
    EXPECT_EQ(contents.descriptors, QStringList{QStringLiteral("krant.xdf")});

    EXPECT_TRUE(EmptyWorkingFolder());
    EXPECT_TRUE(QDir(AppPaths::TempDir()).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_EQ(TestHome::ReadFile(precious), QByteArray("<keep/>"));
}

TEST(BackgroundLoadTest, TheWindowKeepsRunningWhileALargeDocumentLoads)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/groot.xml");
    QByteArray xml("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><krant>");
    const QByteArray paragraph("<p>Een lange alinea met caf\xe9 en na\xefve woorden om te lezen.</p>");
    while (xml.size() < 16 * 1024 * 1024)
        xml += paragraph;
    xml += "</krant>";
    ASSERT_TRUE(TestHome::WriteFile(path, xml));

    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);
    DomDocument doc;
    ASSERT_TRUE(LoadXmlKeepingWindowAlive(doc, path));
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(doc.documentElement().firstChild().text(),
              QStringLiteral("Een lange alinea met caf\u00e9 en na\u00efve woorden om te lezen."));

    // A failed load reports as the plain load does.
    ASSERT_TRUE(TestHome::WriteFile(path, "<krant>"));
    EXPECT_FALSE(LoadXmlKeepingWindowAlive(doc, path));
    EXPECT_NE(doc.parseError().errorCode, 0);
}

} // namespace
