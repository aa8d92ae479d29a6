// What the library costs at start and on File > Open, on a generated
// library.xml of N entries whose documents are real files in the library
// folder, beside baselines measured in the same run on the same file:
//
//   parse        loading library.xml into the DOM
//   parse+stat   the same plus one stat() per location
//   load+check   LoadLibrary: load, check every location, scan the folder
//   first show   the open-book window shown: table built and sorted, list filled
//                (flat, then grouped on 20 shelves)
//
//   qb_library_bench [--smoke] [--entries=N]
//       Prints the median milliseconds of each for N entries (default 5,000)
//       and for 2N, and the ratios the goals are set in: load+check /
//       parse+stat, first show / parse, and each figure at 2N / at N.
//       --smoke: 500 entries, one round each.

#include "app/core/AppPaths.h"
#include "library/frmLibrary.h"
#include "library/ui/frmOpenBook.h"
#include "package/dom/Dom.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sys/stat.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MedianMs(int rounds, const std::function<void()>& body)
{
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        body();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// N documents in the library folder and a catalogue that knows them all.
void MakeLibrary(const QString& folder, int entries)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<library>\r\n";
    for (int i = 0; i < entries; ++i) {
        const QString path = folder + QStringLiteral("/krant-%1.xml").arg(i, 5, 10, QLatin1Char('0'));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("<krant/>");
        const int day = 1 + i % 28;
        xml += QStringLiteral("\t<document id=\"ID-%1\" date=\"2026-01-%2T08:00:00\">\r\n"
                              "\t\t<title>Het Noorderlicht %1</title>\r\n\t\t<location>%3</location>\r\n"
                              "\t\t<bookshelf>%4</bookshelf>\r\n\t\t<lastopened>2026-02-%2T09:%5:00</lastopened>\r\n"
                              "\t\t<timesopened>%6</timesopened>\r\n\t</document>\r\n")
                   .arg(i)
                   .arg(day, 2, 10, QLatin1Char('0'))
                   .arg(path)
                   .arg(i % 3 ? QStringLiteral("Shelf %1").arg(i % 20) : QString())
                   .arg(i % 60, 2, 10, QLatin1Char('0'))
                   .arg(i % 97)
                   .toUtf8();
    }
    xml += "</library>\r\n";
    QFile f(frmLibrary::LibraryPath());
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(xml);
}

struct Figures {
    double parse = 0, parseStat = 0, loadCheck = 0, showFlat = 0, showGrouped = 0, table = 0;
};

Figures Measure(const QString& folder, int entries, int rounds)
{
    MakeLibrary(folder, entries);
    Opts().LibraryLocation = Opts().LibraryLocationText = folder;
    Figures f;
    f.parse = MedianMs(rounds, [] {
        DomDocument doc;
        doc.load(frmLibrary::LibraryPath());
    });
    f.parseStat = MedianMs(rounds, [] {
        DomDocument doc;
        doc.load(frmLibrary::LibraryPath());
        const pugi::xml_node root = doc.native().document_element();
        for (pugi::xml_node d = root.child("document"); d; d = d.next_sibling("document")) {
            struct stat st {};
            ::stat(d.child("location").child_value(), &st);
        }
    });
    f.loadCheck = MedianMs(rounds, [] { Library().LoadLibrary(); });
    if (Library().Entries().size() != size_t(entries))
        std::fprintf(stderr, "the check lost entries: %zu of %d\n", Library().Entries().size(), entries);

    auto firstShow = [&](int archive) {
        Opts().AutoArchive = archive;
        return MedianMs(rounds, [] {
            frmOpenBook window;
            window.show();
            QApplication::processEvents();
            window.hide();
        });
    };
    // Of the first show, the sorted table alone.
    f.table = MedianMs(rounds, [] { Library().BuildLibrary(Opts().SortField, false, false); });
    f.showFlat = firstShow(NoArchive);
    f.showGrouped = firstShow(ArchiveByDocumentType);
    return f;
}

void Print(int entries, const Figures& f)
{
    std::printf(
        "%6d entries: parse %.1f ms, parse+stat %.1f ms, load+check %.1f ms (%.2fx parse+stat), "
        "first show flat %.1f ms (%.2fx parse), grouped %.1f ms (%.2fx parse), of which the sorted table %.1f ms\n",
        entries, f.parse, f.parseStat, f.loadCheck, f.loadCheck / f.parseStat, f.showFlat, f.showFlat / f.parse,
        f.showGrouped, f.showGrouped / f.parse, f.table);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("QUILLBOOK_HOME", (home.path() + QStringLiteral("/user")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    AppPaths::Init();
    LoadLang(QStringLiteral("English"));
    bool smoke = false;
    int entries = 5000;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        if (arg == "--smoke")
            smoke = true;
        else if (arg.startsWith("--entries="))
            entries = arg.mid(10).toInt();
    }
    if (smoke)
        entries = 500;
    const int rounds = smoke ? 1 : 5;
    const QString folder = home.path() + QStringLiteral("/library");
    const Figures one = Measure(folder, entries, rounds);
    Print(entries, one);
    const Figures two = Measure(folder, 2 * entries, rounds);
    Print(2 * entries, two);
    std::printf("%d / %d entries: load+check %.2fx, first show flat %.2fx, grouped %.2fx\n", 2 * entries, entries,
                two.loadCheck / one.loadCheck, two.showFlat / one.showFlat, two.showGrouped / one.showGrouped);
    Library().Unload();
    return 0;
}
