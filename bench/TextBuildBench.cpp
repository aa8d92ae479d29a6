// What building the shown text costs: a large unit (one article of ~500
// paragraphs, ~100 KB of text, thousands of formatting runs) and a typical
// article, each built from its heading node into the text view the way
// LoadText builds it, beside baselines measured in the same run on the same
// unit:
//
//   tokenizer   serializing the unit and scanning it with handlers that do nothing
//   insertion   inserting the built text's runs and breaks, with their formats,
//               through a plain QTextCursor (undo off, one edit block)
//   build       TextAssembly::BuildUnit into a TextViewer with no view
//   setHtml     QTextDocument::setHtml of the built text's HTML (same text, same formats)
//
// and first paint, the text changed to the unit and the first screen (1000 x 800
// pixels) laid out and painted the way a text view draws its document:
//
//   paint ours  LoadText's way: view hidden, build, view shown, paint
//   paint html  a document given the same HTML with setHtml, then painted
//
//   qb_text_build_bench [--smoke] [--paragraphs=N]
//       Prints the median milliseconds of each, and the ratios the goals are
//       set in: build / (tokenizer + insertion) and paint ours / paint html.
//       --smoke: one short round each.

#include "app/core/AppPaths.h"
#include "package/dom/Dom.h"
#include "package/modEntities.h"
#include "render/TextAssembly.h"
#include "render/TextViewer.h"
#include "render/modCss2RTF.h"
#include "settings/modFilesFolders.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// One article of the sample's shape with the given number of paragraphs, each
// about 200 characters with two bold and two italic runs and a reference.
QString MakeArticle(int paragraphs)
{
    static const char* const kWords[] = {"de",        "het",       "een",      "ijsbaan",   "vereniging",
                                         "Groningen", "café",      "tweeën",   "schaatsen", "gemeente",
                                         "wethouder", "provincie", "zaterdag", "molen",     "dorp",
                                         "haven",     "kerk",      "markt",    "boeren",    "water"};
    constexpr size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);
    unsigned seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    auto words = [&](int n) {
        QString s;
        for (int w = 0; w < n; ++w) {
            if (w)
                s += u' ';
            s += QString::fromUtf8(kWords[next() % kWordCount]);
        }
        return s;
    };
    QString xml = QStringLiteral("<krant><rubriek><titel><head>Regio</head></titel><artikel><titel><head>") + words(6) +
                  QStringLiteral("</head><onderkop>") + words(12) + QStringLiteral("</onderkop></titel><auteur>Door ") +
                  words(3) + QStringLiteral("</auteur><intro>") + words(30) + QStringLiteral("</intro>");
    for (int p = 0; p < paragraphs; ++p) {
        if (p % 20 == 0)
            xml += QStringLiteral("<pagenum>%1</pagenum>").arg(p / 20 + 1);
        xml += QStringLiteral("<p>") + words(6) + QStringLiteral(" <b>") + words(2) + QStringLiteral("</b> ") +
               words(5) + QStringLiteral(" <i>") + words(2) + QStringLiteral("</i> Jansen &amp; Zonen ") + words(6) +
               QStringLiteral(" <b>") + words(1) + QStringLiteral("</b> ") + words(4) + QStringLiteral(" <i>") +
               words(2) + QStringLiteral("</i>.</p>");
    }
    return xml + QStringLiteral("</artikel></rubriek></krant>");
}

// Milliseconds per call of each function in each round. The rounds interleave
// the functions (in each round every function runs for at least minSeconds),
// so that a machine busy with other work slows them alike.
std::vector<std::vector<double>> TimeRounds(const std::vector<std::function<void()>>& fns, int rounds,
                                            double minSeconds)
{
    std::vector<std::vector<double>> perRound(static_cast<size_t>(rounds), std::vector<double>(fns.size()));
    for (auto& round : perRound) {
        for (size_t f = 0; f < fns.size(); ++f) {
            int calls = 0;
            const Clock::time_point start = Clock::now();
            double elapsed = 0;
            do {
                fns[f]();
                ++calls;
                elapsed = std::chrono::duration<double>(Clock::now() - start).count();
            } while (elapsed < minSeconds);
            round[f] = elapsed * 1000 / calls;
        }
    }
    return perRound;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A run of text with its format, or a paragraph break (isBreak).
struct Run {
    QString text;
    QTextCharFormat format;
    bool isBreak = false;
};

std::vector<Run> RunsOf(const QTextDocument& doc)
{
    std::vector<Run> runs;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b != doc.begin())
            runs.push_back({QString(), b.charFormat(), true});
        for (auto it = b.begin(); !it.atEnd(); ++it)
            runs.push_back({it.fragment().text(), it.fragment().charFormat(), false});
    }
    return runs;
}

class NoHandlers : public XML2RTFEvents {};

// Lays out and paints the part of doc that fills the canvas, as a text view
// paints its first screen.
void PaintFirstScreen(QTextDocument& doc, QImage& canvas)
{
    QPainter painter(&canvas);
    painter.fillRect(canvas.rect(), Qt::white);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(canvas.rect());
    doc.documentLayout()->draw(&painter, context);
}

// Medians over the rounds; the ratios are the medians of each round's ratio.
struct Figures {
    double tokenizer, insertion, build, setHtml, paintOurs, paintHtml;
    double buildRatio, paintRatio;
};

Figures Measure(const QString& markup, int rounds, double minSeconds, qsizetype* textSize, size_t* runCount)
{
    DomDocument doc;
    if (!doc.loadXML(markup))
        qFatal("the generated unit does not load");
    const DomNode head = doc.selectSingleNode(QStringLiteral("//artikel/titel/head"));

    NoHandlers none;
    XML2RTF tokenizer(&none);
    TextViewer viewer;
    TextAssembly assembly(viewer);
    assembly.BuildUnit(head);
    const std::vector<Run> runs = RunsOf(*viewer.document());
    const QString html = viewer.document()->toHtml();
    *textSize = viewer.Text().size();
    *runCount = runs.size();

    // The documents for first paint keep their width; only their text changes.
    QImage canvas(1000, 800, QImage::Format_RGB32);
    TextViewer shown;
    TextAssembly shownAssembly(shown);
    shown.document()->setTextWidth(canvas.width());
    QTextDocument htmlShown;
    htmlShown.setUndoRedoEnabled(false);
    htmlShown.setTextWidth(canvas.width());

    const std::vector<std::vector<double>> perRound =
        TimeRounds({
                       [&] {
                           QString xml = head.parentNode().parentNode().xml();
                           tokenizer.ParsexML(xml);
                       },
                       [&] {
                           QTextDocument target;
                           target.setUndoRedoEnabled(false);
                           QTextCursor c(&target);
                           c.beginEditBlock();
                           for (const Run& r : runs) {
                               if (r.isBreak)
                                   c.insertBlock(QTextBlockFormat(), r.format);
                               else
                                   c.insertText(r.text, r.format);
                           }
                           c.endEditBlock();
                       },
                       [&] { assembly.BuildUnit(head); },
                       [&] {
                           QTextDocument target;
                           target.setUndoRedoEnabled(false);
                           target.setHtml(html);
                       },
                       [&] {
                           shownAssembly.BuildUnit(head); // hides the view
                           shown.setSelStart(0);
                           shown.setVisible(true);
                           PaintFirstScreen(*shown.document(), canvas);
                       },
                       [&] {
                           htmlShown.setHtml(html);
                           PaintFirstScreen(htmlShown, canvas);
                       },
                   },
                   rounds, minSeconds);
    auto column = [&](auto value) {
        std::vector<double> values;
        for (const std::vector<double>& r : perRound)
            values.push_back(value(r));
        return Median(values);
    };
    return {column([](const auto& r) { return r[0]; }),
            column([](const auto& r) { return r[1]; }),
            column([](const auto& r) { return r[2]; }),
            column([](const auto& r) { return r[3]; }),
            column([](const auto& r) { return r[4]; }),
            column([](const auto& r) { return r[5]; }),
            column([](const auto& r) { return r[2] / (r[0] + r[1]); }),
            column([](const auto& r) { return r[4] / r[5]; })};
}

} // namespace

int main(int argc, char** argv)
{
    // Errors go to a log in a user folder of the run's own.
    QTemporaryDir home;
    qputenv("QUILLBOOK_HOME", home.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    AppPaths::Init();
    LoadEntityMapping();

    bool smoke = false;
    int paragraphs = 500;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        if (arg == "--smoke")
            smoke = true;
        else if (arg.startsWith("--paragraphs="))
            paragraphs = std::max(1, arg.mid(13).toInt());
    }
    // The sample newspaper's own style sheet.
    if (!LoadCSSFromText(ReadWholeFile(AppPaths::SamplesDir() + QStringLiteral("/dagblad.css"))))
        qFatal("the sample style sheet does not load");
    const int rounds = smoke ? 1 : 21;
    const double minSeconds = smoke ? 0.01 : 0.05;

    std::printf("%-18s %7s %6s %10s %10s %8s %8s %8s %10s %10s %10s\n", "unit", "chars", "runs", "tokenizer",
                "insertion", "build", "setHtml", "b/(t+i)", "paintOurs", "paintHtml", "ours/html");
    for (const auto& [name, count] : {std::pair{"large article", paragraphs}, std::pair{"typical article", 8}}) {
        qsizetype chars = 0;
        size_t runs = 0;
        const Figures f = Measure(MakeArticle(count), rounds, minSeconds, &chars, &runs);
        std::printf("%-18s %7lld %6zu %10.2f %10.2f %8.2f %8.2f %8.2f %10.2f %10.2f %10.2f\n", name,
                    static_cast<long long>(chars), runs, f.tokenizer, f.insertion, f.build, f.setHtml, f.buildRatio,
                    f.paintOurs, f.paintHtml, f.paintRatio);
    }
    return 0;
}
