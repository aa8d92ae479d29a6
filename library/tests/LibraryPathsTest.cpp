#include "library/LibraryPaths.h"
#include "library/LibraryDates.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

MountEntry Mount(const char* point, const char* type, bool removable = false)
{
    return {QString::fromUtf8(point), QByteArray(type), QStringLiteral("8:1"), removable};
}

} // namespace

TEST(LibraryPaths, LocationsAreStoredCleanAndAbsolute)
{
    EXPECT_EQ(CleanAbsolutePath(QStringLiteral("/lib//kranten/../boeken/./a.xml")),
              QStringLiteral("/lib/boeken/a.xml"));
    EXPECT_EQ(CleanAbsolutePath(QStringLiteral("a.xml")), QDir::current().absoluteFilePath(QStringLiteral("a.xml")));
    EXPECT_TRUE(CleanAbsolutePath(QString()).isEmpty());
}

TEST(LibraryPaths, InsideComparesWholeComponentsAndCase)
{
    EXPECT_TRUE(IsInsideFolder(QStringLiteral("/lib/a.xml"), QStringLiteral("/lib")));
    EXPECT_TRUE(IsInsideFolder(QStringLiteral("/lib/sub/a.xml"), QStringLiteral("/lib/")));
    EXPECT_FALSE(IsInsideFolder(QStringLiteral("/lib2/a.xml"), QStringLiteral("/lib")));
    EXPECT_FALSE(IsInsideFolder(QStringLiteral("/Lib/a.xml"), QStringLiteral("/lib")));
    EXPECT_FALSE(IsInsideFolder(QStringLiteral("/lib"), QStringLiteral("/lib")));
    EXPECT_FALSE(IsInsideFolder(QStringLiteral("/lib/a.xml"), QString()));
}

TEST(LibraryPaths, MountInfoIsReadWithEscapesAndRemovableDevices)
{
    const QByteArray info = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                            "40 22 8:17 / /home/me/My\\040Books rw - vfat /dev/sdb1 rw\n"
                            "41 22 0:50 / /srv/share rw - nfs4 server:/x rw\n"
                            "broken line\n";
    const auto mounts = ParseMountInfo(info, [](const QString& dev) { return dev == QLatin1String("8:17"); });
    ASSERT_EQ(mounts.size(), 3u);
    EXPECT_EQ(mounts[1].mountPoint, QStringLiteral("/home/me/My Books"));
    EXPECT_EQ(mounts[1].fsType, QByteArray("vfat"));
    EXPECT_TRUE(mounts[1].removable);
    EXPECT_FALSE(mounts[0].removable);
    EXPECT_EQ(MountOf(QStringLiteral("/home/me/My Books/a.xml"), mounts), &mounts[1]);
    EXPECT_EQ(MountOf(QStringLiteral("/home/me/My Books2/a.xml"), mounts), &mounts[0]);
    EXPECT_EQ(MountOf(QStringLiteral("/srv/share"), mounts), &mounts[2]);
}

TEST(LibraryPaths, OnlyFixedLocalDisksAreFixed)
{
    EXPECT_TRUE(IsFixedDisk(Mount("/", "ext4")));
    EXPECT_TRUE(IsFixedDisk(Mount("/tmp", "tmpfs")));
    EXPECT_FALSE(IsFixedDisk(Mount("/srv", "nfs4")));
    EXPECT_FALSE(IsFixedDisk(Mount("/srv", "cifs")));
    EXPECT_FALSE(IsFixedDisk(Mount("/cd", "iso9660")));
    EXPECT_FALSE(IsFixedDisk(Mount("/stick", "vfat", true)));
    EXPECT_FALSE(IsFixedDisk(Mount("/run/media/me/STICK", "ext4")));
}

TEST(LibraryPaths, TheCheckExaminesOnlyLocationsOnFixedDisks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = QFileInfo(dir.path()).canonicalFilePath();
    QDir().mkpath(root + QStringLiteral("/share"));
    FixedDiskCheck check({Mount("/", "ext4"), Mount(qPrintable(root + QStringLiteral("/share")), "nfs")});
    EXPECT_TRUE(check.IsExamined(root + QStringLiteral("/a.xml")));
    // A folder that does not exist is judged by the nearest one that does.
    EXPECT_TRUE(check.IsExamined(root + QStringLiteral("/gone/deeper/a.xml")));
    EXPECT_FALSE(check.IsExamined(root + QStringLiteral("/share/a.xml")));
    EXPECT_FALSE(check.IsExamined(root + QStringLiteral("/share/gone/a.xml")));
    EXPECT_FALSE(check.IsExamined(QStringLiteral("/mnt/usb/a.xml")));
    EXPECT_FALSE(check.IsExamined(QStringLiteral("/media/me/a.xml")));
    EXPECT_FALSE(check.IsExamined(QStringLiteral("/run/media/me/a.xml")));
    // A link into the share is judged by where it leads.
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/share"), root + QStringLiteral("/toshare")));
    EXPECT_FALSE(check.IsExamined(root + QStringLiteral("/toshare/a.xml")));
}

TEST(LibraryDates, IsoIsWrittenAndTheShortFormStillRead)
{
    const QDateTime when(QDate(2026, 3, 9), QTime(14, 5, 7));
    const QString text = LibraryDateText(when);
    EXPECT_EQ(text, QStringLiteral("2026-03-09T14:05:07"));
    EXPECT_EQ(ParseLibraryDate(text), when);
    const QString shortForm = QLocale::system().toString(when, QLocale::ShortFormat);
    EXPECT_EQ(ParseLibraryDate(shortForm).date(), when.date()) << qPrintable(shortForm);
    EXPECT_FALSE(ParseLibraryDate(QStringLiteral("yesterday")).isValid());
    EXPECT_EQ(ShortDateText(QStringLiteral("yesterday")), QStringLiteral("yesterday"));
    EXPECT_EQ(ShortDateText(text), shortForm);
    // The sort key keeps the order of the dates and shows as the reader's form.
    EXPECT_LT(*LibraryDateKey(QStringLiteral("2026-01-09T10:00:00")),
              *LibraryDateKey(QStringLiteral("2026-01-14T09:00:00")));
    EXPECT_EQ(LibraryDateKeyText(*LibraryDateKey(text)), shortForm);
    EXPECT_FALSE(LibraryDateKey(QString()));
}
