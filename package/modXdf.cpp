#include "package/modXdf.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "app/core/TrimBlanks.h"
#include "package/dom/DomPattern.h"
#include "settings/modFilesFolders.h"
#include "settings/modLanguage.h"

#include <QFileInfo>
#include <QStringList>

namespace {

// The run-state value a key names, or nullptr for a key this program does not know.
// Sets level to 1..6 for the navigation levels, 0 otherwise.
QString* ValueForKey(RunState& rs, const QString& key, int& level)
{
    level = 0;
    struct Named {
        const char* key;
        QString RunState::*value;
    };
    static constexpr Named Tags[] = {
        {"DOC_ID_TAG", &RunState::XdfDocIdTag},           {"DOC_TITLE_TAG", &RunState::XdfDocTitleTag},
        {"DOC_TYPE_TAG", &RunState::XdfDocTypeTag},       {"DOC_SUBTITLE_TAG", &RunState::XdfDocSubTitleTag},
        {"DOC_EDITION_TAG", &RunState::XdfDocEditionTag}, {"DOC_AUTH_TAG", &RunState::XdfDocAuthorTag},
        {"DOC_PUB_TAG", &RunState::XdfDocPublisherTag},   {"DOC_PUBDATE_TAG", &RunState::XdfDocPublicationDateTag},
        {"DEFAULT_CSS", &RunState::XdfDefaultCss},
    };
    for (const Named& tag : Tags) {
        if (key.compare(QLatin1String(tag.key), Qt::CaseInsensitive) == 0)
            return &(rs.*tag.value);
    }
    static const QLatin1String NavLevel("NAV_LEVEL");
    if (key.size() == NavLevel.size() + 1 && key.startsWith(NavLevel, Qt::CaseInsensitive)) {
        const char16_t digit = key.back().unicode();
        if (digit >= u'1' && digit <= u'6') {
            level = digit - u'0';
            return &rs.XdfNavLevel[static_cast<size_t>(level)];
        }
    }
    return nullptr;
}

} // namespace

void LoadXdf(const QString& path)
{
    BadLines bad("LoadXdf");
    QString firstBad;
    QStringList broken; // navigation paths that are no usable pattern
    GuardedVoid("LoadXdf", [&] {
        SetStep(QStringLiteral("Read the descriptor file"));
        // LF-only files and a last line without a line break are read too.
        const QStringList lines = SplitLines(ReadWholeFile(path));
        RunState& rs = Run();
        int lineNumber = 0;
        for (const QString& line : lines) {
            ++lineNumber;
            if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
                continue;
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            if (equals < 0) {
                if (!bad.count())
                    firstBad = line;
                bad.add(lineNumber, line);
                continue;
            }
            SetStep(QStringLiteral("Store the descriptor value of line ") + line);
            const QString key = TrimBlanks(line.left(equals), Blanks::SpacesAndTabs).toString();
            // Only the text up to a second "=" is the value.
            const qsizetype next = line.indexOf(QLatin1Char('='), equals + 1);
            QString value =
                TrimBlanks(line.mid(equals + 1, next < 0 ? -1 : next - equals - 1), Blanks::SpacesAndTabs).toString();
            if (value.startsWith(QLatin1Char('"')))
                value.remove(QLatin1Char('"'));
            int level = 0;
            QString* target = ValueForKey(rs, key, level);
            if (!target)
                continue;
            if (level > 0 && !value.isEmpty()) {
                QString reason;
                // A navigation path the queries cannot use would only give empty lists.
                const QString pattern = level == 1 ? QStringLiteral("//") + value : value;
                if (!PatternIsSimple(value))
                    reason = QStringLiteral("only element steps, predicates and unions are allowed");
                if (!reason.isEmpty() || !PatternCompiles(pattern, &reason)) {
                    broken << key.toUpper() + QStringLiteral(" = ") + value + QStringLiteral(": ") + reason;
                    continue;
                }
            }
            *target = value;
            if (level > 0 && !value.isEmpty() && rs.NavLevelCount < level)
                rs.NavLevelCount = static_cast<int16_t>(level);
        }
    });
    for (const QString& entry : broken) {
        GuardedVoid("LoadXdf", [&] {
            SetStep(QStringLiteral("Check the navigation paths of ") + QFileInfo(path).fileName());
            RaiseError(ErrNo::InvalidCall, QStringLiteral("Invalid navigation path ") + entry);
        });
    }
    bad.report(QStringLiteral("Error in XDF-file!\r\nLine: ") + firstBad, PromptIcon::None);
}
