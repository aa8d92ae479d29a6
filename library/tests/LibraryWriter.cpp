// Adds entries to the catalogue of $QUILLBOOK_HOME from a process of its own:
//   qb_library_writer PREFIX COUNT     adds PREFIX-0 .. PREFIX-(COUNT-1)
//   qb_library_writer PREFIX endless   adds until it is killed
// Prints the number of entries it added.
#include "app/core/AppPaths.h"
#include "library/frmLibrary.h"
#include "settings/Options.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3 || !AppPaths::Init())
        return 2;
    Opts().LibraryLocation.clear();                              // no folder scan
    Library().Mounts = [] { return std::vector<MountEntry>{}; }; // and no location examined
    if (!Library().LoadLibrary())
        return 1;
    const QString prefix = QString::fromLocal8Bit(argv[1]);
    const bool endless = qstrcmp(argv[2], "endless") == 0;
    const long count = endless ? -1 : QByteArray(argv[2]).toLong();
    long added = 0;
    for (long i = 0; endless || i < count; ++i) {
        QString shelf = QStringLiteral("Shelf");
        const QString id = prefix + QLatin1Char('-') + QString::number(i);
        if (!Library().AddLibraryItem(id, QStringLiteral("Title ") + id, QStringLiteral("/nowhere/") + id + ".xml",
                                      shelf, false))
            return 1;
        ++added;
    }
    std::printf("%ld\n", added);
    return 0;
}
