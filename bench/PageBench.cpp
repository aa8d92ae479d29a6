// How long a printed-page move takes in a large newspaper, against the page
// query of a plain XPath lookup and the document's parse, all measured in the
// same run on the same generated document.
//
//   qb_page_bench [--smoke] [--megabytes=N]
//       Default: 50 MB, best of 7 rounds. --smoke: 2 MB, 1 round.
//
// Figures: the page index made at open; next page, previous page and go to
// page (each builds the page's article); the article's text build alone; the
// XPath query "first mark after an id" alone; pugixml's parse of the file.

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "bench/BenchSupport.h"
#include "bench/NewspaperGenerator.h"
#include "bench/SilentHost.h"
#include "navigation/NavList.h"
#include "navigation/NavigationHost.h"
#include "navigation/Navigator.h"
#include "package/DocumentOpening.h"
#include "package/NavIndex.h"
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
    const size_t pages = navigator.Pages().marks().size();
    if (!rs.DocumentOpen || pages < 3) {
        std::fprintf(stderr, "the generated document did not open with pages\n");
        return 1;
    }
    const PageMark middle = navigator.Pages().marks()[pages / 2];

    PageIndex index;
    const double indexMs = BestMs(
        rounds, [] {}, [&] { index.build(rs.XmlDoc, DocumentNavIndex(), std::max<int>(rs.NavLevelCount, 1)); });

    // The query a lookup without an index runs: the first mark after the current id.
    const QString query = QStringLiteral("//pagenum[@id > %1]").arg(middle.id);
    const double queryMs = BestMs(
        rounds, [] {}, [&] { rs.XmlDoc.selectSingleNode(query); });

    // The index's own lookups: a label, and the marks before a heading.
    int lookedUp = 0;
    const double lookupMs = BestMs(
        rounds, [] {},
        [&] {
            lookedUp = navigator.Pages().lastWithLabel(middle.label) +
                       navigator.Pages().marksBefore({middle.level1, middle.level2});
        });

    navigator.AskPageNumber = [&middle] { return std::optional<QString>(middle.label); };
    auto goMiddle = [&] {
        int16_t go = 0;
        navigator.GoPage(go);
    };
    const double gotoMs = BestMs(
        rounds, [] {}, goMiddle);
    const int movesBefore = navigator.PageMoves;
    const double nextMs = BestMs(rounds, goMiddle, [&] {
        int16_t next = 1;
        navigator.GoPage(next);
    });
    const double previousMs = BestMs(rounds, goMiddle, [&] {
        int16_t previous = 2;
        navigator.GoPage(previous);
    });
    const bool moved = navigator.PageMoves - movesBefore == 4 * rounds;
    // The same article's text alone, the part of a move that any article move has too.
    const double textMs = BestMs(rounds, goMiddle, [&] { navigator.LoadText(9, 0, middle.text); });

    goMiddle();
    const qsizetype shownChars = viewer.Text().size();
    std::printf("Page moves in a %d MB newspaper (%zu page marks, the page's article %lld characters), best of %d\n",
                megabytes, pages, static_cast<long long>(shownChars), rounds);
    std::printf("  %-44s %9.2f ms\n", "parse (pugixml load_buffer)", parseMs);
    std::printf("  %-44s %9.2f ms  %.3fx the parse\n", "page query alone (XPath, first after an id)", queryMs,
                queryMs / parseMs);
    std::printf("  %-44s %9.2f ms  %.3fx the parse (once, at open)\n", "page index made at open", indexMs,
                indexMs / parseMs);
    std::printf("  %-44s %9.4f ms  %.5fx the parse\n", "page lookup in the index (label, place)", lookupMs,
                lookupMs / parseMs);
    std::printf("  %-44s %9.2f ms\n", "the page's article built alone (LoadText)", textMs);
    for (const auto& [name, ms] :
         {std::pair{"go to page (GoPage 0)", gotoMs}, std::pair{"next page (GoPage 1)", nextMs},
          std::pair{"previous page (GoPage 2)", previousMs}})
        std::printf("  %-44s %9.2f ms  %.3fx the parse, %.2f ms beside the text build\n", name, ms, ms / parseMs,
                    ms - textMs);
    std::printf("Goals: a page move within 50 ms of work beside the text build; the page lookup at most 0.1x the "
                "parse.%s\n",
                moved ? "" : " (WARNING: not every move went to a page)");
    return moved && lookedUp > 0 && shownChars > 0 ? 0 : 1;
}
