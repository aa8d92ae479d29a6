// Copying from the real text view of the real window, offscreen, to the real clipboard.
#include "app/core/RunState.h"
#include "clipboard/CopyPaste.h"
#include "navigation/NavList.h"
#include "package/modXML.h"
#include "render/TextViewer.h"
#include "render/ui/TextViewerWidget.h"
#include "settings/modLanguage.h"
#include "tests/support/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

class CopyTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        window->SetLang();
        showWindow();
        openSample();
        // Into the first article of the first section.
        key(Qt::Key_Right);
        key(Qt::Key_Right);
        ASSERT_EQ(::Run().CurrentLevel, 9);
        ASSERT_EQ(focus(), window->TextViewerView);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }

    QString clipboard() const { return QGuiApplication::clipboard()->text(); }
    // The view's text of the selection, as the reader sees it.
    QString selected() const
    {
        return window->Viewer->Text().mid(window->Viewer->SelStart(), window->Viewer->SelLength());
    }
};

TEST_F(CopyTest, TwoParagraphsGoOnTheClipboardAsOneLine)
{
    // From the start of the second paragraph, two lines down with Shift.
    key(Qt::Key_Down);
    key(Qt::Key_Home);
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Down, Qt::ShiftModifier);
    const QString shown = selected();
    ASSERT_TRUE(shown.contains(QStringLiteral("\r\n"))) << "the selection spans a paragraph break";
    EXPECT_TRUE(window->mnuEditCopy->isEnabled());

    QSignalSpy changes(QGuiApplication::clipboard(), &QClipboard::dataChanged);
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(changes.count(), 1) << "the view's own copy must not run as well";
    // One line with the words kept apart, as PassageFromSelection makes a passage.
    EXPECT_EQ(clipboard(), PassageFromSelection(shown));
    // Plain text only.
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasHtml());

    // Source and title: the document's title and the article selected in list 2.
    EXPECT_EQ(CopyPasteWindow().txtDbSource, GetXMLTagValue(::Run().XmlDoc.asNode(), ::Run().XdfDocTitleTag));
    EXPECT_FALSE(CopyPasteWindow().txtDbSource.isEmpty());
    EXPECT_TRUE(window->NavLists->entries(2)[0].startsWith(CopyPasteWindow().txtDbTitle));
    EXPECT_FALSE(CopyPasteWindow().txtDbTitle.isEmpty());
    EXPECT_TRUE(prompter.questions().empty());
    EXPECT_EQ(QApplication::focusWidget(), window->TextViewerView);
}

TEST_F(CopyTest, CtrlInsertAndEditCopyCopyOnceEach)
{
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    const QString three = selected();
    ASSERT_EQ(three.size(), 3);
    QSignalSpy changes(QGuiApplication::clipboard(), &QClipboard::dataChanged);
    key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(clipboard(), three);

    QGuiApplication::clipboard()->setText(QStringLiteral("between"));
    changes.clear();
    window->mnuEditCopy->trigger();
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(clipboard(), three);
    // The menu shows the key without a binding of its own, which would copy a second time.
    EXPECT_TRUE(window->mnuEditCopy->shortcut().isEmpty());
    EXPECT_TRUE(window->mnuEditCopy->text().contains(QStringLiteral("Ctrl+C")));
}

TEST_F(CopyTest, NothingSelectedTellsTheReaderAndLeavesTheClipboard)
{
    ASSERT_EQ(window->Viewer->SelLength(), 0);
    key(Qt::Key_C, Qt::ControlModifier);
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.questions()[0].text, SetLangTxt(1116));
    EXPECT_EQ(prompter.questions()[0].title, SetLangTxt(1750));
    EXPECT_EQ(prompter.questions()[0].icon, PromptIcon::Information);
    EXPECT_EQ(clipboard(), QStringLiteral("before"));
    EXPECT_EQ(QApplication::focusWidget(), window->TextViewerView);
    // The right button copies as well, and says the same.
    QTest::mouseClick(window->TextViewerView->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    ASSERT_EQ(prompter.questions().size(), 2u);
    EXPECT_EQ(prompter.questions()[1].text, SetLangTxt(1116));
    EXPECT_EQ(clipboard(), QStringLiteral("before"));
}

TEST_F(CopyTest, SelectAllSelectsTheWholeTextForCopying)
{
    ASSERT_TRUE(window->mnuEditSelectAll->isEnabled());
    window->mnuEditSelectAll->trigger();
    EXPECT_EQ(window->Viewer->SelLength(), window->Viewer->Text().size());
    EXPECT_TRUE(window->mnuEditCopy->isEnabled());
    window->mnuEditCopy->trigger();
    EXPECT_EQ(clipboard(), PassageFromSelection(window->Viewer->Text()));
    EXPECT_GT(clipboard().size(), 100);
    // Back in a list there is nothing to select.
    key(Qt::Key_Backspace);
    EXPECT_FALSE(window->mnuEditSelectAll->isEnabled());
}

TEST_F(CopyTest, PasteDoesNothingAndTheFirstRightClickCopies)
{
    ASSERT_TRUE(window->mnuEditPaste->isEnabled());
    const QString textBefore = window->Viewer->Text();
    window->mnuEditPaste->trigger();
    EXPECT_EQ(window->Viewer->Text(), textBefore);
    EXPECT_EQ(clipboard(), QStringLiteral("before"));

    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    const QString two = selected();
    QWidget* viewport = window->TextViewerView->viewport();
    QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(clipboard(), two);
    EXPECT_FALSE(window->mnuEditPaste->isEnabled());
    // With Paste disabled the right button no longer copies.
    QGuiApplication::clipboard()->setText(QStringLiteral("after"));
    QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(clipboard(), QStringLiteral("after"));
}

} // namespace
