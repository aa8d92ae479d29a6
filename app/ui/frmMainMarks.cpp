// Bookmarks and annotations from the main window: the menus and their keys,
// the sounds, the notes under the caret and going to a mark.
#include "app/ui/frmMain.h"

#include "app/core/ErrorConvention.h"
#include "app/core/RunState.h"
#include "app/ui/ScreenReaderFocus.h"
#include "marks/MarkSteps.h"
#include "marks/ui/frmAnnotation.h"
#include "marks/ui/frmBookmark.h"
#include "navigation/NavList.h"
#include "navigation/Navigator.h"
#include "render/TextAssembly.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "render/ui/TextViewerWidget.h"

#include <QAction>
#include <QApplication>
#include <QListView>
#include <QTextCursor>

void frmMain::connectMarks()
{
    m_unbuiltCommands.remove(mnuEditAddBookmark);
    m_unbuiltCommands.remove(mnuEditAddAnnotation);

    // A text built anew starts outside any note, unless it is the same text redrawn.
    Assembly->ColourMarks = [this](TextViewer& viewer, int32_t headId) {
        if (!m_redrawingMarks)
            InAnnotation = false;
        HighLightMarks(viewer, headId);
    };

    // No reading key and no screen-reader command uses these.
    mnuEditAddBookmark->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    mnuNavigateBookmark[0]->setShortcut(QKeySequence(Qt::Key_F2));
    mnuNavigateBookmark[1]->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F2));
    mnuNavigateBookmark[2]->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
    mnuEditAddAnnotation->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuNavigateAnnotation[0]->setShortcut(QKeySequence(Qt::Key_F4));
    mnuNavigateAnnotation[1]->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F4));
    mnuNavigateAnnotation[2]->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));

    connect(mnuEditAddBookmark, &QAction::triggered, this, [this] { mnuEditAddBookmark_Click(); });
    connect(mnuEditAddAnnotation, &QAction::triggered, this, [this] { mnuEditAddAnnotation_Click(); });
    for (int i = 0; i < 3; ++i) {
        connect(mnuNavigateBookmark[size_t(i)], &QAction::triggered, this, [this, i] { mnuNavigateBookmark_Click(i); });
        connect(mnuNavigateAnnotation[size_t(i)], &QAction::triggered, this,
                [this, i] { mnuNavigateAnnotation_Click(i); });
    }
}

// Built on first use, like the options window: they are not needed for the first paint.
frmBookmark* frmMain::bookmarkWindow()
{
    if (!BookmarkWindow) {
        BookmarkWindow = new frmBookmark(this);
        BookmarkWindow->FocusList = FocusListOnRow;
    }
    return BookmarkWindow;
}

frmAnnotation* frmMain::annotationWindow()
{
    if (!AnnotationWindow) {
        AnnotationWindow = new frmAnnotation(this);
        AnnotationWindow->FocusList = FocusListOnRow;
    }
    return AnnotationWindow;
}

void frmMain::RedrawMarks()
{
    GuardedVoid("Refresh_Markup", [&] {
        RunState& rs = Run();
        if (!rs.DocumentOpen || rs.CurrentLevel != 9)
            return;
        SetStep(QStringLiteral("Rebuild the text with its marks"));
        TextState& txt = Txt();
        const int caret = Viewer->SelStart();
        const int length = Viewer->SelLength();
        const int found = txt.CurrentFound;
        m_redrawingMarks = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{m_redrawingMarks};
        rs.LastReadPosition = caret;
        Assembly->LoadText(txt.CurrentHeadId, caret, QString());
        // The build puts the caret on a search's first match; the reader stays where they were.
        txt.CurrentFound = found;
        Viewer->setSelStart(std::min(caret, int(Viewer->Text().size())));
        Viewer->setSelLength(length);
        ShowInfo(9, true);
    });
}

void frmMain::GoToMarkTarget(const MarkTarget& target)
{
    if (ShowMarkTarget(*Navigation, *Viewer, target)) {
        SetMenuOptions();
        searchPlaceChanged(false);
        CheckAnnotation(false);
    }
}

void frmMain::mnuEditAddBookmark_Click()
{
    GuardedVoid("mnuEditAddBookmark_Click", [&] {
        const std::optional<MarkSpot> spot = CurrentMarkSpot(*Navigation, *NavLists, *Viewer);
        if (!spot)
            return;
        QWidget* reading = QApplication::focusWidget();
        const ToggleResult result = ToggleBookmark(*spot, spot->inText ? Viewer->Text() : QString());
        // Each sound says what is now in the file.
        if (result == ToggleResult::Added)
            PlaySound(QStringLiteral("bookmark.wav"));
        else if (result == ToggleResult::Removed)
            PlaySound(QStringLiteral("bookmark2.wav"));
        if (result == ToggleResult::Added || result == ToggleResult::Removed)
            RedrawMarks();
        SetMenuOptions();
        if (result != ToggleResult::Added && reading)
            RefocusAfterDialog(reading);
    });
}

void frmMain::mnuNavigateBookmark_Click(int index)
{
    GuardedVoid("mnuNavigateBookmark_Click", [&] {
        if (!Run().DocumentOpen)
            return;
        std::optional<MarkTarget> target;
        if (index == 0 || index == 1) {
            SetStep(QStringLiteral("Find the next bookmark"));
            if (const std::optional<MarkSpot> spot = CurrentMarkSpot(*Navigation, *NavLists, *Viewer))
                target = NextBookmark(spot->place, index == 0);
        } else {
            QWidget* reading = QApplication::focusWidget();
            bookmarkWindow()->exec();
            if (bookmarkWindow()->lblMode == QLatin1String("totext"))
                target = bookmarkWindow()->Target;
            else if (reading)
                RefocusAfterDialog(reading);
            SetMenuOptions();
        }
        if (target)
            GoToMarkTarget(*target);
    });
}

void frmMain::mnuEditAddAnnotation_Click()
{
    GuardedVoid("mnuEditAddAnnotation_Click", [&] {
        if (Run().CurrentLevel != 9)
            return;
        const std::optional<MarkSpot> spot = CurrentMarkSpot(*Navigation, *NavLists, *Viewer);
        if (!spot)
            return;
        const QString text = Viewer->Text();
        const int length = Viewer->SelLength();
        annotationWindow()->AddAnnotation(*spot, length, text.mid(spot->place.position, length), text);
        annotationWindow()->exec();
        if (annotationWindow()->Changed)
            RedrawMarks();
        else
            RefocusAfterDialog(TextViewerView);
        SetMenuOptions();
    });
}

void frmMain::mnuNavigateAnnotation_Click(int index)
{
    GuardedVoid("mnuNavigateAnnotation_Click", [&] {
        if (!Run().DocumentOpen)
            return;
        std::optional<MarkTarget> target;
        if (index == 0 || index == 1) {
            SetStep(QStringLiteral("Find the next annotation"));
            if (const std::optional<MarkSpot> spot = CurrentMarkSpot(*Navigation, *NavLists, *Viewer))
                target = NextAnnotation(spot->place, index == 0);
        } else {
            QWidget* reading = QApplication::focusWidget();
            annotationWindow()->lblMode = QStringLiteral("list");
            annotationWindow()->exec();
            if (annotationWindow()->lblMode == QLatin1String("totext"))
                target = annotationWindow()->Target;
            else if (annotationWindow()->Changed)
                RedrawMarks();
            else if (reading)
                RefocusAfterDialog(reading);
            SetMenuOptions();
        }
        if (target)
            GoToMarkTarget(*target);
    });
}

void frmMain::CheckAnnotation(bool showIt)
{
    GuardedVoid("CheckAnnotation", [&] {
        const RunState& rs = Run();
        if (!rs.DocumentOpen || rs.CurrentLevel != 9)
            return;
        const int caret = Viewer->SelStart();
        const QTextCursor before = Viewer->textCursor();
        // The stored ranges decide, not the look of the text: a note is where its record says.
        const ShownMark* at = Shown().headingId == Txt().CurrentHeadId ? AnnotationAt(caret) : nullptr;
        if (!at) {
            if (InAnnotation) {
                InAnnotation = false;
                PlaySound(QStringLiteral("LeaveAnnotation.wav"));
            }
            return;
        }
        if (!InAnnotation) {
            InAnnotation = true;
            PlaySound(QStringLiteral("EnterAnnotation.wav"));
        }
        if (!showIt)
            return;
        SetStep(QStringLiteral("Show the annotation"));
        if (!annotationWindow()->ShowAnnotation(at->id))
            return;
        annotationWindow()->exec();
        if (annotationWindow()->lblMode == QLatin1String("totext") && annotationWindow()->Target) {
            GoToMarkTarget(*annotationWindow()->Target);
            return;
        }
        if (annotationWindow()->Changed) {
            RedrawMarks();
        } else {
            Viewer->setTextCursor(before);
            RefocusAfterDialog(TextViewerView);
        }
        SetMenuOptions();
    });
}
