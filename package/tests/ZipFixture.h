#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <zip.h>

#include <optional>
#include <vector>

// Real ZIP archives for tests, written with libzip, including the hostile ones
// (libzip writes any member name it is given).
namespace ZipFixture {

struct Member {
    QByteArray name;
    QByteArray data;
    QByteArray password;                // empty: not encrypted
    uint16_t encryption = ZIP_EM_TRAD_PKWARE;
    int32_t compression = ZIP_CM_DEFAULT;
    std::optional<uint32_t> unixMode;   // e.g. S_IFLNK | 0777
};

inline Member File(const char* name, QByteArray data)
{
    return Member{name, std::move(data), {}, ZIP_EM_TRAD_PKWARE, ZIP_CM_DEFAULT, std::nullopt};
}

inline bool Write(const QString& path, const std::vector<Member>& members)
{
    int error = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!za)
        return false;
    for (const Member& m : members) {
        zip_int64_t index;
        if (m.name.endsWith('/') && m.data.isEmpty()) {
            index = zip_dir_add(za, m.name.constData(), ZIP_FL_ENC_UTF_8);
        } else {
            zip_source_t* source = zip_source_buffer(za, m.data.constData(), zip_uint64_t(m.data.size()), 0);
            index = zip_file_add(za, m.name.constData(), source, ZIP_FL_ENC_UTF_8);
            if (index < 0)
                zip_source_free(source);
        }
        if (index < 0 || zip_set_file_compression(za, zip_uint64_t(index), m.compression, 0) != 0) {
            zip_discard(za);
            return false;
        }
        if (!m.password.isEmpty() &&
            zip_file_set_encryption(za, zip_uint64_t(index), m.encryption, m.password.constData()) != 0) {
            zip_discard(za);
            return false;
        }
        if (m.unixMode &&
            zip_file_set_external_attributes(za, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, *m.unixMode << 16) != 0) {
            zip_discard(za);
            return false;
        }
    }
    return zip_close(za) == 0;
}

// Replaces every occurrence of from by to (of the same length) in the file's bytes.
inline bool Patch(const QString& path, const QByteArray& from, const QByteArray& to)
{
    QFile f(path);
    if (from.size() != to.size() || !f.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = f.readAll();
    if (!bytes.contains(from))
        return false;
    bytes.replace(from, to);
    return f.seek(0) && f.write(bytes) == bytes.size();
}

// Sets the uncompressed size that the local and central headers of every member declare.
inline bool DeclareSize(const QString& path, uint32_t size)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = f.readAll();
    auto put = [&](qsizetype at) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char((size >> (8 * i)) & 0xFF);
    };
    int patched = 0;
    for (qsizetype i = 0; i + 30 < bytes.size(); ++i) {
        if (bytes.mid(i, 4) == QByteArray("PK\x03\x04", 4)) {
            put(i + 22);
            ++patched;
        } else if (bytes.mid(i, 4) == QByteArray("PK\x01\x02", 4)) {
            put(i + 24);
            ++patched;
        }
    }
    return patched >= 2 && f.seek(0) && f.write(bytes) == bytes.size();
}

} // namespace ZipFixture
