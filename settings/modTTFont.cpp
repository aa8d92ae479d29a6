#include "settings/modTTFont.h"

#include "app/core/Prompter.h"

#include <QFontDatabase>
#include <QGuiApplication>

bool FillFontList(QStringList& list, bool trueTypeOnly, QString* firstEntry)
{
    list.clear();
    if (firstEntry)
        firstEntry->clear();
    // Without a GUI application the font database aborts the process instead of failing.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        Prompt().MsgBox(QStringLiteral("Failed to get font info"), PromptButtons::Ok);
        return false;
    }
    for (const QString& family : QFontDatabase::families()) {
        if (family.isEmpty() || !QFontDatabase::isScalable(family))
            continue;
        list.append(family);
    }
    if (firstEntry && !list.isEmpty())
        *firstEntry = list.first();
    return true;
}
