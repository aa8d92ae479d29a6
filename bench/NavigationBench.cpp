// How long the reader waits for a level change or an article move in a large
// newspaper, against the query alone and the document's parse, all measured
// in the same run on the same generated document.
//
//   qb_navigation_bench [--smoke] [--megabytes=N]
//       Default: 50 MB, best of 7 rounds. --smoke: 2 MB, 1 round.
//
// Figures: the level-2 list of a section (LoadLevelTitles), the next article
// across a section boundary in the lists (GoArticle, no text shown), the
// bare query for that section's headings, and pugixml's parse of the file.

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "bench/BenchSupport.h"
#include "bench/NewspaperGenerator.h"
#include "bench/SilentHost.h"
#include "navigation/NavList.h"
#include "navigation/NavigationHost.h"
#include "navigation/Navigator.h"
#include "package/DocumentOpening.h"
#include "render/TextAssembly.h"
#include "render/TextViewer.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

using Bench::BestMs;
using Bench::SilentHost;

namespace {} // namespace

int main(int argc, char** argv)
{
    const Bench::PrivateHome home;
    QGuiApplication app(argc, argv);
    AppPaths::Init();

    const Bench::Arguments arguments = Bench::ReadArguments(argc, argv, 2);
    const bool smoke = arguments.smoke;
    const int megabytes = arguments.megabytes;
    const int rounds = smoke ? 1 : 7;

    const QString path = home.path() + QStringLiteral("/krant.xml");
    if (!Bench::WriteNewspaper(path.toStdString(), size_t(megabytes) * 1000 * 1000)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }

    // Baseline: pugixml's own parse of the same bytes.
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const double parseMs = BestMs(
        rounds, [] {},
        [&] {
            pugi::xml_document doc;
            doc.load_buffer(bytes.constData(), size_t(bytes.size()));
        });

    NavList lists(3);
    TextViewer viewer;
    TextAssembly assembly(viewer);
    SilentHost host;
    Navigator navigator(lists, viewer, assembly, host);
    if (OpenDocumentFile(path, false, {}).opened())
        navigator.ShowFirstLevel();
    RunState& rs = Run();
    if (!rs.DocumentOpen) {
        std::fprintf(stderr, "the generated document did not open\n");
        return 1;
    }
    const int sections = lists.model(1)->rowCount();
    const int section = std::max(0, sections / 2);

    // The bare query LoadLevelTitles runs for that section.
    const QString query =
        QStringLiteral("//head[@id > %1 and @id < %2]").arg((section + 1) * 100).arg((section + 1) * 100 + 99);
    int found = 0;
    const double queryMs = BestMs(
        rounds, [] {}, [&] { found = rs.XmlDoc.selectNodes(query).length(); });

    const double levelMs = BestMs(
        rounds, [&] { lists.setListIndex(1, section); }, [&] { navigator.LoadLevelTitles(2); });

    // The last article of a section, then next: a new section's list is filled.
    const double nextMs = BestMs(
        rounds,
        [&] {
            lists.setListIndex(1, section);
            navigator.LoadLevelTitles(2);
            rs.CurrentLevel = 2;
            lists.setListIndex(2, lists.model(2)->rowCount() - 1);
        },
        [&] { navigator.GoArticle(2); });

    std::printf("Navigation in a %d MB newspaper (%d sections, %d headings in the measured section), best of %d\n",
                megabytes, sections, found, rounds);
    std::printf("  %-44s %9.2f ms\n", "parse (pugixml load_buffer)", parseMs);
    std::printf("  %-44s %9.2f ms  %.2fx the parse\n", "section query alone", queryMs, queryMs / parseMs);
    std::printf("  %-44s %9.2f ms  %.2fx the parse, %.2fx the query\n", "level-2 list (LoadLevelTitles)", levelMs,
                levelMs / parseMs, levelMs / queryMs);
    std::printf("  %-44s %9.2f ms  %.2fx the parse\n", "next article across a section (GoArticle)", nextMs,
                nextMs / parseMs);
    // One section of 2,000 articles: its whole list, counts included.
    QByteArray big = "<krant><meta><krantnaam>Vol</krantnaam></meta><rubriek><titel><head>Vol</head></titel>";
    for (int j = 1; j <= 2000; ++j)
        big += "<artikel><titel><head>Artikel " + QByteArray::number(j) +
               "</head></titel><p>Een korte tekst van een paar woorden.</p></artikel>";
    big += "</rubriek></krant>";
    const QString bigPath = home.path() + QStringLiteral("/vol.xml");
    QFile bigFile(bigPath);
    if (!bigFile.open(QIODevice::WriteOnly) || bigFile.write(big) != big.size())
        return 1;
    bigFile.close();
    double bigListMs = -1;
    int bigEntries = 0;
    if (OpenDocumentFile(bigPath, false, {}).opened()) {
        navigator.ShowFirstLevel();
        bigListMs = BestMs(
            rounds, [&] { lists.setListIndex(1, 0); }, [&] { navigator.LoadLevelTitles(2); });
        bigEntries = lists.model(2)->rowCount();
    }
    std::printf("  %-44s %9.2f ms  (%d entries)\n", "a section of 2,000 articles (LoadLevelTitles)", bigListMs,
                bigEntries);

    // A book of parts, chapters and sections (three levels, every one with
    // ids), about 20 MB at full size: its open against pugixml's parse, a
    // section list and a move to the next section across a chapter.
    const int bookMegabytes = smoke ? 1 : 20;
    QByteArray book = "<boek><info><titel>Drie</titel></info>";
    const QByteArray paragraph = "<p>Een alinea van een boek, met genoeg woorden om een regel of twee te vullen, "
                                 "zoals in een gewoon boek.</p>\n";
    const int parts = 10, chapters = 12;
    const int sectionsPerChapter =
        std::max(1, int(bookMegabytes * 1000 * 1000 / (parts * chapters * 8 * paragraph.size())));
    for (int d = 1; d <= parts; ++d) {
        book += "<deel><kop><head>Deel " + QByteArray::number(d) + "</head></kop>\n";
        for (int h = 1; h <= chapters; ++h) {
            book += "<hoofdstuk><kop><head>Hoofdstuk " + QByteArray::number(d) + "." + QByteArray::number(h) +
                    "</head></kop>\n";
            for (int p = 1; p <= sectionsPerChapter; ++p) {
                book += "<par><kop><head>Paragraaf " + QByteArray::number(p) + "</head></kop>\n";
                for (int k = 0; k < 8; ++k)
                    book += paragraph;
                book += "</par>\n";
            }
            book += "</hoofdstuk>\n";
        }
        book += "</deel>\n";
    }
    book += "</boek>\n";
    // Opening empties the working folder, so the files are put there before each open.
    const auto writeBook = [&] {
        const QString temp = AppPaths::TempDir() + QLatin1Char('/');
        QFile bookFile(temp + QStringLiteral("boek.xml")), bookXdf(temp + QStringLiteral("boek.xdf"));
        return bookFile.open(QIODevice::WriteOnly) && bookFile.write(book) == book.size() &&
               bookXdf.open(QIODevice::WriteOnly) &&
               bookXdf.write("DOC_TITLE_TAG=titel\nNAV_LEVEL1=deel/kop/head\nNAV_LEVEL2=hoofdstuk/kop/head\n"
                             "NAV_LEVEL3=par/kop/head\n") > 0;
    };
    const double bookParseMs = BestMs(
        rounds, [] {},
        [&] {
            pugi::xml_document doc;
            doc.load_buffer(book.constData(), size_t(book.size()));
        });
    bool bookOpened = true;
    const double bookOpenMs = BestMs(
        rounds, [&] { bookOpened = bookOpened && writeBook(); },
        [&] {
            bookOpened =
                bookOpened && LoadDocumentFromWorkingFolder(QStringLiteral("/boeken/boek.zip"), false).opened();
            navigator.ShowFirstLevel();
        });
    if (!bookOpened || rs.NavLevelCount != 3) {
        std::fprintf(stderr, "the generated book did not open with three levels\n");
        return 1;
    }
    const auto toChapterEnd = [&] {
        lists.setListIndex(1, parts / 2);
        navigator.LoadLevelTitles(2);
        lists.setListIndex(2, chapters / 2);
        navigator.LoadLevelTitles(3);
        rs.CurrentLevel = 3;
    };
    const double sectionListMs = BestMs(
        rounds, [&] { toChapterEnd(); }, [&] { navigator.LoadLevelTitles(3); });
    const int sectionEntries = lists.model(3)->rowCount();
    const double nextSectionMs = BestMs(
        rounds,
        [&] {
            toChapterEnd();
            lists.setListIndex(3, lists.model(3)->rowCount() - 1);
        },
        [&] { navigator.GoArticle(2); });
    std::printf("A three-level book of %.1f MB (%d parts, %d chapters each, %d sections each), best of %d\n",
                double(book.size()) / 1e6, parts, chapters, sectionsPerChapter, rounds);
    std::printf("  %-44s %9.2f ms\n", "parse (pugixml load_buffer)", bookParseMs);
    std::printf("  %-44s %9.2f ms  %.2fx the parse\n", "open with ids for every level", bookOpenMs,
                bookOpenMs / bookParseMs);
    std::printf("  %-44s %9.2f ms  (%d entries)\n", "a chapter's sections (LoadLevelTitles)", sectionListMs,
                sectionEntries);
    std::printf("  %-44s %9.2f ms\n", "next section across a chapter (GoArticle)", nextSectionMs);
    std::printf("Goals: a level change or article move within 50 ms of work; the level query at most 0.5x the "
                "parse; a list of 2,000 articles within 20 ms.\n");
    return 0;
}
