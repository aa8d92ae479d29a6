// Ranges painted over the text by the layout: exactly the ranges, never the
// document's own formatting, and visible when the text is drawn.
#include "render/TextViewer.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <random>

namespace {

// A text of several paragraphs with formatting of its own.
void Fill(TextViewer& v)
{
    for (int p = 0; p < 6; ++p) {
        v.setSelText(QStringLiteral("De storm raast "));
        v.setSelBold(true);
        v.setSelText(QStringLiteral("over het water"));
        v.setSelBold(false);
        v.setSelColor(0x00FF00);
        v.setSelText(QStringLiteral(" \U0001F30A en de dijk."));
        v.setSelColor(0);
        if (p < 5)
            v.setSelText(QStringLiteral("\r\n"));
    }
}

// Every character's formatting in the document, in document positions.
std::vector<QTextCharFormat> Formats(const TextViewer& v)
{
    std::vector<QTextCharFormat> formats;
    const int n = v.document()->characterCount() - 1;
    for (int i = 0; i < n; ++i) {
        QTextCursor c(v.document());
        c.setPosition(i);
        c.setPosition(i + 1, QTextCursor::KeepAnchor);
        formats.push_back(c.charFormat());
    }
    return formats;
}

// How many pixels of the drawn text are clearly blue (glyph edges are blended with the white).
int BluePixels(const TextViewer& v)
{
    QImage image(800, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    v.document()->setTextWidth(800);
    v.document()->drawContents(&painter);
    painter.end();
    int blue = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            blue += qBlue(p) > qRed(p) + 80 && qBlue(p) > qGreen(p) + 80;
        }
    return blue;
}

} // namespace

TEST(ColourRanges, PaintsExactlyTheRangesOverParagraphBreaks)
{
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        TextViewer v;
        Fill(v);
        const std::vector<QTextCharFormat> before = Formats(v);
        const QString text = v.Text();
        const int length = int(text.size());
        // Ascending ranges: some touching, some over a paragraph break or the end of the text.
        std::vector<std::pair<int, int>> ranges;
        std::vector<bool> inside(size_t(length), false);
        for (int at = int(random() % 7); at < length + 5; at += int(random() % 9)) {
            const int size = int(random() % 6);
            ranges.emplace_back(at, size);
            for (int i = at; i < std::min(at + size, length); ++i)
                inside[size_t(i)] = true;
            at += size;
        }
        v.highlightRanges(ranges, 0xFF0000);
        for (int i = 0; i < length; ++i) {
            // A paragraph break is no character of the layout: never painted.
            if (text[i] == u'\r' || text[i] == u'\n')
                continue;
            ASSERT_EQ(v.HighlightAt(i), inside[size_t(i)] ? 0xFF0000 : -1) << "round " << round << " at " << i;
        }
        ASSERT_EQ(Formats(v), before) << "round " << round;
    }
}

TEST(ColourRanges, KeepsTheCaretLaterRangesWinAndTheNextTextDropsThem)
{
    TextViewer v;
    Fill(v);
    v.setSelStart(3);
    const QTextCharFormat atCaret = v.SelCharFormat();
    // "storm" of the first two paragraphs, the second one after a CR LF; out of order.
    const int second = int(v.Text().indexOf(QStringLiteral("storm"), 4));
    v.highlightRanges({{second, 5}, {3, 5}}, 0xFF0000);
    v.highlightRanges({{4, 1}}, 0x00FF00);
    EXPECT_EQ(v.HighlightAt(3), 0xFF0000);
    EXPECT_EQ(v.HighlightAt(4), 0x00FF00);
    EXPECT_EQ(v.HighlightAt(second + 4), 0xFF0000);
    EXPECT_EQ(v.HighlightAt(second + 5), -1);
    EXPECT_EQ(v.SelStart(), 3);
    EXPECT_EQ(v.SelLength(), 0);
    EXPECT_EQ(v.SelCharFormat(), atCaret);

    v.setText(QStringLiteral("De storm raast."));
    EXPECT_EQ(v.HighlightAt(3), -1);
    v.highlightRanges({}, 0xFF0000);
    EXPECT_EQ(v.HighlightAt(3), -1);
}

TEST(ColourRanges, AreDrawnInTheirColour)
{
    TextViewer v;
    v.setText(QStringLiteral("De storm raast over het water.\r\nDe dijk houdt stand."));
    ASSERT_EQ(BluePixels(v), 0);
    // Laid out once already: the painted paragraphs are laid out again.
    v.highlightRanges({{3, 5}, {33, 6}}, 0xFF0000);
    EXPECT_GT(BluePixels(v), 20);
}
