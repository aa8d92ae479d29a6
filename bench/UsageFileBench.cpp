// What the usage file costs: opening a large newspaper with a usage file of
// 10,000 bookmarks and 10,000 annotations against the same open with a fresh
// usage file, and saving the last-read position into that file against
// pugixml's own save of the same tree, all in one run.
//
//   qb_usage_file_bench [--smoke] [--megabytes=N]
//       Default: 50 MB, best of 5 rounds. --smoke: 2 MB, 1,000 marks each, 1 round.
//
// Goals: the usage file adds at most 5 % to the open; a save at most 3x pugixml's.

#include "app/core/AppPaths.h"
#include "app/core/DocumentFiles.h"
#include "app/core/RunState.h"
#include "bench/BenchSupport.h"
#include "bench/NewspaperGenerator.h"
#include "marks/LastReadPosition.h"
#include "marks/UsageFile.h"
#include "package/DocumentOpening.h"
#include "package/modXML.h"

#include <QDir>
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

namespace {

// A usage file as years of reading leave it: the last-read bookmark, then
// bookmarks and annotations in turn.
QByteArray FullUsageFile(int marks)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<usage>\r\n"
                     "\t<bookmark id=\"0\" type=\"auto\">\r\n\t\t<bmk-date>05-12-2026 10:00</bmk-date>\r\n"
                     "\t\t<bmk-id>00203</bmk-id>\r\n\t\t<bmk-position>120</bmk-position>\r\n\t</bookmark>\r\n";
    for (int i = 1; i <= marks; ++i) {
        const QByteArray n = QByteArray::number(i);
        const QByteArray id = QByteArray::number(100 + (i % 30) * 100 + i % 90).rightJustified(5, '0');
        xml += "\t<bookmark id=\"" + n +
               "\" type=\"user\">\r\n\t\t<bmk-date>05-12-2026 10:00</bmk-date>\r\n"
               "\t\t<bmk-id>" +
               id + "</bmk-id>\r\n\t\t<bmk-position>" + QByteArray::number(i * 7) +
               "</bmk-position>\r\n\t\t<bmk-descriptivetitle>Bladwijzer " + n +
               " bij het artikel over de ijsbaan</bmk-descriptivetitle>\r\n\t</bookmark>\r\n";
        xml += "\t<annotation id=\"" + n +
               "\" type=\"user\">\r\n\t\t<ann-date>05-12-2026 10:00</ann-date>\r\n"
               "\t\t<ann-id>" +
               id + "</ann-id>\r\n\t\t<ann-position>" + QByteArray::number(i * 5) +
               "</ann-position>\r\n\t\t<ann-poslength>12</ann-poslength>\r\n"
               "\t\t<ann-descriptivetitle>Aantekening " +
               n +
               "</ann-descriptivetitle>\r\n"
               "\t\t<ann-text>Na te lezen: wat de ijsvereniging zei over de kinderbaan en het weer.</ann-text>\r\n"
               "\t</annotation>\r\n";
    }
    return xml + "</usage>\r\n";
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv)
{
    const Bench::PrivateHome home;
    QGuiApplication app(argc, argv);
    AppPaths::Init();

    const Bench::Arguments arguments = Bench::ReadArguments(argc, argv, 2);
    const bool smoke = arguments.smoke;
    const int megabytes = arguments.megabytes;
    const int rounds = smoke ? 1 : 5;
    const int marks = smoke ? 1000 : 10000;

    const QString path = home.path() + QStringLiteral("/krant.xml");
    if (!Bench::WriteNewspaper(path.toStdString(), size_t(megabytes) * Bench::BytesPerMB)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray full = FullUsageFile(marks);
    RunState& rs = Run();
    auto openWith = [&](const QByteArray* usage) {
        return [&, usage] {
            const QString duf = UsageFilePathFor(rs.DocumentId.isEmpty() ? QStringLiteral("x") : rs.DocumentId);
            QDir(AppPaths::DufDir()).removeRecursively();
            if (usage && !rs.DocumentId.isEmpty()) {
                QDir().mkpath(AppPaths::DufDir());
                Write(duf, *usage);
            }
        };
    };
    bool ok = true;
    auto open = [&] { ok = OpenDocumentFile(path, false, {}).opened() && OpenDocumentUsageFile() && ok; };
    // One open first, so the document id is known and the file caches are warm.
    open();
    if (!ok) {
        std::fprintf(stderr, "the generated document did not open\n");
        return 1;
    }
    // Interleaved, so both see the same machine load.
    double freshMs = 1e300, fullMs = 1e300;
    for (int i = 0; i < rounds; ++i) {
        freshMs = std::min(freshMs, BestMs(1, openWith(nullptr), open));
        fullMs = std::min(fullMs, BestMs(1, openWith(&full), open));
    }
    const int held = rs.DufDoc ? rs.DufDoc->getElementsByTagName(QStringLiteral("bookmark")).length() : 0;
    if (!ok || held != marks + 1) {
        std::fprintf(stderr, "the usage file did not load (%d bookmarks)\n", held);
        return 1;
    }
    const double usageOpenMs = BestMs(
        rounds, [] {}, [&] { OpenDocumentUsageFile(); });

    // Saving the last-read position into the full file, against pugixml saving the same tree.
    UsageFile& file = DocumentUsageFile();
    const QString date = LastReadDateText(QDateTime::currentDateTime());
    int position = 0;
    const std::string plainPath = (home.path() + QStringLiteral("/plain.xml")).toStdString();
    const QString formattedPath = home.path() + QStringLiteral("/formatted.xml");
    // Interleaved and best of many, so that the three see the same machine load. The
    // program's own writer of the same tree shows where the time goes.
    double saveMs = 1e300, pugiMs = 1e300, formattedMs = 1e300;
    const auto nothing = [] {};
    for (int i = 0; i < rounds * 3; ++i) {
        pugiMs =
            std::min(pugiMs, BestMs(1, nothing, [&] { file.document()->native().save_file(plainPath.c_str(), "\t"); }));
        saveMs = std::min(saveMs, BestMs(1, nothing, [&] {
                              ok = file.SaveLastRead(date, QStringLiteral("00203"), QString::number(++position)) && ok;
                          }));
        formattedMs =
            std::min(formattedMs,
                     BestMs(1, nothing, [&] { SaveFormattedXML(file.document()->documentElement(), formattedPath); }));
    }
    const double pugiParseMs = BestMs(
        rounds, [] {},
        [&] {
            pugi::xml_document doc;
            doc.load_buffer(full.constData(), size_t(full.size()));
        });
    if (!ok) {
        std::fprintf(stderr, "the last read position was not saved\n");
        return 1;
    }

    std::printf("The usage file beside a %d MB newspaper, %d bookmarks and %d annotations, best of %d\n", megabytes,
                marks, marks, rounds);
    std::printf("  %-48s %9.2f ms\n", "open with a fresh usage file", freshMs);
    std::printf("  %-48s %9.2f ms  %+.1f %% on the open\n", "open with the full usage file", fullMs,
                (fullMs / freshMs - 1) * 100);
    std::printf("  %-48s %9.2f ms  (%.1f KB)\n", "the full usage file's load alone", usageOpenMs,
                double(full.size()) / 1024);
    std::printf("  %-48s %9.2f ms\n", "pugixml's parse of the full usage file", pugiParseMs);
    std::printf("  %-48s %9.2f ms\n", "pugixml's save of the same tree", pugiMs);
    std::printf("  %-48s %9.2f ms  %.2fx pugixml's save\n", "SaveFormattedXML of the same tree", formattedMs,
                formattedMs / pugiMs);
    std::printf("  %-48s %9.2f ms  %.2fx pugixml's save\n", "SaveLastReadPosition", saveMs, saveMs / pugiMs);
    std::printf("Goals: at most +5 %% on the open; a save at most 3x pugixml's.\n");
    return 0;
}
