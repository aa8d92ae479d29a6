#include "app/core/HelpFile.h"

#include "app/core/AppPaths.h"

#include <QFileInfo>

QString HelpFolder()
{
    return AppPaths::DataDir() + QStringLiteral("/Help");
}

QString HelpFilePath(const QString& folder, const QString& language)
{
    for (const QString& name : {language, QStringLiteral("English")}) {
        if (name.isEmpty() || name.contains(QLatin1Char('/')))
            continue;
        const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".html");
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}
