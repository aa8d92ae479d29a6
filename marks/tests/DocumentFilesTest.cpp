// File names made from document ids: one file per id, always inside DUF.
#include "app/core/DocumentFiles.h"
#include "app/core/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <gtest/gtest.h>

namespace {

QStringList OddIds()
{
    return {QStringLiteral(".."),
            QStringLiteral("../x"),
            QStringLiteral("a/../../b"),
            QStringLiteral("..\\x"),
            QString(),
            QString(QChar(0)),
            QStringLiteral("\t"),
            QString(300, QLatin1Char('k')),
            QString(300, QChar(0x00e9)),
            QStringLiteral("a/b"),
            QStringLiteral("a_b"),
            QStringLiteral("a%2Fb"),
            QStringLiteral("a\\b"),
            QStringLiteral("."),
            QStringLiteral("%"),
            QStringLiteral("~"),
            QStringLiteral("%~"),
            QStringLiteral("all"),
            QStringLiteral("krant"),
            QStringLiteral("caf\u00e9"),
            QStringLiteral("cafe\u0301"),
            QStringLiteral("\U0001F4F0 krant"),
            QString(299, QLatin1Char('k')) + QLatin1Char('/'),
            QString(299, QLatin1Char('k')) + QLatin1Char('_')};
}

TEST(DocumentFiles, PlainIdsAreTheirOwnNames)
{
    for (const char* id : {"NOORDERLICHT-20261205", "paper-0412", "boek_1.2", "Het Noorderlicht"})
        EXPECT_EQ(DocumentFileStem(QString::fromLatin1(id)), QString::fromLatin1(id));
    EXPECT_EQ(UsageFilePathFor(QStringLiteral("paper-0412")), AppPaths::DufDir() + QStringLiteral("/paper-0412.duf"));
}

TEST(DocumentFiles, DistinctIdsGiveDistinctFilesAllInsideTheFolder)
{
    QDir duf(AppPaths::DufDir());
    ASSERT_TRUE(QDir().mkpath(duf.path()));
    QSet<QString> stems;
    for (const QString& id : OddIds()) {
        const QString stem = DocumentFileStem(id);
        EXPECT_FALSE(stem.isEmpty());
        EXPECT_FALSE(stem.startsWith(QLatin1Char('.'))) << stem.toStdString();
        EXPECT_FALSE(stem.contains(QLatin1Char('/')) || stem.contains(QLatin1Char('\\'))) << stem.toStdString();
        EXPECT_LE(stem.toUtf8().size(), DocumentFiles::MaxStemLength) << id.size();
        stems.insert(stem);

        // The file can really be made, and it is where the folder says.
        const QString path = UsageFilePathFor(id);
        EXPECT_EQ(QFileInfo(path).absolutePath(), duf.absolutePath()) << path.toStdString();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString() << file.errorString().toStdString();
        file.write("x");
        file.close();
    }
    EXPECT_EQ(stems.size(), OddIds().size());
    EXPECT_EQ(duf.entryList(QDir::Files | QDir::Hidden).size(), OddIds().size());
    duf.removeRecursively();
}

} // namespace
