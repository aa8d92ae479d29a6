// How fast the tokenizer reads a large document unit, against a plain memchr
// scan for "<" over the same text measured in the same run.
//
//   qb_tokenizer_bench [--smoke] [--megabytes=N]
//       Builds a newspaper section of about N MB (default 1), loads it into the
//       DOM and takes its serialization, the tokenizer's real input. Then
//       times, each as the median of several rounds:
//         memchr      memchr for "<" over the UTF-8 text (the baseline)
//         indexOf     QStringView::indexOf for "<" over the UTF-16 text
//         ParsexML    the tokenizer with handlers that do nothing
//       and prints MB/s (of the UTF-8 size) and each figure's ratio to memchr.
//       --smoke: one short round each.

#include "package/dom/Dom.h"
#include "render/XML2RTF.h"

#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A section of a newspaper in the shape of the sample documents: articles with
// head, subhead, byline, intro, page marks, paragraphs with inline bold and
// italics, references and now and then a described photo.
QByteArray MakeSection(qsizetype bytes)
{
    static const char* const kWords[] = {"de",        "het",         "een",           "ijsbaan",   "vereniging",
                                         "Groningen", "caf\xC3\xA9", "twee\xC3\xABn", "schaatsen", "gemeente",
                                         "wethouder", "provincie",   "zaterdag",      "molen",     "dorp",
                                         "haven",     "kerk",        "markt",         "boeren",    "water"};
    constexpr size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);
    QByteArray out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rubriek><titel><head>Regio</head></titel>";
    unsigned seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    auto sentence = [&](int words) {
        QByteArray s;
        for (int w = 0; w < words; ++w) {
            if (w)
                s += ' ';
            s += kWords[next() % kWordCount];
        }
        return s;
    };
    int article = 0;
    while (out.size() < bytes) {
        ++article;
        out += "<artikel><titel><head>" + sentence(6) + "</head><onderkop>" + sentence(12) + "</onderkop></titel>";
        out += "<chapeau>" + sentence(1) + "</chapeau><auteur>Door " + sentence(3) + "</auteur>";
        out += "<intro>" + sentence(30) + "</intro><pagenum>" + QByteArray::number(article) + "</pagenum>";
        for (int p = 0; p < 8; ++p) {
            out += "<p>" + sentence(20) + " <b>" + sentence(3) + "</b> " + sentence(25) + " Jansen &amp; Zonen " +
                   sentence(10) + " <i>" + sentence(4) + "</i>. &#8364; 12,50 " + sentence(15) + ".</p>";
        }
        if (article % 5 == 0)
            out += "<img src=\"foto" + QByteArray::number(article) + ".jpg\" descr=\"Foto: " + sentence(25) + "\"/>";
        out += "</artikel>";
    }
    out += "</rubriek>";
    return out;
}

// Median seconds per call of fn over the rounds, each round at least minSeconds long.
double MedianSeconds(const std::function<void()>& fn, int rounds, double minSeconds)
{
    std::vector<double> perCall;
    for (int r = 0; r < rounds; ++r) {
        int calls = 0;
        const Clock::time_point start = Clock::now();
        double elapsed = 0;
        do {
            fn();
            ++calls;
            elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        } while (elapsed < minSeconds);
        perCall.push_back(elapsed / calls);
    }
    std::sort(perCall.begin(), perCall.end());
    return perCall[perCall.size() / 2];
}

volatile qsizetype g_sink = 0;

// The receiver of the events: the default handlers, which do nothing.
class NoHandlers : public XML2RTFEvents {};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bool smoke = false;
    qsizetype megabytes = 1;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        if (arg == "--smoke")
            smoke = true;
        else if (arg.startsWith("--megabytes="))
            megabytes = std::max<qsizetype>(1, arg.mid(12).toLongLong());
    }

    DomDocument doc;
    if (!doc.loadXML(MakeSection(megabytes * 1024 * 1024))) {
        std::fprintf(stderr, "the generated section does not load: %s\n", qPrintable(doc.parseError().reason));
        return 1;
    }
    const QString unit = doc.documentElement().xml();
    const QByteArray utf8 = unit.toUtf8();
    const double mb = static_cast<double>(utf8.size()) / (1024.0 * 1024.0);

    const int rounds = smoke ? 1 : 7;
    const double minSeconds = smoke ? 0.02 : 0.3;

    const double memchrSeconds = MedianSeconds(
        [&] {
            qsizetype found = 0;
            const char* p = utf8.constData();
            const char* end = p + utf8.size();
            while ((p = static_cast<const char*>(std::memchr(p, '<', static_cast<size_t>(end - p))))) {
                ++found;
                ++p;
            }
            g_sink = found;
        },
        rounds, minSeconds);

    const double indexOfSeconds = MedianSeconds(
        [&] {
            qsizetype found = 0;
            const QStringView all(unit);
            for (qsizetype i = all.indexOf(u'<'); i >= 0; i = all.indexOf(u'<', i + 1))
                ++found;
            g_sink = found;
        },
        rounds, minSeconds);

    NoHandlers none;
    XML2RTF parser(&none);
    const double parseSeconds = MedianSeconds(
        [&] {
            QString xml = unit; // shares the data: the DOM's text has no line breaks to remove
            parser.ParsexML(xml);
            g_sink = xml.size();
        },
        rounds, minSeconds);

    std::printf("unit: %.2f MB as UTF-8, %lld UTF-16 code units, %lld tags\n", mb, static_cast<long long>(unit.size()),
                static_cast<long long>(utf8.count('<')));
    std::printf("%-10s %10s %12s\n", "scan", "MB/s", "vs memchr");
    auto row = [&](const char* name, double seconds) {
        std::printf("%-10s %10.0f %11.3fx\n", name, mb / seconds, memchrSeconds / seconds);
    };
    row("memchr", memchrSeconds);
    row("indexOf", indexOfSeconds);
    row("ParsexML", parseSeconds);
    return 0;
}
