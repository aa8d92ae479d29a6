#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class NavList;
class TextViewer;
class TextViewerWidget;
class frmOptions;

// The main window: title band with the location and the three navigation
// buttons, the navigation lists and the text view stacked on one rectangle,
// and the menus. Its controls are public so the program's operations can
// reach them by their names, as the dialogs do.
class frmMain : public QMainWindow {
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
    void ShowLibrary(bool runNewInstance);
    // Starts a second program with a document (a hook so tests can see it).
    std::function<void(const QString& path)> StartNewInstance;

    // Menu state and closing.
    void SetMenuOptions();
    void mnuFileClose_Click();

    // Menu handlers.
    void mnuFileOpen_Click();
    void mnuFileExit_Click();
    void mnuExtraOptions_Click();

    // Reaction of the text view to a right-button release.
    void TextViewer_RightButtonUp();

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
    frmOptions* OptionsWindow = nullptr; // loaded once, kept hidden

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
    bool m_unloaded = false;
    std::vector<QListView*> m_navViews;
};

// Height of the two bands, in twips.
constexpr int TopBandTwips = 1650;
constexpr int BottomBandTwips = 450;
