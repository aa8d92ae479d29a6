#include "app/core/DocumentFiles.h"

#include "app/core/AppPaths.h"

QString UsageFilePathFor(const QString& documentId)
{
    // Percent-encoding is one-to-one, so two identifiers never share a file;
    // a leading "." is encoded too, so no name is hidden, "." or "..".
    QByteArray name = documentId.toUtf8().toPercentEncoding(QByteArray(), QByteArrayLiteral("~"));
    if (name.startsWith('.'))
        name.replace(0, 1, QByteArrayLiteral("%2E"));
    return AppPaths::DufDir() + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".duf");
}
