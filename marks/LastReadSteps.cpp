#include "marks/LastReadSteps.h"

#include "app/core/ErrorConvention.h"
#include "app/core/ErrorLog.h"
#include "app/core/RunState.h"
#include "marks/UsageFile.h"
#include "navigation/NavList.h"
#include "navigation/Navigator.h"
#include "package/NavIndex.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "settings/Options.h"

#include <algorithm>

namespace {

int32_t RowOf(const std::vector<int32_t>& rows, int32_t entry)
{
    const auto found = std::find(rows.begin(), rows.end(), entry);
    return found == rows.end() ? -1 : int32_t(found - rows.begin());
}

void LogStale(const QString& what)
{
    LogError(QStringLiteral("RestoreLastReadPosition"), Run().CurrentStep, ErrNo::SubscriptOutOfRange, what);
}

} // namespace

std::optional<ListPlace> ListPlaceOfHeading(int32_t headingId)
{
    const NavIndex& index = DocumentNavIndex();
    int32_t entry = index.indexOfId(headingId);
    if (entry < 0)
        return std::nullopt;
    // Up to the level-1 heading, remembering the level-2 one on the way.
    int32_t level2 = -1;
    while (index.at(entry).parent >= 0) {
        if (index.at(entry).level == 2)
            level2 = entry;
        entry = index.at(entry).parent;
    }
    ListPlace place;
    place.level1 = RowOf(index.roots(), entry);
    if (level2 >= 0)
        place.level2 = RowOf(index.childrenOf(entry), level2);
    return place;
}

void SaveLastReadPosition(const NavList& lists, const TextViewer& viewer)
{
    GuardedVoid("SaveLastReadPosition", [&] {
        const RunState& rs = Run();
        if (!rs.DufDoc)
            return;
        SetStep(QStringLiteral("Work out the location id"));
        ListPlace place{lists.ListIndex(1), rs.NavLevelCount > 1 ? lists.ListIndex(2) : -1};
        QString position;
        if (rs.CurrentLevel == 9) {
            // A search result's text is not what the lists point at: the shown entry counts.
            if (const auto shown = ListPlaceOfHeading(Txt().CurrentHeadId))
                place = *shown;
            position = QString::number(viewer.SelStart());
        }
        if (rs.NavLevelCount > 1 && place.level2 > 98) {
            // Two digits hold no more; the level-1 entry is still worth keeping.
            LogError(QStringLiteral("SaveLastReadPosition"), rs.CurrentStep, ErrNo::Overflow,
                     QStringLiteral("Overflow: level-2 entry %1 has no location id").arg(place.level2 + 1));
            place.level2 = -1;
            position.clear();
        }
        const QString id = LocationId(place, rs.NavLevelCount);
        SetStep(QStringLiteral("Save the last read position"));
        const QString date = LastReadDateText(QDateTime::currentDateTime());
        if (!ChangeDocumentUsageFile([&](DomNode& root) { SetLastReadBookmark(root, date, id, position); }))
            RaiseError(ErrNo::PathFileAccess, QStringLiteral("The last read position could not be saved"));
    });
}

bool RestoreLastReadPosition(Navigator& navigator, NavList& lists, const TextViewer& viewer,
                             const AskLastReadPosition& ask)
{
    bool focusMoved = false;
    GuardedVoid("RestoreLastReadPosition", [&] {
        RunState& rs = Run();
        SetStep(QStringLiteral("Get last read position from duf"));
        rs.LastReadPosition = -1;
        if (!rs.DufDoc)
            return;
        const LastReadBookmark stored = ReadLastReadBookmark(*rs.DufDoc);
        const QDateTime date = stored.date.isEmpty() ? QDateTime() : ParseLastReadDate(stored.date);
        if (!stored.date.isEmpty() && !stored.position.isEmpty()) {
            bool ok = false;
            const qint64 value = stored.position.trimmed().toLongLong(&ok);
            if (ok && value >= 0 && value <= INT32_MAX)
                rs.LastReadPosition = int32_t(value);
            else
                LogStale(QStringLiteral("Type mismatch: bmk-position '%1'").arg(stored.position));
        }

        SetStep(QStringLiteral("And ask if we need to go to that point"));
        const bool go = GoToLastReadPosition(Opts().OpenDocument, date.isValid(), [&] {
            focusMoved = true;
            return ask(LastReadQuestion(date));
        });
        rs.CurrentLevel = 1;
        const std::optional<ListPlace> place = stored.date.isEmpty() ? std::nullopt : ParseLocationId(stored.id);
        auto startAtFirstEntry = [&] {
            rs.CurrentLevel = 1;
            rs.LastReadPosition = -1;
            lists.setListIndex(1, 0);
            if (focusMoved)
                navigator.ShowInfo(1, true);
        };
        if (!go || !place) {
            startAtFirstEntry();
            return;
        }

        SetStep(QStringLiteral("Select the stored entries"));
        if (place->level1 < 0 || place->level1 >= lists.entries(1).size()) {
            LogStale(QStringLiteral("Subscript out of range: no entry %1 in the first level").arg(stored.id));
            startAtFirstEntry();
            return;
        }
        lists.setListIndex(1, place->level1);
        if (place->level2 >= 0 && rs.NavLevelCount >= 2) {
            rs.CurrentLevel = 2;
            navigator.LoadLevelTitles(2);
            if (place->level2 >= lists.entries(2).size()) {
                LogStale(QStringLiteral("Subscript out of range: no entry %1 in the second level").arg(stored.id));
                startAtFirstEntry();
                return;
            }
            lists.setListIndex(2, place->level2);
            // Deeper levels are not stored; their lists start at the first entry.
            for (int16_t level = 3; level <= rs.NavLevelCount; ++level)
                navigator.LoadLevelTitles(level);
        }
        navigator.ShowInfo(rs.CurrentLevel, true);
        focusMoved = true;

        if (rs.LastReadPosition > -1) {
            SetStep(QStringLiteral("Show the text at the last read position"));
            const int32_t wanted = rs.LastReadPosition;
            navigator.LoadText(rs.CurrentLevel, wanted, QString());
            if (viewer.SelStart() < wanted) {
                LogStale(QStringLiteral("The last read position %1 lies past the text's end (%2)")
                             .arg(wanted)
                             .arg(viewer.SelStart()));
                rs.LastReadPosition = viewer.SelStart();
            }
            rs.CurrentLevel = 9;
            navigator.ShowInfo(9, true);
        }
    });
    return focusMoved;
}
