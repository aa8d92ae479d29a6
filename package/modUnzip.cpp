#include "package/modUnzip.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "app/core/WorkingFolder.h"
#include "settings/modLanguage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <cstdlib>
#include <libdeflate.h>
#include <sys/mman.h>
#include <zip.h>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Interface texts of this module.
namespace Txt {
constexpr int ReplaceTitle = 130;
constexpr int NotFound = 131;
constexpr int ArchiveDamaged = 132;
constexpr int UnsafeMember = 133;
constexpr int TooLarge = 134;
constexpr int DiskFull = 135;
constexpr int WriteFailed = 136;
constexpr int MemberDamaged = 137;
constexpr int Unsupported = 138;
constexpr int PasswordMissing = 139;
} // namespace Txt

// Set when the reader answered the password question with nothing; lasts for the run.
bool g_passwordGivenUp = false;

constexpr int MaxPasswordAttempts = 3; // per member
constexpr size_t CopyBufferBytes = 256 * 1024;

struct ZipDiscard {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct ZipFileClose {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipDiscard>;
using ZipFilePtr = std::unique_ptr<zip_file_t, ZipFileClose>;

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes and reports whether the close itself succeeded (a late write error shows here).
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool IsDiskFull(int err)
{
    return err == ENOSPC || err == EDQUOT || err == EFBIG;
}

// A name as the reader may see it in a message: no control characters, not endless.
QString Printable(const QString& name)
{
    QString shown;
    for (const QChar c : name)
        shown += (c.unicode() < 0x20 || c.unicode() == 0x7F) ? QChar(u'?') : c;
    if (shown.size() > 200)
        shown = shown.left(200) + QStringLiteral("...");
    return shown.isEmpty() ? QStringLiteral("\"\"") : shown;
}

QString NameList(const QStringList& names)
{
    QStringList shown;
    for (qsizetype i = 0; i < names.size() && i < 5; ++i)
        shown << Printable(names[i]);
    QString list = shown.join(QStringLiteral(", "));
    if (names.size() > 5)
        list += QStringLiteral(", ...");
    return list;
}

enum class EntryKind { File, Folder, Unsafe };

// What a member becomes in the target folder. Paths are dropped, so only the
// last component of the name is used; but a name that could point anywhere
// else, a link or a device refuses the whole package.
EntryKind Classify(zip_t* za, zip_uint64_t index, const QString& name, QString& fileName, QString& why)
{
    if (name.isEmpty()) {
        why = QStringLiteral("empty name");
        return EntryKind::Unsafe;
    }
    if (name.front() == u'/' || name.front() == u'\\') {
        why = QStringLiteral("absolute name");
        return EntryKind::Unsafe;
    }
    if (name.size() >= 2 && name[1] == u':' && name[0].unicode() < 0x80 && name[0].isLetter()) {
        why = QStringLiteral("drive prefix");
        return EntryKind::Unsafe;
    }
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0)) {
            why = QStringLiteral("control character in name");
            return EntryKind::Unsafe;
        }
    }
    const QStringList parts = QString(name).replace(u'\\', u'/').split(u'/');
    for (const QString& part : parts) {
        if (part == QLatin1String("..")) {
            why = QStringLiteral("'..' component");
            return EntryKind::Unsafe;
        }
    }

    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    bool folder = name.back() == u'/' || name.back() == u'\\';
    if (zip_file_get_external_attributes(za, index, 0, &opsys, &attributes) == 0) {
        if (opsys == ZIP_OPSYS_UNIX) {
            const mode_t type = mode_t(attributes >> 16) & S_IFMT;
            if (type == S_IFLNK) {
                why = QStringLiteral("symbolic link");
                return EntryKind::Unsafe;
            }
            if (type == S_IFDIR)
                folder = true;
            else if (type != 0 && type != S_IFREG) {
                why = QStringLiteral("device or other special file");
                return EntryKind::Unsafe;
            }
        } else if (opsys == ZIP_OPSYS_DOS && (attributes & 0x10)) {
            folder = true;
        }
    }
    if (folder)
        return EntryKind::Folder;

    fileName = parts.back();
    if (fileName == QLatin1String(".") || fileName.isEmpty()) {
        why = QStringLiteral("no file name");
        return EntryKind::Unsafe;
    }
    if (QFile::encodeName(fileName).size() > NAME_MAX) {
        why = QStringLiteral("file name too long");
        return EntryKind::Unsafe;
    }
    return EntryKind::File;
}

struct Member {
    zip_uint64_t index = 0;
    QString fileName; // in the target folder
    int64_t size = 0; // declared
    bool encrypted = false;
    bool supported = true;
    bool deflated = false;   // plain deflate, so it can be inflated whole in memory
    zip_uint64_t packed = 0; // compressed size
    uint32_t crc = 0;
    bool crcKnown = false;
};

// The failure that ends an extraction; what was written is removed.
struct Fatal {
    int code = UnzipCode::Ok;
    QString reason;
    QString detail;
};

enum class Outcome { Written, Skipped, Damaged, Unsupported, PasswordMissing, Fatal };

// Extracts one archive into one folder. Whatever it created is removed again
// unless the extraction finishes (so an exception cannot leave half a package).
class Extractor {
public:
    Extractor(zip_t* za, int dirFd, const UnzipLimits& limits, QString package, QString dirPath)
        : m_zip(za), m_dir(dirFd), m_limits(limits), m_package(std::move(package)), m_dirPath(std::move(dirPath))
    {}
    ~Extractor()
    {
        if (!m_done)
            removeWritten();
    }

    Outcome extract(const Member& m);
    bool inflateWhole(const Member& m, Fd& out, bool& created, Outcome& outcome);
    void finish() { m_done = true; }
    void removeWritten()
    {
        for (const QString& name : m_written) {
            ::unlinkat(m_dir, QFile::encodeName(name).constData(), 0);
            DropHeldWorkingFile(pathOf(name));
        }
        m_written.clear();
    }
    const QStringList& written() const { return m_written; }
    const Fatal& fatal() const { return m_fatal; }

private:
    enum class Create { Created, Skip, Fatal };
    QString pathOf(const QString& name) const { return m_dirPath + QLatin1Char('/') + name; }
    bool holds(const Member& m) const
    {
        constexpr int64_t HoldFrom = int64_t(1) << 20;
        return m_limits.holdLargeXml && m.size >= HoldFrom &&
               m.fileName.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive);
    }
    Create createOutput(const Member& m, Fd& out);
    Outcome fail(int code, QString reason, QString detail)
    {
        m_fatal = {code, std::move(reason), std::move(detail)};
        return Outcome::Fatal;
    }
    Outcome writeFailure(int err, const QString& name)
    {
        if (IsDiskFull(err))
            return fail(UnzipCode::DiskFull, T(Txt::DiskFull), name + QStringLiteral(": ") + qt_error_string(err));
        return fail(UnzipCode::WriteFailed, T(Txt::WriteFailed, Printable(name)),
                    name + QStringLiteral(": ") + qt_error_string(err));
    }

    zip_t* m_zip;
    int m_dir;
    UnzipLimits m_limits;
    QString m_package; // the archive's file name, for messages
    QString m_dirPath;
    bool m_done = false;
    bool m_replaceNone = false; // Cancel on the replace question: keep every existing file
    QByteArray m_password;      // the last password that opened a member
    int64_t m_totalWritten = 0;
    QStringList m_written;
    Fatal m_fatal;
    std::vector<char> m_buffer = std::vector<char>(CopyBufferBytes);
};

Extractor::Create Extractor::createOutput(const Member& m, Fd& out)
{
    const QByteArray name = QFile::encodeName(m.fileName);
    constexpr int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(m_dir, name.constData(), flags, 0600);
    if (fd < 0 && errno == EEXIST) {
        if (m_replaceNone)
            return Create::Skip;
        const PromptAnswer answer =
            Prompt().MsgBox(QStringLiteral("Overwrite ") + Printable(m.fileName) + QLatin1Char('?'),
                            PromptButtons::YesNoCancel, PromptIcon::Question, T(Txt::ReplaceTitle), PromptAnswer::No);
        if (answer == PromptAnswer::Cancel) {
            m_replaceNone = true;
            return Create::Skip;
        }
        if (answer != PromptAnswer::Yes)
            return Create::Skip;
        // Whatever is there goes, a link included; it is never followed.
        if (::unlinkat(m_dir, name.constData(), 0) != 0) {
            writeFailure(errno, m.fileName);
            return Create::Fatal;
        }
        m_written.removeAll(m.fileName);
        DropHeldWorkingFile(pathOf(m.fileName));
        fd = ::openat(m_dir, name.constData(), flags, 0600);
    }
    if (fd < 0) {
        writeFailure(errno, m.fileName);
        return Create::Fatal;
    }
    out.reset(fd);
    m_written << m.fileName;
    return Create::Created;
}

// The bytes a typed password may have been stored as: archives made by older
// tools hold single-byte (Latin-1) passwords, newer ones UTF-8. Latin-1 first.
QByteArrayList PasswordBytes(const QString& answer)
{
    const QByteArray utf8 = answer.toUtf8();
    const QByteArray latin1 = answer.toLatin1();
    if (latin1 == utf8 || QString::fromLatin1(latin1) != answer)
        return {utf8};
    return {latin1, utf8};
}

// A plain deflated member inflated whole in memory, which is much faster than
// the stream; false leaves it to the stream, which then tells what is wrong.
bool Extractor::inflateWhole(const Member& m, Fd& out, bool& created, Outcome& outcome)
{
    constexpr zip_uint64_t MostInMemory = zip_uint64_t(1) << 30;
    if (m.encrypted || !m.deflated || !m.crcKnown || m.size <= 0 || zip_uint64_t(m.size) > MostInMemory ||
        m.packed == 0 || m.packed > MostInMemory || m_totalWritten + m.size > m_limits.maxTotalBytes)
        return false;
    ZipFilePtr zf(zip_fopen_index(m_zip, m.index, ZIP_FL_COMPRESSED));
    if (!zf) {
        zip_error_clear(m_zip);
        return false;
    }
    std::vector<char> packed;
    try {
        packed.resize(size_t(m.packed));
    } catch (const std::bad_alloc&) {
        return false;
    }
    // In huge pages where it is large: touching 50 MB in small pages costs a good part of inflating it.
    constexpr size_t HugePage = size_t(2) << 20;
    std::unique_ptr<char, void (*)(void*)> plain(
        static_cast<char*>(std::aligned_alloc(HugePage, (size_t(m.size) + HugePage - 1) / HugePage * HugePage)),
        std::free);
    if (!plain)
        return false;
    if (size_t(m.size) >= 4 * HugePage)
        ::madvise(plain.get(), size_t(m.size), MADV_HUGEPAGE);
    for (size_t got = 0; got < packed.size();) {
        const zip_int64_t n = zip_fread(zf.get(), packed.data() + got, packed.size() - got);
        if (n <= 0)
            return false;
        got += size_t(n);
    }
    zf.reset();
    std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> inflater(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    size_t actual = 0;
    if (!inflater ||
        libdeflate_deflate_decompress(inflater.get(), packed.data(), packed.size(), plain.get(), size_t(m.size),
                                      &actual) != LIBDEFLATE_SUCCESS ||
        actual != size_t(m.size) || libdeflate_crc32(0, plain.get(), actual) != m.crc)
        return false;
    packed = {};

    if (!created) {
        switch (createOutput(m, out)) {
        case Create::Created:
            created = true;
            break;
        case Create::Skip:
            outcome = Outcome::Skipped;
            return true;
        case Create::Fatal:
            outcome = Outcome::Fatal;
            return true;
        }
    }
    if (holds(m)) {
        if (!out.close()) {
            outcome = writeFailure(errno, m.fileName);
            return true;
        }
        HoldWorkingFile(pathOf(m.fileName), HeldFile{std::shared_ptr<const char>(plain.release(), std::free), actual});
        m_totalWritten += m.size;
        outcome = Outcome::Written;
        return true;
    }
    for (size_t done = 0; done < actual;) {
        const ssize_t w = ::write(out.get(), plain.get() + done, actual - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            outcome = writeFailure(w < 0 ? errno : ENOSPC, m.fileName);
            return true;
        }
        done += size_t(w);
    }
    if (!out.close()) {
        outcome = writeFailure(errno, m.fileName);
        return true;
    }
    m_totalWritten += m.size;
    outcome = Outcome::Written;
    return true;
}

Outcome Extractor::extract(const Member& m)
{
    QByteArray password = m.encrypted ? m_password : QByteArray();
    QByteArrayList candidates; // further byte forms of the reader's last answer
    int attempts = 0;
    Fd out;
    bool created = false;
    if (Outcome whole; inflateWhole(m, out, created, whole))
        return whole;
    Outcome failure = Outcome::Damaged;
    for (;;) {
        ZipFilePtr zf;
        if (!m.encrypted) {
            zf.reset(zip_fopen_index(m_zip, m.index, 0));
        } else {
            if (password.isEmpty() && !candidates.isEmpty())
                password = candidates.takeFirst();
            if (password.isEmpty()) {
                failure = Outcome::PasswordMissing;
                if (g_passwordGivenUp || attempts >= MaxPasswordAttempts)
                    break;
                ++attempts;
                const std::optional<QString> answer =
                    Prompt().InputBox(QStringLiteral("Please Enter The Password!"), {}, {}, true);
                if (!answer || answer->isEmpty()) {
                    g_passwordGivenUp = true;
                    break;
                }
                candidates = PasswordBytes(*answer);
                password = candidates.takeFirst();
            }
            zf.reset(zip_fopen_index_encrypted(m_zip, m.index, 0, password.constData()));
        }
        if (!zf) {
            const int err = zip_error_code_zip(zip_get_error(m_zip));
            zip_error_clear(m_zip);
            if (m.encrypted && err == ZIP_ER_WRONGPASSWD) {
                password.clear();
                continue;
            }
            failure =
                (err == ZIP_ER_COMPNOTSUPP || err == ZIP_ER_ENCRNOTSUPP) ? Outcome::Unsupported : Outcome::Damaged;
            break;
        }

        if (!created) {
            switch (createOutput(m, out)) {
            case Create::Created:
                created = true;
                break;
            case Create::Skip:
                return Outcome::Skipped;
            case Create::Fatal:
                return Outcome::Fatal;
            }
        }

        // Copy, counting what really comes out: the declared size is only a claim.
        int64_t written = 0;
        int dataError = ZIP_ER_OK;
        for (;;) {
            const zip_int64_t n = zip_fread(zf.get(), m_buffer.data(), m_buffer.size());
            if (n < 0) {
                dataError = zip_error_code_zip(zip_file_get_error(zf.get()));
                break;
            }
            if (n == 0)
                break;
            written += n;
            m_totalWritten += n;
            if (written > m.size || m_totalWritten > m_limits.maxTotalBytes)
                return fail(UnzipCode::TooLarge, T(Txt::TooLarge, m_package),
                            m.fileName + QStringLiteral(": more data than declared or than the limit"));
            for (zip_int64_t done = 0; done < n;) {
                const ssize_t w = ::write(out.get(), m_buffer.data() + done, size_t(n - done));
                if (w < 0 && errno == EINTR)
                    continue;
                if (w <= 0)
                    return writeFailure(w < 0 ? errno : ENOSPC, m.fileName);
                done += w;
            }
        }
        // A wrong password can pass the check byte and only show as a CRC error here.
        const int closeError = zip_fclose(zf.release());
        if (dataError == ZIP_ER_OK)
            dataError = closeError;
        if (dataError == ZIP_ER_OK && written != m.size)
            dataError = ZIP_ER_INCONS;

        if (dataError == ZIP_ER_OK) {
            if (!out.close())
                return writeFailure(errno, m.fileName);
            if (m.encrypted)
                m_password = password;
            return Outcome::Written;
        }
        // Nothing of a member that failed its check is kept.
        m_totalWritten -= written;
        if (::ftruncate(out.get(), 0) != 0 || ::lseek(out.get(), 0, SEEK_SET) != 0)
            return writeFailure(errno, m.fileName);
        if (!m.encrypted || dataError == ZIP_ER_MEMORY) {
            failure = Outcome::Damaged;
            break;
        }
        password.clear();
    }
    out.reset();
    if (created) {
        ::unlinkat(m_dir, QFile::encodeName(m.fileName).constData(), 0);
        m_written.removeAll(m.fileName);
    }
    return failure;
}

UnzipResult Failed(int code, QString reason, QString detail)
{
    UnzipResult r;
    r.code = code;
    r.reason = std::move(reason);
    r.detail = std::move(detail);
    return r;
}

UnzipResult Extract(const QString& zipFile, const QString& extractDir, const UnzipLimits& limits)
{
    const QString packageName = QFileInfo(zipFile).fileName();

    SetStep(QStringLiteral("Open the package"));
    int zipError = 0;
    ZipPtr za(zip_open(QFile::encodeName(zipFile).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &zipError));
    if (!za) {
        zip_error_t error;
        zip_error_init_with_code(&error, zipError);
        const QString detail = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        if (zipError == ZIP_ER_NOENT || zipError == ZIP_ER_OPEN || zipError == ZIP_ER_READ)
            return Failed(UnzipCode::NotFound, T(Txt::NotFound, packageName), detail);
        return Failed(UnzipCode::ArchiveDamaged, T(Txt::ArchiveDamaged, packageName), detail);
    }

    SetStep(QStringLiteral("Check the package members"));
    const zip_int64_t count = zip_get_num_entries(za.get(), 0);
    if (count < 0)
        return Failed(UnzipCode::ArchiveDamaged, T(Txt::ArchiveDamaged, packageName), QStringLiteral("no entries"));
    if (count > limits.maxMembers)
        return Failed(UnzipCode::TooLarge, T(Txt::TooLarge, packageName),
                      QStringLiteral("%1 members, at most %2").arg(count).arg(limits.maxMembers));

    std::vector<Member> members;
    int64_t declared = 0;
    for (zip_uint64_t i = 0; i < zip_uint64_t(count); ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        const char* rawName = zip_get_name(za.get(), i, ZIP_FL_ENC_GUESS);
        if (!rawName || zip_stat_index(za.get(), i, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) ||
            !(st.valid & ZIP_STAT_COMP_SIZE))
            return Failed(UnzipCode::ArchiveDamaged, T(Txt::ArchiveDamaged, packageName),
                          QStringLiteral("member %1 unreadable").arg(i));
        const QString name = QString::fromUtf8(rawName);
        QString fileName, why;
        switch (Classify(za.get(), i, name, fileName, why)) {
        case EntryKind::Unsafe:
            return Failed(UnzipCode::UnsafeMember, T(Txt::UnsafeMember, Printable(name)),
                          Printable(name) + QStringLiteral(": ") + why);
        case EntryKind::Folder:
            continue;
        case EntryKind::File:
            break;
        }
        const auto size = st.size;
        if (size > zip_uint64_t(limits.maxTotalBytes) || declared + int64_t(size) > limits.maxTotalBytes)
            return Failed(UnzipCode::TooLarge, T(Txt::TooLarge, packageName),
                          QStringLiteral("more than %1 bytes declared").arg(limits.maxTotalBytes));
        if (int64_t(size) > limits.ratioCheckAbove &&
            (st.comp_size == 0 || size / st.comp_size > zip_uint64_t(limits.maxRatio)))
            return Failed(UnzipCode::TooLarge, T(Txt::TooLarge, packageName),
                          Printable(name) + QStringLiteral(": %1 bytes from %2").arg(size).arg(st.comp_size));
        declared += int64_t(size);

        Member m;
        m.index = i;
        m.fileName = fileName;
        m.size = int64_t(size);
        m.encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
        m.deflated = (st.valid & ZIP_STAT_COMP_METHOD) && st.comp_method == ZIP_CM_DEFLATE;
        m.packed = st.comp_size;
        m.crcKnown = (st.valid & ZIP_STAT_CRC) != 0;
        m.crc = st.crc;
        m.supported = (!(st.valid & ZIP_STAT_COMP_METHOD) || zip_compression_method_supported(st.comp_method, 0)) &&
                      (!m.encrypted || zip_encryption_method_supported(st.encryption_method, 0));
        members.push_back(m);
    }

    SetStep(QStringLiteral("Check the free disk space"));
    const QStorageInfo storage(extractDir);
    if (storage.isValid() && storage.bytesAvailable() >= 0 && declared > storage.bytesAvailable())
        return Failed(UnzipCode::DiskFull, T(Txt::DiskFull),
                      QStringLiteral("%1 bytes needed, %2 free").arg(declared).arg(storage.bytesAvailable()));

    SetStep(QStringLiteral("Unpack the package members"));
    const Fd dir(::open(QFile::encodeName(extractDir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0)
        return Failed(UnzipCode::WriteFailed, T(Txt::WriteFailed, extractDir), qt_error_string(errno));

    Extractor extractor(za.get(), dir.get(), limits, packageName, QDir(extractDir).absolutePath());
    QStringList damaged, unsupported, locked;
    for (const Member& m : members) {
        if (!m.supported) {
            unsupported << m.fileName;
            continue;
        }
        switch (extractor.extract(m)) {
        case Outcome::Written:
        case Outcome::Skipped:
            break;
        case Outcome::Damaged:
            damaged << m.fileName;
            break;
        case Outcome::Unsupported:
            unsupported << m.fileName;
            break;
        case Outcome::PasswordMissing:
            locked << m.fileName;
            break;
        case Outcome::Fatal: {
            extractor.removeWritten();
            const Fatal& f = extractor.fatal();
            return Failed(f.code, f.reason, f.detail);
        }
        }
    }
    extractor.finish();

    UnzipResult result;
    result.written = extractor.written();
    QStringList reasons;
    auto report = [&](const QStringList& names, int code, int text) {
        if (names.isEmpty())
            return;
        if (result.code == UnzipCode::Ok)
            result.code = code;
        reasons << T(text, NameList(names));
        result.detail += (result.detail.isEmpty() ? QString() : QStringLiteral("; ")) + names.join(u',');
    };
    report(damaged, UnzipCode::MemberDamaged, Txt::MemberDamaged);
    report(unsupported, UnzipCode::Unsupported, Txt::Unsupported);
    report(locked, UnzipCode::PasswordMissing, Txt::PasswordMissing);
    result.reason = reasons.join(QStringLiteral("\r\n"));
    return result;
}

} // namespace

UnzipResult Unzip(const QString& zipFile, const QString& extractDir, const UnzipLimits& limits)
{
    UnzipResult fallback = Failed(UnzipCode::WriteFailed, T(Txt::WriteFailed, extractDir), QStringLiteral("error"));
    UnzipResult result = Guarded("Unzip", fallback, [&] { return Extract(zipFile, extractDir, limits); });
    if (!result.ok()) {
        QString text = QStringLiteral("Uncompress error: ") + QString::number(result.code);
        if (!result.reason.isEmpty())
            text += QStringLiteral("\r\n") + result.reason;
        Prompt().MsgBox(text, PromptButtons::Ok);
    }
    return result;
}

UnzipResult Unzip()
{
    const RunState& rs = Run();
    UnzipLimits limits;
    limits.holdLargeXml = true; // the document is read from memory by the load that follows
    return Unzip(rs.UnzipZipFile, rs.UnzipExtractDir, limits);
}

bool UnzipPasswordGivenUp()
{
    return g_passwordGivenUp;
}

void ResetUnzipPasswordPrompt()
{
    g_passwordGivenUp = false;
}
