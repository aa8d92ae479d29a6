#include "tools/quillbook-pack/PackTool.h"

#include "package/Container.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>

#include <zip.h>

#include <memory>

namespace PackTool {

namespace {

constexpr const char* PassphraseVariable = "QUILLBOOK_PASSPHRASE";

struct ZipDiscard {
    void operator()(zip_t* z) const { zip_discard(z); }
};

// Pictures and sound are compressed already; deflating them again costs time for nothing.
bool StoreUncompressed(const QString& name)
{
    static const QStringList packed = {QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("png"),
                                       QStringLiteral("gif"), QStringLiteral("mp3"), QStringLiteral("zip")};
    return packed.contains(QFileInfo(name).suffix().toLower());
}

bool HasExtension(const QString& path, std::initializer_list<const char*> extensions)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const char* e : extensions)
        if (suffix == QLatin1String(e))
            return true;
    return false;
}

// "64M", "1G", "8K", "65536" in bytes (binary multiples); 0 when malformed.
uint64_t ParseSize(QString text)
{
    uint64_t factor = 1;
    const QChar last = text.isEmpty() ? QChar() : text.back().toUpper();
    if (last == u'K' || last == u'M' || last == u'G') {
        factor = last == u'K' ? 1024 : last == u'M' ? 1024 * 1024 : uint64_t(1024) * 1024 * 1024;
        text.chop(1);
    }
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok);
    if (!ok || value == 0 || value > (uint64_t(1) << 40) / factor)
        return 0;
    return value * factor;
}

QString Size(uint64_t bytes)
{
    if (bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 MiB").arg(bytes / (1024 * 1024));
    return QStringLiteral("%1 KiB").arg(bytes / 1024);
}

struct Options {
    QStringList positional;
    QString keyId;
    std::optional<QString> passphrase;
    QString passphraseEnv;
    bool passphraseStdin = false;
    Container::KdfParams kdf;
    uint32_t chunkBytes = Container::DefaultChunkBytes;
    bool force = false;
    bool help = false;
    bool version = false;
};

// Parses the options; an error message on wrong usage.
QString Parse(const QStringList& args, Options& o)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        QString v;
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            o.help = true;
        } else if (a == QLatin1String("--version")) {
            o.version = true;
        } else if (a == QLatin1String("--force")) {
            o.force = true;
        } else if (a == QLatin1String("--passphrase-stdin")) {
            o.passphraseStdin = true;
        } else if (a == QLatin1String("--key-id")) {
            if (!value(o.keyId))
                return QStringLiteral("--key-id needs a value");
        } else if (a == QLatin1String("--passphrase")) {
            if (!value(v))
                return QStringLiteral("--passphrase needs a value");
            o.passphrase = v;
        } else if (a == QLatin1String("--passphrase-env")) {
            if (!value(o.passphraseEnv))
                return QStringLiteral("--passphrase-env needs a variable name");
        } else if (a == QLatin1String("--kdf-ops")) {
            bool ok = false;
            if (!value(v) || (o.kdf.opsLimit = v.toUInt(&ok), !ok))
                return QStringLiteral("--kdf-ops needs a number");
        } else if (a == QLatin1String("--kdf-mem")) {
            if (!value(v) || (o.kdf.memLimit = ParseSize(v)) == 0)
                return QStringLiteral("--kdf-mem needs a size such as 64M");
        } else if (a == QLatin1String("--chunk")) {
            uint64_t size = 0;
            if (!value(v) || (size = ParseSize(v)) == 0 || size > Container::MaxChunkBytes)
                return QStringLiteral("--chunk needs a size such as 64K");
            o.chunkBytes = uint32_t(size);
        } else if (a.startsWith(QLatin1String("--")) && a.size() > 2) {
            return QStringLiteral("unknown option ") + a;
        } else {
            o.positional << a;
        }
    }
    return {};
}

// The passphrase from the option, the named variable, QUILLBOOK_PASSPHRASE or standard input.
std::optional<QString> Passphrase(const Options& o, Io& io, bool confirm)
{
    if (o.passphrase)
        return o.passphrase;
    if (!o.passphraseEnv.isEmpty()) {
        if (!qEnvironmentVariableIsSet(o.passphraseEnv.toLocal8Bit().constData())) {
            io.err += QStringLiteral("quillbook-pack: the variable %1 is not set\n").arg(o.passphraseEnv);
            return std::nullopt;
        }
        return qEnvironmentVariable(o.passphraseEnv.toLocal8Bit().constData());
    }
    if (!o.passphraseStdin && qEnvironmentVariableIsSet(PassphraseVariable))
        return qEnvironmentVariable(PassphraseVariable);
    std::optional<QString> read = io.readPassphrase ? io.readPassphrase(confirm) : std::nullopt;
    if (!read)
        io.err += QStringLiteral("quillbook-pack: no passphrase was given\n");
    return read;
}

int Fail(Io& io, const QString& message)
{
    io.err += QStringLiteral("quillbook-pack: ") + message + QLatin1Char('\n');
    return 1;
}

int Zip(const Options& o, Io& io)
{
    const QString& folder = o.positional[1];
    const QString& out = o.positional[2];
    if (!HasExtension(out, {"zip", "cxb"}))
        return Fail(io, QStringLiteral("a ZIP package is named .zip or .cxb: ") + out);
    QString error;
    QStringList warnings;
    const bool ok = MakeZip(folder, out, o.force, &error, &warnings);
    for (const QString& w : warnings)
        io.err += QStringLiteral("quillbook-pack: warning: ") + w + QLatin1Char('\n');
    if (!ok)
        return Fail(io, error);
    io.out += QStringLiteral("wrote %1\n").arg(out);
    return 0;
}

int Encrypt(const Options& o, Io& io)
{
    const QString& in = o.positional[1];
    const QString& out = o.positional[2];
    if (!HasExtension(out, {"exb", "exd"}))
        return Fail(io, QStringLiteral("an encrypted package is named .exb or .exd: ") + out);
    if (QFileInfo::exists(out) && !o.force)
        return Fail(io, out + QStringLiteral(" exists; use --force to replace it"));
    if (!Container::Acceptable(o.kdf))
        return Fail(io, QStringLiteral("--kdf-ops must be %1..%2 and --kdf-mem 8K..1G, at most %3 GiB in all")
                            .arg(Container::MinOpsLimit)
                            .arg(Container::MaxOpsLimit)
                            .arg(Container::MaxWork >> 30));

    // A folder is packed first, into a temporary archive beside the output.
    QString zipPath = in;
    QTemporaryFile packed(QFileInfo(out).absolutePath() + QStringLiteral("/.quillbook-pack-XXXXXX.zip"));
    if (QFileInfo(in).isDir()) {
        if (!packed.open())
            return Fail(io, QStringLiteral("cannot write beside ") + out);
        packed.close();
        QString error;
        QStringList warnings;
        if (!MakeZip(in, packed.fileName(), true, &error, &warnings))
            return Fail(io, error);
        for (const QString& w : warnings)
            io.err += QStringLiteral("quillbook-pack: warning: ") + w + QLatin1Char('\n');
        zipPath = packed.fileName();
    } else {
        int zipError = 0;
        std::unique_ptr<zip_t, ZipDiscard> za(
            zip_open(QFile::encodeName(in).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &zipError));
        if (!za)
            return Fail(io, in + QStringLiteral(" is not a readable ZIP archive"));
    }

    const std::optional<QString> passphrase = Passphrase(o, io, true);
    if (!passphrase)
        return 1;
    if (passphrase->isEmpty())
        return Fail(io, QStringLiteral("the passphrase is empty"));

    Container::WriteOptions options;
    options.keyId = o.keyId;
    options.kdf = o.kdf;
    options.chunkBytes = o.chunkBytes;
    QString detail;
    if (const Container::Error e = Container::Write(zipPath, out, *passphrase, options, &detail);
        e != Container::Error::None)
        return Fail(io, detail.isEmpty() ? Container::Describe(e) : detail);
    io.out += QStringLiteral("wrote %1 (key id \"%2\", Argon2id passes %3, memory %4)\n")
                  .arg(out, o.keyId)
                  .arg(o.kdf.opsLimit)
                  .arg(Size(o.kdf.memLimit));
    return 0;
}

int Decrypt(const Options& o, Io& io)
{
    const QString& in = o.positional[1];
    const QString& out = o.positional[2];
    if (QFileInfo::exists(out) && !o.force)
        return Fail(io, out + QStringLiteral(" exists; use --force to replace it"));
    Container::Reader reader;
    if (const Container::Error e = reader.open(in); e != Container::Error::None)
        return Fail(io, in + QStringLiteral(": ") + Container::Describe(e));
    const std::optional<QString> passphrase = Passphrase(o, io, false);
    if (!passphrase)
        return 1;
    Container::Key key;
    Container::Error e = Container::DeriveKey(*passphrase, reader.header(), key);
    if (e == Container::Error::None)
        e = reader.decryptTo(key, out);
    if (e != Container::Error::None)
        return Fail(io, in + QStringLiteral(": ") + Container::Describe(e));
    io.out += QStringLiteral("wrote %1\n").arg(out);
    return 0;
}

int Info(const Options& o, Io& io)
{
    Container::Reader reader;
    if (const Container::Error e = reader.open(o.positional[1]); e != Container::Error::None)
        return Fail(io, o.positional[1] + QStringLiteral(": ") + Container::Describe(e));
    const Container::Header& h = reader.header();
    io.out += QStringLiteral("format version: %1\nkey id: %2\nkey derivation: Argon2id, passes %3, memory %4\n"
                             "chunk: %5 bytes\n")
                  .arg(h.version)
                  .arg(h.keyId)
                  .arg(h.kdf.opsLimit)
                  .arg(Size(h.kdf.memLimit))
                  .arg(h.chunkBytes);
    return 0;
}

} // namespace

bool MakeZip(const QString& folder, const QString& zipPath, bool replace, QString* error, QStringList* warnings)
{
    auto failed = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (!QFileInfo(folder).isDir())
        return failed(folder + QStringLiteral(" is not a folder"));
    const QDir root(QFileInfo(folder).absoluteFilePath());

    QStringList names;
    QDirIterator it(root.path(), QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink()) {
            if (warnings)
                *warnings << QStringLiteral("skipped the link ") + root.relativeFilePath(path);
            continue;
        }
        if (QFileInfo(path).canonicalFilePath() == QFileInfo(zipPath).canonicalFilePath())
            continue;
        names << root.relativeFilePath(path);
    }
    if (names.isEmpty())
        return failed(folder + QStringLiteral(" holds no files"));
    names.sort();

    // The reader drops folder paths: two files of one name would ask the reader which to keep.
    QHash<QString, QString> seen;
    for (const QString& name : names) {
        const QString base = QFileInfo(name).fileName();
        if (seen.contains(base) && warnings)
            *warnings << QStringLiteral("%1 and %2 both unpack as %3").arg(seen[base], name, base);
        seen.insert(base, name);
    }

    int zipError = 0;
    const int flags = ZIP_CREATE | (replace ? ZIP_TRUNCATE : ZIP_EXCL);
    std::unique_ptr<zip_t, ZipDiscard> za(zip_open(QFile::encodeName(zipPath).constData(), flags, &zipError));
    if (!za)
        return failed(zipError == ZIP_ER_EXISTS ? zipPath + QStringLiteral(" exists; use --force to replace it")
                                                : QStringLiteral("cannot create ") + zipPath);
    for (const QString& name : names) {
        const QByteArray path = QFile::encodeName(root.filePath(name));
        zip_source_t* source = zip_source_file(za.get(), path.constData(), 0, -1);
        if (!source)
            return failed(QStringLiteral("cannot read ") + name);
        const zip_int64_t index = zip_file_add(za.get(), name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            return failed(QStringLiteral("cannot add ") + name);
        }
        zip_set_file_compression(za.get(), zip_uint64_t(index), StoreUncompressed(name) ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                 0);
    }
    // libzip writes a temporary file and renames it: the archive appears whole or not at all.
    zip_t* archive = za.release();
    if (zip_close(archive) != 0) {
        const QString why = QString::fromUtf8(zip_strerror(archive));
        zip_discard(archive);
        return failed(QStringLiteral("cannot write ") + zipPath + QStringLiteral(": ") + why);
    }
    return true;
}

QString HelpText()
{
    return QStringLiteral(
        "Usage: quillbook-pack COMMAND ARGUMENTS [OPTIONS]\n"
        "Makes document packages for Quillbook.\n"
        "\n"
        "Commands:\n"
        "  zip FOLDER OUTPUT        make a ZIP package (.zip or .cxb) of the files below FOLDER;\n"
        "                           the reader unpacks every file into one folder, so give each\n"
        "                           file its own name\n"
        "  encrypt INPUT OUTPUT     make an encrypted package (.exb or .exd) of a ZIP package or\n"
        "                           of a folder\n"
        "  decrypt INPUT OUTPUT     write the ZIP package inside an encrypted package\n"
        "  info INPUT               show the key id and costs of an encrypted package\n"
        "\n"
        "Options:\n"
        "  --key-id ID              the name of the passphrase, shown to readers; a reader's\n"
        "                           program remembers passphrases by it (at most 255 bytes)\n"
        "  --passphrase TEXT        the passphrase (other users can see it in the process list;\n"
        "                           prefer one of the next two)\n"
        "  --passphrase-env NAME    take the passphrase from the environment variable NAME\n"
        "  --passphrase-stdin       read the passphrase from the first line of standard input\n"
        "                           (without echo, and twice for encrypt, on a terminal)\n"
        "                           Without these: QUILLBOOK_PASSPHRASE when set, else standard input.\n"
        "  --kdf-ops N              Argon2id passes, 1 to 16 (default 2)\n"
        "  --kdf-mem SIZE           Argon2id memory, 8K to 1G (default 64M); passes times memory\n"
        "                           at most 4G. Readers must have this much memory free.\n"
        "  --chunk SIZE             bytes per encrypted chunk, 1K to 1M (default 64K)\n"
        "  --force                  replace OUTPUT when it exists\n"
        "  -h, --help               show this text\n"
        "  --version                show the version\n"
        "\n"
        "Exit status: 0 done, 1 failed, 2 wrong usage.\n"
        "The format of encrypted packages is described in docs/container-format.md.\n");
}

int Run(const QStringList& args, Io& io)
{
    Options o;
    const QString usage = Parse(args, o);
    if (!usage.isEmpty()) {
        io.err += QStringLiteral("quillbook-pack: ") + usage + QStringLiteral("\nTry quillbook-pack --help.\n");
        return 2;
    }
    if (o.help) {
        io.out += HelpText();
        return 0;
    }
    if (o.version) {
        io.out += QStringLiteral("quillbook-pack 1 (encrypted package format version %1)\n")
                      .arg(Container::FormatVersion);
        return 0;
    }
    const QString command = o.positional.value(0);
    const qsizetype wanted = command == QLatin1String("info") ? 2 : 3;
    const bool known = command == QLatin1String("zip") || command == QLatin1String("encrypt") ||
                       command == QLatin1String("decrypt") || command == QLatin1String("info");
    if (!known || o.positional.size() != wanted) {
        io.err += QStringLiteral("quillbook-pack: ") +
                  (known ? QStringLiteral("wrong number of arguments for ") + command
                         : QStringLiteral("unknown command ") + command) +
                  QStringLiteral("\nTry quillbook-pack --help.\n");
        return 2;
    }
    if (command == QLatin1String("zip"))
        return Zip(o, io);
    if (command == QLatin1String("encrypt"))
        return Encrypt(o, io);
    if (command == QLatin1String("decrypt"))
        return Decrypt(o, io);
    return Info(o, io);
}

} // namespace PackTool
