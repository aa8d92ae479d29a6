// The bookmark and annotation windows driven offscreen over the sample
// newspaper and its real usage file.
#include "marks/ui/frmAnnotation.h"
#include "marks/ui/frmBookmark.h"

#include "app/core/AppPaths.h"
#include "app/core/DocumentFiles.h"
#include "app/core/RunState.h"
#include "marks/LastReadPosition.h"
#include "marks/UsageFile.h"
#include "navigation/NavList.h"
#include "navigation/NavigationHost.h"
#include "navigation/Navigator.h"
#include "package/DocumentOpening.h"
#include "render/TextAssembly.h"
#include "render/TextViewer.h"
#include "settings/ui/FormLanguage.h"
#include "tests/support/FreshState.h"
#include "tests/support/ReadingFixture.h"
#include "tests/support/ScriptedPrompter.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

StoredMarks OnDisk()
{
    DomDocument doc;
    EXPECT_TRUE(doc.load(UsageFilePathFor(::Run().DocumentId)));
    return ReadMarks(doc);
}

class MarkDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PrepareForReading());
        QDir(AppPaths::DufDir()).removeRecursively();
        assembly.ColourMarks = HighLightMarks;
        ASSERT_TRUE(OpenDocumentFile(AppPaths::SamplesDir() + QStringLiteral("/dagblad.xml"), false, {}).opened());
        ASSERT_TRUE(OpenDocumentUsageFile());
        MarksChanged();
        nav.ShowFirstLevel();
        lists.setListIndex(1, 2);
        nav.LevelDown();
        lists.setListIndex(2, 1);
        nav.LevelDown();
        ASSERT_EQ(::Run().CurrentLevel, 9);
    }
    void TearDown() override
    {
        CloseDocumentUsageFile();
        ResetProgramState(StoredSettings::Clear);
        MarksChanged();
    }
    MarkSpot spotAt(int caret, int length = 0)
    {
        viewer.setSelStart(caret);
        viewer.setSelLength(length);
        return CurrentMarkSpot(nav, lists, viewer).value();
    }
    static void release(QWidget* widget, Qt::Key key)
    {
        QTest::keyPress(widget, key);
        QTest::keyRelease(widget, key);
    }

    ScriptedPrompter prompter;
    NavList lists{3};
    TextViewer viewer;
    TextAssembly assembly{viewer};
    RecordingHost host;
    Navigator nav{lists, viewer, assembly, host};
};

TEST_F(MarkDialogsTest, EveryControlTheTextTableNamesIsThereAndGetsItsText)
{
    frmBookmark bookmarks;
    frmAnnotation annotations;
    for (QWidget* window : {static_cast<QWidget*>(&bookmarks), static_cast<QWidget*>(&annotations)}) {
        const QStringList controls = FormLanguageControls(window->objectName());
        EXPECT_FALSE(controls.isEmpty());
        for (const QString& control : controls)
            EXPECT_NE(window->findChild<QObject*>(control), nullptr) << control.toStdString();
    }
    bookmarks.show();
    annotations.show();
    EXPECT_EQ(bookmarks.windowTitle(), QStringLiteral("Bookmarks"));
    EXPECT_EQ(bookmarks.cmdButton[1]->text(), QStringLiteral("Go to"));
    EXPECT_EQ(annotations.fraAnnotation->title(), QStringLiteral("Annotation"));
    EXPECT_EQ(annotations.cmdButton[0]->text(), QStringLiteral("Go to text"));
}

TEST_F(MarkDialogsTest, AnEmptyBookmarkListSaysSoAndItsButtonsAndKeysDoNothing)
{
    frmBookmark dialog;
    dialog.show();
    ASSERT_EQ(dialog.lstBookmarks->count(), 1);
    EXPECT_EQ(dialog.lstBookmarks->item(0)->text(), QStringLiteral("There are no bookmarks in this document yet."));
    EXPECT_FALSE(dialog.cmdButton[0]->isEnabled());
    EXPECT_FALSE(dialog.cmdButton[1]->isEnabled());
    EXPECT_EQ(dialog.cmdButton[2]->text(), QStringLiteral("Close"));
    release(dialog.lstBookmarks, Qt::Key_Return);
    release(dialog.lstBookmarks, Qt::Key_Delete);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.lblMode.isEmpty());
    EXPECT_TRUE(prompter.questions().empty());
}

TEST_F(MarkDialogsTest, DeleteNamesTheSelectedRowAndEnterGoesToTheChosenBookmark)
{
    std::vector<int> at;
    for (int caret : {40, 10, 25}) {
        const MarkSpot spot = spotAt(caret);
        at.push_back(spot.place.position);
        ASSERT_EQ(ToggleBookmark(spot, viewer.Text()), ToggleResult::Added);
    }
    frmBookmark dialog;
    dialog.show();
    ASSERT_EQ(dialog.lstBookmarks->count(), 3);
    EXPECT_TRUE(dialog.lstBookmarks->hasFocus() || !QApplication::focusWidget());
    dialog.lstBookmarks->setCurrentRow(1);
    const QString row = dialog.lstBookmarks->item(1)->text();
    prompter.answer(PromptAnswer::Ok);
    release(dialog.lstBookmarks, Qt::Key_Delete);
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, QStringLiteral("Do you want to delete the bookmark %1?").arg(row));
    ASSERT_EQ(dialog.lstBookmarks->count(), 2);
    const StoredMarks disk = OnDisk();
    ASSERT_EQ(disk.bookmarks.size(), 2u);
    EXPECT_EQ(disk.bookmarks[0].place.position, at[0]);
    EXPECT_EQ(disk.bookmarks[1].place.position, at[2]);

    dialog.lstBookmarks->setCurrentRow(1);
    release(dialog.lstBookmarks, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.lblMode, QStringLiteral("totext"));
    ASSERT_TRUE(dialog.Target);
    EXPECT_EQ(dialog.Target->place.position, at[2]);

    // Shown again, the old result is gone until a new one is chosen.
    dialog.show();
    EXPECT_TRUE(dialog.lblMode.isEmpty());
    dialog.cmdButton_Click(2);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(dialog.lblMode.isEmpty());
}

TEST_F(MarkDialogsTest, AddingTakesTheSelectionAsTitleAndWillNotSaveABlankNote)
{
    const QString text = viewer.Text();
    frmAnnotation dialog;
    dialog.AddAnnotation(spotAt(50, 13), 13, text.mid(50, 13), text);
    dialog.show();
    EXPECT_TRUE(dialog.fraAnnotation->isVisible());
    EXPECT_FALSE(dialog.lstAnnotations->isVisible());
    EXPECT_EQ(dialog.txtDescriptiveTitle->text(), text.mid(50, 13));
    EXPECT_EQ(dialog.txtDescriptiveTitle->selectedText(), text.mid(50, 13));
    EXPECT_FALSE(dialog.lblDate->text().isEmpty());
    EXPECT_FALSE(dialog.cmdButton[0]->isEnabled());
    EXPECT_FALSE(dialog.cmdButton[1]->isEnabled());
    EXPECT_EQ(dialog.cmdButton[2]->text(), QStringLiteral("Save"));

    dialog.txtAnnotation->setPlainText(QStringLiteral("  \n\t "));
    dialog.cmdButton_Click(2);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(OnDisk().annotations.empty());

    dialog.txtAnnotation->setPlainText(QStringLiteral("Call the harbour master.\n\tTwice."));
    dialog.cmdButton_Click(2);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(dialog.Changed);
    const StoredMarks disk = OnDisk();
    ASSERT_EQ(disk.annotations.size(), 1u);
    EXPECT_EQ(disk.annotations[0].place.position, 50);
    EXPECT_EQ(disk.annotations[0].length, 13);
    EXPECT_EQ(disk.annotations[0].text, QStringLiteral("Call the harbour master.\n\tTwice."));
}

TEST_F(MarkDialogsTest, TheListActsOnItsSelectedRowAndShowModeEditsOnlyTitleTextAndDate)
{
    const QString text = viewer.Text();
    frmAnnotation dialog;
    dialog.lblMode = QStringLiteral("list");
    dialog.show();
    ASSERT_EQ(dialog.lstAnnotations->count(), 1);
    EXPECT_EQ(dialog.lstAnnotations->item(0)->text(), QStringLiteral("There are no annotations in this document yet."));
    EXPECT_FALSE(dialog.lstAnnotations->isEnabled());
    EXPECT_FALSE(dialog.cmdButton[0]->isEnabled());
    EXPECT_FALSE(dialog.cmdButton[1]->isEnabled());
    dialog.hide();

    ASSERT_TRUE(SaveNewAnnotation(spotAt(10, 4), 4, QStringLiteral("first"), QStringLiteral("one"), text));
    ASSERT_TRUE(SaveNewAnnotation(spotAt(30, 6), 6, QStringLiteral("second"), QStringLiteral("two"), text));
    ASSERT_TRUE(SaveNewAnnotation(spotAt(60, 2), 2, QStringLiteral("third"), QStringLiteral("three"), text));
    // A note was shown earlier: its id must not steer what the list does.
    ASSERT_TRUE(dialog.ShowAnnotation(QStringLiteral("1")));
    dialog.lblMode = QStringLiteral("list");
    dialog.show();
    ASSERT_EQ(dialog.lstAnnotations->count(), 3);
    EXPECT_EQ(dialog.cmdButton[2]->text(), QStringLiteral("Open"));
    dialog.lstAnnotations->setCurrentRow(1);
    prompter.answer(PromptAnswer::Ok);
    release(dialog.lstAnnotations, Qt::Key_Delete);
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, QStringLiteral("Do you want to delete the annotation second?"));
    StoredMarks disk = OnDisk();
    ASSERT_EQ(disk.annotations.size(), 2u);
    EXPECT_EQ(disk.annotations[1].title, QStringLiteral("third"));
    ASSERT_EQ(dialog.lstAnnotations->count(), 2);

    // Open the selected row (third), edit it in show mode, save.
    dialog.lstAnnotations->setCurrentRow(1);
    dialog.cmdButton_Click(2);
    EXPECT_EQ(dialog.lblMode, QStringLiteral("show"));
    EXPECT_EQ(dialog.txtAnnotation->toPlainText(), QStringLiteral("three"));
    EXPECT_EQ(dialog.cmdButton[2]->text(), QStringLiteral("Save changes"));
    dialog.txtDescriptiveTitle->setText(QStringLiteral("Third, renamed"));
    dialog.txtAnnotation->setPlainText(QStringLiteral(" three\nlines\n "));
    dialog.cmdButton_Click(2);
    EXPECT_FALSE(dialog.isVisible());
    disk = OnDisk();
    EXPECT_EQ(disk.annotations[1].title, QStringLiteral("Third, renamed"));
    EXPECT_EQ(disk.annotations[1].text, QStringLiteral(" three\nlines\n "));
    EXPECT_EQ(disk.annotations[1].place.position, 60);
    EXPECT_EQ(disk.annotations[1].length, 2);

    // To text from the list gives the note's place as the result.
    dialog.lblMode = QStringLiteral("list");
    dialog.show();
    dialog.lstAnnotations->setCurrentRow(0);
    dialog.cmdButton_Click(0);
    EXPECT_EQ(dialog.lblMode, QStringLiteral("totext"));
    ASSERT_TRUE(dialog.Target);
    EXPECT_EQ(dialog.Target->place.position, 10);
    EXPECT_EQ(dialog.CountAnnotations(), 2);
}

} // namespace
