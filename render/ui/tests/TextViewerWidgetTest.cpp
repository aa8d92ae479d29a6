#include "render/ui/TextViewerWidget.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

class TextViewerWidgetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        widget = new TextViewerWidget(&viewer);
        widget->resize(400, 300);
        viewer.setText(QStringLiteral("ab\r\ncd"));
        widget->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
        widget->activateWindow();
        widget->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(widget));
    }
    void TearDown() override
    {
        delete widget;
        CloseMenus();
    }

    // Clicks through the window, as a real click arrives, so that Qt also makes the
    // context-menu request that follows a right-button press.
    static void RightClick(QTextEdit* edit)
    {
        const QPoint at = edit->viewport()->mapTo(edit->window(), QPoint(20, 10));
        QTest::mouseClick(edit->window()->windowHandle(), Qt::RightButton, {}, at);
    }

    static void CloseMenus()
    {
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }

    TextViewer viewer;
    TextViewerWidget* widget = nullptr;
};

TEST_F(TextViewerWidgetTest, ShowsTheViewersDocumentReadOnlyWithACaret)
{
    EXPECT_EQ(widget->objectName(), QStringLiteral("TextViewer"));
    EXPECT_EQ(widget->document(), viewer.document());
    EXPECT_TRUE(widget->isReadOnly());
    EXPECT_TRUE(widget->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    viewer.setBackColor(0x0000FF);
    EXPECT_EQ(widget->palette().color(QPalette::Base), QColor(Qt::red));
}

TEST_F(TextViewerWidgetTest, RightClickIsReportedAndOpensNoMenu)
{
    // The same click on a plain edit does open a menu: the check below can fail.
    QTextEdit plain;
    plain.setPlainText(QStringLiteral("text"));
    plain.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&plain));
    RightClick(&plain);
    EXPECT_NE(QApplication::activePopupWidget(), nullptr);
    CloseMenus();

    QSignalSpy released(widget, &TextViewerWidget::rightButtonReleased);
    viewer.setSelStart(1);
    RightClick(widget);
    EXPECT_EQ(released.count(), 1);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(viewer.SelStart(), 1);

    // The menu key and a context-menu request from anywhere else open nothing either.
    QTest::keyClick(widget, Qt::Key_Menu);
    QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(5, 5), widget->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(widget->viewport(), &request);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(released.count(), 1);
}

TEST_F(TextViewerWidgetTest, CaretMovedWithKeysIsWhatSelStartReads)
{
    viewer.setSelStart(0);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(widget, Qt::Key_Right);
    EXPECT_EQ(viewer.SelStart(), 4); // past the CR LF pair
    QTest::keyClick(widget, Qt::Key_End);
    EXPECT_EQ(viewer.SelStart(), 6);
    QTest::keyClick(widget, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(viewer.SelStart(), 5);
    EXPECT_EQ(viewer.SelLength(), 1);

    // And the other way round.
    viewer.setSelStart(2);
    EXPECT_EQ(widget->textCursor().position(), 2);
    EXPECT_FALSE(widget->textCursor().hasSelection());
}

TEST_F(TextViewerWidgetTest, TextBuiltWhileHiddenShowsWithTheCaretSetMeanwhile)
{
    viewer.setVisible(false);
    EXPECT_FALSE(widget->isVisible());
    // The hidden view hears nothing of the insertions (no layout, no accessibility events).
    QSignalSpy changes(widget, &QTextEdit::textChanged);
    viewer.setText(QString());
    for (int i = 0; i < 100; ++i)
        viewer.setSelText(QStringLiteral("line %1\r\n").arg(i));
    EXPECT_EQ(changes.count(), 0);
    const int at = viewer.Find(QStringLiteral("line 50"));
    ASSERT_GT(at, 0);
    viewer.setSelStart(at);
    viewer.setVisible(true);
    ASSERT_TRUE(widget->isVisible());
    EXPECT_EQ(widget->textCursor().block().text(), QStringLiteral("line 50"));
    EXPECT_EQ(widget->textCursor().positionInBlock(), 0);
    QTest::keyClick(widget, Qt::Key_Right);
    EXPECT_EQ(viewer.SelStart(), at + 1);
}

TEST(TextViewerWidgetLifetimeTest, OutlivesItsViewer)
{
    auto* shortLived = new TextViewer;
    shortLived->setText(QStringLiteral("gone soon"));
    TextViewerWidget view(shortLived);
    view.show();
    delete shortLived;
    EXPECT_EQ(view.viewer(), nullptr);
    EXPECT_TRUE(view.document()->isEmpty());
    QTest::keyClick(&view, Qt::Key_Right); // would reach the deleted document
}

} // namespace
