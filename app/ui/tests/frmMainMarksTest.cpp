// Bookmarks and annotations in the main window: the keys, the sounds after
// the file was written, the notes under the caret and the note dialog.
#include "app/core/AppPaths.h"
#include "app/core/DocumentFiles.h"
#include "app/core/RunState.h"
#include "app/ui/frmMain.h"
#include "marks/MarkSteps.h"
#include "marks/ui/frmAnnotation.h"
#include "navigation/NavList.h"
#include "render/TextState.h"
#include "render/TextViewer.h"
#include "render/ui/TextViewerWidget.h"
#include "settings/Options.h"
#include "tests/support/FreshState.h"
#include "tests/support/ScriptedPrompter.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

StoredMarks OnDisk()
{
    DomDocument doc;
    if (!doc.load(UsageFilePathFor(::Run().DocumentId)))
        return {};
    return ReadMarks(doc);
}

class frmMainMarksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PrepareForReading());
        QDir(AppPaths::DufDir()).removeRecursively();
        window = std::make_unique<frmMain>();
        // Each sound with what the file held when it played.
        window->PlayWaveHook = [this](const QString& path) {
            const StoredMarks disk = OnDisk();
            sounds << QFileInfo(path).fileName();
            onDisk.push_back({int(disk.bookmarks.size()), int(disk.annotations.size())});
        };
        window->Form_Load();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QString path = AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml");
        bool addOnly = false;
        ASSERT_TRUE(window->OpenFile(path, addOnly).has_value());
        window->NavLists->setListIndex(1, 2);
        window->LevelDown();
        window->NavLists->setListIndex(2, 1);
        window->LevelDown();
        ASSERT_EQ(::Run().CurrentLevel, 9);
        window->Viewer->setSelStart(150);
        sounds.clear();
        onDisk.clear();
    }
    void TearDown() override
    {
        window.reset();
        ResetProgramState(StoredSettings::Clear);
        MarksChanged();
    }
    QWidget* text() const { return window->TextViewerView; }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyPress(text(), k, mods);
        QTest::keyRelease(text(), k, mods);
    }
    // Runs once the note window is up, then makes sure it went.
    void whenNoteShows(std::function<void(frmAnnotation*)> act)
    {
        auto* poll = new QTimer(window.get());
        poll->setInterval(5);
        auto tries = std::make_shared<int>(0);
        QObject::connect(poll, &QTimer::timeout, [poll, act, tries, this] {
            auto* dialog = qobject_cast<frmAnnotation*>(QApplication::activeModalWidget());
            if (dialog && dialog->isVisible()) {
                poll->stop();
                poll->deleteLater();
                noteMode = dialog->lblMode;
                noteText = dialog->txtAnnotation->toPlainText();
                act(dialog);
                if (dialog->isVisible()) {
                    ADD_FAILURE() << "the note window stayed open";
                    dialog->reject();
                }
            } else if (++*tries > 1000) {
                poll->stop();
                poll->deleteLater();
            }
        });
        poll->start();
    }

    ScriptedPrompter prompter;
    std::unique_ptr<frmMain> window;
    QStringList sounds;
    std::vector<std::pair<int, int>> onDisk;
    QString noteMode, noteText;
};

TEST_F(frmMainMarksTest, CtrlBSetsABookmarkThatIsSavedBeforeItsSoundAndTheCaretStays)
{
    ASSERT_TRUE(window->mnuEditAddBookmark->isEnabled());
    ASSERT_FALSE(window->mnuNavigateBookmark[0]->isEnabled());
    key(Qt::Key_B, Qt::ControlModifier);
    ASSERT_EQ(sounds, QStringList{QStringLiteral("bookmark.wav")});
    EXPECT_EQ(onDisk[0].first, 1) << "the bookmark was in the file when its sound played";
    EXPECT_EQ(window->Viewer->SelStart(), 150);
    EXPECT_EQ(window->focusWidget(), text());
    EXPECT_TRUE(window->mnuNavigateBookmark[0]->isEnabled());
    window->Viewer->setSelStart(150);
    window->Viewer->setSelLength(1);
    EXPECT_EQ(window->Viewer->SelColor(), Opts().BookmarkColor);
    window->Viewer->setSelStart(150);

    // Cancel at the second question: no sound, the bookmark stays.
    prompter.answer(PromptAnswer::Ok);
    prompter.answer(PromptAnswer::Cancel);
    key(Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(sounds.size(), 1);
    EXPECT_EQ(OnDisk().bookmarks.size(), 1u);

    prompter.answer(PromptAnswer::Ok);
    prompter.answer(PromptAnswer::Ok);
    key(Qt::Key_B, Qt::ControlModifier);
    ASSERT_EQ(sounds.size(), 2);
    EXPECT_EQ(sounds[1], QStringLiteral("bookmark2.wav"));
    EXPECT_EQ(onDisk[1].first, 0) << "gone from the file when its sound played";
    EXPECT_FALSE(window->mnuNavigateBookmark[0]->isEnabled());
}

TEST_F(frmMainMarksTest, RedrawingAfterAMarkKeepsTheCaretWhileASearchIsActive)
{
    // The shown article searched for a word: the build alone would put the caret on its first match.
    ::Run().LocalSearchMode = true;
    Txt().SearchText = QStringLiteral("de");
    Txt().LocalSearchHeadId = Txt().CurrentHeadId;
    window->Viewer->setSelStart(150);
    const int caret = window->Viewer->SelStart();
    key(Qt::Key_B, Qt::ControlModifier);
    ASSERT_EQ(sounds, QStringList{QStringLiteral("bookmark.wav")});
    EXPECT_EQ(window->Viewer->SelStart(), caret);
    EXPECT_FALSE(Txt().FoundPositions.empty());
    EXPECT_NE(Txt().FoundPositions.front(), caret);
    EXPECT_EQ(Txt().SearchText, QStringLiteral("de"));
}

TEST_F(frmMainMarksTest, F2AndShiftF2GoToTheNearestBookmarks)
{
    std::vector<int> at;
    for (int caret : {900, 300}) {
        window->Viewer->setSelStart(caret);
        at.push_back(window->Viewer->SelStart()); // none between the two characters of a line break
        window->mnuEditAddBookmark->trigger();
    }
    window->Viewer->setSelStart(100);
    key(Qt::Key_F2);
    EXPECT_EQ(window->Viewer->SelStart(), at[1]);
    key(Qt::Key_F2);
    EXPECT_EQ(window->Viewer->SelStart(), at[0]);
    key(Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_EQ(window->Viewer->SelStart(), at[1]);
    EXPECT_EQ(window->focusWidget(), text());
}

TEST_F(frmMainMarksTest, TheCaretEnteringAndLeavingANotePlaysEachSoundOnceAndEnterOpensIt)
{
    window->Viewer->setSelStart(50);
    window->Viewer->setSelLength(13);
    whenNoteShows([](frmAnnotation* dialog) {
        dialog->txtAnnotation->setPlainText(QStringLiteral("Call the harbour master."));
        dialog->cmdButton_Click(2);
    });
    window->mnuEditAddAnnotation->trigger();
    EXPECT_EQ(noteMode, QStringLiteral("add"));
    ASSERT_EQ(OnDisk().annotations.size(), 1u);
    EXPECT_EQ(window->Viewer->SelStart(), 50);
    EXPECT_TRUE(window->mnuNavigateAnnotation[2]->isEnabled());

    window->Viewer->setSelStart(47);
    sounds.clear();
    key(Qt::Key_Right); // 48
    key(Qt::Key_Right); // 49
    EXPECT_TRUE(sounds.isEmpty());
    key(Qt::Key_Right); // 50: in
    for (int i = 0; i < 12; ++i)
        key(Qt::Key_Right);
    ASSERT_EQ(window->Viewer->SelStart(), 62);
    EXPECT_EQ(sounds, QStringList{QStringLiteral("EnterAnnotation.wav")});
    key(Qt::Key_Right); // 63: out
    key(Qt::Key_Right);
    EXPECT_EQ(sounds, (QStringList{QStringLiteral("EnterAnnotation.wav"), QStringLiteral("LeaveAnnotation.wav")}));

    // Enter on the note opens it; Escape brings the caret back and the next key acts.
    window->Viewer->setSelStart(55);
    window->CheckAnnotation(false);
    whenNoteShows([](frmAnnotation* dialog) {
        QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Escape);
    });
    key(Qt::Key_Return);
    EXPECT_EQ(noteMode, QStringLiteral("show"));
    EXPECT_EQ(noteText, QStringLiteral("Call the harbour master."));
    EXPECT_EQ(window->Viewer->SelStart(), 55);
    EXPECT_EQ(window->focusWidget(), text());
    EXPECT_FALSE(::Run().IgnoreNextKeyUp);
    key(Qt::Key_Right);
    EXPECT_EQ(window->Viewer->SelStart(), 56);
    EXPECT_EQ(::Run().LastReadPosition, 56);
}

TEST_F(frmMainMarksTest, ABoldUnderlinedWordInTheNotesColourIsNoNote)
{
    // Whatever the text looks like, only a stored range makes a note.
    window->Viewer->setSelStart(20);
    window->Viewer->setSelLength(5);
    window->Viewer->setSelColor(Opts().AnnotationColor);
    window->Viewer->setSelUnderline(true);
    window->Viewer->setSelStart(22);
    sounds.clear();
    window->CheckAnnotation(true);
    EXPECT_TRUE(sounds.isEmpty());
    EXPECT_FALSE(window->InAnnotation);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
