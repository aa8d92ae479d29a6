#include "package/Container.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sodium.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace Container {

namespace {

static_assert(SaltBytes == crypto_pwhash_SALTBYTES);
static_assert(KeyBytes == crypto_secretstream_xchacha20poly1305_KEYBYTES);
static_assert(StreamHeaderBytes == crypto_secretstream_xchacha20poly1305_HEADERBYTES);
static_assert(TagBytes == crypto_secretstream_xchacha20poly1305_ABYTES);
static_assert(FixedHeaderBytes == 8 + 1 + 1 + 2 + 4 + 8 + SaltBytes + 4 + 8 + 1);

bool SodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

uint32_t Le32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint64_t Le64(const unsigned char* p)
{
    return uint64_t(Le32(p)) | uint64_t(Le32(p + 4)) << 32;
}

void PutLe(QByteArray& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

// A key id is short printable UTF-8: it names a passphrase in the reader's key store.
bool ValidKeyId(const QByteArray& utf8, QString& keyId)
{
    if (utf8.size() > qsizetype(MaxKeyIdBytes))
        return false;
    keyId = QString::fromUtf8(utf8);
    if (keyId.toUtf8() != utf8)
        return false;
    for (const QChar c : keyId) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0))
            return false;
    }
    return true;
}

// Reads up to size bytes, fewer only at the end of the file.
qint64 ReadFully(QFile& in, char* buffer, qint64 size)
{
    qint64 total = 0;
    while (total < size) {
        const qint64 n = in.read(buffer + total, size - total);
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        total += n;
    }
    return total;
}

// The decrypted output: created fresh, never through a link, removed unless committed.
class Output {
public:
    explicit Output(const QString& path) : m_path(QFile::encodeName(path)) {}
    ~Output()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (m_created && !m_committed)
            ::unlink(m_path.constData());
    }
    Error create()
    {
        if (::unlink(m_path.constData()) != 0 && errno != ENOENT)
            return Error::CannotWrite;
        m_fd = ::open(m_path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd < 0)
            return errno == ENOSPC || errno == EDQUOT ? Error::DiskFull : Error::CannotWrite;
        m_created = true;
        return Error::None;
    }
    Error write(const unsigned char* data, size_t size)
    {
        while (size > 0) {
            const ssize_t n = ::write(m_fd, data, size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return n < 0 && errno != ENOSPC && errno != EDQUOT && errno != EFBIG ? Error::CannotWrite
                                                                                       : Error::DiskFull;
            data += n;
            size -= size_t(n);
        }
        return Error::None;
    }
    Error commit()
    {
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0)
            return errno == ENOSPC || errno == EDQUOT ? Error::DiskFull : Error::CannotWrite;
        m_committed = true;
        return Error::None;
    }

private:
    QByteArray m_path;
    int m_fd = -1;
    bool m_created = false;
    bool m_committed = false;
};

// Reports each whole percentage once, in order.
class PercentReporter {
public:
    PercentReporter(const Progress& progress, qint64 total) : m_progress(progress), m_total(total) {}
    void at(qint64 done, bool finished = false)
    {
        if (!m_progress)
            return;
        int percent = finished ? 100 : m_total > 0 ? int(qMin<qint64>(99, done * 100 / m_total)) : 0;
        while (m_reported < percent)
            m_progress(++m_reported);
    }

private:
    const Progress& m_progress;
    qint64 m_total;
    int m_reported = 0;
};

} // namespace

bool Acceptable(const KdfParams& kdf)
{
    return kdf.opsLimit >= MinOpsLimit && kdf.opsLimit <= MaxOpsLimit && kdf.memLimit >= MinMemLimit &&
           kdf.memLimit <= MaxMemLimit && kdf.memLimit % 1024 == 0 && kdf.opsLimit * kdf.memLimit <= MaxWork;
}

QString Describe(Error error)
{
    switch (error) {
    case Error::None: return QStringLiteral("no error");
    case Error::CannotRead: return QStringLiteral("the file cannot be read");
    case Error::NotAContainer: return QStringLiteral("not an encrypted document package");
    case Error::UnsupportedVersion: return QStringLiteral("unsupported format version or settings");
    case Error::BadParameters: return QStringLiteral("key-derivation costs beyond the accepted bounds");
    case Error::OutOfMemory: return QStringLiteral("not enough memory for the key derivation");
    case Error::WrongKey: return QStringLiteral("wrong passphrase");
    case Error::Damaged: return QStringLiteral("damaged or changed data");
    case Error::Truncated: return QStringLiteral("the file is incomplete");
    case Error::TrailingData: return QStringLiteral("data after the end of the document");
    case Error::CannotWrite: return QStringLiteral("the output cannot be written");
    case Error::DiskFull: return QStringLiteral("not enough disk space for the output");
    case Error::BadOptions: return QStringLiteral("options outside the format's bounds");
    }
    return {};
}

Error ParseHeader(const char* data, size_t size, Header& header)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    if (size < sizeof Magic)
        return size > 0 && std::memcmp(p, Magic, size) == 0 ? Error::Truncated : Error::NotAContainer;
    if (std::memcmp(p, Magic, sizeof Magic) != 0)
        return Error::NotAContainer;
    if (size < FixedHeaderBytes)
        return Error::Truncated;

    header.version = p[8];
    const uint8_t kdf = p[9];
    const uint16_t flags = uint16_t(p[10] | p[11] << 8);
    if (header.version != FormatVersion || kdf != KdfArgon2id13 || flags != 0)
        return Error::UnsupportedVersion;
    header.kdf.opsLimit = Le32(p + 12);
    header.kdf.memLimit = Le64(p + 16);
    if (!Acceptable(header.kdf))
        return Error::BadParameters;
    std::memcpy(header.salt.data(), p + 24, SaltBytes);
    header.chunkBytes = Le32(p + 40);
    if (header.chunkBytes < MinChunkBytes || header.chunkBytes > MaxChunkBytes)
        return Error::UnsupportedVersion;
    header.plainBytes = Le64(p + 44);
    if (header.plainBytes > MaxPlainBytes)
        return Error::Damaged;

    const size_t keyIdBytes = p[52];
    const size_t headerBytes = FixedHeaderBytes + keyIdBytes + StreamHeaderBytes;
    if (size < headerBytes + TagBytes)
        return Error::Truncated;
    if (!ValidKeyId(QByteArray(data + FixedHeaderBytes, qsizetype(keyIdBytes)), header.keyId))
        return Error::Damaged;
    std::memcpy(header.streamHeader.data(), p + FixedHeaderBytes + keyIdBytes, StreamHeaderBytes);
    header.bytes = QByteArray(data, qsizetype(headerBytes));
    header.keyCheck = QByteArray(data + headerBytes, qsizetype(TagBytes));
    return Error::None;
}

Key::~Key()
{
    sodium_memzero(m_bytes.data(), m_bytes.size());
}

Error DeriveKey(const QString& passphrase, const Header& header, Key& key)
{
    if (!Acceptable(header.kdf))
        return Error::BadParameters;
    if (!SodiumReady())
        return Error::OutOfMemory;
    QByteArray secret = passphrase.normalized(QString::NormalizationForm_C).toUtf8();
    const int rc = crypto_pwhash(key.data(), KeyBytes, secret.constData(), qulonglong(secret.size()),
                                 header.salt.data(), header.kdf.opsLimit, size_t(header.kdf.memLimit),
                                 crypto_pwhash_ALG_ARGON2ID13);
    sodium_memzero(secret.data(), size_t(secret.size()));
    return rc == 0 ? Error::None : Error::OutOfMemory;
}

bool KeyOpens(const Header& header, const Key& key)
{
    if (!SodiumReady() || header.keyCheck.size() != qsizetype(TagBytes))
        return false;
    crypto_secretstream_xchacha20poly1305_state state;
    if (crypto_secretstream_xchacha20poly1305_init_pull(&state, header.streamHeader.data(), key.data()) != 0)
        return false;
    unsigned char tag = 0;
    unsigned long long length = 0;
    const int rc = crypto_secretstream_xchacha20poly1305_pull(
        &state, nullptr, &length, &tag, reinterpret_cast<const unsigned char*>(header.keyCheck.constData()),
        TagBytes, reinterpret_cast<const unsigned char*>(header.bytes.constData()), qulonglong(header.bytes.size()));
    sodium_memzero(&state, sizeof state);
    return rc == 0 && length == 0 && tag == crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
}

Error Reader::open(const QString& path)
{
    m_path = path;
    m_header = Header{};
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return Error::CannotRead;
    std::array<char, FixedHeaderBytes + MaxKeyIdBytes + StreamHeaderBytes + TagBytes> buffer{};
    const qint64 n = ReadFully(in, buffer.data(), qint64(buffer.size()));
    if (n < 0)
        return Error::CannotRead;
    if (const Error e = ParseHeader(buffer.data(), size_t(n), m_header); e != Error::None)
        return e;
    const uint64_t size = uint64_t(in.size());
    if (size < m_header.fileBytes())
        return Error::Truncated;
    if (size > m_header.fileBytes())
        return Error::TrailingData;
    return Error::None;
}

Error Reader::decryptTo(const Key& key, const QString& outputPath, const Progress& progress) const
{
    if (!SodiumReady())
        return Error::OutOfMemory;
    if (!KeyOpens(m_header, key))
        return Error::WrongKey;
    QFile in(m_path);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || !in.seek(m_header.dataOffset()))
        return Error::CannotRead;

    crypto_secretstream_xchacha20poly1305_state state;
    crypto_secretstream_xchacha20poly1305_init_pull(&state, m_header.streamHeader.data(), key.data());
    unsigned char tag = 0;
    unsigned long long length = 0;
    // Pass the key check again so the stream's counter is where the writer left it.
    crypto_secretstream_xchacha20poly1305_pull(
        &state, nullptr, &length, &tag, reinterpret_cast<const unsigned char*>(m_header.keyCheck.constData()),
        TagBytes, reinterpret_cast<const unsigned char*>(m_header.bytes.constData()),
        qulonglong(m_header.bytes.size()));

    Output out(outputPath);
    if (const Error e = out.create(); e != Error::None)
        return e;

    std::vector<unsigned char> cipher(m_header.chunkBytes + TagBytes, 0);
    std::vector<unsigned char> plain(m_header.chunkBytes, 0);
    PercentReporter percent(progress, in.size());
    qint64 done = m_header.dataOffset();
    uint64_t left = m_header.plainBytes;
    const uint64_t chunks = m_header.chunkCount();
    Error result = Error::None;
    for (uint64_t i = 0; i < chunks && result == Error::None; ++i) {
        const bool last = i + 1 == chunks;
        const uint64_t plainLength = last ? left : m_header.chunkBytes;
        const qint64 cipherLength = qint64(plainLength + TagBytes);
        const qint64 n = ReadFully(in, reinterpret_cast<char*>(cipher.data()), cipherLength);
        if (n < 0)
            result = Error::CannotRead;
        else if (n < cipherLength)
            result = Error::Truncated; // the file shrank since it was opened
        else if (crypto_secretstream_xchacha20poly1305_pull(&state, plain.data(), &length, &tag, cipher.data(),
                                                            qulonglong(n), nullptr, 0) != 0)
            result = Error::Damaged;
        else if (length != plainLength ||
                 tag != (last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                              : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE))
            result = last && tag == crypto_secretstream_xchacha20poly1305_TAG_MESSAGE ? Error::Truncated
                                                                                       : Error::Damaged;
        else
            result = out.write(plain.data(), size_t(length));
        left -= qMin(left, plainLength);
        done += n;
        percent.at(done);
    }
    char extra = 0;
    if (result == Error::None && in.read(&extra, 1) != 0)
        result = Error::TrailingData;
    sodium_memzero(&state, sizeof state);
    sodium_memzero(plain.data(), plain.size());
    if (result == Error::None)
        result = out.commit();
    if (result == Error::None)
        percent.at(done, true);
    return result;
}

Error Write(const QString& inputPath, const QString& outputPath, const QString& passphrase,
            const WriteOptions& options, QString* detail)
{
    auto failed = [&](Error e, const QString& why) {
        if (detail)
            *detail = why;
        return e;
    };
    if (!SodiumReady())
        return failed(Error::OutOfMemory, QStringLiteral("libsodium could not start"));
    if (!Acceptable(options.kdf))
        return failed(Error::BadOptions, QStringLiteral("key-derivation costs outside the accepted bounds"));
    if (options.chunkBytes < MinChunkBytes || options.chunkBytes > MaxChunkBytes)
        return failed(Error::BadOptions, QStringLiteral("chunk size outside %1..%2").arg(MinChunkBytes).arg(MaxChunkBytes));
    const QByteArray keyId = options.keyId.toUtf8();
    QString checked;
    if (!ValidKeyId(keyId, checked))
        return failed(Error::BadOptions, QStringLiteral("the key id must be at most 255 bytes of printable UTF-8"));
    if (passphrase.isEmpty())
        return failed(Error::BadOptions, QStringLiteral("empty passphrase"));

    QFile in(inputPath);
    if (!in.open(QIODevice::ReadOnly))
        return failed(Error::CannotRead, in.errorString());

    Header header;
    header.kdf = options.kdf;
    header.chunkBytes = options.chunkBytes;
    header.plainBytes = uint64_t(in.size());
    if (header.plainBytes > MaxPlainBytes)
        return failed(Error::BadOptions, QStringLiteral("the input is too large"));
    randombytes_buf(header.salt.data(), header.salt.size());
    Key key;
    if (const Error e = DeriveKey(passphrase, header, key); e != Error::None)
        return failed(e, Describe(e));

    crypto_secretstream_xchacha20poly1305_state state;
    crypto_secretstream_xchacha20poly1305_init_push(&state, header.streamHeader.data(), key.data());

    QByteArray bytes(Magic, sizeof Magic);
    bytes.append(char(FormatVersion));
    bytes.append(char(KdfArgon2id13));
    PutLe(bytes, 0, 2);
    PutLe(bytes, header.kdf.opsLimit, 4);
    PutLe(bytes, header.kdf.memLimit, 8);
    bytes.append(reinterpret_cast<const char*>(header.salt.data()), qsizetype(SaltBytes));
    PutLe(bytes, header.chunkBytes, 4);
    PutLe(bytes, header.plainBytes, 8);
    bytes.append(char(keyId.size()));
    bytes.append(keyId);
    bytes.append(reinterpret_cast<const char*>(header.streamHeader.data()), qsizetype(StreamHeaderBytes));

    std::array<unsigned char, TagBytes> check{};
    crypto_secretstream_xchacha20poly1305_push(&state, check.data(), nullptr, nullptr, 0,
                                               reinterpret_cast<const unsigned char*>(bytes.constData()),
                                               qulonglong(bytes.size()),
                                               crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);

    QSaveFile out(outputPath);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        return failed(Error::CannotWrite, out.errorString());
    if (out.write(bytes) != bytes.size() ||
        out.write(reinterpret_cast<const char*>(check.data()), qsizetype(check.size())) != qsizetype(check.size()))
        return failed(Error::CannotWrite, out.errorString());

    std::vector<unsigned char> plain(options.chunkBytes, 0);
    std::vector<unsigned char> cipher(options.chunkBytes + TagBytes, 0);
    uint64_t left = header.plainBytes;
    const uint64_t chunks = header.chunkCount();
    for (uint64_t i = 0; i < chunks; ++i) {
        const bool last = i + 1 == chunks;
        const qint64 length = qint64(last ? left : options.chunkBytes);
        if (ReadFully(in, reinterpret_cast<char*>(plain.data()), length) != length)
            return failed(Error::CannotRead, QStringLiteral("the input changed while it was read"));
        left -= uint64_t(length);
        unsigned long long cipherLength = 0;
        crypto_secretstream_xchacha20poly1305_push(
            &state, cipher.data(), &cipherLength, plain.data(), qulonglong(length), nullptr, 0,
            last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
        if (out.write(reinterpret_cast<const char*>(cipher.data()), qint64(cipherLength)) != qint64(cipherLength))
            return failed(Error::CannotWrite, out.errorString());
    }
    if (!in.atEnd())
        return failed(Error::CannotRead, QStringLiteral("the input changed while it was read"));
    sodium_memzero(&state, sizeof state);
    if (!out.commit())
        return failed(Error::CannotWrite, out.errorString());
    return Error::None;
}

} // namespace Container
