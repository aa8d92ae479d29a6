// A writer killed with SIGKILL at random moments never leaves a usage file
// that does not load or that differs from every version it wrote, and leaves
// no temporary files behind. QB_DUF_KILL_ROUNDS sets the number of kills
// (scripts/duf-kill-loop.sh runs a thousand).
#include "app/core/AppPaths.h"
#include "marks/UsageFile.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

namespace {

// The user bookmark ids of the file in order, or nothing when it does not load.
std::optional<QList<int>> Versions(const QString& path)
{
    DomDocument doc;
    if (!doc.load(path))
        return std::nullopt;
    QList<int> ids;
    for (const DomNode& b : doc.getElementsByTagName(QStringLiteral("bookmark"))) {
        if (b.getAttribute(QStringLiteral("type")) != QLatin1String("user"))
            continue;
        ids << b.getAttribute(QStringLiteral("id")).toInt();
        if (b.text() != QStringLiteral("Version ") + QString::number(ids.last()))
            return std::nullopt;
    }
    return ids;
}

TEST(DufKill, EveryKillLeavesAVersionThatWasWrittenAndNoTemporaryFiles)
{
    const int rounds =
        qEnvironmentVariableIsSet("QB_DUF_KILL_ROUNDS") ? qEnvironmentVariableIntValue("QB_DUF_KILL_ROUNDS") : 25;
    const QString folder = AppPaths::DufDir();
    const QString path = folder + QStringLiteral("/kill.duf");
    QDir(folder).removeRecursively();
    QRandomGenerator random(20261205);
    int count = 0; // versions the file is known to hold
    int killedWhileSaving = 0;
    for (int round = 0; round < rounds; ++round) {
        QProcess writer;
        writer.start(QStringLiteral(DUF_WRITER), {path, AppPaths::DefaultDir() + QStringLiteral("/default.duf")});
        ASSERT_TRUE(writer.waitForStarted()) << writer.errorString().toStdString();
        // Let it write a few versions, then kill it somewhere in the middle of the next.
        const int wanted = int(random.bounded(1, 6));
        int printed = count;
        QByteArray out;
        while (true) {
            if (!writer.canReadLine() && !writer.waitForReadyRead(30000))
                break;
            out = writer.readLine().trimmed();
            if (out == "ready")
                continue;
            printed = out.toInt();
            if (printed - count >= wanted)
                break;
        }
        ASSERT_GT(printed, count) << "round " << round
                                  << ": the writer wrote nothing: " << writer.readAllStandardError().toStdString();
        std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(0, 3000)));
        ::kill(pid_t(writer.processId()), SIGKILL);
        ASSERT_TRUE(writer.waitForFinished(30000));
        while (writer.canReadLine()) {
            const QByteArray line = writer.readLine().trimmed();
            if (!line.isEmpty() && line != "ready")
                printed = line.toInt();
        }

        const auto ids = Versions(path);
        ASSERT_TRUE(ids) << "round " << round << ": the file does not load";
        const int held = int(ids->size());
        // Whatever was reported saved is there; at most the save in progress came on top.
        ASSERT_TRUE(held == printed || held == printed + 1) << "round " << round << ": " << held << " vs " << printed;
        for (int i = 0; i < held; ++i)
            ASSERT_EQ(ids->at(i), i + 1) << "round " << round;
        killedWhileSaving += held == printed + 1;
        count = held;

        // A kill may leave one lock or one half-written save; the next writer clears them, so they never pile up.
        const QStringList others = QDir(folder)
                                       .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot)
                                       .filter(QStringLiteral("kill.duf."));
        ASSERT_LE(others.size(), 2) << others.join(QLatin1Char(' ')).toStdString();
    }
    std::printf("%d kills, %d of them after a save had reached the disk unreported; %d versions\n", rounds,
                killedWhileSaving, count);
    QDir(folder).removeRecursively();
}

} // namespace
