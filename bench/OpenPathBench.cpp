// How long opening a newspaper takes, against a plain pugixml parse of the
// same file measured in the same run, and how much memory opening needs.
//
//   qb_open_path_bench [--smoke] [--repetitions=N] [benchmark flags]
//       Generates 1, 10 and 50 MB newspapers into a temporary folder, runs the
//       baseline and the open path for each size, then prints the ratio table,
//       where the time of the largest open goes, and the time and peak memory
//       of a first open of the largest document in fresh processes.
//       --smoke: 1 MB only, one iteration each.
//   qb_open_path_bench --fresh=open|baseline FILE
//       (used by the above) one open or one baseline parse of FILE in this
//       fresh process; prints the peak resident-memory growth in bytes and
//       the time in milliseconds.
//   qb_open_path_bench --open-once=FILE
//       one open of FILE, for a profiler (valgrind --tool=callgrind ...).
//
// Inside the benchmark loop the allocator keeps the memory it was given, so
// every size and both paths reuse memory between runs; otherwise glibc hands
// blocks above 32 MB back to the system at once and only the 50 MB runs
// would pay for fresh pages on every pass, which on a virtual machine costs
// more than the parse. What fresh memory costs shows in the first-open
// figures of the fresh processes.

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "bench/NewspaperGenerator.h"
#include "package/dom/Dom.h"
#include "package/dom/DomEntities.h"
#include "package/dom/DomWhitespace.h"
#include "package/modXML.h"
#include "package/modXdf.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <malloc.h>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Sample {
    int megabytes = 0;
    std::string name; // "1MB"
    QString path;
    std::string bytes; // the file, read beforehand for the baseline
};

QString DescriptorPath()
{
    return AppPaths::DefaultDir() + QStringLiteral("/news.xdf");
}

// Times of the steps of one open, in milliseconds.
struct OpenSteps {
    double descriptor = 0;
    double load = 0; // read, decode, parse and tidy (DomDocument::load)
    std::array<double, 8> facts{};
    double ids = 0;
    double release = 0; // dropping the document again
    double total() const
    {
        double sum = descriptor + load + ids + release;
        for (double f : facts)
            sum += f;
        return sum;
    }
};

// What opening a document does, minus the window: the descriptor, the
// document, its title and other facts, the navigation ids. The document stays
// in the run state.
bool OpenDocument(const QString& path, OpenSteps* steps = nullptr)
{
    OpenSteps unused;
    OpenSteps& t = steps ? *steps : unused;
    auto mark = Clock::now();
    auto lap = [&mark](double& into) {
        const auto now = Clock::now();
        into = Ms(now - mark);
        mark = now;
    };

    ResetRunState();
    RunState& rs = Run();
    LoadXdf(DescriptorPath());
    lap(t.descriptor);

    DomDocument doc;
    if (!doc.load(path))
        return false;
    rs.XmlDoc = doc;
    lap(t.load);

    const DomNode node = rs.XmlDoc.asNode();
    const std::array<const QString*, 8> tags{&rs.XdfDocIdTag,        &rs.XdfDocTitleTag,          &rs.XdfDocTypeTag,
                                             &rs.XdfDocSubTitleTag,  &rs.XdfDocEditionTag,        &rs.XdfDocAuthorTag,
                                             &rs.XdfDocPublisherTag, &rs.XdfDocPublicationDateTag};
    // The title first, as opening does.
    for (const size_t i : {1, 0, 2, 3, 4, 5, 6, 7}) {
        rs.DocInfo[i] = GetXMLTagValue(node, *tags[i]);
        lap(t.facts[i]);
    }
    rs.DocumentId = rs.DocInfo[0];

    AddNodeIds();
    lap(t.ids);
    return !rs.DocInfo[1].isEmpty();
}

// Releases what OpenDocument left in the run state.
void CloseDocument(OpenSteps* steps = nullptr)
{
    const auto start = Clock::now();
    ResetRunState();
    if (steps)
        steps->release = Ms(Clock::now() - start);
}

bool ParseBaseline(const std::string& bytes)
{
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_buffer(bytes.data(), bytes.size());
    benchmark::DoNotOptimize(doc.first_child().internal_object());
    return static_cast<bool>(result);
}

std::string ReadAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// ---------------------------------------------------------------- memory

// A "Name:   123 kB" line of /proc/self/status, in bytes; -1 when absent.
long long StatusBytes(const char* name)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(name);
    while (std::getline(status, line))
        if (line.compare(0, length, name) == 0 && line.size() > length && line[length] == ':')
            return std::atoll(line.c_str() + length + 1) * 1024;
    return -1;
}

// Runs in a fresh process: warms the code up on the small bundled sample,
// starts the peak count afresh, then opens (or baseline-parses) the file once.
// Prints the peak growth and the growth still held (the open document, the
// parsed tree) in bytes, and the time in milliseconds.
int MeasureFresh(const std::string& what, const QString& path)
{
    OpenDocument(AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml"));
    CloseDocument();
    std::string bytes;
    if (what == "baseline")
        bytes = ReadAll(path); // outside the timing, as in the benchmark, but inside the memory
    // Writing 5 to clear_refs sets the peak back to the current size.
    if (std::ofstream clear("/proc/self/clear_refs"); clear)
        clear << "5";
    const long long before = std::max(StatusBytes("VmRSS"), 0LL) - static_cast<long long>(bytes.size());
    bool ok = false;
    pugi::xml_document parsed; // the baseline's tree, held like the open document
    const auto start = Clock::now();
    if (what == "open")
        ok = OpenDocument(path);
    else if (what == "baseline")
        ok = !bytes.empty() && parsed.load_buffer(bytes.data(), bytes.size());
    const double ms = Ms(Clock::now() - start);
    const long long peak = StatusBytes("VmHWM");
    std::string().swap(bytes); // the file's bytes are not needed once parsed
    const long long held = StatusBytes("VmRSS");
    if (!ok || peak < 0 || held < 0) {
        std::fprintf(stderr, "%s of %s failed\n", what.c_str(), qPrintable(path));
        return 1;
    }
    std::printf("%lld %lld %.3f\n", peak - before, held - before, ms);
    return 0;
}

struct FreshResult {
    long long peakBytes = -1; // -1: failed
    long long heldBytes = -1;
    double ms = 0;
};

// One open (or baseline parse) in a child process.
FreshResult RunFresh(const char* what, const QString& path)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--fresh=") + QLatin1String(what), path});
    if (!child.waitForFinished(600'000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        return {};
    const QList<QByteArray> fields = child.readAllStandardOutput().simplified().split(' ');
    bool peakOk = false, heldOk = false, msOk = false;
    FreshResult r;
    if (fields.size() == 3) {
        r.peakBytes = fields[0].toLongLong(&peakOk);
        r.heldBytes = fields[1].toLongLong(&heldOk);
        r.ms = fields[2].toDouble(&msOk);
    }
    return peakOk && heldOk && msOk ? r : FreshResult{};
}

// ---------------------------------------------------------------- reporting

double MinOf(const std::vector<double>& v)
{
    return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}

// Prints as usual and keeps, for each benchmark, its best time in milliseconds.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal.
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    // Shows single runs and the best of repetitions only.
    void ReportRuns(const std::vector<Run>& runs) override
    {
        std::vector<Run> shown;
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const bool single = run.run_type == Run::RT_Iteration;
            if (!single && run.aggregate_name != "min")
                continue;
            shown.push_back(run);
            const std::string key = run.run_name.function_name;
            const double ms = run.GetAdjustedRealTime() * Scale(run.time_unit);
            auto [it, fresh] = m_best.emplace(key, ms);
            if (!fresh)
                it->second = std::min(it->second, ms);
        }
        if (!shown.empty())
            ConsoleReporter::ReportRuns(shown);
    }

    // Best time in milliseconds; 0 when the benchmark did not run.
    double best(const std::string& key) const
    {
        const auto it = m_best.find(key);
        return it == m_best.end() ? 0.0 : it->second;
    }

private:
    static double Scale(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kNanosecond:
            return 1e-6;
        case benchmark::kMicrosecond:
            return 1e-3;
        case benchmark::kMillisecond:
            return 1.0;
        case benchmark::kSecond:
            return 1e3;
        }
        return 1.0;
    }
    std::map<std::string, double> m_best;
};

void PrintRatioTable(const std::vector<Sample>& samples, const RatioReporter& reporter, int repetitions)
{
    std::printf("\nOpen path against the baseline parse (best of %d repetition%s, same run)\n", repetitions,
                repetitions == 1 ? "" : "s");
    std::printf("%8s %13s %10s %8s\n", "size", "baseline ms", "open ms", "ratio");
    for (const Sample& s : samples) {
        const double base = reporter.best("baseline/" + s.name);
        const double open = reporter.best("open/" + s.name);
        if (base <= 0 || open <= 0) {
            std::printf("%5d MB %13s %10s %8s\n", s.megabytes, "-", "-", "-");
            continue;
        }
        std::printf("%5d MB %13.2f %10.2f %7.2fx\n", s.megabytes, base, open, open / base);
    }
    const Sample& largest = samples.back();
    const double base = reporter.best("baseline/" + largest.name);
    const double open = reporter.best("open/" + largest.name);
    if (largest.megabytes == 50 && base > 0 && open > 0)
        std::printf("Goal for 50 MB: open at most 1.00x the baseline: %.2fx, %s\n", open / base,
                    open <= base ? "met" : "missed");
}

// Where the time of an open goes: best of runs for each step.
void PrintSteps(const Sample& s, int runs)
{
    OpenSteps best;
    best.descriptor = best.load = best.ids = best.release = 1e300;
    best.facts.fill(1e300);
    double bestTotal = 1e300;
    for (int i = 0; i < runs; ++i) {
        OpenSteps steps;
        const bool ok = OpenDocument(s.path, &steps);
        CloseDocument(&steps);
        if (!ok) {
            std::printf("\nOpening %s failed\n", qPrintable(s.path));
            return;
        }
        best.descriptor = std::min(best.descriptor, steps.descriptor);
        best.load = std::min(best.load, steps.load);
        for (size_t f = 0; f < steps.facts.size(); ++f)
            best.facts[f] = std::min(best.facts[f], steps.facts[f]);
        best.ids = std::min(best.ids, steps.ids);
        best.release = std::min(best.release, steps.release);
        bestTotal = std::min(bestTotal, steps.total());
    }

    // The steps of the load on the UTF-8 text the DOM layer builds: the
    // entity check, the whitespace marking and the parser alone, in place.
    std::string utf8;
    utf8.reserve(s.bytes.size() + s.bytes.size() / 16);
    for (const char c : s.bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (b >> 6));
            utf8 += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    double parseOnly = 1e300, entities = 1e300, marking = 1e300;
    size_t nodes = 0;
    for (int i = 0; i < runs; ++i) {
        std::string copy = utf8;
        auto start = Clock::now();
        benchmark::DoNotOptimize(ResolveEntities(copy.data(), copy.size()).kind);
        entities = std::min(entities, Ms(Clock::now() - start));
        start = Clock::now();
        const std::vector<KeptWhitespace> kept = FindKeptWhitespace(copy.data(), copy.size());
        MarkKeptWhitespace(copy.data(), kept);
        marking = std::min(marking, Ms(Clock::now() - start));
        pugi::xml_document doc;
        start = Clock::now();
        doc.load_buffer_inplace(copy.data(), copy.size(), pugi::parse_default, pugi::encoding_utf8);
        parseOnly = std::min(parseOnly, Ms(Clock::now() - start));
        if (i == 0) {
            struct Counter : pugi::xml_tree_walker {
                size_t n = 0;
                bool for_each(pugi::xml_node&) override { return ++n, true; }
            } counter;
            doc.traverse(counter);
            nodes = counter.n;
        }
    }

    double facts = 0, slowestFact = 0;
    for (double f : best.facts) {
        facts += f;
        slowestFact = std::max(slowestFact, f);
    }
    std::printf("\nWhere the time of one %d MB open goes (best of %d, ms)\n", s.megabytes, runs);
    std::printf("  %-58s %9.2f\n", "descriptor (LoadXdf)", best.descriptor);
    std::printf("  %-58s %9.2f\n", "DomDocument::load (read, decode, check, mark, parse)", best.load);
    std::printf("  %-58s %9.2f\n", "    of which: entity check (ResolveEntities)", entities);
    std::printf("  %-58s %9.2f\n", "              whitespace marking (MarkKeptWhitespace)", marking);
    std::printf("  %-58s %9.2f\n", "              parser alone on the marked UTF-8 text", parseOnly);
    std::printf("  %-58s %9.2f\n", "8 document facts (GetXMLTagValue), together", facts);
    std::printf("  %-58s %9.2f\n", "    the slowest of them", slowestFact);
    std::printf("  %-58s %9.2f\n", "navigation ids (AddNodeIds)", best.ids);
    std::printf("  %-58s %9.2f\n", "dropping the document", best.release);
    std::printf("  %-58s %9.2f\n", "best whole open", bestTotal);
    std::printf("  nodes parsed: %zu\n", nodes);
}

// The first open in a fresh process, as a reader meets it: best time and
// largest peak of a few runs, the baseline interleaved with the open path.
void PrintFirstOpen(const Sample& s, int rounds)
{
    FreshResult open{-1, -1, 1e300}, base{-1, -1, 1e300};
    for (int i = 0; i < rounds; ++i) {
        for (auto [what, best] : {std::pair{"baseline", &base}, std::pair{"open", &open}}) {
            const FreshResult r = RunFresh(what, s.path);
            if (r.peakBytes < 0) {
                std::printf("\nFirst open of the %d MB document in a fresh process: the %s run failed\n", s.megabytes,
                            what);
                return;
            }
            best->ms = std::min(best->ms, r.ms);
            best->peakBytes = std::max(best->peakBytes, r.peakBytes);
            best->heldBytes = std::max(best->heldBytes, r.heldBytes);
        }
    }
    const double size = static_cast<double>(s.bytes.size());
    const bool goal = s.megabytes == 50;
    std::printf("\nFirst open of the %d MB document in a fresh process (best time, largest peak of %d)\n", s.megabytes,
                rounds);
    std::printf("  time: baseline %.2f ms, open %.2f ms, ratio %.2fx\n", base.ms, open.ms, open.ms / base.ms);
    std::printf("  peak memory growth: open %.1f MB = %.2fx the file size", open.peakBytes / 1e6,
                open.peakBytes / size);
    if (goal)
        std::printf(" (goal at most 2.50x: %s)", open.peakBytes <= 2.5 * size ? "met" : "missed");
    std::printf(";\n    baseline (file in memory + pugixml parse) %.1f MB = %.2fx\n", base.peakBytes / 1e6,
                base.peakBytes / size);
    std::printf("  still held once open: open %.1f MB = %.2fx, baseline %.1f MB = %.2fx\n", open.heldBytes / 1e6,
                open.heldBytes / size, base.heldBytes / 1e6, base.heldBytes / size);
}

// Takes our own flags out of argv; the rest go to the benchmark library.
struct Options {
    bool smoke = false;
    int repetitions = 5;
    std::string fresh; // "open" or "baseline"
    QString openOnce;
};

Options TakeOptions(int& argc, char** argv)
{
    Options o;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--smoke")
            o.smoke = true;
        else if (arg.rfind("--repetitions=", 0) == 0)
            o.repetitions = std::max(1, std::atoi(arg.c_str() + 14));
        else if (arg.rfind("--fresh=", 0) == 0)
            o.fresh = arg.substr(8);
        else if (arg.rfind("--open-once=", 0) == 0)
            o.openOnce = QString::fromLocal8Bit(arg.c_str() + 12);
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    return o;
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = TakeOptions(argc, argv);

    // A private user folder: the error log of the helpers goes there.
    QTemporaryDir work;
    if (!work.isValid())
        return 2;
    if (qEnvironmentVariableIsEmpty("QUILLBOOK_HOME"))
        qputenv("QUILLBOOK_HOME", (work.path() + QStringLiteral("/user")).toLocal8Bit());
    QCoreApplication app(argc, argv);
    AppPaths::Init();

    if (!options.fresh.empty()) {
        if (argc != 2) {
            std::fprintf(stderr, "--fresh needs one FILE\n");
            return 2;
        }
        return MeasureFresh(options.fresh, QString::fromLocal8Bit(argv[1]));
    }
    if (!options.openOnce.isEmpty()) {
        const bool ok = OpenDocument(options.openOnce);
        std::printf("%s: %s\n", qPrintable(options.openOnce), ok ? qPrintable(Run().DocInfo[1]) : "failed");
        return ok ? 0 : 1;
    }

    // Memory stays with the process from here on (see the top of this file).
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;

    std::vector<Sample> samples;
    for (int mb : options.smoke ? std::vector<int>{1} : std::vector<int>{1, 10, 50}) {
        Sample s;
        s.megabytes = mb;
        s.name = std::to_string(mb) + "MB";
        s.path = work.path() + QStringLiteral("/paper-%1mb.xml").arg(mb);
        const auto start = Clock::now();
        if (!Bench::WriteNewspaper(s.path.toStdString(), static_cast<size_t>(mb) * Bench::BytesPerMB)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(s.path));
            return 1;
        }
        const double took = Ms(Clock::now() - start);
        s.bytes = ReadAll(s.path);
        std::printf("generated %s: %zu bytes in %.0f ms\n", s.name.c_str(), s.bytes.size(), took);
        samples.push_back(std::move(s));
    }

    // Each size's baseline right before its open path, so both see the same machine load.
    const int repetitions = options.smoke ? 1 : options.repetitions;
    for (const Sample& s : samples) {
        const double megabytes = static_cast<double>(s.bytes.size()) / Bench::BytesPerMB;
        auto* base = benchmark::RegisterBenchmark(("baseline/" + s.name).c_str(), [&s,
                                                                                   megabytes](benchmark::State& state) {
            for (auto _ : state) {
                if (!ParseBaseline(s.bytes)) {
                    state.SkipWithError("pugixml could not parse the document");
                    break;
                }
            }
            state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.bytes.size()));
            state.counters["MB"] = megabytes;
        });
        auto* open = benchmark::RegisterBenchmark(("open/" + s.name).c_str(), [&s, megabytes](benchmark::State& state) {
            for (auto _ : state) {
                const bool ok = OpenDocument(s.path);
                CloseDocument();
                if (!ok) {
                    state.SkipWithError("opening the document failed");
                    break;
                }
            }
            state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.bytes.size()));
            state.counters["MB"] = megabytes;
        });
        for (benchmark::internal::Benchmark* b : {base, open}) {
            b->Unit(benchmark::kMillisecond)->UseRealTime();
            if (options.smoke) {
                b->Iterations(1);
            } else {
                b->MinTime(0.5)->Repetitions(repetitions)->ReportAggregatesOnly(true);
                b->ComputeStatistics("min", &MinOf);
            }
        }
    }

    // The ids opening gives must be there before anything is timed.
    if (!OpenDocument(samples.front().path) ||
        Run().XmlDoc.selectSingleNode(QStringLiteral("//rubriek/titel/head")).getAttribute(QStringLiteral("id")) !=
            QLatin1String("0100")) {
        std::fprintf(stderr, "opening %s did not give the first section head the id 0100\n",
                     qPrintable(samples.front().path));
        return 1;
    }
    CloseDocument();

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    PrintRatioTable(samples, reporter, repetitions);
    PrintSteps(samples.back(), options.smoke ? 1 : repetitions);
    PrintFirstOpen(samples.back(), options.smoke ? 1 : 3);
    return 0;
}
