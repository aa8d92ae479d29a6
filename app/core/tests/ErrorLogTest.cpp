#include "app/core/ErrorLog.h"
#include "app/core/AppPaths.h"
#include "app/core/ErrorConvention.h"
#include "app/core/PlayWave.h"
#include "app/core/RunState.h"
#include "tests/support/FreshState.h"
#include "tests/support/TestHome.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

class ErrorLogTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override { ResetRunState(); }

    static QStringList logLines()
    {
        const QString all = QString::fromUtf8(TestHome::ReadFile(AppPaths::ErrorLogPath()));
        QStringList lines = all.split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    static void openDocumentAt(int level, int index1, int index2, int position)
    {
        RunState& rs = ::Run();
        rs.DocumentOpen = true;
        rs.DocInfo[0] = QStringLiteral("NRC-20261206");
        rs.DocInfo[1] = QStringLiteral("Het \"Dagblad\"");
        rs.DocInfo[2] = QStringLiteral("krant");
        rs.CurrentLevel = int16_t(level);
        rs.LastReadPosition = position;
        rs.NavListIndex = [=](int l) { return l == 1 ? index1 : index2; };
    }
};

TEST_F(ErrorLogTest, LineShapesFollowTheRunState)
{
    // No document: the line ends right after the description's comma.
    EXPECT_EQ(ErrorLogLine(QStringLiteral("T"), QStringLiteral("LoadXMLBook"), QStringLiteral("Load it"), 53,
                           QStringLiteral("File not found")),
              QStringLiteral("T - LoadXMLBook,Load it,53,File not found,"));

    openDocumentAt(1, 4, 7, 1234);
    EXPECT_EQ(ErrorLogLine(QStringLiteral("T"), QStringLiteral("P"), QStringLiteral("S"), 5, QStringLiteral("D")),
              QStringLiteral("T - P,S,5,D,, NRC-20261206;Het \"Dagblad\";krant 4/1234"));

    // At level 2 and deeper both list indexes are written; modes follow in fixed order.
    openDocumentAt(9, 4, 7, 88);
    ::Run().LocalSearchMode = true;
    ::Run().GlobalSearchMode = true;
    EXPECT_EQ(ErrorLogLine(QStringLiteral("T"), QStringLiteral("P"), QStringLiteral("S"), 5, QStringLiteral("D")),
              QStringLiteral("T - P,S,5,D,, NRC-20261206;Het \"Dagblad\";krant 4/7/88, GlobalSearchMode, "
                             "LocalSearchMode"));
}

TEST_F(ErrorLogTest, EveryLineIsOneQuotedRecordAndTheStepIsCleared)
{
    ::Run().CurrentStep = QStringLiteral("first step");
    LogError(QStringLiteral("One"), ::Run().CurrentStep, 9, QStringLiteral("Subscript out of range"));
    EXPECT_TRUE(::Run().CurrentStep.isEmpty());
    openDocumentAt(2, 0, 3, 10);
    LogError(QStringLiteral("Two"), QStringLiteral("second \"quoted\" step"), 13, QStringLiteral("Type mismatch"));

    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 2);
    for (const QString& line : lines) {
        EXPECT_TRUE(line.startsWith(QLatin1Char('"'))) << line.toStdString();
        EXPECT_TRUE(line.endsWith(QLatin1Char('"'))) << line.toStdString();
    }
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(" - One,first step,9,Subscript out of range,\"")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral(",second \"quoted\" step,13,Type mismatch,, NRC")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("krant 0/3/10\"")));
}

TEST_F(ErrorLogTest, GuardedLogsTheFailingStepAndReturnsTheFallback)
{
    int reached = 0;
    const int result = Guarded("LoadSomething", -7, [&] {
        SetStep(QStringLiteral("Read the header"));
        ++reached;
        RaiseError(ErrNo::NoTitle, QStringLiteral("Doc_Title is missing"));
        ++reached; // never runs
        return 1;
    });
    EXPECT_EQ(result, -7);
    EXPECT_EQ(reached, 1);

    EXPECT_FALSE(GuardedVoid("Index", [] { throw std::out_of_range("vector::at"); }));
    EXPECT_TRUE(GuardedVoid("Fine", [] {}));

    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains(QStringLiteral(" - LoadSomething,Read the header,32333,Doc_Title is missing,")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral(" - Index,,9,vector::at,")));
}

TEST_F(ErrorLogTest, LoggingIntoAnUnwritableFolderFailsQuietly)
{
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("QUILLBOOK_HOME");
    // A user folder that is a file cannot hold a log; nothing may escape.
    const QString blocker = dir.path() + QStringLiteral("/file");
    ASSERT_TRUE(TestHome::WriteFile(blocker, "x"));
    qputenv("QUILLBOOK_HOME", blocker.toLocal8Bit());
    AppPaths::Init();
    ::Run().CurrentStep = QStringLiteral("step");
    LogError(QStringLiteral("P"), QStringLiteral("step"), 5, QStringLiteral("D"));
    EXPECT_TRUE(::Run().CurrentStep.isEmpty());
    qputenv("QUILLBOOK_HOME", saved);
    AppPaths::Init();
}

TEST(PlayWaveTest, ReadsTheClipLengthAndNeverBlocksOnBadFiles)
{
    QTemporaryDir dir;
    // 0.5 s of silence: 8 kHz, mono, 8 bit.
    QByteArray wav("RIFF");
    const quint32 dataSize = 4000;
    auto le32 = [](quint32 v) {
        QByteArray b(4, 0);
        for (int i = 0; i < 4; ++i)
            b[i] = char((v >> (8 * i)) & 0xff);
        return b;
    };
    auto le16 = [](quint16 v) { return QByteArray(1, char(v & 0xff)) + QByteArray(1, char(v >> 8)); };
    wav += le32(36 + dataSize) + "WAVE" + "fmt " + le32(16) + le16(1) + le16(1) + le32(8000) + le32(8000) + le16(1) +
           le16(8) + "data" + le32(dataSize) + QByteArray(int(dataSize), char(0x80));
    const QString good = dir.path() + QStringLiteral("/beep.wav");
    const QString bad = dir.path() + QStringLiteral("/bad.wav");
    ASSERT_TRUE(TestHome::WriteFile(good, wav));
    ASSERT_TRUE(TestHome::WriteFile(bad, "RIFF....WAVEjunk"));
    EXPECT_EQ(WaveDurationMs(good), 500);
    EXPECT_EQ(WaveDurationMs(bad), -1);
    EXPECT_EQ(WaveDurationMs(dir.path() + QStringLiteral("/missing.wav")), -1);
    // Missing and broken files return at once; a good one returns within its bound.
    QElapsedTimer clock;
    clock.start();
    PlayWave(dir.path() + QStringLiteral("/missing.wav"));
    PlayWave(bad);
    EXPECT_LT(clock.elapsed(), 1000);
    PlayWave(good);
    EXPECT_LT(clock.elapsed(), 500 + 2000 + 1500);
}

} // namespace
