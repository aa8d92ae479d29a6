#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <utility>

// A colour that style sheets and the options may name.
struct NamedColour {
    int32_t Value;    // 0xBBGGRR: red in the low byte, as the text view takes it
    const char* Name; // the name style sheets use
};

// The sixteen named colours; the options store an index into this table.
extern const std::array<NamedColour, 16> NamedColours;

// The font sizes the options window offers, in points.
extern const std::array<const char*, 11> FontSizes;

// Choices of OpenDocument ("StartAtLastReadPosition").
enum OpenDocumentChoice { AskForPosition = 0, StartAtBeginning = 1, StartAtLastRead = 2 };
// Choices of AutoArchive.
enum AutoArchiveChoice { NoArchive = 0, ArchiveByDocumentType = 1, PersonalArchive = 2 };
// Columns of SortField (those of the library table).
enum SortFieldChoice { SortTitle = 0, SortLocation, SortCategory, SortLastRead, SortTimesRead, SortDateAdded };
// Choices of SearchResults.
enum SearchResultsChoice { ListSearchResults = 0, JumpToFirstOccurrence = 1 };

// The live option values. The options window edits this object and a change
// there is in force at once; every other part of the program reads the values
// here (Opts().ShowWordCount ...). Only SaveOptions writes them to the store, and
// only LoadSettings and SaveOptions recompute the three mark colours.
class Options : public QObject {
    Q_OBJECT
public:
    // General.
    int OpenDocument = AskForPosition;               // "StartAtLastReadPosition", 0..2
    bool ShowLibraryAtStartUp = false;               // "ShowLibraryAtStartUp"
    bool ShowWordCount = true;                       // "ShowWordCount"
    QString Language = QStringLiteral("Nederlands"); // "Language": a language file's name

    // Library.
    QString LibraryLocationText; // "LibraryLocation" as the window's field holds it
    bool CopyToLibrary = false;  // "CopyToLibrary"
    int AutoArchive = NoArchive; // "AutoArchive", 0..2
    int SortField = SortTitle;   // "SortField", 0..5
    int LibrarySortOrder = 0;    // "LibrarySortOrder": 0 ascending, 1 descending
    QString BookShelfs;          // "BookShelfs": names separated by ","
    QString Keywords;            // "Keywords": copy-paste categories separated by ","

    // Search.
    int SearchResults = ListSearchResults; // "SearchResults", 0..1
    QString PersonalInterests;             // "PersonalInterests": one phrase

    // Mark-up: indexes into NamedColours.
    int AnnotationColorIndex = 11; // "AnnotationColor"
    int BookmarkColorIndex = 2;    // "BookmarkColor"
    int FoundColorIndex = 5;       // "FoundColor"
    // The reader's own font and colours, used when OverRuleCss is on.
    bool OverRuleCss = false;                   // "OverRuleCss"
    QString UserFont = QStringLiteral("Arial"); // "Font": a face name
    QString FontSize = QStringLiteral("14");    // "FontSize": points, as text
    int ForeGroundColorIndex = 15;              // "ForeGroundColor"
    int BackGroundColorIndex = 1;               // "BackGroundColor"

    // Reading aloud: the voice by name (empty: the engine's own), rate and
    // pitch from -10 to 10 (0 normal), volume 0..100, and the phrase mark's
    // colour as an index into NamedColours.
    QString ReadAloudVoice;       // "ReadAloudVoice"
    int ReadAloudRate = 0;        // "ReadAloudRate"
    int ReadAloudPitch = 0;       // "ReadAloudPitch"
    int ReadAloudVolume = 100;    // "ReadAloudVolume"
    int ReadAloudColorIndex = 15; // "ReadAloudColor"

    // Program-wide values taken from the above by LoadSettings and SaveOptions.
    QString LibraryLocation;            // the library folder, without a trailing "/"
    int32_t AnnotationColor = 0x0000FF; // 0xBBGGRR
    int32_t BookmarkColor = 0xFF0000;
    int32_t FoundColor = 0x008000;

    // The lists the window offers: language names (ShowLanguage) and installed fonts.
    QStringList LanguageList;
    QStringList FontList;

    // Colour values of the reader's text and background colour (0xBBGGRR).
    int32_t ForeGroundColorValue() const;
    int32_t BackGroundColorValue() const;
    // Point size of FontSize; 0 when it is not a number.
    int FontPointSize() const;

    // Keys whose stored text differs from what saving the value read would
    // write (a value that could not be read, a grayed check box, a name in
    // another letter case): by lower-case key, that written form and the
    // stored text. While the value is unchanged, SaveOptions writes the stored
    // text back as it was.
    QHash<QString, std::pair<QString, QString>> StoredTexts;

    // Puts every value back to its default. The library folder's default is the
    // documents folder and text 1532, so the language should be loaded first.
    void SetDefaults();
    // The default library folder.
    static QString DefaultLibraryLocation();

    // Announces a change of the text's look (see markupChanged).
    void NotifyMarkupChanged() { emit markupChanged(); }

signals:
    // The look of the shown text changed: the over-rule state, the reader's font
    // or colours while over-ruling, or a mark colour. A shown document should be redrawn.
    void markupChanged();
};

// The one set of live options of this process.
Options& Opts();

// Reads every option from the store into Opts() and loads the interface
// language it names. Fills the language and font lists first when they are
// empty. A stored value of the wrong form, or an index outside its list, is
// logged with its key and leaves that option at its default; the other keys
// are read all the same. A check box stored as 2 (grayed) counts as checked.
void LoadSettings();

// Writes every option to the store (a value still as LoadSettings read it in
// the text it was stored in; see StoredTexts) and recomputes the library folder and the
// three mark colours. A store that cannot be written is reported to the reader
// once per run; the values in memory stay.
void SaveOptions();

// Adds a bookshelf name unless it is empty or already part of the list text
// (any letter case, as plain text); then saves the options.
void AddBookShelf(const QString& name);
// Removes the whole entry equal to name (any letter case); then saves the
// options. A name not in the list changes nothing and is logged.
void DeleteBookShelf(const QString& name);
// Adds a keyword to Keywords by the rule of AddBookShelf.
void AddKeyWord(const QString& name);
