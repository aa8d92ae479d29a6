#pragma once

#include "navigation/KeyTable.h"
#include "navigation/NavigationHost.h"
#include "search/SearchHost.h"

#include <QHash>
#include <QMainWindow>
#include <QSet>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QKeyEvent;
class QListView;
class QMenu;
class QPushButton;
class NavList;
class Navigator;
class TextAssembly;
class TextViewer;
class TextViewerWidget;
class frmOptions;
class frmSearch;
class TextSearch;
class frmOpenBook;
class frmBookShelfs;
class frmGotoPage;
class ReadAloud;
class ReadAloudHost;
class SpeechEngine;
class frmBookmark;
class frmAnnotation;
struct MarkTarget;

// The main window: title band with the location and the three navigation
// buttons, the navigation lists and the text view stacked on one rectangle,
// and the menus. Its controls are public so the program's operations can
// reach them by their names, as the dialogs do.
class frmMain : public QMainWindow, private NavigationHost, private SearchHost {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Life cycle.
    void Form_Load();
    void Form_Resize();
    void Form_Unload(int& cancel);

    void SetFormTitle(const QString& title);
    // Puts the interface texts onto the menus and buttons.
    void SetLang();

    // Document opening. OpenFile returns the document's facts when the load
    // steps ran, nothing when no file is there or its kind is not handled.
    std::optional<std::array<QString, 8>> OpenFile(QString& path, bool& addOnly);
    std::array<QString, 8> LoadXMLBook(QString& path, bool& addOnly);
    // The window steps of a document just read: title, style sheet, first level.
    void ShowOpenedDocument();
    void ShowLibrary(bool runNewInstance);
    // Starts a second program with a document (a hook so tests can see it).
    std::function<void(const QString& path)> StartNewInstance;

    // Recent files: the four documents read last under File.
    void UpdateMRU();
    void mnuFileMRU_Click(int index);

    // Menu state and closing.
    void SetMenuOptions();
    // Enables a menu command, unless what it does is not part of the program yet.
    void EnableCommand(QAction* command, bool enabled);
    void mnuFileClose_Click();

    // Menu handlers.
    void mnuFileOpen_Click();
    void mnuFileExit_Click();
    void mnuExtraOptions_Click();

    // Text display. LoadText builds the unit of the heading selected in the
    // navigation lists (or of the selected search result) and leaves the view
    // hidden; Refresh_Markup re-applies the style sheet to the lists and, while
    // the text is shown, rebuilds it.
    void LoadText(int16_t level, int32_t position, const QString& pageText);
    void Refresh_Markup(bool info);
    // View > Larger (0), Normal (1), Smaller (2).
    void ChangeFontSize(int index);
    void mnuViewFontSize_Click(int index);

    // Style sheet choice. LoadAndSetStyleSheets chooses and reads the sheet and
    // lists every sheet under View > Style sheet, the one in use checked.
    void LoadAndSetStyleSheets();
    void mnuViewSelectStyleSheet_Click(int index);
    void mnuViewMakeDefault_Click();

    // Reaction of the text view to a right-button release.
    void TextViewer_RightButtonUp();

    // Copying: the selected passage to the clipboard as one line; Select All
    // selects the whole text; Paste does nothing.
    void ExportText();
    void mnuEditCopy_Click();
    void mnuEditSelectAll_Click();
    void mnuEditPaste_Click();

    // Navigation levels and lists. LoadLevelTitles fills the list of a level
    // for the selection above it; ShowInfo shows the list of a level (or the
    // text, level 9) with the location line and gives it the focus.
    void LoadLevelTitles(int16_t level);
    void LevelDown();
    void LevelUp();
    void ShowInfo(int16_t level, bool setFocus);
    // Enables the level-up and article buttons and menu entries.
    void SetNavigationOptions();
    // Shows the abstract of the article selected in the list of that level.
    void LoadAbstract(int16_t level);
    // Reading moves: article 0 previous, 1 first, 2 next; phrase and paragraph
    // 0 previous, 1 start of the current one, 2 next.
    void GoArticle(int direction);
    void GoPhrase(int direction);
    void GoParaGraph(int direction);
    void GoMainIndex();
    void NavList_DblClick();
    void cmdLevelUp_Click();
    void mnuNavigateLevelUp_Click();
    void cmdNextArticle_Click();
    void mnuNavigateNextArticle_Click();
    void cmdPrevArticle_Click();
    void mnuNavigatePreviousArticle_Click();
    void mnuNavigateToc_Click();
    // Navigation > Go to page (0), Next page (1), Previous page (2).
    void mnuNavigatePage_Click(int index);
    // Help > Index: the manual in the interface language; Help > About.
    void mnuHelpIndex_Click();
    void mnuHelpAbout_Click();
    // The folder of the manuals; empty for the data folder's (tests point elsewhere).
    QString HelpFiles;

    // The reading keys (key codes of navigation/KeyTable.h); true when the key
    // is one of the table, acted on or not.
    bool KeyNavigation(int16_t& keyCode, int16_t& shift);
    void TextViewer_KeyUp();
    void TextViewer_Click();
    void TextViewer_DblClick();
    // Searching: Find, Find next and previous, the results list, leaving the
    // search and the personal-interest search.
    void mnuEditFind_Click();
    void mnuEditFindNext_Click();
    void mnuEditFindPrevious_Click();
    void mnuNavigateSearchResults_Click();
    void mnuNavigateEscapeSearchMode_Click();
    void mnuEditPersonalInterests_Click();
    void EscapeSearchmode();

    // Reading aloud from the caret: Extra > Read aloud (0 start, pause or
    // resume; 1 stop; 2 faster; 3 slower), also F5, Escape, F8 and F7.
    void mnuExtraReadAloud_Click(int index);
    std::unique_ptr<ReadAloud> Reader;
    // The speech read through: the system's unless a test puts another in.
    void SetSpeechEngine(std::unique_ptr<SpeechEngine> engine);
    SpeechEngine* Speech() const { return m_speech.get(); }
    std::array<QAction*, 4> mnuExtraReadAloud{};
    // Bookmarks and annotations: toggling a bookmark at the caret, a new note
    // over the selection, next, previous and the two lists; their windows
    // are loaded once and kept hidden.
    void mnuEditAddBookmark_Click();
    void mnuNavigateBookmark_Click(int index);
    void mnuEditAddAnnotation_Click();
    void mnuNavigateAnnotation_Click(int index);
    // Sounds when the caret enters or leaves a note; with showIt the note at the caret is opened.
    void CheckAnnotation(bool showIt);
    // Whether the caret was inside a note at the last check.
    bool InAnnotation = false;
    frmBookmark* BookmarkWindow = nullptr;     // through bookmarkWindow()
    frmAnnotation* AnnotationWindow = nullptr; // through annotationWindow()
    frmBookmark* bookmarkWindow();
    frmAnnotation* annotationWindow();

    // Plays a sound of the program's folder by name.
    void PlaySound(const QString& name);
    // Replaces PlayWave for the navigation sounds (tests record the paths).
    std::function<void(const QString& path)> PlayWaveHook;

    // Navigation list `index` as shown; grows the array as needed.
    QListView* NavListView(int index);

    // Controls.
    QWidget* picTop = nullptr;
    QLineEdit* txtTitle = nullptr;
    QLineEdit* txtLocation = nullptr;
    QPushButton* cmdLevelUp = nullptr;
    QPushButton* cmdNextArticle = nullptr;
    QPushButton* cmdPrevArticle = nullptr;
    QLabel* lblBackground = nullptr;
    QWidget* picBottom = nullptr;
    QWidget* surface = nullptr; // the client area the layout rule works in
    NavList* NavLists = nullptr;
    TextViewer* Viewer = nullptr;
    TextViewerWidget* TextViewerView = nullptr;
    // The tokenizer XMLParser1 with its event handlers, building text in Viewer.
    std::unique_ptr<TextAssembly> Assembly;
    // The reading moves over the lists and the text.
    std::unique_ptr<Navigator> Navigation;
    frmOptions* OptionsWindow = nullptr; // loaded when first asked for, then kept hidden
    frmOptions* optionsWindow();
    // The search over the lists and the text, and its window (loaded on first use, kept hidden).
    std::unique_ptr<TextSearch> Search;
    frmSearch* SearchWindow = nullptr;
    // Where the reader is in a search ("Match 3 of 12, Result 2 of 40"), beside the navigation buttons.
    QLabel* lblSearchPlace = nullptr;
    frmOpenBook* OpenBookWindow = nullptr;     // loaded when first shown, then kept hidden
    frmBookShelfs* BookShelfsWindow = nullptr; // loaded when first shown, then kept hidden
    frmOpenBook* openBookWindow();
    frmBookShelfs* bookShelfsWindow();
    frmGotoPage* GotoPageWindow = nullptr; // the "Page" dialog, reused

    // Menus.
    QMenu* mnuFile = nullptr;
    QAction* mnuFileOpen = nullptr;
    QAction* mnuFileClose = nullptr;
    QMenu* mnuFileExport = nullptr;
    QAction* mnuFileExportAnnotations = nullptr;
    std::array<QAction*, 5> mnuFileMRU{};
    QAction* mnuFileMRUSeperator = nullptr;
    QAction* mnuFileExit = nullptr;

    QMenu* mnuEdit = nullptr;
    QAction* mnuEditCopy = nullptr;
    QAction* mnuEditSelectAll = nullptr;
    QAction* mnuEditPaste = nullptr;
    QAction* mnuEditSeperator = nullptr;

    QMenu* mnuNavigate = nullptr;
    QAction* mnuNavigateNextArticle = nullptr;
    QAction* mnuNavigatePreviousArticle = nullptr;
    QAction* mnuNavigateLevelUp = nullptr;
    QAction* mnuNavigateToc = nullptr;
    std::array<QAction*, 3> mnuNavigatePage{};
    QAction* mnuEditFind = nullptr;
    QAction* mnuEditFindNext = nullptr;
    QAction* mnuEditFindPrevious = nullptr;
    QAction* mnuNavigateSearchResults = nullptr;
    QAction* mnuEditPersonalInterests = nullptr;
    QAction* mnuNavigateEscapeSearchMode = nullptr;

    QMenu* mnuAnnotations = nullptr;
    QAction* mnuEditAddAnnotation = nullptr;
    std::array<QAction*, 3> mnuNavigateAnnotation{};

    QMenu* mnuNavigateBookmarks = nullptr;
    QAction* mnuEditAddBookmark = nullptr;
    std::array<QAction*, 3> mnuNavigateBookmark{};

    QMenu* mnuView = nullptr;
    std::array<QAction*, 3> mnuViewFontSize{};
    QMenu* mnuViewStyleSheet = nullptr;
    QAction* mnuViewStyleSheetNew = nullptr;
    QAction* mnuViewMakeDefault = nullptr;
    // The style sheets: 0 a hidden template, 1..n one per sheet; then a separator.
    std::vector<QAction*> mnuViewSelectStyleSheet;
    QAction* mnuViewStyleSheetSeparator = nullptr;

    QMenu* mnuExtra = nullptr;
    QAction* mnuExtraOptions = nullptr;

    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpIndex = nullptr;
    QAction* mnuHelpAbout = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void placeTopBand();
    void applyAccessibleNames();
    void connectTextDisplay();
    void buildStyleSheetMenu();
    QActionGroup* m_styleSheetGroup = nullptr;
    // Commands shown in the menus whose function is not there yet: always disabled.
    QSet<QAction*> m_unbuiltCommands;
    bool m_unloaded = false;
    // The library's windows and hooks.
    void connectLibrary();
    // Archives and catalogues a document just read (before it is shown).
    void CatalogueOpenedDocument(QString& path, bool addOnly, const std::array<QString, 8>& docInfo);
    void RunNewInstance(const QString& path);
    // The folder scan opens files without telling the reader of each failure.
    bool m_quietOpen = false;
    struct RecentItem {
        QString title, location, id;
    };
    std::vector<RecentItem> m_recent;
    void connectNavigation();
    void connectSearch();
    void connectPages();
    bool m_pageAsked = false; // the Page dialog was shown for the page command in progress
    void connectHelp();
    void connectReadAloud();
    // Marks the phrase being read over the text (the text's own colours stay).
    void ShowReadingMark(int start, int length);
    void ReadingChanged();
    std::unique_ptr<SpeechEngine> m_speech;
    std::unique_ptr<ReadAloudHost> m_readAloudHost;
    // The reading-aloud keys; false for a key that is not one of them and must still act.
    bool ReadAloudKey(ReadingAction action);
    void StopReadingForScreenReader(const QKeyEvent* key);
    bool m_escapeStoppedReading = false;
    void connectMarks();
    // Shows a mark's text with the caret on it.
    void GoToMarkTarget(const MarkTarget& target);
    // Builds the shown text again after a mark changed, the caret where it was.
    void RedrawMarks();
    bool m_redrawingMarks = false;
    // Key and mouse events of the lists, the text view and the buttons; true when consumed.
    bool NavigationEventFilter(QObject* watched, QEvent* event);
    bool Form_KeyUp(QKeyEvent* event);
    bool NavListHasFocus() const;
    bool TextViewerHasFocus() const;
    // Where the key being released went down: a list, the text or another reading control.
    KeyFocus m_keyUpFocus = KeyFocus::Elsewhere;
    bool m_keyUpFocusKnown = false;
    // After a phrase or paragraph move, tells the screen reader what the caret reached.
    void AnnounceCaretMove(ReadingAction action);
    // Whether a reading key released over this control is the window's.
    bool IsReadingControl(const QObject* watched) const;

    // What the navigator asks of the window.
    void focusList(int level) override;
    void focusText() override;
    void listsChanged() override;
    void setLocation(const QString& text) override;
    void playSound(const QString& name) override;
    void setNavigationOptions(bool levelUp, bool nextArticle, bool previousArticle) override;
    void menuOptionsChanged() override;
    // What the search asks of the window.
    void showSearchWindow() override;
    void setSearchResultsEnabled(bool enabled) override;
    void searchMenusChanged() override;
    void searchPlaceChanged(bool caretMoved) override;
    QWidget* m_textViewport = nullptr;
    // Keys pressed over this window's reading controls, not yet released, with the shift keys held then.
    QHash<int, Qt::KeyboardModifiers> m_pressedKeys;
    std::vector<QListView*> m_navViews;
};

// Height of the two bands, in twips.
constexpr int TopBandTwips = 1650;
constexpr int BottomBandTwips = 450;
