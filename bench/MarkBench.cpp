// What bookmarks and annotations cost the reader: an article holding 200
// marks built beside the same article without marks, with 20,000 marks in
// the usage file; the next and previous mark over all of them; and the check
// whether the caret is in a note, which runs after every key in the text.
//
//   qb_mark_bench [--smoke] [--megabytes=N]
//       Default: 50 MB, best of 7 rounds. --smoke: 2 MB, 1 round.

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "bench/BenchSupport.h"
#include "bench/NewspaperGenerator.h"
#include "bench/SilentHost.h"
#include "marks/LastReadPosition.h"
#include "marks/MarkSteps.h"
#include "marks/UsageFile.h"
#include "navigation/NavList.h"
#include "navigation/Navigator.h"
#include "package/DocumentOpening.h"
#include "package/NavIndex.h"
#include "render/TextAssembly.h"
#include "render/TextState.h"
#include "render/TextViewer.h"

#include <QGuiApplication>

#include <cstdio>

using Bench::BestMs;

int main(int argc, char** argv)
{
    const Bench::PrivateHome home;
    QGuiApplication app(argc, argv);
    AppPaths::Init();

    const Bench::Arguments arguments = Bench::ReadArguments(argc, argv, 2);
    const int rounds = arguments.smoke ? 1 : 7;
    constexpr int InArticle = 200;
    constexpr int InFile = 20000;

    const QString path = home.path() + QStringLiteral("/krant.xml");
    if (!Bench::WriteNewspaper(path.toStdString(), size_t(arguments.megabytes) * 1000 * 1000)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    NavList lists(3);
    TextViewer viewer;
    TextAssembly assembly(viewer);
    Bench::SilentHost host;
    Navigator navigator(lists, viewer, assembly, host);
    if (!OpenDocumentFile(path, false, {}).opened() || !OpenDocumentUsageFile()) {
        std::fprintf(stderr, "the generated document did not open\n");
        return 1;
    }
    navigator.ShowFirstLevel();
    RunState& rs = Run();

    // The longest article of the middle section.
    const NavIndex& index = DocumentNavIndex();
    const int32_t section = index.roots()[index.roots().size() / 2];
    int32_t article = -1;
    int longest = -1;
    for (int32_t child : index.childrenOf(section)) {
        const int length = int(index.at(child).heading.parentNode().parentNode().text().size());
        if (length > longest) {
            longest = length;
            article = child;
        }
    }
    if (article < 0 || !navigator.SelectEntryById(index.at(article).id)) {
        std::fprintf(stderr, "no article to mark\n");
        return 1;
    }
    rs.CurrentLevel = std::max<int16_t>(rs.NavLevelCount, 1);
    const int32_t headId = index.at(article).id;
    auto build = [&] {
        rs.LastReadPosition = 0;
        navigator.LoadText(rs.CurrentLevel, 0, QString());
    };
    build();
    rs.CurrentLevel = 9;
    const int length = int(viewer.Text().size());
    const int32_t location = LocationOfHeading(headId).value_or(0);

    // Half bookmarks, half notes in the article; the rest spread over every other entry.
    std::vector<int32_t> elsewhere;
    for (const NavEntry& e : index.entries()) {
        if (const auto l = LocationOfHeading(e.id); l && *l != location)
            elsewhere.push_back(*l);
    }
    const bool stored = ChangeDocumentUsageFile([&](DomNode& root) {
        for (int i = 0; i < InFile; ++i) {
            const bool here = i < InArticle;
            const MarkPlace place{here ? location : elsewhere[size_t(i) % elsewhere.size()],
                                  here ? int32_t(int64_t(i) * (length - 20) / InArticle) : int32_t(i % 3000)};
            const QString id = QString::number(i / 2 + 1);
            if (i % 2 == 0)
                AppendBookmark(root, id, QStringLiteral("7-12-2026 03:00"), place, QStringLiteral("b"), QString());
            else
                AppendAnnotation(root, id, QStringLiteral("7-12-2026 03:00"), place, 7, QStringLiteral("t"),
                                 QStringLiteral("note"), QString());
        }
    });
    MarksChanged();
    if (!stored) {
        std::fprintf(stderr, "the marks could not be stored\n");
        return 1;
    }

    rs.CurrentLevel = std::max<int16_t>(rs.NavLevelCount, 1);
    const double plainMs = BestMs(
        rounds, [] {}, build);
    const qsizetype plainChars = viewer.Text().size();
    assembly.ColourMarks = HighLightMarks;
    const double readMs = BestMs(
        rounds, [] { MarksChanged(); }, [] { (void)OpenDocumentMarks(); });
    const double firstMs = BestMs(
        rounds, [] { MarksChanged(); }, build);
    const double markedMs = BestMs(
        rounds, [] {}, build);
    const size_t shown = Shown().bookmarks.size() + Shown().annotations.size();

    constexpr int Jumps = 200;
    const MarkPlace from{location, int32_t(length / 2)};
    int found = 0;
    const double nextMs =
        BestMs(
            rounds, [] {},
            [&] {
                for (int i = 0; i < Jumps; ++i)
                    found += NextBookmark(from, true).has_value() + NextAnnotation(from, false).has_value();
            }) /
        (2 * Jumps);

    constexpr int Checks = 100000;
    int inside = 0;
    const double checkMs = BestMs(
                               rounds, [] {},
                               [&] {
                                   for (int i = 0; i < Checks; ++i)
                                       inside += AnnotationAt(int32_t(i % length)) != nullptr;
                               }) /
                           Checks;

    std::printf("Marks in a %d MB newspaper: an article of %d characters with %zu of %d marks shown, best of %d\n",
                arguments.megabytes, length, shown, InFile, rounds);
    std::printf("  %-52s %9.2f ms\n", "the article built without marks", plainMs);
    std::printf("  %-52s %9.2f ms  %.3fx the plain build\n", "the article built with its 200 marks", markedMs,
                markedMs / plainMs);
    std::printf("  %-52s %9.2f ms  %.3fx the plain build\n", "the same, first build after a change", firstMs,
                firstMs / plainMs);
    std::printf("  %-52s %9.2f ms\n", "reading the 20,000 marks of the file", readMs);
    std::printf("  %-52s %9.4f ms\n", "next / previous mark over 20,000", nextMs);
    std::printf("  %-52s %9.6f ms\n", "is the caret in a note (each key in the text)", checkMs);
    std::printf("Goals: the marked build at most 1.2x the plain one; a jump's search within 10 ms; the note check far "
                "under 1 ms.\n");
    const bool sane = plainChars == length && viewer.Text().size() == length && shown == size_t(InArticle) &&
                      found == 2 * Jumps * rounds && inside > 0;
    if (!sane)
        std::printf("WARNING: %lld and %lld characters built, %zu marks shown, %d targets found, %d checks inside a "
                    "note\n",
                    static_cast<long long>(plainChars), static_cast<long long>(viewer.Text().size()), shown, found,
                    inside);
    return sane ? 0 : 1;
}
