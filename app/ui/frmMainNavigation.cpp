// The window's side of the reading moves: the navigator's requests (focus,
// location line, sounds, control states) and the handlers of the buttons and
// the Navigation menu, which forward to the navigator.
#include "app/ui/frmMain.h"

#include "app/core/AppPaths.h"
#include "app/core/PlayWave.h"
#include "app/ui/ScreenReaderFocus.h"
#include "navigation/NavList.h"
#include "navigation/Navigator.h"
#include "render/ui/TextViewerWidget.h"
#include "search/TextSearch.h"

#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

void frmMain::focusList(int level)
{
    QListView* view = NavListView(level);
    // The reader's screen reader announces the current row: keep it on the selection.
    const int row = NavLists->ListIndex(level);
    if (row >= 0)
        view->scrollTo(NavLists->model(level)->index(row));
    FocusListOnRow(view, row);
}

void frmMain::focusText()
{
    FocusTextAtCaret(TextViewerView);
}

void frmMain::listsChanged()
{
    Form_Resize();
}

void frmMain::setLocation(const QString& text)
{
    txtLocation->setVisible(true);
    txtLocation->setText(text);
    txtLocation->setCursorPosition(0);
    // Every move shows its place; while searching, the place among the results and matches goes with it.
    if (Search)
        searchPlaceChanged(false);
}

void frmMain::playSound(const QString& name)
{
    PlaySound(name);
}

void frmMain::setNavigationOptions(bool levelUp, bool nextArticle, bool previousArticle)
{
    cmdLevelUp->setEnabled(levelUp);
    mnuNavigateLevelUp->setEnabled(levelUp);
    cmdNextArticle->setEnabled(nextArticle);
    mnuNavigateNextArticle->setEnabled(nextArticle);
    cmdPrevArticle->setEnabled(previousArticle);
    mnuNavigatePreviousArticle->setEnabled(previousArticle);
}

void frmMain::menuOptionsChanged()
{
    SetMenuOptions();
}

void frmMain::PlaySound(const QString& name)
{
    const QString path = AppPaths::SoundsDir() + QLatin1Char('/') + name;
    if (PlayWaveHook)
        PlayWaveHook(path);
    else
        PlayWave(path);
}

void frmMain::LoadLevelTitles(int16_t level)
{
    Navigation->LoadLevelTitles(level);
}
void frmMain::LevelDown()
{
    Navigation->LevelDown();
}
void frmMain::LevelUp()
{
    Navigation->LevelUp();
}
void frmMain::ShowInfo(int16_t level, bool setFocus)
{
    Navigation->ShowInfo(level, setFocus);
}
void frmMain::SetNavigationOptions()
{
    Navigation->SetNavigationOptions();
}
void frmMain::LoadAbstract(int16_t level)
{
    Navigation->LoadAbstract(level);
}
void frmMain::GoArticle(int direction)
{
    Navigation->GoArticle(direction);
}
void frmMain::GoPhrase(int direction)
{
    Navigation->GoPhrase(direction);
    AnnounceCaretMove(direction == 0   ? ReadingAction::PreviousPhrase
                      : direction == 1 ? ReadingAction::PhraseStart
                                       : ReadingAction::NextPhrase);
}
void frmMain::GoParaGraph(int direction)
{
    Navigation->GoParaGraph(direction);
    AnnounceCaretMove(ReadingAction::NextParagraph);
}
void frmMain::GoMainIndex()
{
    Navigation->GoMainIndex();
}
void frmMain::NavList_DblClick()
{
    LevelDown();
}
void frmMain::cmdLevelUp_Click()
{
    LevelUp();
}
void frmMain::mnuNavigateLevelUp_Click()
{
    LevelUp();
}
void frmMain::cmdNextArticle_Click()
{
    GoArticle(2);
}
void frmMain::mnuNavigateNextArticle_Click()
{
    GoArticle(2);
}
void frmMain::cmdPrevArticle_Click()
{
    GoArticle(0);
}
void frmMain::mnuNavigatePreviousArticle_Click()
{
    GoArticle(0);
}
void frmMain::mnuNavigateToc_Click()
{
    GoMainIndex();
}

void frmMain::connectNavigation()
{
    Navigation = std::make_unique<Navigator>(*NavLists, *Viewer, *Assembly, static_cast<NavigationHost&>(*this));
    connect(cmdLevelUp, &QPushButton::clicked, this, &frmMain::cmdLevelUp_Click);
    connect(cmdNextArticle, &QPushButton::clicked, this, &frmMain::cmdNextArticle_Click);
    connect(cmdPrevArticle, &QPushButton::clicked, this, &frmMain::cmdPrevArticle_Click);
    connect(mnuNavigateLevelUp, &QAction::triggered, this, &frmMain::mnuNavigateLevelUp_Click);
    connect(mnuNavigateNextArticle, &QAction::triggered, this, &frmMain::mnuNavigateNextArticle_Click);
    connect(mnuNavigatePreviousArticle, &QAction::triggered, this, &frmMain::mnuNavigatePreviousArticle_Click);
    connect(mnuNavigateToc, &QAction::triggered, this, &frmMain::mnuNavigateToc_Click);
    TextViewerView->installEventFilter(this);
    m_textViewport = TextViewerView->viewport();
    m_textViewport->installEventFilter(this);
    for (QWidget* control :
         std::initializer_list<QWidget*>{cmdLevelUp, cmdNextArticle, cmdPrevArticle, txtTitle, txtLocation})
        control->installEventFilter(this);
    SetNavigationOptions();
}
