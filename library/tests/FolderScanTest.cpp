// The library folder's files read straight from the directory, against what
// QDir lists for the same filter: every kind of entry a folder can hold.
#include "library/LibraryPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QStringList Sorted(QStringList names)
{
    names.sort();
    return names;
}

QStringList Listed(const QString& folder)
{
    return Sorted(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort));
}

bool Touch(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write("<krant/>") == 8;
}

} // namespace

TEST(FolderScan, TheSameNamesAsTheFolderListing)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString lib = temp.path() + QStringLiteral("/lib");
    const QString elsewhere = temp.path() + QStringLiteral("/elders");
    ASSERT_TRUE(QDir().mkpath(lib + QStringLiteral("/sub.xml")));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    for (const char* name : {"krant.xml", ".verborgen.zip", "met spatie.cxb", "caf\u00e9 \u2014 \u00e9\u00e9n.XML",
                             "leeg", "x", "sub.xml.bak"})
        ASSERT_TRUE(Touch(lib + QLatin1Char('/') + QString::fromUtf8(name))) << name;
    ASSERT_TRUE(Touch(elsewhere + QStringLiteral("/ver.xml")));
    // Links: to a file here, to a file elsewhere, to a folder, to nothing.
    ASSERT_TRUE(QFile::link(lib + QStringLiteral("/krant.xml"), lib + QStringLiteral("/tweede naam.xml")));
    ASSERT_TRUE(QFile::link(elsewhere + QStringLiteral("/ver.xml"), lib + QStringLiteral("/ver.xml")));
    ASSERT_TRUE(QFile::link(elsewhere, lib + QStringLiteral("/map.zip")));
    ASSERT_TRUE(QFile::link(elsewhere + QStringLiteral("/weg.xml"), lib + QStringLiteral("/weg.xml")));
    // A pipe and a socket are no documents.
    ASSERT_EQ(::mkfifo(QFile::encodeName(lib + QStringLiteral("/pijp.xml")).constData(), 0600), 0);
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(s, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(lib + QStringLiteral("/sok.xml"));
    ASSERT_LT(size_t(socketPath.size()), sizeof(address.sun_path));
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(s);

    const QStringList names = Sorted(RegularFileNames(lib));
    EXPECT_EQ(names, Listed(lib));
    EXPECT_EQ(names,
              Sorted({QStringLiteral("krant.xml"), QStringLiteral(".verborgen.zip"), QStringLiteral("met spatie.cxb"),
                      QStringLiteral("caf\u00e9 \u2014 \u00e9\u00e9n.XML"), QStringLiteral("leeg"), QStringLiteral("x"),
                      QStringLiteral("sub.xml.bak"), QStringLiteral("tweede naam.xml"), QStringLiteral("ver.xml")}));
}

TEST(FolderScan, ManyFilesAndFoldersThatCannotBeRead)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    for (int i = 0; i < 3000; ++i)
        ASSERT_TRUE(Touch(temp.path() + QStringLiteral("/krant-%1.xml").arg(i)));
    const QStringList names = RegularFileNames(temp.path());
    EXPECT_EQ(names.size(), 3000);
    EXPECT_EQ(Sorted(names), Listed(temp.path()));

    EXPECT_TRUE(RegularFileNames(temp.path() + QStringLiteral("/nergens")).isEmpty());
    EXPECT_TRUE(RegularFileNames(temp.path() + QStringLiteral("/krant-1.xml")).isEmpty()); // a file, no folder
}
