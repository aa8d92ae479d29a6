#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

// Encrypted document packages (.exb, .exd): a ZIP archive encrypted in chunks
// with XChaCha20-Poly1305 (libsodium's secretstream) under a key derived from a
// passphrase with Argon2id. The byte layout is in docs/container-format.md;
// the constants below are the ones it names.
namespace Container {

constexpr char Magic[8] = {'\x89', 'Q', 'B', 'X', '\r', '\n', '\x1a', '\n'};
constexpr uint8_t FormatVersion = 1;
constexpr uint8_t KdfArgon2id13 = 1;

constexpr size_t SaltBytes = 16;
constexpr size_t KeyBytes = 32;
constexpr size_t StreamHeaderBytes = 24;
constexpr size_t TagBytes = 17; // added to every encrypted chunk
constexpr size_t MaxKeyIdBytes = 255;
constexpr size_t FixedHeaderBytes = 53; // up to and including the key id's length byte
constexpr uint64_t MaxPlainBytes = uint64_t(1) << 48;

constexpr uint32_t DefaultChunkBytes = 64 * 1024;
constexpr uint32_t MinChunkBytes = 1024;
constexpr uint32_t MaxChunkBytes = 1024 * 1024;

// Argon2id cost. A reader refuses values beyond these bounds before doing any work.
struct KdfParams {
    uint32_t opsLimit = 2;                     // passes over the memory
    uint64_t memLimit = uint64_t(64) << 20;    // bytes, a multiple of 1 KiB
};
constexpr uint32_t MinOpsLimit = 1;
constexpr uint32_t MaxOpsLimit = 16;
constexpr uint64_t MinMemLimit = 8 * 1024;
constexpr uint64_t MaxMemLimit = uint64_t(1) << 30;
constexpr uint64_t MaxWork = uint64_t(4) << 30; // opsLimit * memLimit

// Whether a reader accepts these costs.
bool Acceptable(const KdfParams& kdf);

enum class Error {
    None,
    CannotRead,         // the file cannot be opened or read
    NotAContainer,      // wrong magic
    UnsupportedVersion, // a version, algorithm, flag or chunk size this reader does not know
    BadParameters,      // key-derivation costs beyond the accepted bounds
    OutOfMemory,        // the key derivation could not get its memory
    WrongKey,           // the key check failed: wrong passphrase (or a changed header)
    Damaged,            // a chunk failed authentication, or the header is malformed
    Truncated,          // the file ends before the final chunk
    TrailingData,       // bytes after the final chunk
    CannotWrite,        // the output cannot be created or written
    DiskFull,           // the output ran out of space
    BadOptions,         // the writer was given options outside the format's bounds
};

// A short English description for logs and the command-line tool.
QString Describe(Error error);

struct Header {
    uint8_t version = FormatVersion;
    KdfParams kdf;
    std::array<uint8_t, SaltBytes> salt{};
    uint32_t chunkBytes = DefaultChunkBytes;
    uint64_t plainBytes = 0; // length of the ZIP archive inside
    QString keyId;           // publisher-chosen name of the passphrase; may be empty
    std::array<uint8_t, StreamHeaderBytes> streamHeader{};
    QByteArray bytes;    // the header as stored, bound to the key check
    QByteArray keyCheck; // TagBytes: an empty message under the key, the header as associated data
    // Offset of the first data chunk.
    qint64 dataOffset() const { return bytes.size() + qint64(TagBytes); }
    // Number of data chunks: at least one, the final one, which may be short or empty.
    uint64_t chunkCount() const { return plainBytes == 0 ? 1 : (plainBytes + chunkBytes - 1) / chunkBytes; }
    // The length of the whole file this header describes.
    uint64_t fileBytes() const { return uint64_t(dataOffset()) + plainBytes + chunkCount() * TagBytes; }
};

// Parses and checks a header at the start of data. Truncated when data ends
// inside the header of what is otherwise a container.
Error ParseHeader(const char* data, size_t size, Header& header);

// A derived key; wiped when destroyed.
class Key {
public:
    Key() = default;
    ~Key();
    Key(const Key& other) = default;
    Key& operator=(const Key& other) = default;
    unsigned char* data() { return m_bytes.data(); }
    const unsigned char* data() const { return m_bytes.data(); }

private:
    std::array<unsigned char, KeyBytes> m_bytes{};
};

// Derives the key for a header from a passphrase (Unicode NFC, then UTF-8).
Error DeriveKey(const QString& passphrase, const Header& header, Key& key);

// Whether key passes the header's key check.
bool KeyOpens(const Header& header, const Key& key);

// Progress of a decryption: each percentage from 1 to 100 once, in order; 100
// after the output is complete.
using Progress = std::function<void(int percent)>;

class Reader {
public:
    // Reads and checks the header of the file at path, and that the file is as
    // long as the header says (Truncated, TrailingData), before any key work.
    Error open(const QString& path);
    const Header& header() const { return m_header; }
    // Decrypts into outputPath (replacing what is there, never following a
    // link). On any failure the output is removed.
    Error decryptTo(const Key& key, const QString& outputPath, const Progress& progress = {}) const;

private:
    QString m_path;
    Header m_header;
};

struct WriteOptions {
    QString keyId;
    KdfParams kdf;
    uint32_t chunkBytes = DefaultChunkBytes;
};

// Encrypts the file at inputPath into outputPath (written whole or not at all).
// detail, when given, receives a technical description of a failure.
Error Write(const QString& inputPath, const QString& outputPath, const QString& passphrase,
            const WriteOptions& options, QString* detail = nullptr);

} // namespace Container
