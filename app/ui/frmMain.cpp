#include "app/ui/frmMain.h"

#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "app/ui/MainLayout.h"
#include "app/ui/ScreenReaderFocus.h"
#include "library/frmLibrary.h"
#include "library/ui/frmBookShelfs.h"
#include "library/ui/frmOpenBook.h"
#include "navigation/NavList.h"
#include "navigation/Navigator.h"
#include "render/TextAssembly.h"
#include "render/TextViewer.h"
#include "render/ui/TextViewerWidget.h"
#include "search/TextSearch.h"
#include "search/ui/frmSearch.h"
#include "settings/Options.h"
#include "settings/modLanguage.h"
#include "settings/ui/frmBrowseForFolder.h"
#include "settings/ui/frmOptions.h"
#include "speech/ReadAloud.h"
#include "speech/ReadAloudHost.h"
#include "speech/SpeechEngine.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>

namespace {

QAction* AddItem(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QMenu* AddMenu(QMenuBar* bar, const char* name, const QString& caption)
{
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QMenu* AddSubMenu(QMenu* parent, const char* name, const QString& caption)
{
    QMenu* menu = parent->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QString Stripped(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}

// Sets a caption from the language table, keeping the current one when the
// table has no text for that number, so no control is ever left unnamed.
void SetCaption(QAction* action, int number)
{
    const QString text = SetLangTxt(number);
    if (!text.isEmpty())
        action->setText(text);
}

void SetCaption(QMenu* menu, int number)
{
    const QString text = SetLangTxt(number);
    if (!text.isEmpty())
        menu->setTitle(text);
}

void SetCaption(QPushButton* button, int number)
{
    const QString text = SetLangTxt(number);
    if (!text.isEmpty()) {
        button->setText(text);
        button->setAccessibleName(Stripped(text));
    }
}

void SetAccessible(QWidget* widget, int number, const QString& fallback)
{
    const QString text = SetLangTxt(number);
    widget->setAccessibleName(text.isEmpty() ? fallback : text);
}

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    buildControls();
    buildMenus();
    connectTextDisplay();
    connectNavigation();
    connectSearch();
    connectPages();
    connectHelp();
    connectReadAloud();
    connectMarks();
    buildStyleSheetMenu();
    resize(900, 700);
}

frmMain::~frmMain()
{
    // The reader speaks through the engine: it goes first.
    Reader.reset();
    // The catalogue outlives this window; its hooks must not.
    Library().OpenAddOnly = nullptr;
    Library().ChooseBookShelf = nullptr;
}

void frmMain::buildControls()
{
    surface = new QWidget(this);
    surface->setObjectName(QStringLiteral("frmMainSurface"));
    setCentralWidget(surface);
    surface->installEventFilter(this);

    picTop = new QWidget(surface);
    picTop->setObjectName(QStringLiteral("picTop"));

    txtTitle = new QLineEdit(picTop);
    txtTitle->setObjectName(QStringLiteral("txtTitle"));
    txtTitle->setReadOnly(true);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    txtTitle->setFont(titleFont);

    txtLocation = new QLineEdit(picTop);
    txtLocation->setObjectName(QStringLiteral("txtLocation"));
    txtLocation->setReadOnly(true);
    txtLocation->hide();

    cmdLevelUp = new QPushButton(QStringLiteral("Level Up"), picTop);
    cmdLevelUp->setObjectName(QStringLiteral("cmdLevelUp"));
    cmdNextArticle = new QPushButton(QStringLiteral("Next Article"), picTop);
    cmdNextArticle->setObjectName(QStringLiteral("cmdNextArticle"));
    cmdPrevArticle = new QPushButton(QStringLiteral("Previous Article"), picTop);
    cmdPrevArticle->setObjectName(QStringLiteral("cmdPrevArticle"));

    lblBackground = new QLabel(surface);
    lblBackground->setObjectName(QStringLiteral("lblBackground"));
    lblBackground->setAutoFillBackground(true);

    NavLists = new NavList(3, this);
    for (int i = 0; i < NavLists->count(); ++i)
        NavListView(i);
    connect(NavLists, &NavList::listAdded, this, [this](int index) { NavListView(index); });
    connect(NavLists, &NavList::visibilityChanged, this,
            [this](int index, bool visible) { NavListView(index)->setVisible(visible); });

    Viewer = new TextViewer(this);
    TextViewerView = new TextViewerWidget(Viewer, surface);
    TextViewerView->setObjectName(QStringLiteral("TextViewer"));
    TextViewerView->hide();
    connect(TextViewerView, &TextViewerWidget::rightButtonReleased, this, &frmMain::TextViewer_RightButtonUp);

    picBottom = new QWidget(surface);
    picBottom->setObjectName(QStringLiteral("picBottom"));

    connectLibrary();

    // The error log names the selected entries of the first two lists.
    Run().NavListIndex = [lists = NavLists](int level) { return lists->ListIndex(level); };

    setTabOrder(txtTitle, cmdLevelUp);
    setTabOrder(cmdLevelUp, cmdPrevArticle);
    setTabOrder(cmdPrevArticle, cmdNextArticle);
    applyAccessibleNames();
}

QListView* frmMain::NavListView(int index)
{
    while (static_cast<int>(m_navViews.size()) <= index) {
        const int i = static_cast<int>(m_navViews.size());
        NavLists->ensureList(i);
        auto* view = new QListView(surface);
        view->setObjectName(QStringLiteral("NavList_%1").arg(i));
        QFont font(QStringLiteral("Arial"));
        font.setPointSize(12);
        view->setFont(font);
        view->setModel(NavLists->model(i));
        view->setSelectionModel(NavLists->selection(i));
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setUniformItemSizes(true);
        view->setVisible(NavLists->isVisible(i));
        view->installEventFilter(this);
        connect(view, &QListView::doubleClicked, this, [this] { NavList_DblClick(); });
        m_navViews.push_back(view);
        if (i > 2)
            view->setAccessibleName(SetLangTxt(1089, QString::number(i)));
    }
    return m_navViews[size_t(index)];
}

void frmMain::applyAccessibleNames()
{
    SetAccessible(txtTitle, 1083, QStringLiteral("Document title"));
    SetAccessible(txtLocation, 1084, QStringLiteral("Location"));
    SetAccessible(NavListView(0), 1085, QStringLiteral("Zoekresultaten"));
    SetAccessible(NavListView(1), 1086, QStringLiteral("Hoofdnavigatie"));
    SetAccessible(NavListView(2), 1087, QStringLiteral("Subnavigatie"));
    for (int i = 3; i < static_cast<int>(m_navViews.size()); ++i)
        SetAccessible(m_navViews[size_t(i)], 1089, QStringLiteral("Level %1").arg(i));
    SetAccessible(TextViewerView, 1088, QStringLiteral("Text"));
    for (QPushButton* b : {cmdLevelUp, cmdNextArticle, cmdPrevArticle})
        b->setAccessibleName(Stripped(b->text()));
}

void frmMain::buildMenus()
{
    QMenuBar* bar = menuBar();

    mnuFile = AddMenu(bar, "mnuFile", QStringLiteral("&File"));
    mnuFileOpen = AddItem(mnuFile, "mnuFileOpen", QStringLiteral("&Open ..."));
    mnuFileClose = AddItem(mnuFile, "mnuFileClose", QStringLiteral("&Close"));
    mnuFile->addSeparator();
    mnuFileExport = AddSubMenu(mnuFile, "mnuFileExport", QStringLiteral("Export"));
    mnuFileExportAnnotations =
        AddItem(mnuFileExport, "mnuFileExportAnnotations", QStringLiteral("Annotations and Bookmarks"));
    mnuFileMRU[0] = mnuFile->addSeparator();
    mnuFileMRU[0]->setObjectName(QStringLiteral("mnuFileMRU_0"));
    for (int i = 1; i < 5; ++i) {
        mnuFileMRU[size_t(i)] = AddItem(mnuFile, "mnuFileMRU", QString());
        mnuFileMRU[size_t(i)]->setObjectName(QStringLiteral("mnuFileMRU_%1").arg(i));
        mnuFileMRU[size_t(i)]->setVisible(false);
    }
    mnuFileMRU[0]->setVisible(false);
    mnuFileMRUSeperator = mnuFile->addSeparator();
    mnuFileMRUSeperator->setObjectName(QStringLiteral("mnuFileMRUSeperator"));
    mnuFileExit = AddItem(mnuFile, "mnuFileExit", QStringLiteral("E&xit"));

    mnuEdit = AddMenu(bar, "mnuEdit", QStringLiteral("&Edit"));
    mnuEditCopy = AddItem(mnuEdit, "mnuEditCopy", QStringLiteral("&Copy"));
    mnuEditSelectAll = AddItem(mnuEdit, "mnuEditSelectAll", QStringLiteral("Select &All"));
    mnuEditPaste = AddItem(mnuEdit, "mnuEditPaste", QStringLiteral("Paste..."));
    mnuEditSeperator = mnuEdit->addSeparator();
    mnuEditSeperator->setObjectName(QStringLiteral("mnuEditSeperator"));

    mnuNavigate = AddMenu(bar, "mnuNavigate", QStringLiteral("&Navigation"));
    mnuNavigateNextArticle = AddItem(mnuNavigate, "mnuNavigateNextArticle", QStringLiteral("&Next Article"));
    mnuNavigatePreviousArticle =
        AddItem(mnuNavigate, "mnuNavigatePreviousArticle", QStringLiteral("&Previous Article"));
    mnuNavigateLevelUp = AddItem(mnuNavigate, "mnuNavigateLevelUp", QStringLiteral("Level &Up"));
    mnuNavigateToc = AddItem(mnuNavigate, "mnuNavigateToc", QStringLiteral("Table of &Contents"));
    mnuNavigate->addSeparator();
    const char* pageCaptions[] = {"Goto Page ...", "Next Page", "Previous Page"};
    for (int i = 0; i < 3; ++i) {
        mnuNavigatePage[size_t(i)] = AddItem(mnuNavigate, "mnuNavigatePage", QString::fromLatin1(pageCaptions[i]));
        mnuNavigatePage[size_t(i)]->setObjectName(QStringLiteral("mnuNavigatePage_%1").arg(i));
    }
    mnuNavigate->addSeparator();
    mnuEditFind = AddItem(mnuNavigate, "mnuEditFind", QStringLiteral("&Find ..."));
    mnuEditFindNext = AddItem(mnuNavigate, "mnuEditFindNext", QStringLiteral("Find &Next"));
    mnuEditFindPrevious = AddItem(mnuNavigate, "mnuEditFindPrevious", QStringLiteral("Find &Previous"));
    mnuNavigateSearchResults = AddItem(mnuNavigate, "mnuNavigateSearchResults", QStringLiteral("Search Results..."));
    mnuEditPersonalInterests = AddItem(mnuNavigate, "mnuEditPersonalInterests", QStringLiteral("Personal Interests"));
    mnuNavigateEscapeSearchMode =
        AddItem(mnuNavigate, "mnuNavigateEscapeSearchMode", QStringLiteral("Escape Search Mode"));
    mnuNavigate->addSeparator();

    mnuAnnotations = AddMenu(bar, "mnuAnnotations", QStringLiteral("&Annotations"));
    mnuEditAddAnnotation = AddItem(mnuAnnotations, "mnuEditAddAnnotation", QStringLiteral("Add &Annotation"));
    const char* annotationCaptions[] = {"Next Annotation", "Previous Annotation", "List Annotations"};
    for (int i = 0; i < 3; ++i) {
        mnuNavigateAnnotation[size_t(i)] =
            AddItem(mnuAnnotations, "mnuNavigateAnnotation", QString::fromLatin1(annotationCaptions[i]));
        mnuNavigateAnnotation[size_t(i)]->setObjectName(QStringLiteral("mnuNavigateAnnotation_%1").arg(i));
    }

    mnuNavigateBookmarks = AddMenu(bar, "mnuNavigateBookmarks", QStringLiteral("&Bookmarks"));
    mnuEditAddBookmark = AddItem(mnuNavigateBookmarks, "mnuEditAddBookmark", QStringLiteral("Add &Bookmark"));
    const char* bookmarkCaptions[] = {"Next Bookmark", "Previous Bookmark", "List Bookmarks"};
    for (int i = 0; i < 3; ++i) {
        mnuNavigateBookmark[size_t(i)] =
            AddItem(mnuNavigateBookmarks, "mnuNavigateBookmark", QString::fromLatin1(bookmarkCaptions[i]));
        mnuNavigateBookmark[size_t(i)]->setObjectName(QStringLiteral("mnuNavigateBookmark_%1").arg(i));
    }

    mnuView = AddMenu(bar, "mnuView", QStringLiteral("&View"));
    const char* sizeCaptions[] = {"&Larger\t+", "&Normal", "&Smaller\t-"};
    for (int i = 0; i < 3; ++i) {
        mnuViewFontSize[size_t(i)] = AddItem(mnuView, "mnuViewFontSize", QString::fromLatin1(sizeCaptions[i]));
        mnuViewFontSize[size_t(i)]->setObjectName(QStringLiteral("mnuViewFontSize_%1").arg(i));
    }
    mnuView->addSeparator();
    mnuViewStyleSheet = AddSubMenu(mnuView, "mnuViewStyleSheet", QStringLiteral("&Style Sheet"));
    mnuViewStyleSheetNew = AddItem(mnuViewStyleSheet, "mnuViewStyleSheetNew", QStringLiteral("Select new ..."));
    mnuViewMakeDefault = AddItem(mnuViewStyleSheet, "mnuViewMakeDefault", QStringLiteral("Make &default"));

    mnuExtra = AddMenu(bar, "mnuExtra", QStringLiteral("E&xtra"));
    mnuExtraOptions = AddItem(mnuExtra, "mnuExtraOptions", QStringLiteral("Options"));

    mnuHelp = AddMenu(bar, "mnuHelp", QStringLiteral("&Help"));
    mnuHelpIndex = AddItem(mnuHelp, "mnuHelpIndex", QStringLiteral("Index"));
    mnuHelpAbout = AddItem(mnuHelp, "mnuHelpAbout", QStringLiteral("About ..."));

    connect(mnuFileOpen, &QAction::triggered, this, &frmMain::mnuFileOpen_Click);
    connect(mnuFileClose, &QAction::triggered, this, &frmMain::mnuFileClose_Click);
    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);
    connect(mnuExtraOptions, &QAction::triggered, this, &frmMain::mnuExtraOptions_Click);
    for (int i = 1; i < 5; ++i)
        connect(mnuFileMRU[size_t(i)], &QAction::triggered, this, [this, i] { mnuFileMRU_Click(i); });
    connect(mnuEditCopy, &QAction::triggered, this, &frmMain::mnuEditCopy_Click);
    connect(mnuEditSelectAll, &QAction::triggered, this, &frmMain::mnuEditSelectAll_Click);
    connect(mnuEditPaste, &QAction::triggered, this, &frmMain::mnuEditPaste_Click);
    // The copy keys are the text view's own (KeyPress in the text); the menu
    // only shows them, so a copy never runs twice. Paste is enabled and does nothing.
    mnuEditPaste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    // The others arrive with search, marks and exporting.
    m_unbuiltCommands = {mnuEditFind,        mnuEditPersonalInterests, mnuEditAddAnnotation,
                         mnuEditAddBookmark, mnuFileExportAnnotations, mnuViewStyleSheetNew};
    for (QAction* item : m_unbuiltCommands)
        item->setEnabled(false);
}

void frmMain::Form_Load()
{
    GuardedVoid("Form_Load", [&] {
        SetStep(QStringLiteral("Resize the main window"));
        Form_Resize();
        RunState& rs = Run();
        rs.CurrentLevel = -1;
        rs.NavLevelCount = 0;
        rs.DocumentOpen = false;
        SetStep(QStringLiteral("Set the menus"));
        SetMenuOptions();
        SetStep(QStringLiteral("Set the window title"));
        SetFormTitle(QString());
    });
}

void frmMain::placeTopBand()
{
    const int w = surface->width();
    picTop->setGeometry(0, 0, w, ToPixels(TopBandTwips));
    picBottom->setGeometry(0, surface->height() - ToPixels(BottomBandTwips), w, ToPixels(BottomBandTwips));
    const int titleHeight = txtTitle->sizeHint().height() + 4;
    const int rowHeight = txtLocation->sizeHint().height();
    txtTitle->move(txtTitle->x(), 6);
    txtTitle->resize(txtTitle->width(), titleHeight);
    txtLocation->move(txtLocation->x(), 6 + titleHeight + 4);
    txtLocation->resize(txtLocation->width(), rowHeight);
    int x = ToPixels(100);
    const int buttonsTop = 6 + titleHeight + 4 + rowHeight + 6;
    for (QPushButton* b : {cmdLevelUp, cmdPrevArticle, cmdNextArticle}) {
        const QSize hint = b->sizeHint();
        b->setGeometry(x, buttonsTop, hint.width(), hint.height());
        x += hint.width() + 8;
    }
}

void frmMain::Form_Resize()
{
    GuardedVoid("Form_Resize", [&] {
        const int width = ToTwips(surface->width());
        const int height = ToTwips(surface->height());
        MainLayout layout;
        if (!ComputeMainLayout(width, height, TopBandTwips, BottomBandTwips, layout))
            return;
        placeTopBand();
        const QRect rect(ToPixels(layout.surface.left), ToPixels(layout.surface.top), ToPixels(layout.surface.width),
                         ToPixels(layout.surface.height));
        TextViewerView->setGeometry(rect);
        NavListView(0)->setGeometry(rect);
        RunState& rs = Run();
        if (rs.NavLevelCount == 0)
            rs.NavLevelCount = 1;
        for (int i = 1; i <= rs.NavLevelCount; ++i)
            NavListView(i)->setGeometry(rect);
        lblBackground->setGeometry(rect);
        QPalette palette = lblBackground->palette();
        palette.setColor(QPalette::Window, TextViewerView->palette().color(QPalette::Base));
        lblBackground->setPalette(palette);
        txtTitle->setGeometry(rect.left(), txtTitle->y(), rect.width(), txtTitle->height());
        txtLocation->setGeometry(rect.left(), txtLocation->y(), rect.width(), txtLocation->height());
        // The reading surface lies above the bottom band it reaches into.
        lblBackground->raise();
        for (QListView* view : m_navViews)
            view->raise();
        TextViewerView->raise();
    });
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (NavigationEventFilter(watched, event))
        return true;
    if (watched == surface && event->type() == QEvent::Resize)
        Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::SetFormTitle(const QString& title)
{
    QString product = SetLangTxt(1);
    if (product.isEmpty())
        product = QStringLiteral("Quillbook");
    setWindowTitle(title.isEmpty() ? product : title + QStringLiteral(" - ") + product);
}

void frmMain::SetLang()
{
    GuardedVoid("SetLang", [&] {
        SetStep(QStringLiteral("Apply the interface texts to the main window"));
        const RunState& rs = Run();
        SetFormTitle(rs.DocumentOpen ? rs.DocInfo[1] : QString());
        SetCaption(mnuFile, 1010);
        SetCaption(mnuFileOpen, 1011);
        SetCaption(mnuFileClose, 1012);
        SetCaption(mnuFileExport, 1013);
        SetCaption(mnuFileExportAnnotations, 1014);
        SetCaption(mnuFileExit, 1015);
        SetCaption(mnuEdit, 1020);
        SetCaption(mnuEditCopy, 1021);
        SetCaption(mnuEditPaste, 1022);
        SetCaption(mnuEditSelectAll, 1023);
        SetCaption(mnuEditFind, 1024);
        SetCaption(mnuEditFindNext, 1025);
        SetCaption(mnuEditFindPrevious, 1026);
        SetCaption(mnuEditPersonalInterests, 1027);
        SetCaption(mnuEditAddAnnotation, 1028);
        SetCaption(mnuEditAddBookmark, 1029);
        SetCaption(mnuNavigate, 1030);
        SetCaption(mnuNavigateNextArticle, 1031);
        SetCaption(mnuNavigatePreviousArticle, 1032);
        SetCaption(mnuNavigateLevelUp, 1033);
        SetCaption(mnuNavigateToc, 1034);
        SetCaption(mnuNavigateSearchResults, 1035);
        SetCaption(mnuNavigateEscapeSearchMode, 1036);
        for (int i = 0; i < 3; ++i) {
            SetCaption(mnuNavigatePage[size_t(i)], 1037 + i);
            SetCaption(mnuNavigateAnnotation[size_t(i)], 1041 + i);
            SetCaption(mnuNavigateBookmark[size_t(i)], 1045 + i);
            SetCaption(mnuViewFontSize[size_t(i)], 1051 + i);
        }
        SetCaption(mnuAnnotations, 1040);
        SetCaption(mnuNavigateBookmarks, 1044);
        SetCaption(mnuView, 1050);
        SetCaption(mnuViewStyleSheet, 1054);
        SetCaption(mnuViewStyleSheetNew, 1055);
        SetCaption(mnuViewMakeDefault, 1056);
        SetCaption(mnuExtra, 1060);
        SetCaption(mnuExtraOptions, 1062);
        for (int i = 0; i < 4; ++i)
            SetCaption(mnuExtraReadAloud[size_t(i)], 1063 + i);
        SetCaption(mnuHelp, 1070);
        SetCaption(mnuHelpAbout, 1071);
        SetCaption(mnuHelpIndex, 1072);
        SetCaption(cmdLevelUp, 1080);
        SetCaption(cmdNextArticle, 1081);
        SetCaption(cmdPrevArticle, 1082);
        applyAccessibleNames();
        if (!rs.DocumentOpen) {
            const QString none = SetLangTxt(1090);
            txtTitle->setText(none);
            txtTitle->setCursorPosition(0);
        }
        Form_Resize();
    });
}

void frmMain::TextViewer_RightButtonUp()
{
    GuardedVoid("TextViewer_RightButtonUp", [&] {
        if (!mnuEditPaste->isEnabled())
            return;
        ExportText();
        mnuEditPaste->setEnabled(false);
    });
}

void frmMain::mnuFileExit_Click()
{
    int cancel = 0;
    Form_Unload(cancel);
}

void frmMain::mnuExtraOptions_Click()
{
    GuardedVoid("mnuExtraOptions_Click", [&] {
        // The key that closes the window is released over the main window; its
        // press went to the window, so the key handling passes it over.
        QWidget* reading = QApplication::focusWidget();
        optionsWindow()->exec();
        RefocusAfterDialog(reading);
    });
}

// Built on first use: a window of many pages that most sessions never open
// would otherwise hold up the first paint.
frmOptions* frmMain::optionsWindow()
{
    if (!OptionsWindow) {
        OptionsWindow = new frmOptions(this);
        OptionsWindow->setPersonalArchiveSettingsHandler([this] { bookShelfsWindow()->Choose(); });
        OptionsWindow->setLibraryBrowseHandler([this] {
            frmBrowseForFolder browser(OptionsWindow);
            browser.exec();
        });
        OptionsWindow->setVoiceSource([this] { return m_speech ? m_speech->Voices() : QStringList(); });
    }
    return OptionsWindow;
}

void frmMain::Form_Unload(int& cancel)
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    (void)cancel;
    if (Run().DocumentOpen)
        mnuFileClose_Click();
    QApplication::exit(0);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    int cancel = 0;
    Form_Unload(cancel);
    event->accept();
}
