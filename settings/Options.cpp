#include "settings/Options.h"

#include "app/core/ErrorConvention.h"
#include "settings/SettingsStore.h"
#include "settings/modFilesFolders.h"
#include "settings/modLanguage.h"
#include "settings/modTTFont.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

const std::array<NamedColour, 16> NamedColours = {{
    {0xFFFF00, "aqua"},
    {0x000000, "black"},
    {0xFF0000, "blue"},
    {0xFF00FF, "fuchsia"},
    {0x808080, "grey"},
    {0x008000, "green"},
    {0x00FF00, "lime"},
    {0x000080, "maroon"},
    {0x800000, "nay"},
    {0x008080, "olive"},
    {0x800080, "purper"},
    {0x0000FF, "red"},
    {0xC0C0C0, "silver"},
    {0x808000, "teal"},
    {0xFFFFFF, "white"},
    {0x00FFFF, "yellow"},
}};

const std::array<const char*, 11> FontSizes = {"8", "10", "12", "14", "18", "22", "28", "32", "36", "48", "72"};

namespace {

// A size typed or stored outside the offered list is kept when it is a sensible point size.
constexpr int kLargestFontSize = 999;

int32_t ColourAt(int index)
{
    if (index < 0 || index >= static_cast<int>(NamedColours.size()))
        RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return NamedColours[static_cast<size_t>(index)].Value;
}

// A stored number as the old 16-bit conversion takes it: blanks around it are
// ignored, a fraction is rounded half to even; anything else is a type
// mismatch, and a value beyond 16 bits an overflow.
int ToInteger16(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    const QString trimmed = text.trimmed();
    if (!number.match(trimmed).hasMatch())
        RaiseError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch"));
    const double rounded = std::nearbyint(trimmed.toDouble());
    if (rounded < std::numeric_limits<int16_t>::min() || rounded > std::numeric_limits<int16_t>::max())
        RaiseError(ErrNo::Overflow, QStringLiteral("Overflow"));
    return static_cast<int>(rounded);
}

// A stored list index or option index; it must lie in 0..count-1.
int ReadIndex(const SettingsStore& store, const char* key, int defaultValue, int count)
{
    const int value = ToInteger16(store.Get(QString::fromLatin1(key), QString::number(defaultValue)));
    if (value < 0 || value >= count)
        RaiseError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return value;
}

// A stored number that must lie in low..high.
int ReadRange(const SettingsStore& store, const char* key, int defaultValue, int low, int high)
{
    const int value = ToInteger16(store.Get(QString::fromLatin1(key), QString::number(defaultValue)));
    if (value < low || value > high)
        RaiseError(ErrNo::Overflow, QStringLiteral("Overflow"));
    return value;
}

// 0 unchecked, 1 checked, 2 grayed: a grayed box still shows its mark.
bool ReadCheck(const SettingsStore& store, const char* key, bool defaultValue)
{
    return ReadIndex(store, key, defaultValue ? 1 : 0, 3) != 0;
}

// The entry of list equal to text in any letter case, or empty.
QString EntryOf(const QStringList& list, const QString& text)
{
    for (const QString& entry : list) {
        if (entry.compare(text, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

QStringList FontSizeList()
{
    QStringList sizes;
    for (const char* size : FontSizes)
        sizes.append(QString::fromLatin1(size));
    return sizes;
}

// Everything that decides how the shown text looks.
auto Look(const Options& o)
{
    return std::make_tuple(o.OverRuleCss, o.UserFont, o.FontSize, o.ForeGroundColorIndex, o.BackGroundColorIndex,
                           o.AnnotationColor, o.BookmarkColor, o.FoundColor);
}

// Every key with the text SaveOptions writes for the value in o, and the step it belongs to.
struct KeyText {
    const char* step;
    QString key;
    QString text;
};

std::vector<KeyText> KeyTexts(const Options& o)
{
    const auto number = [](int value) { return QString::number(value); };
    const char* general = "General settings";
    const char* library = "Library settings";
    const char* search = "Search settings";
    const char* markUp = "Mark Up settings";
    return {
        {general, QStringLiteral("StartAtLastReadPosition"), number(o.OpenDocument)},
        {general, QStringLiteral("ShowLibraryAtStartUp"), number(o.ShowLibraryAtStartUp)},
        {general, QStringLiteral("ShowWordCount"), number(o.ShowWordCount)},
        {general, QStringLiteral("Language"), o.Language},
        {library, QStringLiteral("LibraryLocation"), o.LibraryLocationText},
        {library, QStringLiteral("CopyToLibrary"), number(o.CopyToLibrary)},
        {library, QStringLiteral("AutoArchive"), number(o.AutoArchive)},
        {library, QStringLiteral("SortField"), number(o.SortField)},
        {library, QStringLiteral("LibrarySortOrder"), number(o.LibrarySortOrder)},
        {library, QStringLiteral("BookShelfs"), o.BookShelfs},
        {library, QStringLiteral("Keywords"), o.Keywords},
        {search, QStringLiteral("SearchResults"), number(o.SearchResults)},
        {markUp, QStringLiteral("AnnotationColor"), number(o.AnnotationColorIndex)},
        {markUp, QStringLiteral("BookmarkColor"), number(o.BookmarkColorIndex)},
        {markUp, QStringLiteral("FoundColor"), number(o.FoundColorIndex)},
        {markUp, QStringLiteral("Font"), o.UserFont},
        {markUp, QStringLiteral("FontSize"), o.FontSize},
        {markUp, QStringLiteral("ForeGroundColor"), number(o.ForeGroundColorIndex)},
        {markUp, QStringLiteral("BackGroundColor"), number(o.BackGroundColorIndex)},
        {markUp, QStringLiteral("OverRuleCSS"), number(o.OverRuleCss)},
        {"Personal Interest", QStringLiteral("PersonalInterests"), o.PersonalInterests},
        {"Read aloud settings", QStringLiteral("ReadAloudVoice"), o.ReadAloudVoice},
        {"Read aloud settings", QStringLiteral("ReadAloudRate"), number(o.ReadAloudRate)},
        {"Read aloud settings", QStringLiteral("ReadAloudPitch"), number(o.ReadAloudPitch)},
        {"Read aloud settings", QStringLiteral("ReadAloudVolume"), number(o.ReadAloudVolume)},
        {"Read aloud settings", QStringLiteral("ReadAloudColor"), number(o.ReadAloudColorIndex)},
    };
}

void SelectLanguage(Options& o, const QString& stored)
{
    // An empty name can never name a language file.
    const QString name = stored.trimmed().isEmpty() ? QStringLiteral("Nederlands") : stored;
    const QString entry = EntryOf(o.LanguageList, name);
    // A language whose file is gone keeps its name, so saving does not blank it.
    o.Language = entry.isEmpty() ? name : entry;
}

// A window without texts helps nobody: when the chosen language file is gone,
// the shipped Dutch texts are used and the reader is told. The option keeps
// its name, so the file can be put back.
void LoadInterfaceLanguage(const Options& o)
{
    const QString fallback = QStringLiteral("Nederlands");
    if (!EntryOf(o.LanguageList, o.Language).isEmpty() || o.Language.compare(fallback, Qt::CaseInsensitive) == 0) {
        LoadLang(o.Language);
        return;
    }
    LoadLang(fallback);
    QString text = T(1852, o.Language);
    if (text.isEmpty())
        text = QStringLiteral("The language file %1 cannot be found. Quillbook shows its texts in %2.")
                   .arg(o.Language, fallback);
    Prompt().MsgBox(text, PromptButtons::Ok, PromptIcon::Exclamation);
}

void AddToList(const char* procedure, QString& list, const QString& name)
{
    GuardedVoid(procedure, [&] {
        SetStep(QStringLiteral("Add the name to the list"));
        if (name.isEmpty() || list.contains(name, Qt::CaseInsensitive))
            return;
        if (!list.isEmpty())
            list += QLatin1Char(',');
        list += name;
        SaveOptions();
    });
}

} // namespace

int32_t Options::ForeGroundColorValue() const
{
    return Guarded("ForeGroundColorValue", NamedColours[15].Value, [&] { return ColourAt(ForeGroundColorIndex); });
}

int32_t Options::BackGroundColorValue() const
{
    return Guarded("BackGroundColorValue", NamedColours[1].Value, [&] { return ColourAt(BackGroundColorIndex); });
}

int Options::FontPointSize() const
{
    bool ok = false;
    const int size = FontSize.trimmed().toInt(&ok);
    return ok && size > 0 ? size : 0;
}

QString Options::DefaultLibraryLocation()
{
    const QString documents = GetSpecialFolder(5);
    const QString name = T(1532);
    return name.isEmpty() ? documents : documents + QLatin1Char('/') + name;
}

void Options::SetDefaults()
{
    OpenDocument = AskForPosition;
    ShowLibraryAtStartUp = false;
    ShowWordCount = true;
    Language = QStringLiteral("Nederlands");
    LibraryLocationText = LibraryLocation = DefaultLibraryLocation();
    CopyToLibrary = false;
    AutoArchive = NoArchive;
    SortField = SortTitle;
    LibrarySortOrder = 0;
    BookShelfs.clear();
    Keywords.clear();
    SearchResults = ListSearchResults;
    PersonalInterests.clear();
    AnnotationColorIndex = 11;
    BookmarkColorIndex = 2;
    FoundColorIndex = 5;
    OverRuleCss = false;
    UserFont = QStringLiteral("Arial");
    FontSize = QStringLiteral("14");
    ForeGroundColorIndex = 15;
    BackGroundColorIndex = 1;
    ReadAloudVoice.clear();
    ReadAloudRate = 0;
    ReadAloudPitch = 0;
    ReadAloudVolume = 100;
    ReadAloudColorIndex = 15;
    StoredTexts.clear();
    AnnotationColor = NamedColours[11].Value;
    BookmarkColor = NamedColours[2].Value;
    FoundColor = NamedColours[5].Value;
}

Options& Opts()
{
    static Options options;
    return options;
}

void LoadSettings()
{
    Options& o = Opts();
    const auto lookBefore = Look(o);
    GuardedVoid("LoadSettings", [&] {
        SetStep(QStringLiteral("Fill the language and font lists"));
        if (o.LanguageList.isEmpty())
            o.LanguageList = ShowLanguage();
        if (o.FontList.isEmpty())
            FillFontList(o.FontList, true);
        o.SetDefaults();
        const SettingsStore store;
        QString group;
        // One key: a value that cannot be read is logged and keeps its default.
        const auto read = [&](const char* key, auto&& body) {
            SetStep(group + QStringLiteral(": ") + QString::fromLatin1(key));
            GuardedVoid("LoadSettings", body);
        };

        SetStep(QStringLiteral("Load the interface language"));
        SelectLanguage(o, store.Get(QStringLiteral("Language"), QStringLiteral("Nederlands")));
        LoadInterfaceLanguage(o);
        // The default library folder is named in the language just loaded.
        o.LibraryLocationText = o.LibraryLocation = Options::DefaultLibraryLocation();

        group = QStringLiteral("General settings");
        read("StartAtLastReadPosition", [&] { o.OpenDocument = ReadIndex(store, "StartAtLastReadPosition", 0, 3); });
        read("ShowLibraryAtStartUp", [&] { o.ShowLibraryAtStartUp = ReadCheck(store, "ShowLibraryAtStartUp", false); });
        read("ShowWordCount", [&] { o.ShowWordCount = ReadCheck(store, "ShowWordCount", true); });
        SelectLanguage(o, store.Get(QStringLiteral("Language"), QStringLiteral("Nederlands")));

        group = QStringLiteral("Library settings");
        o.LibraryLocationText = store.Get(QStringLiteral("LibraryLocation"), Options::DefaultLibraryLocation());
        o.LibraryLocation = o.LibraryLocationText;
        read("CopyToLibrary", [&] { o.CopyToLibrary = ReadCheck(store, "CopyToLibrary", false); });
        read("AutoArchive", [&] { o.AutoArchive = ReadIndex(store, "AutoArchive", NoArchive, 3); });
        read("SortField", [&] { o.SortField = ReadIndex(store, "SortField", SortTitle, 6); });
        read("LibrarySortOrder", [&] { o.LibrarySortOrder = ReadIndex(store, "LibrarySortOrder", 0, 2); });
        o.BookShelfs = store.Get(QStringLiteral("BookShelfs"));
        o.Keywords = store.Get(QStringLiteral("Keywords"));

        group = QStringLiteral("Search settings");
        read("SearchResults", [&] { o.SearchResults = ReadIndex(store, "SearchResults", ListSearchResults, 2); });

        group = QStringLiteral("Mark Up settings");
        const int colours = static_cast<int>(NamedColours.size());
        read("AnnotationColor", [&] { o.AnnotationColorIndex = ReadIndex(store, "AnnotationColor", 11, colours); });
        read("BookmarkColor", [&] { o.BookmarkColorIndex = ReadIndex(store, "BookmarkColor", 2, colours); });
        read("FoundColor", [&] { o.FoundColorIndex = ReadIndex(store, "FoundColor", 5, colours); });
        o.AnnotationColor = ColourAt(o.AnnotationColorIndex);
        o.BookmarkColor = ColourAt(o.BookmarkColorIndex);
        o.FoundColor = ColourAt(o.FoundColorIndex);

        group = QStringLiteral("User Mark Up Preferences");
        const QString font = store.Get(QStringLiteral("Font"), QStringLiteral("Arial"));
        const QString fontEntry = EntryOf(o.FontList, font);
        // A face that is not installed keeps its name; the text view substitutes a similar one.
        o.UserFont = fontEntry.isEmpty() ? font : fontEntry;
        read("FontSize", [&] {
            const QString size = store.Get(QStringLiteral("FontSize"), QStringLiteral("14"));
            const QString sizeEntry = EntryOf(FontSizeList(), size);
            bool isNumber = false;
            const int points = size.trimmed().toInt(&isNumber);
            if (!sizeEntry.isEmpty())
                o.FontSize = sizeEntry;
            else if (isNumber && points > 0 && points <= kLargestFontSize)
                o.FontSize = QString::number(points);
            else
                RaiseError(ErrNo::TypeMismatch, QStringLiteral("Type mismatch"));
        });
        read("ForeGroundColor", [&] { o.ForeGroundColorIndex = ReadIndex(store, "ForeGroundColor", 15, colours); });
        read("BackGroundColor", [&] { o.BackGroundColorIndex = ReadIndex(store, "BackGroundColor", 1, colours); });
        read("OverRuleCss", [&] { o.OverRuleCss = ReadCheck(store, "OverRuleCss", false); });

        group = QStringLiteral("Personal interest");
        o.PersonalInterests = store.Get(QStringLiteral("PersonalInterests"));

        group = QStringLiteral("Read aloud settings");
        o.ReadAloudVoice = store.Get(QStringLiteral("ReadAloudVoice"));
        read("ReadAloudRate", [&] { o.ReadAloudRate = ReadRange(store, "ReadAloudRate", 0, -10, 10); });
        read("ReadAloudPitch", [&] { o.ReadAloudPitch = ReadRange(store, "ReadAloudPitch", 0, -10, 10); });
        read("ReadAloudVolume", [&] { o.ReadAloudVolume = ReadRange(store, "ReadAloudVolume", 100, 0, 100); });
        read("ReadAloudColor", [&] { o.ReadAloudColorIndex = ReadIndex(store, "ReadAloudColor", 15, colours); });

        // What saving these values would not write back byte for byte: a value
        // that could not be read, a grayed check box, a name in another case.
        for (const KeyText& k : KeyTexts(o)) {
            const QString stored = store.Get(k.key);
            if (store.Contains(k.key) && stored != k.text)
                o.StoredTexts.insert(k.key.toLower(), {k.text, stored});
        }
    });
    if (Look(o) != lookBefore)
        o.NotifyMarkupChanged();
}

void SaveOptions()
{
    Options& o = Opts();
    const auto lookBefore = Look(o);
    GuardedVoid("SaveOptions", [&] {
        SettingsStore store;
        const char* step = nullptr;
        for (const KeyText& k : KeyTexts(o)) {
            if (k.step != step)
                SetStep(QString::fromLatin1(step = k.step));
            // A value as it was read goes back as it was stored.
            const auto kept = o.StoredTexts.constFind(k.key.toLower());
            store.Save(k.key, kept != o.StoredTexts.cend() && kept->first == k.text ? kept->second : k.text);
        }
        o.LibraryLocation = o.LibraryLocationText;
        SetStep(QStringLiteral("Mark Up settings"));
        o.AnnotationColor = ColourAt(o.AnnotationColorIndex);
        o.BookmarkColor = ColourAt(o.BookmarkColorIndex);
        o.FoundColor = ColourAt(o.FoundColorIndex);
        store.Sync();
    });
    if (Look(o) != lookBefore)
        o.NotifyMarkupChanged();
}

void AddBookShelf(const QString& name)
{
    AddToList("AddBookShelf", Opts().BookShelfs, name);
}

void AddKeyWord(const QString& name)
{
    AddToList("AddKeyWord", Opts().Keywords, name);
}

void DeleteBookShelf(const QString& name)
{
    GuardedVoid("DeleteBookShelf", [&] {
        if (name.isEmpty())
            return;
        SetStep(QStringLiteral("Find the bookshelf in the list"));
        QString& list = Opts().BookShelfs;
        qsizetype start = 0;
        qsizetype length = -1;
        for (const QString& entry : list.split(QLatin1Char(','))) {
            if (entry.compare(name, Qt::CaseInsensitive) == 0) {
                length = entry.size();
                break;
            }
            start += entry.size() + 1;
        }
        if (length < 0)
            RaiseError(ErrNo::InvalidCall, QStringLiteral("Invalid procedure call or argument"));

        SetStep(QStringLiteral("Remove the bookshelf from the list"));
        QString rest = list.left(start) + list.mid(start + length);
        if (rest.startsWith(QLatin1Char(',')))
            rest.remove(0, 1);
        else if (rest.endsWith(QLatin1Char(',')))
            rest.chop(1);
        rest.replace(QStringLiteral(",,"), QStringLiteral(","));
        list = rest;
        SaveOptions();
    });
}
