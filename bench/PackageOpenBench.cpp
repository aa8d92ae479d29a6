// How much a package costs on top of the document inside it: the generated
// newspaper opened as plain XML, as a ZIP package and as an encrypted package,
// all in the same run, interleaved, best of several rounds.
//
//   qb_package_open_bench [--smoke] [--rounds=N] [--megabytes=N]
//       Default: 50 MB, 5 rounds. --smoke: 1 MB, 1 round.
//
// "Open" is what document opening does with each kind, minus the window: empty
// the working folder, put the XML there (copy, unzip, or decrypt and unzip),
// read the descriptor, load the XML into the DOM, empty the working folder
// again, read the title and identifier, number the navigation elements. The encrypted package uses a remembered
// passphrase and the tool's default (interactive) key-derivation costs; the key derivation is timed on its own too,
// because it does not grow with the document.

#include "app/core/AppPaths.h"
#include "app/core/RunState.h"
#include "app/core/WorkingFolder.h"
#include "bench/NewspaperGenerator.h"
#include "package/Container.h"
#include "package/KeyStore.h"
#include "package/dom/Dom.h"
#include "package/modDecrypt.h"
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

// The load steps shared by every kind, as document opening runs them without
// the window: descriptor, DOM, working folder emptied, title and identifier,
// navigation ids; then the document is dropped again.
bool LoadFromWorkingFolder()
{
    const WorkingFolderContents contents = ListWorkingFolder();
    if (contents.xmlFileName.isEmpty())
        return false;
    ResetRunState();
    RunState& rs = Run();
    for (const QString& name : contents.descriptors)
        LoadXdf(Temp(name));
    const bool loaded = rs.XmlDoc.load(Temp(contents.xmlFileName));
    EmptyWorkingFolder();
    if (!loaded)
        return false;
    rs.DocInfo[1] = GetXMLTagValue(rs.XmlDoc.asNode(), rs.XdfDocTitleTag);
    rs.DocInfo[0] = GetXMLTagValue(rs.XmlDoc.asNode(), rs.XdfDocIdTag);
    AddNodeIds();
    const bool ok = !rs.DocInfo[1].isEmpty();
    ResetRunState();
    return ok;
}

bool OpenXml(const QString& path)
{
    EmptyWorkingFolder();
    return QFile::copy(path, Temp(QFileInfo(path).fileName())) &&
           QFile::copy(QFileInfo(path).absolutePath() + QStringLiteral("/paper/news.xdf"),
                       Temp(QStringLiteral("news.xdf"))) &&
           LoadFromWorkingFolder();
}

bool OpenZip(const QString& path)
{
    EmptyWorkingFolder();
    return Unzip(path, AppPaths::TempDir()).ok() && LoadFromWorkingFolder();
}

bool OpenEncrypted(const QString& path, KeyStore& keys)
{
    EmptyWorkingFolder();
    const QString archive = Temp(QStringLiteral("_"));
    if (!DecryptPackage(path, archive, keys).ok())
        return false;
    const bool unzipped = Unzip(archive, AppPaths::TempDir()).ok();
    QFile::remove(archive);
    return unzipped && LoadFromWorkingFolder();
}

double TimeOnce(const std::function<bool()>& open)
{
    const auto start = Clock::now();
    if (!open()) {
        std::fprintf(stderr, "an open failed\n");
        std::exit(1);
    }
    return Ms(Clock::now() - start);
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
    KeyStore keys(dir.filePath(QStringLiteral("config/keys")));
    keys.Remember(options.keyId, Passphrase);

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
        const bool ok = Unzip(zip, AppPaths::TempDir()).ok();
        EmptyWorkingFolder();
        return ok;
    };
    auto copyOnly = [&] {
        EmptyWorkingFolder();
        const bool ok = QFile::copy(xml, Temp(QStringLiteral("paper.xml")));
        EmptyWorkingFolder();
        return ok;
    };

    double xmlMs = 1e300, zipMs = 1e300, exbMs = 1e300, kdfMs = 1e300, decryptMs = 1e300, unzipMs = 1e300,
           copyMs = 1e300;
    OpenXml(xml); // warm the caches and the code once
    for (int i = 0; i < rounds; ++i) {
        xmlMs = std::min(xmlMs, TimeOnce([&] { return OpenXml(xml); }));
        zipMs = std::min(zipMs, TimeOnce([&] { return OpenZip(zip); }));
        exbMs = std::min(exbMs, TimeOnce([&] { return OpenEncrypted(exb, keys); }));
        kdfMs = std::min(kdfMs, TimeOnce(derive));
        decryptMs = std::min(decryptMs, TimeOnce(decryptOnly));
        unzipMs = std::min(unzipMs, TimeOnce(unzipOnly));
        copyMs = std::min(copyMs, TimeOnce(copyOnly));
    }

    std::printf("\nOpening a %d MB newspaper by package kind (best of %d round%s, same run)\n", megabytes, rounds,
                rounds == 1 ? "" : "s");
    std::printf("  sizes: xml %.1f MB, zip %.1f MB, exb %.1f MB\n", QFileInfo(xml).size() / 1e6,
                QFileInfo(zip).size() / 1e6, QFileInfo(exb).size() / 1e6);
    std::printf("  %-44s %9.1f ms\n", ".xml open (baseline)", xmlMs);
    std::printf("  %-44s %9.1f ms\n", "    of which copying the XML in", copyMs);
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
