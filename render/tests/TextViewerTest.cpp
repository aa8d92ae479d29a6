#include "render/TextViewer.h"

#include "app/core/ErrorConvention.h"

#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

namespace {

// Character format of the document character at docPos.
QTextCharFormat FormatAt(const TextViewer& v, int docPos)
{
    QTextCursor c(v.document());
    c.setPosition(docPos);
    c.setPosition(docPos + 1, QTextCursor::KeepAnchor);
    return c.charFormat();
}

int ErrorNumberOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const QbError& e) {
        return e.number();
    }
    return 0;
}

// A view stand-in: a cursor, a shown flag, and counters of what it was asked.
class FakeHost : public TextCaretHost {
public:
    explicit FakeHost(QTextDocument* doc) : cursor(doc) {}
    QTextCursor caret() const override { return cursor; }
    void setCaret(const QTextCursor& c) override
    {
        cursor = c;
        ++caretPushes;
    }
    void ensureCaretVisible() override { ++scrolls; }
    bool isViewShown() const override { return shown; }
    void setViewVisible(bool visible) override { shown = visible; }
    void applyBackColor(const QColor& color) override { back = color; }
    void takeFocus() override { ++focusRequests; }
    void releaseViewer() override { released = true; }

    QTextCursor cursor;
    bool shown = false;
    int caretPushes = 0;
    int scrolls = 0;
    int focusRequests = 0;
    QColor back;
    bool released = false;
};

TEST(TextViewerTest, PositionsCountEachParagraphBreakAsTwo)
{
    TextViewer v;
    for (const char* piece : {"ab", "\r\n", "cde", "\r\n", "\r\n", "f"})
        v.setSelText(QString::fromLatin1(piece));
    const QString text = v.Text();
    ASSERT_EQ(text, QStringLiteral("ab\r\ncde\r\n\r\nf"));
    EXPECT_EQ(v.document()->blockCount(), 4);
    EXPECT_EQ(v.SelStart(), text.size());

    // Every position outside a CR LF pair survives a round trip.
    for (int p = 0; p <= text.size(); ++p) {
        if (p > 0 && text.at(p - 1) == QLatin1Char('\r'))
            continue;
        v.setSelStart(p);
        EXPECT_EQ(v.SelStart(), p) << p;
        EXPECT_EQ(v.SelLength(), 0);
    }
    // Between CR and LF is the break itself, i.e. the position of the CR.
    v.setSelStart(3);
    EXPECT_EQ(v.SelStart(), 2);
    v.setSelStart(10);
    EXPECT_EQ(v.SelStart(), 9);

    // A selection across a break: the view counts it as two.
    v.setSelStart(1);
    v.setSelLength(4);
    EXPECT_EQ(v.SelStart(), 1);
    EXPECT_EQ(v.SelLength(), 4);
    EXPECT_EQ(text.mid(v.SelStart(), v.SelLength()), QStringLiteral("b\r\nc"));

    // Past the end: clamped to the end.
    v.setSelLength(100);
    EXPECT_EQ(v.SelLength(), text.size() - 1);
    v.setSelStart(1000);
    EXPECT_EQ(v.SelStart(), text.size());

    EXPECT_EQ(ErrorNumberOf([&] { v.setSelStart(-1); }), ErrNo::InvalidCall);
    EXPECT_EQ(ErrorNumberOf([&] { v.setSelLength(-1); }), ErrNo::InvalidCall);
}

TEST(TextViewerTest, EachKindOfLineBreakMakesOneParagraph)
{
    TextViewer v;
    v.setSelText(QStringLiteral("a\r\nb"));
    v.setSelText(QStringLiteral("c\nd"));
    v.setSelText(QStringLiteral("e\rf"));
    v.setSelText(QStringLiteral("g\n\rh")); // LF then a lone CR: two breaks
    EXPECT_EQ(v.Text(), QStringLiteral("a\r\nbc\r\nde\r\nfg\r\n\r\nh"));
    EXPECT_EQ(v.document()->blockCount(), 6);
    EXPECT_EQ(v.SelStart(), v.Text().size());
}

TEST(TextViewerTest, InsertingInsideTheTextKeepsPositionsRight)
{
    TextViewer v;
    v.setSelText(QStringLiteral("one\r\ntwo\r\nthree"));
    const int rebuilds = v.breakTableRebuilds();
    v.setSelStart(5); // start of "two"
    v.setSelText(QStringLiteral("X\r\nY"));
    EXPECT_EQ(v.Text(), QStringLiteral("one\r\nX\r\nYtwo\r\nthree"));
    EXPECT_EQ(v.SelStart(), 9);
    EXPECT_EQ(v.Find(QStringLiteral("three")), 14);
    EXPECT_EQ(v.breakTableRebuilds(), rebuilds + 1);

    // Replacing a selection that holds a break.
    v.setSelStart(3);
    v.setSelLength(3);
    v.setSelText(QStringLiteral("-"));
    EXPECT_EQ(v.Text(), QStringLiteral("one-\r\nYtwo\r\nthree"));
    EXPECT_EQ(v.SelStart(), 4);

    // Edits made on the document directly are noticed too.
    QTextCursor(v.document()).insertText(QStringLiteral("\n"));
    EXPECT_EQ(v.Text(), QStringLiteral("\r\none-\r\nYtwo\r\nthree"));
    EXPECT_EQ(v.Find(QStringLiteral("three")), 14);
}

TEST(TextViewerTest, FormattingAtTheCaretAppliesToTextInsertedNext)
{
    TextViewer v;
    v.setSelText(QStringLiteral("plain"));
    v.setSelBold(true);
    v.setSelColor(0x0000FF);
    v.setSelFontName(QStringLiteral("Serif"));
    v.setSelFontSize(20);
    // Nothing inserted yet: the existing text is untouched.
    EXPECT_NE(FormatAt(v, 4).fontWeight(), QFont::Bold);
    v.setSelText(QStringLiteral("bold"));
    v.setSelBold(false);
    v.setSelText(QStringLiteral("x"));

    for (int i = 0; i < 9; ++i) {
        const QTextCharFormat f = FormatAt(v, i);
        EXPECT_EQ(f.fontWeight() == QFont::Bold, i >= 5) << i;
        EXPECT_EQ(f.foreground().color() == QColor(Qt::red), i >= 5) << i;
    }
    EXPECT_EQ(FormatAt(v, 8).fontFamilies().toStringList(), QStringList{QStringLiteral("Serif")});
    EXPECT_EQ(FormatAt(v, 8).fontPointSize(), 20.0);
    // Settings not changed since stay in force for later insertions.
    EXPECT_NE(FormatAt(v, 9).fontWeight(), QFont::Bold);
    EXPECT_EQ(FormatAt(v, 9).foreground().color(), QColor(Qt::red));
    EXPECT_EQ(v.SelColor(), 0x0000FF);

    // A caret that moves takes the formatting of the text where it lands.
    v.setSelUnderline(true);
    v.setSelStart(2);
    EXPECT_FALSE(v.SelUnderline());
    EXPECT_EQ(v.SelColor(), 0);
    v.setSelText(QStringLiteral("y"));
    EXPECT_FALSE(FormatAt(v, 2).hasProperty(QTextFormat::ForegroundBrush));

    // A rejected size leaves the one in force.
    v.setSelStart(v.Text().size());
    EXPECT_EQ(ErrorNumberOf([&] { v.setSelFontSize(0); }), ErrNo::InvalidCall);
    v.setSelText(QStringLiteral("z"));
    EXPECT_EQ(FormatAt(v, 11).fontPointSize(), 20.0);
}

TEST(TextViewerTest, FormattingASelectionChangesOnlyThatText)
{
    TextViewer v;
    v.setSelText(QStringLiteral("one two three"));
    ASSERT_EQ(v.Find(QStringLiteral("two")), 4);
    v.setSelItalic(true);
    v.setSelUnderline(true);
    v.setSelColor(0x123456);
    EXPECT_TRUE(v.SelUnderline());
    EXPECT_EQ(v.SelColor(), 0x123456);
    for (int i = 0; i < 13; ++i) {
        const bool inside = i >= 4 && i < 7;
        EXPECT_EQ(FormatAt(v, i).fontItalic(), inside) << i;
        EXPECT_EQ(FormatAt(v, i).fontUnderline(), inside) << i;
    }
    EXPECT_EQ(FormatAt(v, 5).foreground().color(), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(TextViewer::FromQColor(QColor(0x12, 0x34, 0x56)), 0x563412);

    // A bare caret reads the character before it, as a step through a marked run does.
    v.setSelStart(4);
    EXPECT_FALSE(v.SelUnderline());
    v.setSelStart(5);
    EXPECT_TRUE(v.SelUnderline());
    v.setSelStart(7);
    EXPECT_TRUE(v.SelUnderline());
    v.setSelStart(8);
    EXPECT_FALSE(v.SelUnderline());

    EXPECT_EQ(ErrorNumberOf([&] { v.setSelColor(0x1000000); }), ErrNo::InvalidCall);
    EXPECT_EQ(ErrorNumberOf([&] { v.setSelColor(-1); }), ErrNo::InvalidCall);
}

TEST(TextViewerTest, AlignmentAndIndentBelongToParagraphs)
{
    TextViewer v;
    v.setSelAlignment(2);
    v.setSelIndent(1440);
    v.setSelText(QStringLiteral("a\r\nb"));
    v.setSelAlignment(1);
    v.setSelText(QStringLiteral("\r\nc"));
    QTextDocument* doc = v.document();
    ASSERT_EQ(doc->blockCount(), 3);
    // The caret's paragraph took the new alignment; the earlier one kept its own;
    // a paragraph started from the caret inherits both settings.
    EXPECT_EQ(doc->findBlockByNumber(0).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(doc->findBlockByNumber(1).blockFormat().alignment(), Qt::AlignRight);
    EXPECT_EQ(doc->findBlockByNumber(2).blockFormat().alignment(), Qt::AlignRight);
    EXPECT_EQ(doc->findBlockByNumber(2).blockFormat().leftMargin(), 96.0); // one inch

    // A selection touching the first two paragraphs sets both.
    v.setSelStart(0);
    v.setSelLength(3);
    v.setSelAlignment(0);
    v.setSelIndent(150);
    EXPECT_EQ(doc->findBlockByNumber(0).blockFormat().alignment(), Qt::AlignLeft);
    EXPECT_EQ(doc->findBlockByNumber(1).blockFormat().alignment(), Qt::AlignLeft);
    EXPECT_EQ(doc->findBlockByNumber(1).blockFormat().leftMargin(), 10.0);
    EXPECT_EQ(doc->findBlockByNumber(2).blockFormat().alignment(), Qt::AlignRight);

    EXPECT_EQ(ErrorNumberOf([&] { v.setSelAlignment(3); }), ErrNo::InvalidCall);
    EXPECT_EQ(ErrorNumberOf([&] { v.setSelIndent(-1); }), ErrNo::InvalidCall);
}

TEST(TextViewerTest, FindHonoursOptionsAndRange)
{
    TextViewer v;
    v.setSelText(QStringLiteral("The cat scattered cats. CAT\r\nthe end"));
    const QString text = v.Text();
    const int upper = int(text.indexOf(QStringLiteral("CAT")));
    const int secondThe = int(text.indexOf(QStringLiteral("the")));

    EXPECT_EQ(v.Find(QStringLiteral("cat")), 4);
    EXPECT_EQ(v.SelStart(), 4);
    EXPECT_EQ(v.SelLength(), 3);
    EXPECT_EQ(v.Find(QStringLiteral("cat"), 5), 9);                                   // inside "scattered"
    EXPECT_EQ(v.Find(QStringLiteral("cat"), 5, -1, TextViewer::FindWholeWord), upper); // not "cats"
    EXPECT_EQ(v.Find(QStringLiteral("CAT"), 0, -1, TextViewer::FindMatchCase), upper);
    EXPECT_EQ(v.Find(QStringLiteral("cat"), 5, -1, TextViewer::FindWholeWord | TextViewer::FindMatchCase), -1);

    // A match must end within the range; an end past the text means the rest.
    EXPECT_EQ(v.Find(QStringLiteral("cat"), 0, 6), -1);
    EXPECT_EQ(v.Find(QStringLiteral("cat"), 0, 7), 4);
    EXPECT_EQ(v.Find(QStringLiteral("end"), 0, 100000), int(text.size()) - 3);
    EXPECT_EQ(v.Find(QStringLiteral("end"), 100000), -1);

    // After a break the view position and the selected document text agree.
    const int at = v.Find(QStringLiteral("the"), 1, -1, TextViewer::FindMatchCase);
    EXPECT_EQ(at, secondThe);
    EXPECT_EQ(v.SelStart(), secondThe);
    v.setSelText(QStringLiteral("THE"));
    EXPECT_EQ(v.Text(), QString(text).replace(secondThe, 3, QStringLiteral("THE")));

    // A phrase across the break.
    EXPECT_EQ(v.Find(QStringLiteral("cat\r\nthe")), upper);
    EXPECT_EQ(v.SelLength(), 8);

    // Not found: -1 and the selection stays.
    v.setSelStart(2);
    v.setSelLength(3);
    EXPECT_EQ(v.Find(QStringLiteral("dog")), -1);
    EXPECT_EQ(v.Find(QString()), -1);
    EXPECT_EQ(v.SelStart(), 2);
    EXPECT_EQ(v.SelLength(), 3);
}

TEST(TextViewerTest, EmptyTextClearsTextAndFormatting)
{
    TextViewer v;
    v.setSelBold(true);
    v.setSelUnderline(true);
    v.setSelColor(0x0000FF);
    v.setSelAlignment(2);
    v.setSelText(QStringLiteral("heading\r\nbody"));
    v.setText(QString());
    EXPECT_TRUE(v.Text().isEmpty());
    EXPECT_EQ(v.SelStart(), 0);
    EXPECT_FALSE(v.SelUnderline());
    EXPECT_EQ(v.SelColor(), 0);
    v.setSelText(QStringLiteral("x"));
    EXPECT_NE(FormatAt(v, 0).fontWeight(), QFont::Bold);
    EXPECT_FALSE(FormatAt(v, 0).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_NE(v.document()->firstBlock().blockFormat().alignment(), Qt::AlignHCenter);

    v.setText(QStringLiteral("new\ntext"));
    EXPECT_EQ(v.Text(), QStringLiteral("new\r\ntext"));
    EXPECT_EQ(v.SelStart(), 0);
}

TEST(TextViewerTest, SurrogatePairsCountAsTwo)
{
    TextViewer v;
    v.setSelText(QString::fromUtf8("a\U0001F600b\r\nc \U0001D400d d"));
    EXPECT_EQ(v.Text().size(), 13);
    EXPECT_EQ(v.Find(QStringLiteral("b")), 3);
    EXPECT_EQ(v.Find(QStringLiteral("c")), 6);
    // An emoji is no letter; a mathematical capital outside the basic plane is.
    EXPECT_EQ(v.Find(QStringLiteral("b"), 0, -1, TextViewer::FindWholeWord), 3);
    EXPECT_EQ(v.Find(QStringLiteral("d"), 0, -1, TextViewer::FindWholeWord), 12);
    v.setSelStart(1);
    v.setSelLength(2);
    QTextCursor c(v.document());
    c.setPosition(1);
    c.setPosition(3, QTextCursor::KeepAnchor);
    EXPECT_EQ(c.selectedText(), QString::fromUtf8("\U0001F600"));
    EXPECT_EQ(v.SelLength(), 2);
}

TEST(TextViewerTest, BuildingALongTextIsNotQuadratic)
{
    TextViewer v;
    constexpr int Paragraphs = 20000;
    int length = 0;
    for (int i = 0; i < Paragraphs; ++i) {
        const QString head = QStringLiteral("paragraph %1").arg(i);
        v.setSelBold(i % 2 == 0);
        v.setSelText(head);
        v.setSelBold(false);
        v.setSelText(QStringLiteral(" tail\r\n"));
        // A position query after every insertion must not rebuild the break table.
        length += int(head.size()) + 7;
        ASSERT_EQ(v.SelStart(), length);
    }
    EXPECT_EQ(v.breakTableRebuilds(), 0);
    EXPECT_EQ(v.document()->blockCount(), Paragraphs + 1);
    const QString text = v.Text();
    EXPECT_EQ(v.SelStart(), text.size());
    EXPECT_TRUE(text.endsWith(QStringLiteral("paragraph 19999 tail\r\n")));

    // Positions near the end map through all earlier breaks.
    const int at = v.Find(QStringLiteral("paragraph 12345 "));
    EXPECT_EQ(at, text.indexOf(QStringLiteral("paragraph 12345 ")));
    EXPECT_EQ(FormatAt(v, at - 12345).fontWeight(), QFont::Normal);
    EXPECT_EQ(FormatAt(v, v.Find(QStringLiteral("paragraph 12346 ")) - 12346).fontWeight(), QFont::Bold);
    EXPECT_EQ(v.breakTableRebuilds(), 0);
}

TEST(TextViewerTest, AShownViewOwnsTheCaretAndAHiddenOneGetsItBack)
{
    auto v = std::make_unique<TextViewer>();
    FakeHost host(v->document());
    v->setBackColor(0x0000FF);
    v->attachHost(&host);
    EXPECT_TRUE(host.shown);
    EXPECT_EQ(host.back, QColor(Qt::red));
    v->setBackColor(0xFF0000);
    EXPECT_EQ(host.back, QColor(Qt::blue));
    EXPECT_EQ(ErrorNumberOf([&] { v->setBackColor(-5); }), ErrNo::InvalidCall);
    EXPECT_EQ(v->BackColor(), 0xFF0000);

    // Hidden while built: the view is not asked to move its caret per insertion.
    v->setVisible(false);
    EXPECT_FALSE(host.shown);
    const int pushes = host.caretPushes;
    for (int i = 0; i < 50; ++i)
        v->setSelText(QStringLiteral("line\r\n"));
    v->setSelStart(12);
    EXPECT_EQ(host.caretPushes, pushes);
    EXPECT_EQ(host.scrolls, 0);

    // Shown again: the view gets the caret and scrolls it into view.
    v->setVisible(true);
    EXPECT_EQ(host.cursor.position(), 10);
    EXPECT_EQ(host.scrolls, 1);

    // The reader moves the caret in the view.
    host.cursor.setPosition(16);
    host.cursor.setPosition(18, QTextCursor::KeepAnchor);
    EXPECT_EQ(v->SelStart(), 19);
    EXPECT_EQ(v->SelLength(), 2);
    v->setSelStart(6);
    EXPECT_EQ(host.cursor.position(), 5);
    EXPECT_EQ(host.scrolls, 2);

    // Hidden, the caret the reader left stays the caret.
    host.cursor.setPosition(20);
    v->setVisible(false);
    EXPECT_EQ(v->SelStart(), 24);

    v->setFocus();
    EXPECT_EQ(host.focusRequests, 1);
    v.reset();
    EXPECT_TRUE(host.released);
}

} // namespace
