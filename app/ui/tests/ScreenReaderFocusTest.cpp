// The widget side of what a screen reader is told; what it then says is checked
// by the speech test under a real screen reader (tests/speech).
#include "app/ui/ScreenReaderFocus.h"

#include <QAccessible>
#include <QApplication>
#include <QListView>
#include <QStringListModel>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// A window with a list and a text view, as the reader meets them.
class ScreenReaderFocusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        list = new QListView(&window);
        model.setStringList({QStringLiteral("Voorpagina"), QStringLiteral("Binnenland"), QStringLiteral("Buitenland")});
        list->setModel(&model);
        list->setCurrentIndex(model.index(1));
        text = new QTextEdit(&window);
        text->setReadOnly(true);
        text->setPlainText(QStringLiteral("Titel van het stuk\n\nEerste zin. Tweede zin? Derde\nzin zonder einde\n\n"
                                          "Slotzin: hier."));
        layout->addWidget(list);
        layout->addWidget(text);
        window.resize(600, 400);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // The notification a screen reader reads out, when one is showing.
    QString shownNotice() const
    {
        auto* notice = window.findChild<QWidget*>(QStringLiteral("ScreenReaderNotice"));
        if (!notice || !notice->isVisible())
            return {};
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(notice);
        EXPECT_NE(iface, nullptr);
        if (!iface)
            return {};
        EXPECT_EQ(iface->role(), QAccessible::Notification);
        EXPECT_EQ(notice->focusPolicy(), Qt::NoFocus);
        return iface->text(QAccessible::Name);
    }
    void placeCaret(int position)
    {
        QTextCursor cursor = text->textCursor();
        cursor.setPosition(position);
        text->setTextCursor(cursor);
    }
    int offsetOf(const QString& part) const { return static_cast<int>(text->toPlainText().indexOf(part)); }

    QWidget window;
    QStringListModel model;
    QListView* list = nullptr;
    QTextEdit* text = nullptr;
};

TEST_F(ScreenReaderFocusTest, TextTakingTheFocusHasItsCaretLineReadWithoutTakingTheFocusAway)
{
    list->setFocus();
    placeCaret(0);
    FocusTextAtCaret(text);
    EXPECT_TRUE(text->hasFocus());
    EXPECT_EQ(shownNotice(), QStringLiteral("Titel van het stuk"));
    placeCaret(offsetOf(QStringLiteral("Tweede")));
    FocusTextAtCaret(text);
    EXPECT_EQ(shownNotice(), QStringLiteral("Eerste zin. Tweede zin? Derde"));
    EXPECT_TRUE(text->hasFocus());
    EXPECT_EQ(text->textCursor().position(), offsetOf(QStringLiteral("Tweede")));
}

TEST_F(ScreenReaderFocusTest, NothingIsReadForAViewWithoutTheFocusOrForEmptyText)
{
    list->setFocus();
    AnnounceInText(text, QStringLiteral("Eerste zin."));
    EXPECT_TRUE(shownNotice().isEmpty());
    text->setFocus();
    AnnounceInText(text, QStringLiteral("  \n "));
    EXPECT_TRUE(shownNotice().isEmpty());
    AnnounceInText(text, QStringLiteral("Eerste\n zin."));
    EXPECT_EQ(shownNotice(), QStringLiteral("Eerste zin."));
}

TEST_F(ScreenReaderFocusTest, PhraseLineAndParagraphAtTheCaret)
{
    placeCaret(offsetOf(QStringLiteral("Tweede")));
    EXPECT_EQ(CaretPhrase(text), QStringLiteral("Tweede zin?"));
    EXPECT_EQ(CaretParagraph(text), QStringLiteral("Eerste zin. Tweede zin? Derde"));
    EXPECT_EQ(CaretLine(text), QStringLiteral("Eerste zin. Tweede zin? Derde"));
    // A phrase without an end stops at the end of its paragraph.
    placeCaret(offsetOf(QStringLiteral("Derde")));
    EXPECT_EQ(CaretPhrase(text), QStringLiteral("Derde"));
    // From an empty line, the phrase the reader comes to next.
    placeCaret(offsetOf(QStringLiteral("\n\nSlotzin")) + 1);
    EXPECT_TRUE(CaretLine(text).isEmpty());
    EXPECT_TRUE(CaretParagraph(text).isEmpty());
    EXPECT_EQ(CaretPhrase(text), QStringLiteral("Slotzin:"));
    placeCaret(static_cast<int>(text->toPlainText().size()));
    EXPECT_TRUE(CaretPhrase(text).isEmpty());
}

TEST_F(ScreenReaderFocusTest, ListTakesTheFocusAndKeepsItsRow)
{
    text->setFocus();
    FocusListOnRow(list, 1);
    EXPECT_TRUE(list->hasFocus());
    EXPECT_EQ(list->currentIndex().row(), 1);
    // A row outside the list changes nothing.
    FocusListOnRow(list, 7);
    EXPECT_EQ(list->currentIndex().row(), 1);
    FocusListOnRow(nullptr, 0);
    FocusTextAtCaret(nullptr);
    EXPECT_TRUE(list->hasFocus());
}

TEST_F(ScreenReaderFocusTest, RefocusWaitsForTheWindowToBeActiveAgain)
{
    list->setFocus();
    QWidget dialog;
    dialog.resize(200, 100);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    text->setFocus(); // remembered as the window's focus, not given while inactive
    RefocusAfterDialog(list);
    RefocusAfterDialog(text); // the later call wins
    EXPECT_FALSE(text->hasFocus());

    dialog.hide();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* notice = window.findChild<QWidget*>(QStringLiteral("ScreenReaderNotice"));
    if (notice)
        notice->hide();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !shownNotice().isEmpty(); }, 2000));
    EXPECT_TRUE(text->hasFocus());
    EXPECT_EQ(shownNotice(), QStringLiteral("Titel van het stuk"));
    // Only once: a later activation leaves the focus where the reader put it.
    list->setFocus();
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.hide();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QCoreApplication::processEvents();
    EXPECT_TRUE(list->hasFocus());
}

} // namespace
