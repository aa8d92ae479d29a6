// How much a package costs on top of the document inside it: the generated
// newspaper opened as plain XML, as a ZIP package and as an encrypted package,
// all in the same run, interleaved, best of several rounds.
//
//   qb_package_open_bench [--smoke] [--rounds=N] [--megabytes=N]
//       Default: 50 MB, 5 rounds. --smoke: 1 MB, 1 round.
//
// "Open" is the program's own document opening, minus the window: the working
// folder emptied, the XML put there (linked, unzipped, or decrypted and
// unzipped), the descriptor read, the XML loaded, the document facts and the
// navigation ids found. The encrypted package uses a remembered passphrase and
// the tool's default (interactive) key-derivation costs; the key derivation is
// timed on its own too, because it does not grow with the document.

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "app/core/WorkingFolder.h"
#include "bench/NewspaperGenerator.h"
#include "package/Container.h"
#include "package/DocumentOpening.h"
#include "package/dom/Dom.h"
#include "package/modUnzip.h"
#include "package/modXML.h"
#include "package/modXdf.h"
#include "tools/quillbook-pack/PackTool.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

const QString Passphrase = QStringLiteral("bench passphrase");

QString Temp(const QString& name)
{
    return AppPaths::TempDir() + QLatin1Char('/') + name;
}

// Each kind through the program's own open, without the window; the
// encrypted package is decrypted as with a remembered passphrase.
bool Open(const QString& path, const QString& passphrase = {})
{
    const DecryptPackage decrypt = [passphrase](const QString& package, bool) {
        Container::Reader reader;
        Container::Key key;
        return reader.open(package) == Container::Error::None &&
               Container::DeriveKey(passphrase, reader.header(), key) == Container::Error::None &&
               reader.decryptTo(key, Temp(QStringLiteral("_"))) == Container::Error::None;
    };
    return OpenDocumentFile(path, false, decrypt).opened();
}

double TimeOnce(const std::function<bool()>& open)
{
    const auto start = Clock::now();
    if (!open()) {
        std::fprintf(stderr, "an open failed\n");
        std::exit(1);
    }
    const double ms = Ms(Clock::now() - start);
    ResetRunState(); // the document is let go outside the time
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int megabytes = 50;
    int rounds = 5;
    for (const QString& a : app.arguments().mid(1)) {
        if (a == QLatin1String("--smoke")) {
            megabytes = 1;
            rounds = 1;
        } else if (a.startsWith(QLatin1String("--rounds="))) {
            rounds = std::max(1, a.mid(9).toInt());
        } else if (a.startsWith(QLatin1String("--megabytes="))) {
            megabytes = std::max(1, a.mid(12).toInt());
        } else {
            std::fprintf(stderr, "usage: qb_package_open_bench [--smoke] [--rounds=N] [--megabytes=N]\n");
            return 2;
        }
    }

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    qputenv("QUILLBOOK_HOME", (dir.path() + QStringLiteral("/user")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toLocal8Bit());
    AppPaths::Init();

    // The package: the newspaper, the default descriptor and a style sheet.
    const QString folder = dir.filePath(QStringLiteral("paper"));
    QDir().mkpath(folder);
    const QString xml = dir.filePath(QStringLiteral("paper.xml"));
    std::printf("Generating a %d MB newspaper...\n", megabytes);
    if (!Bench::WriteNewspaper(xml.toStdString(), size_t(megabytes) * Bench::BytesPerMB) ||
        !QFile::copy(xml, folder + QStringLiteral("/paper.xml")) ||
        !QFile::copy(AppPaths::DefaultDir() + QStringLiteral("/news.xdf"), folder + QStringLiteral("/news.xdf")))
        return 1;
    const QString zip = dir.filePath(QStringLiteral("paper.zip"));
    const QString exb = dir.filePath(QStringLiteral("paper.exb"));
    QString error;
    if (!PackTool::MakeZip(folder, zip, true, &error, nullptr)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    Container::WriteOptions options; // the tool's defaults
    options.keyId = QStringLiteral("Bench");
    if (Container::Write(zip, exb, Passphrase, options, &error) != Container::Error::None) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    Container::Reader reader;
    reader.open(exb);
    auto derive = [&] {
        Container::Key key;
        return Container::DeriveKey(Passphrase, reader.header(), key) == Container::Error::None;
    };
    auto decryptOnly = [&] {
        Container::Key key;
        Container::DeriveKey(Passphrase, reader.header(), key);
        const bool ok = reader.decryptTo(key, dir.filePath(QStringLiteral("plain.zip"))) == Container::Error::None;
        QFile::remove(dir.filePath(QStringLiteral("plain.zip")));
        return ok;
    };

    auto unzipOnly = [&] {
        EmptyWorkingFolder();
        UnzipLimits limits;
        limits.holdLargeXml = true; // as opening does
        const bool ok = Unzip(zip, AppPaths::TempDir(), limits).ok();
        EmptyWorkingFolder();
        return ok;
    };

    double xmlMs = 1e300, zipMs = 1e300, exbMs = 1e300, kdfMs = 1e300, decryptMs = 1e300, unzipMs = 1e300;
    TimeOnce([&] { return Open(xml); }); // warm the caches and the code once
    for (int i = 0; i < rounds; ++i) {
        xmlMs = std::min(xmlMs, TimeOnce([&] { return Open(xml); }));
        zipMs = std::min(zipMs, TimeOnce([&] { return Open(zip); }));
        exbMs = std::min(exbMs, TimeOnce([&] { return Open(exb, Passphrase); }));
        kdfMs = std::min(kdfMs, TimeOnce(derive));
        decryptMs = std::min(decryptMs, TimeOnce(decryptOnly));
        unzipMs = std::min(unzipMs, TimeOnce(unzipOnly));
    }

    std::printf("\nOpening a %d MB newspaper by package kind (best of %d round%s, same run)\n", megabytes, rounds,
                rounds == 1 ? "" : "s");
    std::printf("  sizes: xml %.1f MB, zip %.1f MB, exb %.1f MB\n", QFileInfo(xml).size() / 1e6,
                QFileInfo(zip).size() / 1e6, QFileInfo(exb).size() / 1e6);
    std::printf("  %-44s %9.1f ms\n", ".xml open (baseline)", xmlMs);
    std::printf("  %-44s %9.1f ms  %5.2fx the .xml open\n", ".zip open", zipMs, zipMs / xmlMs);
    std::printf("  %-44s %9.1f ms\n", "    of which unzipping", unzipMs);
    std::printf("  %-44s %9.1f ms  %5.2fx the .zip open\n", ".exb open", exbMs, exbMs / zipMs);
    std::printf("  %-44s %9.1f ms\n", "    of which key derivation (Argon2id)", kdfMs);
    std::printf("  %-44s %9.1f ms\n", "    decryption alone, key derivation included", decryptMs);
    const double zipRatio = zipMs / xmlMs;
    const double exbRatio = (exbMs - kdfMs) / zipMs;
    std::printf("Goal: .zip at most 1.30x .xml: %.2fx, %s\n", zipRatio, zipRatio <= 1.3 ? "met" : "missed");
    std::printf("Goal: .exb less key derivation at most 1.30x .zip: %.2fx, %s\n", exbRatio,
                exbRatio <= 1.3 ? "met" : "missed");
    return 0;
}
