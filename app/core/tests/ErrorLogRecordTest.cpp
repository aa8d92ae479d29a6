#include "app/core/AppPaths.h"
#include "app/core/ErrorConvention.h"
#include "app/core/ErrorLog.h"
#include "app/core/RunState.h"
#include "tests/support/TestHome.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

class ErrorLogRecordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetRunState();
        QFile::remove(AppPaths::ErrorLogPath());
        QFile::remove(oldLog());
    }
    void TearDown() override { ResetRunState(); }

    static QString oldLog() { return AppPaths::ErrorLogPath() + QStringLiteral(".1"); }
    static QByteArray log() { return TestHome::ReadFile(AppPaths::ErrorLogPath()); }
};

TEST_F(ErrorLogRecordTest, ADescriptionWithLineBreaksStaysOneRecord)
{
    // The description a document that is not well-formed raises.
    LogError(QStringLiteral("LoadXMLBook"), QStringLiteral("Load the XML document"), ErrNo::XmlNotWellFormed,
             QStringLiteral("4 - Opening and ending tag mismatch\r\nLine: 14:7"));
    RunState& rs = ::Run();
    rs.DocumentOpen = true;
    rs.DocInfo[1] = QStringLiteral("Title\nover two lines");
    LogError(QStringLiteral("GoPage"), QStringLiteral("Find\rthe page"), 5, QStringLiteral("x\n\n  y"));

    const QList<QByteArray> lines = log().split('\n');
    ASSERT_EQ(lines.size(), 3); // two records and what follows the last line end
    EXPECT_TRUE(lines[0].endsWith(",32444,4 - Opening and ending tag mismatch Line: 14:7,\"\r")) << lines[0].data();
    EXPECT_TRUE(lines[1].contains(" - GoPage,Find the page,5,x y,, ;Title over two lines;")) << lines[1].data();
    EXPECT_TRUE(lines[0].startsWith('"'));
    EXPECT_EQ(log().count('\r'), 2);
}

TEST_F(ErrorLogRecordTest, AFullLogIsMovedAsideAndOnlyOneOldLogIsKept)
{
    const QByteArray full(1 << 20, 'x');
    ASSERT_TRUE(TestHome::WriteFile(AppPaths::ErrorLogPath(), full));
    LogError(QStringLiteral("First"), QString(), 5, QStringLiteral("after the full log"));
    EXPECT_EQ(TestHome::ReadFile(oldLog()), full);
    EXPECT_TRUE(log().contains(" - First,,5,after the full log,"));
    EXPECT_EQ(log().count('\n'), 1);

    // Below the limit the log grows.
    LogError(QStringLiteral("Second"), QString(), 5, QStringLiteral("grows"));
    EXPECT_EQ(log().count('\n'), 2);

    const QByteArray fullAgain(1 << 20, 'y');
    ASSERT_TRUE(TestHome::WriteFile(AppPaths::ErrorLogPath(), fullAgain));
    LogError(QStringLiteral("Third"), QString(), 5, QStringLiteral("again"));
    EXPECT_EQ(TestHome::ReadFile(oldLog()), fullAgain);
    EXPECT_FALSE(QFileInfo::exists(oldLog() + QStringLiteral(".1")));
    EXPECT_EQ(log().count('\n'), 1);
}

} // namespace
