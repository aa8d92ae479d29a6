#include "package/KeyStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 MaxStoreBytes = 1 << 20;

QByteArray Encode(const QString& text)
{
    return QUrl::toPercentEncoding(text);
}

QString Decode(const QByteArray& text)
{
    return QUrl::fromPercentEncoding(text);
}

bool WriteAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

} // namespace

QString KeyStore::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quillbook/keys");
}

KeyStore::KeyStore(QString path) : m_path(std::move(path)) {}

QList<KeyStore::Entry> KeyStore::read() const
{
    QList<Entry> entries;
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return entries;
    struct stat st {};
    QByteArray bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= MaxStoreBytes) {
        // A store that others can read is made private before anything else.
        if (st.st_mode & 077)
            ::fchmod(fd, 0600);
        QFile file;
        if (file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            bytes = file.read(MaxStoreBytes);
    }
    ::close(fd);

    for (const QByteArray& line : bytes.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#'))
            continue;
        const qsizetype tab = trimmed.indexOf('\t');
        if (tab < 0)
            continue;
        Entry e{Decode(trimmed.left(tab)), Decode(trimmed.mid(tab + 1))};
        if (!e.passphrase.isEmpty())
            entries << e;
    }
    return entries;
}

bool KeyStore::write(const QList<Entry>& entries) const
{
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder))
        return false;
    ::chmod(QFile::encodeName(folder).constData(), 0700);

    QByteArray bytes = "# Quillbook: remembered passphrases (key id TAB passphrase, percent-encoded)\n";
    for (const Entry& e : entries)
        bytes += Encode(e.keyId) + '\t' + Encode(e.passphrase) + '\n';

    // mkstemp creates the file with mode 0600, so the passphrases are never readable by others.
    QByteArray temp = QFile::encodeName(m_path) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    const bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok || ::rename(temp.constData(), QFile::encodeName(m_path).constData()) != 0) {
        ::unlink(temp.constData());
        return false;
    }
    return true;
}

QStringList KeyStore::Passphrases(const QString& keyId) const
{
    QStringList found;
    for (const Entry& e : read())
        if (e.keyId == keyId && !found.contains(e.passphrase))
            found << e.passphrase;
    return found;
}

bool KeyStore::Remember(const QString& keyId, const QString& passphrase)
{
    QList<Entry> entries = read();
    QList<Entry> kept{{keyId, passphrase}};
    int sameId = 1;
    for (const Entry& e : entries) {
        if (e.keyId == keyId) {
            if (e.passphrase == passphrase || sameId >= MaxPerKeyId)
                continue;
            ++sameId;
        }
        kept << e;
    }
    return write(kept);
}

bool KeyStore::Forget(const QString& keyId, const QString& passphrase)
{
    QList<Entry> entries = read();
    entries.removeIf([&](const Entry& e) { return e.keyId == keyId && e.passphrase == passphrase; });
    return write(entries);
}
