// Saves a growing usage file for ever, for the kill -9 test: each round adds
// user bookmark n+1 to a file holding 1..n and prints n+1 once it is on disk.
// Usage: duf-writer <usage file> <template>
#include "marks/UsageFile.h"
#include "package/modXML.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: duf-writer <usage file> <template>\n");
        return 2;
    }
    UsageFile file;
    const auto opened = file.Open(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])).result;
    if (opened != UsageFile::Opening::Opened && opened != UsageFile::Opening::Created) {
        std::fprintf(stderr, "duf-writer: the usage file does not load\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        QString added;
        const bool saved = file.Change([&added](DomNode& root) {
            DomDocument doc = root.ownerDocument();
            added = getNewId(doc.asNode(), QStringLiteral("bookmark"));
            DomNode bookmark = root.appendChild(doc.createElement(QStringLiteral("bookmark")));
            bookmark.setAttribute(QStringLiteral("id"), added);
            bookmark.setAttribute(QStringLiteral("type"), QStringLiteral("user"));
            bookmark.appendChild(doc.createElement(QStringLiteral("bmk-descriptivetitle")))
                .setText(QStringLiteral("Version ") + added);
        });
        if (!saved)
            return 1;
        std::printf("%s\n", qPrintable(added));
        std::fflush(stdout);
    }
}
