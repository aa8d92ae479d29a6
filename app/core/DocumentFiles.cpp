#include "app/core/DocumentFiles.h"

#include "app/core/AppPaths.h"

#include <QCryptographicHash>

namespace {

bool StandsAsItIs(char16_t c, bool first)
{
    if (c == u'.')
        return !first; // a name starting with "." would be hidden
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'_' ||
           c == u' ';
}

} // namespace

QString DocumentFileStem(const QString& documentId)
{
    if (documentId.isEmpty())
        return QStringLiteral("%");
    QString stem;
    stem.reserve(documentId.size());
    for (qsizetype i = 0; i < documentId.size(); ++i) {
        const char16_t c = documentId[i].unicode();
        if (StandsAsItIs(c, i == 0)) {
            stem += QChar(c);
            continue;
        }
        // A surrogate pair is one character: encode both halves together.
        qsizetype length = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < documentId.size() && documentId[i + 1].isLowSurrogate())
            length = 2;
        const QByteArray bytes = documentId.mid(i, length).toUtf8();
        for (const char b : bytes)
            stem += QStringLiteral("%%1").arg(uint(static_cast<unsigned char>(b)), 2, 16, QLatin1Char('0')).toUpper();
        i += length - 1;
    }
    if (stem.size() <= DocumentFiles::MaxStemLength)
        return stem;
    const QByteArray hash = QCryptographicHash::hash(documentId.toUtf8(), QCryptographicHash::Sha256).toHex();
    QString head = stem.left(DocumentFiles::MaxStemLength - 2 - hash.size());
    // Never cut an escape in two.
    const qsizetype percent = head.lastIndexOf(QLatin1Char('%'));
    if (percent >= 0 && percent > head.size() - 3)
        head.truncate(percent);
    return head + QStringLiteral("%~") + QString::fromLatin1(hash);
}

QString UsageFilePathFor(const QString& documentId)
{
    return AppPaths::DufDir() + QLatin1Char('/') + DocumentFileStem(documentId) + QStringLiteral(".duf");
}
