#include "package/modEntities.h"

#include "app/core/AppPaths.h"
#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/TrimBlanks.h"
#include "settings/modFilesFolders.h"
#include "settings/modLanguage.h"

#include <QHash>
#include <QStringList>

#include <algorithm>

namespace {

constexpr int kQuoteCode = 34;
// Named references are looked up from this row on; the rows below are never found by name.
constexpr int kFirstNamedRow = 31;
constexpr qsizetype kMaxReferenceName = 64;
constexpr char32_t kReplacementCharacter = 0xFFFD;

std::array<EntityRow, 256> g_rows;
// Reference text -> the first row (from kFirstNamedRow on) that holds it.
QHash<QString, int> g_rowByReference;

// The code of a line: a whole number with optional blanks around it.
int RowCode(const QString& field)
{
    const QString digits = TrimBlanks(field).toString();
    bool ok = false;
    const int code = digits.toInt(&ok, 10);
    if (!ok)
        RaiseError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch"));
    if (code < 0 || code > 255)
        RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return code;
}

QString CodePointText(char32_t cp)
{
    if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        cp = kReplacementCharacter;
    return QString::fromUcs4(&cp, 1);
}

// The row's character, or the code's own character when the file gave none.
QString RowCharacter(int code)
{
    const QString& c = g_rows[static_cast<size_t>(code)].character;
    return c.isEmpty() ? CodePointText(static_cast<char32_t>(code)) : c;
}

QString BadLineMessage(const QString& param)
{
    QString text = T(1850, param);
    // The table is loaded before any language file, so the text may not be there yet.
    if (text.isEmpty())
        text = QStringLiteral("Error in the entity table, line %1\r\nThis line is skipped.").arg(param);
    return text;
}

bool IsReferenceNameChar(QChar c)
{
    return c != u'&' && c != u';' && c != u'<' && c != u'>' && !c.isSpace();
}

bool IsDigitOf(QChar c, int base)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (base == 16 && ((u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F')));
}

// The length of the reference starting with the "&" at text[at] ("&" to ";"
// inclusive), or 0 when no reference starts there: "&name;", "&#digits;" or
// "&#xhexdigits;".
qsizetype ReferenceLength(QStringView text, qsizetype at)
{
    const qsizetype limit = std::min(text.size(), at + 1 + kMaxReferenceName + 1);
    qsizetype i = at + 1;
    if (i < limit && text[i] == u'#') {
        int base = 10;
        ++i;
        if (i < limit && (text[i] == u'x' || text[i] == u'X')) {
            base = 16;
            ++i;
        }
        const qsizetype digits = i;
        while (i < limit && IsDigitOf(text[i], base))
            ++i;
        return i > digits && i < limit && text[i] == u';' ? i - at + 1 : 0;
    }
    for (; i < limit; ++i) {
        const QChar c = text[i];
        if (c == u';')
            return i > at + 1 ? i - at + 1 : 0;
        if (!IsReferenceNameChar(c))
            return 0;
    }
    return 0;
}

// "&#N;" or "&#xH;": the code point, capped just above the last one.
char32_t NumericCode(QStringView digits, int base)
{
    if (digits.isEmpty())
        RaiseError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch"));
    char32_t value = 0;
    for (const QChar ch : digits) {
        if (!IsDigitOf(ch, base))
            RaiseError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch"));
        const char16_t u = ch.unicode();
        const char32_t d = u <= u'9' ? u - u'0' : (u | 0x20) - u'a' + 10;
        value = std::min<char32_t>(value * static_cast<char32_t>(base) + d, 0x110000);
    }
    return value;
}

} // namespace

void LoadEntityMapping()
{
    g_rows.fill(EntityRow());
    g_rowByReference.clear();
    BadLines bad("LoadEntityMapping");
    QString firstBad;
    GuardedVoid("LoadEntityMapping", [&] {
        SetStep(QStringLiteral("Read the entity table"));
        const QStringList lines = SplitLines(ReadWholeFile(AppPaths::DataDir() + QStringLiteral("/ISOLat1.ent")));
        int lineNumber = 0;
        for (const QString& raw : lines) {
            ++lineNumber;
            if (!raw.contains(u'|')) {
                if (!bad.count())
                    firstBad = QString::number(lineNumber) + raw;
                bad.add(lineNumber, raw);
                continue;
            }
            SetStep(QStringLiteral("Read line %1 of the entity table").arg(lineNumber));
            const QString line = TrimBlanks(raw).toString();
            if (line.startsWith(QLatin1String("34"))) {
                g_rows[kQuoteCode] = {QStringLiteral("&quot;"), QStringLiteral("\"")};
                continue;
            }
            const QStringList parts = line.split(u'|');
            const int code = RowCode(parts[0]);
            // A line without a character field gives a row without a character.
            g_rows[static_cast<size_t>(code)] = {parts[1], parts.size() > 2 ? parts[2] : QString()};
        }
    });
    bad.report(BadLineMessage(firstBad));
    // Whatever was read, also after an error, is found by name.
    for (int code = kFirstNamedRow; code < 256; ++code) {
        const QString& reference = g_rows[static_cast<size_t>(code)].reference;
        if (!reference.isEmpty() && !g_rowByReference.contains(reference))
            g_rowByReference.insert(reference, code);
    }
}

const std::array<EntityRow, 256>& EntityTable()
{
    return g_rows;
}

QString XChangeEntity(QStringView reference)
{
    return Guarded("XChangeEntity", QString(), [&] {
        SetStep(QStringLiteral("Look up a character reference"));
        if (reference.startsWith(u"&#")) {
            if (!reference.endsWith(u';'))
                RaiseError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch"));
            QStringView digits = reference.sliced(2, reference.size() - 3);
            int base = 10;
            if (digits.startsWith(u'x') || digits.startsWith(u'X')) {
                base = 16;
                digits = digits.sliced(1);
            }
            const char32_t code = NumericCode(digits, base);
            // A code of the table takes the table's character.
            return code < 256 ? RowCharacter(static_cast<int>(code)) : CodePointText(code);
        }
        const auto found = g_rowByReference.constFind(reference.toString());
        return found == g_rowByReference.constEnd() ? QString() : RowCharacter(found.value());
    });
}

QString ReplaceEntities(QStringView text)
{
    QString result;
    const bool done = GuardedVoid("ReplaceEntities", [&] {
        SetStep(QStringLiteral("Replace the entities of a text"));
        qsizetype from = 0;
        qsizetype amp = text.indexOf(u'&');
        if (amp < 0) {
            result = text.toString();
            return;
        }
        result.reserve(text.size());
        while (amp >= 0) {
            const qsizetype length = ReferenceLength(text, amp);
            if (length == 0) {
                // A lone "&" is text.
                result.append(text.sliced(from, amp + 1 - from));
                from = amp + 1;
            } else {
                const QStringView reference = text.sliced(amp, length);
                const QString character = XChangeEntity(reference);
                result.append(text.sliced(from, amp - from));
                // A reference the table does not know stays as written.
                result.append(character.isEmpty() ? reference : QStringView(character));
                from = amp + length;
            }
            amp = text.indexOf(u'&', from);
        }
        result.append(text.sliced(from));
    });
    // The reader sees the text as it came rather than nothing.
    return done ? result : text.toString();
}
