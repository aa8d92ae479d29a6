// Loading: encoding detection, conversion to UTF-8, parsing, error positions.

#include "package/dom/DomEntities.h"
#include "package/dom/DomInternal.h"
#include "package/dom/DomWhitespace.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <future>
#include <string_view>
#include <sys/mman.h>
#include <system_error>
#include <vector>

namespace {

// The parser drops whitespace-only text; the runs the tree keeps (see
// DomWhitespace.h) are marked before it runs. Comments, processing
// instructions and the DOCTYPE are not kept. Named references to entities the
// document declares are replaced before parsing (DomEntities.h).
constexpr unsigned ParseOptions = pugi::parse_default;

enum class Encoding { Utf8, Latin1, Windows1252, Utf16LE, Utf16BE, Utf32LE, Utf32BE, Unsupported };

struct Detected {
    Encoding encoding = Encoding::Utf8;
    size_t skip = 0;       // byte order mark length
    std::string declared;  // the declaration's encoding name, as written
    size_t declaredAt = 0; // its byte offset
};

bool StartsWith(const unsigned char* b, size_t n, std::initializer_list<unsigned char> prefix)
{
    return n >= prefix.size() && std::equal(prefix.begin(), prefix.end(), b);
}

bool IsXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The encoding pseudo-attribute of an XML declaration at the start of the buffer.
void ReadDeclaredEncoding(const char* b, size_t n, Detected& d)
{
    const std::string_view all(b, std::min<size_t>(n, 1024));
    if (all.size() < 6 || all.substr(0, 5) != "<?xml" || !IsXmlSpace(all[5]))
        return;
    const std::string_view decl = all.substr(0, all.find("?>"));
    size_t i = decl.find("encoding");
    if (i == std::string_view::npos)
        return;
    i += 8;
    while (i < decl.size() && IsXmlSpace(decl[i]))
        ++i;
    if (i >= decl.size() || decl[i] != '=')
        return;
    ++i;
    while (i < decl.size() && IsXmlSpace(decl[i]))
        ++i;
    if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\''))
        return;
    const size_t end = decl.find(decl[i], i + 1);
    if (end == std::string_view::npos)
        return;
    d.declared = std::string(decl.substr(i + 1, end - i - 1));
    d.declaredAt = i + 1;
}

Encoding EncodingByName(std::string name)
{
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    static const std::array<std::pair<std::string_view, Encoding>, 26> names{{
        {"utf-8", Encoding::Utf8},
        {"utf8", Encoding::Utf8},
        // ASCII is a subset of UTF-8.
        {"us-ascii", Encoding::Utf8},
        {"ascii", Encoding::Utf8},
        {"iso646-us", Encoding::Utf8},
        {"ansi_x3.4-1968", Encoding::Utf8},
        // A UTF-16 label on a buffer whose declaration reads as single bytes is
        // wrong; such files come from string serializers and are UTF-8.
        {"utf-16", Encoding::Utf8},
        {"ucs-2", Encoding::Utf8},
        {"iso-8859-1", Encoding::Latin1},
        {"iso8859-1", Encoding::Latin1},
        {"iso_8859-1", Encoding::Latin1},
        {"iso_8859-1:1987", Encoding::Latin1},
        {"iso88591", Encoding::Latin1},
        {"8859-1", Encoding::Latin1},
        {"latin1", Encoding::Latin1},
        {"latin-1", Encoding::Latin1},
        {"l1", Encoding::Latin1},
        {"iso-ir-100", Encoding::Latin1},
        {"ibm819", Encoding::Latin1},
        {"cp819", Encoding::Latin1},
        {"csisolatin1", Encoding::Latin1},
        {"windows-1252", Encoding::Windows1252},
        {"cp1252", Encoding::Windows1252},
        {"cp-1252", Encoding::Windows1252},
        {"x-cp1252", Encoding::Windows1252},
        {"win-1252", Encoding::Windows1252},
    }};
    for (const auto& [label, encoding] : names)
        if (label == name)
            return encoding;
    return Encoding::Unsupported;
}

Detected Detect(const char* bytes, size_t n, bool ignoreDeclaration)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    Detected d;
    if (StartsWith(b, n, {0xEF, 0xBB, 0xBF}))
        d.skip = 3;
    else if (StartsWith(b, n, {0xFF, 0xFE, 0x00, 0x00}))
        d = {Encoding::Utf32LE, 4, {}, 0};
    else if (StartsWith(b, n, {0x00, 0x00, 0xFE, 0xFF}))
        d = {Encoding::Utf32BE, 4, {}, 0};
    else if (StartsWith(b, n, {0xFF, 0xFE}))
        d = {Encoding::Utf16LE, 2, {}, 0};
    else if (StartsWith(b, n, {0xFE, 0xFF}))
        d = {Encoding::Utf16BE, 2, {}, 0};
    else if (StartsWith(b, n, {'<', 0x00, '?', 0x00}))
        d.encoding = Encoding::Utf16LE;
    else if (StartsWith(b, n, {0x00, '<', 0x00, '?'}))
        d.encoding = Encoding::Utf16BE;
    else if (!ignoreDeclaration) {
        ReadDeclaredEncoding(bytes, n, d);
        if (!d.declared.empty())
            d.encoding = EncodingByName(d.declared);
    }
    return d;
}

// ---- single-byte encodings to UTF-8

struct Utf8Char {
    unsigned char length;
    char bytes[3];
};
using ByteTable = std::array<Utf8Char, 256>;

// Windows-1252 at 0x80..0x9F; its five unassigned bytes keep their C1 control
// code, as the system conversion does.
constexpr std::array<char16_t, 32> Windows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

ByteTable MakeTable(bool windows1252)
{
    ByteTable table{};
    for (unsigned b = 0; b < 256; ++b) {
        const char16_t cp = (windows1252 && b >= 0x80 && b < 0xA0) ? Windows1252High[b - 0x80] : char16_t(b);
        Utf8Char& u = table[b];
        if (cp < 0x80) {
            u = {1, {char(cp), 0, 0}};
        } else if (cp < 0x800) {
            u = {2, {char(0xC0 | (cp >> 6)), char(0x80 | (cp & 0x3F)), 0}};
        } else {
            u = {3, {char(0xE0 | (cp >> 12)), char(0x80 | ((cp >> 6) & 0x3F)), char(0x80 | (cp & 0x3F))}};
        }
    }
    return table;
}

const ByteTable& TableFor(Encoding e)
{
    static const ByteTable latin1 = MakeTable(false);
    static const ByteTable windows1252 = MakeTable(true);
    return e == Encoding::Windows1252 ? windows1252 : latin1;
}

// Converts n single-byte characters to UTF-8 at out; returns the end. ASCII
// runs, most of any Western text, are copied eight bytes at a time.
char* Convert(const unsigned char* in, size_t n, const ByteTable& table, char* out)
{
    constexpr uint64_t HighBits = 0x8080808080808080ull;
    size_t i = 0;
    while (i < n) {
        if (i + 8 <= n) {
            uint64_t word;
            std::memcpy(&word, in + i, 8);
            if ((word & HighBits) == 0) {
                std::memcpy(out, in + i, 8);
                out += 8;
                i += 8;
                continue;
            }
        }
        const unsigned char b = in[i++];
        if (b < 0x80) {
            *out++ = char(b);
        } else {
            const Utf8Char& u = table[b];
            std::memcpy(out, u.bytes, u.length);
            out += u.length;
        }
    }
    return out;
}

// Bytes at or above 0x80, which become two or three bytes of UTF-8.
size_t HighBytes(const unsigned char* in, size_t n, size_t extra)
{
    size_t count = 0;
    for (size_t i = 0; i < n; ++i)
        count += in[i] >> 7;
    return count * extra;
}

// A large text is converted in two halves at once; the second half's place in
// the output follows from how many bytes of the first half grow.
char* ConvertOnBothCores(const unsigned char* in, size_t n, const ByteTable& table, char* out)
{
    constexpr size_t BothCoresFrom = size_t(4) << 20;
    if (n < BothCoresFrom)
        return Convert(in, n, table, out);
    const size_t half = n / 2;
    try {
        auto second = std::async(std::launch::async, [&] {
            // Windows-1252 grows some bytes by two, so its growth is counted byte by byte.
            size_t grown = 0;
            if (&table == &TableFor(Encoding::Latin1)) {
                grown = HighBytes(in, half, 1);
            } else {
                for (size_t i = 0; i < half; ++i)
                    grown += table[in[i]].length - 1u;
            }
            return Convert(in + half, n - half, table, out + half + grown);
        });
        Convert(in, half, table, out);
        return second.get();
    } catch (const std::system_error&) {
        return Convert(in, n, table, out);
    }
}

// The most UTF-8 bytes one single-byte character can become.
size_t MaxExpansion(Encoding e)
{
    return e == Encoding::Windows1252 ? 3 : 2;
}

// ---- errors

// 1-based line and column (in characters) of a byte offset in UTF-8 text.
void Locate(const char* text, size_t size, ptrdiff_t offset, DomParseError& error)
{
    const size_t end = std::min(size, static_cast<size_t>(std::max<ptrdiff_t>(offset, 0)));
    int line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < end; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= size || text[i + 1] != '\n'))) {
            ++line;
            lineStart = i + 1;
        }
    }
    int column = 1;
    for (size_t i = lineStart; i < end; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            ++column;
    error.line = line;
    error.linepos = column;
}

void SetFailure(DomParseError& error, const pugi::xml_parse_result& result, const char* text, size_t size)
{
    error.errorCode = static_cast<int>(result.status);
    error.reason = QString::fromUtf8(result.description());
    Locate(text, size, result.offset, error);
}

// ---- parsing

// The text buffer the parser takes over (it frees it with free()). A large
// one is asked for in huge pages: the first touch of 50 MB in small pages
// costs about as much as converting it.
void* Allocate(size_t size)
{
    constexpr size_t HugePage = size_t(2) << 20;
    if (size < 4 * HugePage)
        return pugi::get_memory_allocation_function()(size);
    void* buffer = std::aligned_alloc(HugePage, (size + HugePage - 1) / HugePage * HugePage);
    if (buffer)
        madvise(buffer, size, MADV_HUGEPAGE);
    return buffer;
}

void Free(void* buffer)
{
    pugi::get_memory_deallocation_function()(buffer);
}

// Parses UTF-8 text in a buffer from Allocate, which the tree then owns.
pugi::xml_parse_result ParseOwned(DomTree& tree, char* buffer, size_t size, const std::vector<KeptWhitespace>& kept)
{
    MarkKeptWhitespace(buffer, kept);
    const pugi::xml_parse_result result =
        tree.doc.load_buffer_inplace_own(buffer, size, ParseOptions, pugi::encoding_utf8);
    if (result)
        RestoreKeptWhitespace(buffer, kept);
    return result;
}

// A copy of text, parsed; kept (when known) is where its whitespace to keep is.
bool ParseUtf8Text(DomTree& tree, const char* text, size_t size, DomParseError& error,
                   const std::vector<KeptWhitespace>* kept = nullptr)
{
    auto* buffer = static_cast<char*>(Allocate(size ? size : 1));
    if (!buffer) {
        error = {pugi::status_out_of_memory, QStringLiteral("Out of memory"), 1, 1};
        return false;
    }
    if (size)
        std::memcpy(buffer, text, size);
    const pugi::xml_parse_result result = ParseOwned(tree, buffer, size, kept ? *kept : FindKeptWhitespace(text, size));
    if (!result) {
        SetFailure(error, result, text, size);
        return false;
    }
    return true;
}

// Declared entities are replaced in the text before it is parsed, and a
// reference to an undeclared one makes the text not well-formed. Returns
// false when the text can be parsed as it is; otherwise it was parsed (or
// refused) here and ok tells which. An owned buffer is freed when it is not
// needed any more.
// Large texts are looked at on both cores: the entity check on one, the
// whitespace on the other. Both only read the text.
constexpr size_t BothCoresFrom = size_t(1) << 20;

EntityResolution CheckEntitiesAndWhitespace(const char* text, size_t size, std::vector<KeptWhitespace>& kept)
{
    if (size >= BothCoresFrom) {
        try {
            auto entities = std::async(std::launch::async, [text, size] { return ResolveEntities(text, size); });
            kept = FindKeptWhitespace(text, size);
            return entities.get();
        } catch (const std::system_error&) {
            // No second thread to be had: one after the other.
        }
    }
    kept = FindKeptWhitespace(text, size);
    return ResolveEntities(text, size);
}

bool ParsedWithEntities(DomTree& tree, char* buffer, size_t size, bool owned, DomParseError& error, bool& ok,
                        std::vector<KeptWhitespace>& kept)
{
    EntityResolution r = CheckEntitiesAndWhitespace(buffer, size, kept);
    if (r.kind == EntityResolution::Kind::Unchanged)
        return false;
    if (r.kind == EntityResolution::Kind::Failed) {
        error.errorCode = DomParseError::UndeclaredEntityCode;
        error.reason = r.reason;
        Locate(buffer, size, static_cast<ptrdiff_t>(r.offset), error);
        ok = false;
    }
    if (owned)
        Free(buffer);
    if (r.kind == EntityResolution::Kind::Rewritten)
        ok = ParseUtf8Text(tree, r.text.data(), r.text.size(), error);
    return true;
}

bool ParseUtf8(DomTree& tree, const char* text, size_t size, DomParseError& error)
{
    bool ok = false;
    std::vector<KeptWhitespace> kept;
    if (ParsedWithEntities(tree, const_cast<char*>(text), size, false, error, ok, kept))
        return ok;
    return ParseUtf8Text(tree, text, size, error, &kept);
}

// Latin-1 and Windows-1252 are converted here in one pass into a buffer the
// parser then owns and parses in place.
bool ParseSingleByte(DomTree& tree, const char* bytes, size_t n, Encoding encoding, DomParseError& error)
{
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    const ByteTable& table = TableFor(encoding);
    if (n == 0)
        return ParseUtf8(tree, "", 0, error);
    auto* buffer = static_cast<char*>(Allocate(n * MaxExpansion(encoding)));
    if (!buffer) {
        error = {pugi::status_out_of_memory, QStringLiteral("Out of memory"), 1, 1};
        return false;
    }
    const size_t size = static_cast<size_t>(ConvertOnBothCores(in, n, table, buffer) - buffer);
    std::vector<KeptWhitespace> kept;
    if (bool ok = false; ParsedWithEntities(tree, buffer, size, true, error, ok, kept))
        return ok;
    const pugi::xml_parse_result result = ParseOwned(tree, buffer, size, kept);
    if (!result) {
        // The parser changed its buffer; locate the error in a fresh copy.
        std::string text(n * MaxExpansion(encoding), '\0');
        text.resize(static_cast<size_t>(Convert(in, n, table, text.data()) - text.data()));
        SetFailure(error, result, text.data(), text.size());
        return false;
    }
    return true;
}

bool ParseWide(DomTree& tree, const char* bytes, size_t n, Encoding encoding, DomParseError& error)
{
    QStringDecoder::Encoding qt = QStringDecoder::Utf16LE;
    switch (encoding) {
    case Encoding::Utf16BE:
        qt = QStringDecoder::Utf16BE;
        break;
    case Encoding::Utf32LE:
        qt = QStringDecoder::Utf32LE;
        break;
    case Encoding::Utf32BE:
        qt = QStringDecoder::Utf32BE;
        break;
    default:
        break;
    }
    QStringDecoder decoder(qt, QStringDecoder::Flag::Stateless);
    const QByteArray utf8 = QString(decoder.decode(QByteArrayView(bytes, static_cast<qsizetype>(n)))).toUtf8();
    return ParseUtf8(tree, utf8.constData(), static_cast<size_t>(utf8.size()), error);
}

bool ParseAny(DomTree& tree, const char* bytes, size_t size, bool ignoreDeclaration, DomParseError& error)
{
    const Detected d = Detect(bytes, size, ignoreDeclaration);
    const char* body = bytes + d.skip;
    const size_t length = size - d.skip;
    switch (d.encoding) {
    case Encoding::Unsupported:
        error.errorCode = DomParseError::EncodingErrorCode;
        error.reason = QStringLiteral("Unsupported encoding: %1").arg(QString::fromLatin1(d.declared));
        Locate(bytes, size, static_cast<ptrdiff_t>(d.declaredAt), error);
        return false;
    case Encoding::Utf8:
        return ParseUtf8(tree, body, length, error);
    case Encoding::Latin1:
    case Encoding::Windows1252:
        return ParseSingleByte(tree, body, length, d.encoding, error);
    default:
        return ParseWide(tree, body, length, d.encoding, error);
    }
}

} // namespace

bool DomParseInto(DomTree& tree, const char* bytes, size_t size, bool ignoreDeclaration, DomParseError& error)
{
    error = {};
    bool ok = false;
    try {
        ok = ParseAny(tree, bytes, size, ignoreDeclaration, error);
    } catch (const std::bad_alloc&) {
        error = {pugi::status_out_of_memory, QStringLiteral("Out of memory"), 1, 1};
    }
    return ok;
}

namespace {

// A failed load leaves the document empty.
bool Finish(DomDocumentData& data, std::shared_ptr<DomTree> tree, bool ok)
{
    data.tree = ok ? std::move(tree) : std::make_shared<DomTree>();
    return ok;
}

bool Fail(DomDocumentData& data, int code, const QString& reason)
{
    data.error = {code, reason, 0, 0};
    return Finish(data, nullptr, false);
}

} // namespace

namespace {

// Reads exactly n bytes; false on a short read.
bool ReadFully(QFile& file, char* to, qint64 n)
{
    while (n > 0) {
        const qint64 got = file.read(to, n);
        if (got <= 0)
            return false;
        to += got;
        n -= got;
    }
    return true;
}

// Reads a file straight into the buffer the parser will own, converting
// single-byte encodings piece by piece on the way, so a large document is
// held once as text and once as a tree, never a third time as raw bytes.
// Returns false with reason empty when the file should be read whole instead.
bool ParseFileInPlace(DomTree& tree, QFile& file, DomParseError& error, bool& handled)
{
    handled = false;
    const qint64 size = file.size();
    const QByteArray head = file.peek(4096);
    const Detected d = Detect(head.constData(), static_cast<size_t>(head.size()), false);
    const auto parseFailed = [&](const pugi::xml_parse_result& result) {
        // The parser changed its buffer: read the file again to say where the error is.
        file.seek(0);
        const QByteArray bytes = file.readAll();
        DomTree scratch;
        if (!DomParseInto(scratch, bytes.constData(), static_cast<size_t>(bytes.size()), false, error))
            return false;
        error.errorCode = static_cast<int>(result.status);
        error.reason = QString::fromUtf8(result.description());
        return false;
    };
    if (size <= 0 || d.skip != 0)
        return false;
    if (d.encoding == Encoding::Utf8) {
        handled = true;
        auto* buffer = static_cast<char*>(Allocate(static_cast<size_t>(size)));
        if (!buffer) {
            error = {pugi::status_out_of_memory, QStringLiteral("Out of memory"), 1, 1};
            return false;
        }
        if (!ReadFully(file, buffer, size)) {
            Free(buffer);
            error = {pugi::status_io_error, QStringLiteral("Error reading from file: %1").arg(file.errorString()), 0,
                     0};
            return false;
        }
        std::vector<KeptWhitespace> kept;
        if (bool ok = false; ParsedWithEntities(tree, buffer, static_cast<size_t>(size), true, error, ok, kept))
            return ok;
        const pugi::xml_parse_result result = ParseOwned(tree, buffer, static_cast<size_t>(size), kept);
        return result ? true : parseFailed(result);
    }
    if (d.encoding != Encoding::Latin1 && d.encoding != Encoding::Windows1252)
        return false;
    handled = true;
    const ByteTable& table = TableFor(d.encoding);
    // Untouched pages of the generous allocation never become resident.
    auto* buffer = static_cast<char*>(Allocate(static_cast<size_t>(size) * MaxExpansion(d.encoding)));
    if (!buffer) {
        error = {pugi::status_out_of_memory, QStringLiteral("Out of memory"), 1, 1};
        return false;
    }
    char* out = buffer;
    // Converted straight from the file's pages where it can be mapped, else piece by piece.
    if (const uchar* mapped = file.map(0, size)) {
        out = ConvertOnBothCores(mapped, static_cast<size_t>(size), table, out);
        file.unmap(const_cast<uchar*>(mapped));
    } else {
        constexpr qint64 Piece = 1 << 20;
        std::vector<unsigned char> piece(static_cast<size_t>(std::min(size, Piece)));
        for (qint64 left = size; left > 0;) {
            const qint64 n = std::min(left, Piece);
            if (!ReadFully(file, reinterpret_cast<char*>(piece.data()), n)) {
                Free(buffer);
                error = {pugi::status_io_error, QStringLiteral("Error reading from file: %1").arg(file.errorString()),
                         0, 0};
                return false;
            }
            out = Convert(piece.data(), static_cast<size_t>(n), table, out);
            left -= n;
        }
    }
    std::vector<KeptWhitespace> kept;
    if (bool ok = false; ParsedWithEntities(tree, buffer, static_cast<size_t>(out - buffer), true, error, ok, kept))
        return ok;
    const pugi::xml_parse_result result = ParseOwned(tree, buffer, static_cast<size_t>(out - buffer), kept);
    return result ? true : parseFailed(result);
}

} // namespace

bool DomDocument::load(const QString& path)
{
    DomDocumentData& data = *m_data;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return Fail(data, pugi::status_file_not_found, QStringLiteral("File was not found: %1").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(data, pugi::status_io_error,
                    QStringLiteral("Error reading from file %1: %2").arg(path, file.errorString()));
    auto tree = std::make_shared<DomTree>();
    data.error = {};
    bool handled = false;
    bool ok = false;
    try {
        ok = ParseFileInPlace(*tree, file, data.error, handled);
    } catch (const std::bad_alloc&) {
        handled = true;
        data.error = {pugi::status_out_of_memory, QStringLiteral("Out of memory"), 1, 1};
    }
    if (handled)
        return Finish(data, std::move(tree), ok);
    // Other encodings, byte order marks and empty files take the general path.
    file.seek(0);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Fail(data, pugi::status_io_error,
                    QStringLiteral("Error reading from file %1: %2").arg(path, file.errorString()));
    ok = DomParseInto(*tree, bytes.constData(), static_cast<size_t>(bytes.size()), false, data.error);
    return Finish(data, std::move(tree), ok);
}

bool DomDocument::loadXML(const QByteArray& bytes)
{
    auto tree = std::make_shared<DomTree>();
    const bool ok = DomParseInto(*tree, bytes.constData(), static_cast<size_t>(bytes.size()), false, m_data->error);
    return Finish(*m_data, std::move(tree), ok);
}

bool DomDocument::loadXML(const QString& markup)
{
    // Already decoded: whatever encoding the declaration names no longer applies.
    const QByteArray utf8 = markup.toUtf8();
    auto tree = std::make_shared<DomTree>();
    const bool ok = DomParseInto(*tree, utf8.constData(), static_cast<size_t>(utf8.size()), true, m_data->error);
    return Finish(*m_data, std::move(tree), ok);
}
