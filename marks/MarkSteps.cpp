#include "marks/MarkSteps.h"

#include "app/core/DocumentFiles.h"
#include "app/core/ErrorConvention.h"
#include "app/core/ErrorLog.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "marks/LastReadPosition.h"
#include "marks/LastReadSteps.h"
#include "marks/UsageFile.h"
#include "navigation/NavList.h"
#include "navigation/Navigator.h"
#include "package/NavIndex.h"
#include "render/ColourContrast.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <functional>
#include <limits>

namespace {

struct MarkCache {
    std::weak_ptr<DomDocument> doc;
    bool valid = false;
    StoredMarks marks;
    // The marks of each location id, in document order, for the text build.
    QHash<int32_t, std::vector<uint32_t>> bookmarksAt, annotationsAt;
    QSet<QString> logged; // problems already in the error log for this document
};

MarkCache& Cache()
{
    static MarkCache cache;
    return cache;
}

ShownMarks& ShownState()
{
    static ShownMarks shown;
    return shown;
}

QString Now()
{
    return LastReadDateText(QDateTime::currentDateTime());
}

void LogMarkError(const char* procedure, int number, const QString& what)
{
    LogError(QString::fromLatin1(procedure), Run().CurrentStep, number, what);
}

// Runs a change on the open document's usage file. When it cannot be saved
// the reader is told and the DOM goes back to what the file holds.
bool SaveMarkChange(const std::function<void(DomNode&)>& change, const std::function<void(DomNode&)>& undo)
{
    bool ran = false;
    DomNode changedRoot;
    const bool saved = ChangeDocumentUsageFile([&](DomNode& root) {
        ran = true;
        changedRoot = root;
        change(root);
    });
    if (!saved) {
        if (ran) {
            GuardedVoid("SaveMarkChange", [&] { undo(changedRoot); });
            // What another program left in the file counts, not what this one tried.
            DocumentUsageFile().Refresh();
        }
        Prompt().MsgBox(SetLangTxt(1709, UsageFilePathFor(Run().DocumentId)), PromptButtons::Ok,
                        PromptIcon::Exclamation);
    }
    MarksChanged();
    return saved;
}

// The first element of that name and id below root.
DomNode ElementById(const DomNode& root, const QString& name, const QString& id)
{
    for (const DomNode& element : root.childNodes()) {
        if (element.nodeType() == DomNodeType::Element && element.nodeName() == name &&
            element.getAttribute(QStringLiteral("id")).trimmed() == id)
            return element;
    }
    return DomNode();
}

// Removes a mark by id; a failed save puts it back.
bool RemoveMark(const QString& name, const QString& id)
{
    DomNode removed;
    return SaveMarkChange(
        [&](DomNode& root) {
            const DomNode element = ElementById(root, name, id);
            if (element.isNull())
                RaiseError(ErrNo::NoObject, QStringLiteral("Object variable not set: no %1 %2").arg(name, id));
            removed = root.removeChild(element);
        },
        [&](DomNode& root) {
            if (!removed.isNull())
                root.appendChild(removed);
        });
}

} // namespace

std::optional<int32_t> LocationOfHeading(int32_t headingId)
{
    const std::optional<ListPlace> place = ListPlaceOfHeading(headingId);
    if (!place || place->level1 < 0)
        return std::nullopt;
    const bool twoLevels = Run().NavLevelCount > 1;
    // An entry the two-part number cannot tell apart (deeper than level 2, or
    // past the 98th under its heading) is kept by its own id, which lies in the
    // wide range no two-part number reaches.
    const NavIndex& index = DocumentNavIndex();
    const int32_t entry = index.indexOfId(headingId);
    if (entry >= 0 && headingId >= NavIndex::WideIdBase &&
        (index.at(entry).level > 2 || (twoLevels && place->level2 > NavIndex::MaxClassicLevel2)))
        return headingId;
    if (twoLevels && place->level2 > NavIndex::MaxClassicLevel2)
        return std::nullopt;
    return (place->level1 + 1) * 100 + (twoLevels && place->level2 >= 0 ? place->level2 + 1 : 0);
}

int32_t HeadingOfLocation(int32_t location)
{
    const NavIndex& index = DocumentNavIndex();
    if (location >= NavIndex::WideIdBase)
        return index.indexOfId(location) >= 0 ? location : 0;
    const int32_t level1 = location / 100 - 1;
    const int32_t level2 = location % 100 - 1;
    if (level1 < 0 || size_t(level1) >= index.roots().size())
        return 0;
    int32_t entry = index.roots()[size_t(level1)];
    if (level2 >= 0) {
        const std::vector<int32_t>& children = index.childrenOf(entry);
        if (Run().NavLevelCount < 2 || size_t(level2) >= children.size())
            return 0;
        entry = children[size_t(level2)];
    }
    // Deeper levels are not in a location id: their first entries are meant.
    while (index.at(entry).level < Run().NavLevelCount && !index.childrenOf(entry).empty())
        entry = index.childrenOf(entry).front();
    return index.at(entry).id;
}

std::optional<MarkSpot> CurrentMarkSpot(const Navigator& navigator, const NavList& lists, const TextViewer& viewer)
{
    return Guarded("CurrentMarkSpot", std::optional<MarkSpot>(), [&]() -> std::optional<MarkSpot> {
        const RunState& rs = Run();
        if (!rs.DocumentOpen || !rs.DufDoc)
            return std::nullopt;
        SetStep(QStringLiteral("Find the entry a mark goes to"));
        MarkSpot spot;
        if (rs.CurrentLevel == 9) {
            spot.headingId = Txt().CurrentHeadId;
            spot.place.position = viewer.SelStart();
            spot.inText = true;
        } else if (rs.CurrentLevel == 0) {
            const int row = lists.ListIndex(0);
            const std::vector<int32_t>& found = Txt().FoundIds;
            if (row >= 0 && size_t(row) < found.size())
                spot.headingId = found[size_t(row)];
        } else {
            spot.headingId = navigator.SelectedId(std::max<int>(rs.NavLevelCount, 1));
        }
        const std::optional<int32_t> location = LocationOfHeading(spot.headingId);
        if (!location)
            RaiseError(ErrNo::SubscriptOutOfRange,
                       QStringLiteral("Subscript out of range: heading %1 has no location id").arg(spot.headingId));
        spot.place.location = *location;
        const NavIndex& index = DocumentNavIndex();
        spot.entryTitle = index.at(index.indexOfId(spot.headingId)).heading.text().simplified();
        return spot;
    });
}

const StoredMarks& OpenDocumentMarks()
{
    MarkCache& cache = Cache();
    const std::shared_ptr<DomDocument>& current = Run().DufDoc;
    if (!current) {
        cache = MarkCache();
        return cache.marks;
    }
    if (cache.valid && cache.doc.lock() == current)
        return cache.marks;
    if (cache.doc.lock() != current)
        cache.logged.clear();
    cache.doc = current;
    cache.marks = ReadMarks(*current);
    cache.bookmarksAt.clear();
    cache.annotationsAt.clear();
    for (size_t i = 0; i < cache.marks.bookmarks.size(); ++i) {
        if (cache.marks.bookmarks[i].user)
            cache.bookmarksAt[cache.marks.bookmarks[i].place.location].push_back(uint32_t(i));
    }
    for (size_t i = 0; i < cache.marks.annotations.size(); ++i)
        cache.annotationsAt[cache.marks.annotations[i].place.location].push_back(uint32_t(i));
    cache.valid = true;
    for (const QString& problem : cache.marks.problems) {
        if (!cache.logged.contains(problem)) {
            cache.logged.insert(problem);
            LogError(QStringLiteral("ReadMarks"), QStringLiteral("Read the bookmarks and annotations"),
                     ErrNo::TypeMismatch, problem);
        }
    }
    return cache.marks;
}

void MarksChanged()
{
    Cache().valid = false;
}

int UserBookmarkCount()
{
    const auto& bookmarks = OpenDocumentMarks().bookmarks;
    return int(std::count_if(bookmarks.begin(), bookmarks.end(), [](const StoredBookmark& b) { return b.user; }));
}

int AnnotationCount()
{
    return int(OpenDocumentMarks().annotations.size());
}

const ShownMarks& Shown()
{
    return ShownState();
}

void ForgetShownMarks()
{
    ShownState() = ShownMarks();
}

void HighLightMarks(TextViewer& viewer, int32_t headId)
{
    ForgetShownMarks();
    GuardedVoid("HighLightMarks", [&] {
        ShownMarks& shown = ShownState();
        shown.headingId = headId;
        if (!Run().DufDoc)
            return;
        SetStep(QStringLiteral("Find the location of the text"));
        const std::optional<int32_t> location = LocationOfHeading(headId);
        if (!location)
            return;
        shown.location = *location;
        const StoredMarks& marks = OpenDocumentMarks();
        const QString text = viewer.Text();
        const auto size = int32_t(text.size());
        const Options& o = Opts();
        std::vector<TextViewer::MarkedRange> ranges;
        const int bookmarkColour = ReadableColour(o.BookmarkColor, viewer.BackColor());
        const int annotationColour = ReadableColour(o.AnnotationColor, viewer.BackColor());
        SetStep(QStringLiteral("Colour the bookmarks"));
        static const std::vector<uint32_t> none;
        const MarkCache& cache = Cache();
        const auto at = [&](const QHash<int32_t, std::vector<uint32_t>>& byLocation) -> const std::vector<uint32_t>& {
            const auto found = byLocation.constFind(*location);
            return found == byLocation.constEnd() ? none : *found;
        };
        for (const uint32_t i : at(cache.bookmarksAt)) {
            const StoredBookmark& b = marks.bookmarks[i];
            const int32_t at = LocateMark(text, b.place.position, b.snippet);
            if (at >= size) {
                LogMarkError(
                    "HighLightBookmarks", ErrNo::SubscriptOutOfRange,
                    QStringLiteral("bookmark %1 at %2 lies past the text's end (%3)").arg(b.id).arg(at).arg(size));
                continue;
            }
            ranges.push_back({at, 1, bookmarkColour, false});
            shown.bookmarks.push_back({b.id, at, 1});
        }
        SetStep(QStringLiteral("Colour the annotations"));
        for (const uint32_t i : at(cache.annotationsAt)) {
            const StoredAnnotation& a = marks.annotations[i];
            if (a.place.position < 0)
                continue;
            const int32_t at = LocateMark(text, a.place.position, a.snippet);
            if (at >= size) {
                LogMarkError(
                    "HighLightAnnotations", ErrNo::SubscriptOutOfRange,
                    QStringLiteral("annotation %1 at %2 lies past the text's end (%3)").arg(a.id).arg(at).arg(size));
                continue;
            }
            const int32_t length = std::min<int64_t>(a.length, int64_t(size) - at);
            if (length < a.length)
                LogMarkError("HighLightAnnotations", ErrNo::SubscriptOutOfRange,
                             QStringLiteral("annotation %1 is cut at the text's end").arg(a.id));
            if (length > 0)
                ranges.push_back({at, length, annotationColour, true});
            shown.annotations.push_back({a.id, at, length});
        }
        viewer.markRanges(ranges);
    });
}

const ShownMark* AnnotationAt(int32_t caret)
{
    const std::vector<ShownMark>& annotations = ShownState().annotations;
    for (auto it = annotations.rbegin(); it != annotations.rend(); ++it) {
        if (caret >= it->start && caret < it->start + it->length)
            return &*it;
    }
    return nullptr;
}

const StoredAnnotation* FindAnnotation(const QString& id)
{
    for (const StoredAnnotation& a : OpenDocumentMarks().annotations) {
        if (a.id == id)
            return &a;
    }
    return nullptr;
}

const StoredBookmark* FindBookmark(const QString& id)
{
    for (const StoredBookmark& b : OpenDocumentMarks().bookmarks) {
        if (b.id == id)
            return &b;
    }
    return nullptr;
}

ToggleResult ToggleBookmark(const MarkSpot& spot, const QString& shownText)
{
    return Guarded("SaveBookmark", ToggleResult::Failed, [&] {
        SetStep(QStringLiteral("Look for a bookmark at the caret"));
        QString there;
        for (const StoredBookmark& b : OpenDocumentMarks().bookmarks) {
            if (b.user && b.place.location == spot.place.location && b.place.position == spot.place.position) {
                there = b.id;
                break;
            }
        }
        if (there.isEmpty()) {
            SetStep(QStringLiteral("Add the bookmark"));
            const QString title = spot.entryTitle + QString::number(spot.place.position);
            const QString snippet = spot.inText ? SnippetAt(shownText, spot.place.position, 1) : QString();
            DomNode added;
            const bool saved = SaveMarkChange(
                [&](DomNode& root) {
                    added =
                        AppendBookmark(root, NewMarkId(root, MarkNames::Bookmark), Now(), spot.place, title, snippet);
                },
                [&](DomNode& root) {
                    if (!added.isNull())
                        root.removeChild(added);
                });
            return saved ? ToggleResult::Added : ToggleResult::Failed;
        }
        if (Prompt().MsgBox(SetLangTxt(1708), PromptButtons::OkCancel, PromptIcon::Question, SetLangTxt(1707)) !=
            PromptAnswer::Ok)
            return ToggleResult::Kept;
        return DeleteBookmark(there) ? ToggleResult::Removed : ToggleResult::Kept;
    });
}

bool DeleteBookmark(const QString& id)
{
    return Guarded("DeleteBookmark", false, [&] {
        const StoredBookmark* bookmark = FindBookmark(id);
        if (!bookmark || !bookmark->user)
            return false;
        const QString name = MarkRowText(bookmark->title, bookmark->date);
        if (Prompt().MsgBox(SetLangTxt(1705, name), PromptButtons::OkCancel, PromptIcon::Question, SetLangTxt(1704)) !=
            PromptAnswer::Ok)
            return false;
        SetStep(QStringLiteral("Remove the bookmark"));
        return RemoveMark(MarkNames::Bookmark, id);
    });
}

namespace {

// Each entry's place in reading order (the lists walked depth first), by index.
std::vector<int32_t> ReadingOrder(const NavIndex& index)
{
    std::vector<int32_t> order(index.entries().size(), 0);
    int32_t next = 0;
    std::vector<int32_t> pending(index.roots().rbegin(), index.roots().rend());
    while (!pending.empty()) {
        const int32_t entry = pending.back();
        pending.pop_back();
        order[size_t(entry)] = next++;
        const std::vector<int32_t>& children = index.childrenOf(entry);
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return order;
}

template <typename Stored>
std::optional<MarkTarget> Nearest(const std::vector<Stored>& marks, const MarkPlace& from, bool next)
{
    std::vector<MarkPlace> places;
    places.reserve(marks.size());
    bool wide = from.location >= NavIndex::WideIdBase;
    for (const Stored& m : marks) {
        places.push_back(m.place);
        wide = wide || m.place.location >= NavIndex::WideIdBase;
    }
    // Two-part numbers follow the reading order; an entry's own id does not, so
    // when one is among them every place is compared by where its entry is read.
    MarkPlace start = from;
    if (wide) {
        const NavIndex& index = DocumentNavIndex();
        const std::vector<int32_t> order = ReadingOrder(index);
        const auto rank = [&](int32_t location) {
            const int32_t entry = index.indexOfId(HeadingOfLocation(location));
            return entry >= 0 ? order[size_t(entry)] : std::numeric_limits<int32_t>::max();
        };
        start.location = rank(from.location);
        for (MarkPlace& p : places)
            p.location = rank(p.location);
    }
    const std::optional<size_t> at = NearestMark(places, start, next);
    if (!at)
        return std::nullopt;
    return MarkTarget{marks[*at].place, marks[*at].id, marks[*at].snippet};
}

} // namespace

std::optional<MarkTarget> NextBookmark(const MarkPlace& from, bool next)
{
    return Nearest(OpenDocumentMarks().bookmarks, from, next);
}

std::optional<MarkTarget> NextAnnotation(const MarkPlace& from, bool next)
{
    return Nearest(OpenDocumentMarks().annotations, from, next);
}

std::optional<MarkTarget> BookmarkTarget(const QString& id)
{
    if (const StoredBookmark* b = FindBookmark(id))
        return MarkTarget{b->place, b->id, b->snippet};
    return std::nullopt;
}

std::optional<MarkTarget> AnnotationTarget(const QString& id)
{
    if (const StoredAnnotation* a = FindAnnotation(id))
        return MarkTarget{{a->place.location, std::max(a->place.position, 0)}, a->id, a->snippet};
    return std::nullopt;
}

bool SaveNewAnnotation(const MarkSpot& spot, int32_t length, const QString& title, const QString& text,
                       const QString& shownText)
{
    return Guarded("SaveAnnotation", false, [&] {
        SetStep(QStringLiteral("Add the annotation"));
        MarkPlace place = spot.place;
        if (!spot.inText) {
            place.position = -1;
            length = 0;
        }
        const QString snippet = spot.inText && length > 0 ? SnippetAt(shownText, place.position, length) : QString();
        DomNode added;
        return SaveMarkChange(
            [&](DomNode& root) {
                added = AppendAnnotation(root, NewMarkId(root, MarkNames::Annotation), Now(), place, length, title,
                                         text, snippet);
            },
            [&](DomNode& root) {
                if (!added.isNull())
                    root.removeChild(added);
            });
    });
}

bool UpdateAnnotation(const QString& id, const QString& title, const QString& text)
{
    return Guarded("UpdateAnnotation", false, [&] {
        SetStep(QStringLiteral("Store the edited annotation"));
        DomNode before;
        DomNode element;
        return SaveMarkChange(
            [&](DomNode& root) {
                element = ElementById(root, MarkNames::Annotation, id);
                if (element.isNull())
                    RaiseError(ErrNo::NoObject, QStringLiteral("Object variable not set: no annotation %1").arg(id));
                // A copy to put back should the save fail.
                DomDocument scratch;
                scratch.loadXML(element.xml());
                before = scratch.documentElement();
                UpdateAnnotationElement(element, Now(), title, text);
            },
            [&](DomNode&) {
                if (element.isNull() || before.isNull())
                    return;
                UpdateAnnotationElement(element, ExactText(before.selectSingleNode(QStringLiteral("ann-date"))),
                                        ExactText(before.selectSingleNode(QStringLiteral("ann-descriptivetitle"))),
                                        ExactText(before.selectSingleNode(QStringLiteral("ann-text"))));
            });
    });
}

bool DeleteAnnotation(const QString& id)
{
    return Guarded("DeleteAnnotation", false, [&] {
        const StoredAnnotation* annotation = FindAnnotation(id);
        if (!annotation)
            return false;
        if (Prompt().MsgBox(SetLangTxt(1611, annotation->title), PromptButtons::OkCancel, PromptIcon::Question,
                            SetLangTxt(1601)) != PromptAnswer::Ok)
            return false;
        SetStep(QStringLiteral("Remove the annotation"));
        return RemoveMark(MarkNames::Annotation, id);
    });
}

bool ShowMarkTarget(Navigator& navigator, TextViewer& viewer, const MarkTarget& target)
{
    return Guarded("ShowMarkTarget", false, [&] {
        RunState& rs = Run();
        SetStep(QStringLiteral("Find the entry of the mark"));
        const int32_t heading = HeadingOfLocation(target.place.location);
        if (heading == 0)
            RaiseError(ErrNo::SubscriptOutOfRange,
                       QStringLiteral("Subscript out of range: no entry %1").arg(LocationText(target.place.location)));
        // A result list's selection would show another text: the mark's own is shown.
        if (rs.GlobalSearchMode || rs.LocalSearchMode || rs.PersonalInterestMode || !Txt().SearchText.isEmpty())
            navigator.EndSearch();
        SetStep(QStringLiteral("Select the entry of the mark"));
        if (!navigator.SelectEntryById(heading))
            RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range: heading %1").arg(heading));
        rs.CurrentLevel = std::max<int16_t>(rs.NavLevelCount, 1);
        SetStep(QStringLiteral("Show the text at the mark"));
        rs.LastReadPosition = std::max(target.place.position, 0);
        navigator.LoadText(rs.CurrentLevel, rs.LastReadPosition, QString());
        int32_t caret = LocateMark(viewer.Text(), target.place.position, target.snippet);
        caret = std::clamp<int32_t>(caret, 0, int32_t(viewer.Text().size()));
        viewer.setSelStart(caret);
        rs.LastReadPosition = caret;
        rs.CurrentLevel = 9;
        navigator.ShowInfo(9, true);
        return true;
    });
}

std::vector<MarkRow> BookmarkRows()
{
    std::vector<MarkRow> rows;
    for (const StoredBookmark& b : OpenDocumentMarks().bookmarks) {
        if (b.user)
            rows.push_back({b.id, MarkRowText(b.title, b.date)});
    }
    return rows;
}

std::vector<MarkRow> AnnotationRows()
{
    std::vector<MarkRow> rows;
    for (const StoredAnnotation& a : OpenDocumentMarks().annotations)
        rows.push_back({a.id, MarkRowText(a.title, a.date)});
    return rows;
}
