// Many ranges painted at once against the same ranges painted one by one.
#include "render/TextViewer.h"

#include <QTextDocument>
#include <gtest/gtest.h>

#include <random>

namespace {

// A text of several paragraphs with formatting of its own, the same in both viewers.
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

// Every character's formatting and the text, in document positions.
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

} // namespace

TEST(ColourRanges, TheSameAsOneRangeAtATime)
{
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        TextViewer many, one;
        Fill(many);
        Fill(one);
        const int length = int(many.Text().size());
        // Ascending ranges: some touching, some over a paragraph break or the end of the text.
        std::vector<std::pair<int, int>> ranges;
        for (int at = int(random() % 7); at < length + 5; at += int(random() % 9)) {
            const int size = int(random() % 6);
            ranges.emplace_back(at, size);
            at += size;
        }
        many.colourRanges(ranges, 0x0000FF);
        for (const auto& [start, size] : ranges)
            one.colourRange(start, size, 0x0000FF);
        ASSERT_EQ(many.Text(), one.Text());
        ASSERT_EQ(Formats(many), Formats(one)) << "round " << round;
    }
}

TEST(ColourRanges, PaintsOnlyTheRangesAndKeepsTheCaret)
{
    TextViewer v;
    Fill(v);
    v.setSelStart(3);
    const QTextCharFormat atCaret = v.SelCharFormat();
    // "storm" of the first two paragraphs, the second one after a CR LF.
    const int second = int(v.Text().indexOf(QStringLiteral("storm"), 4));
    v.colourRanges({{3, 5}, {second, 5}}, 0x0000FF);
    const std::vector<QTextCharFormat> formats = Formats(v);
    // The second paragraph starts one place earlier in the document than in the text.
    for (int i = 0; i < int(formats.size()); ++i) {
        const bool inside = (i >= 3 && i < 8) || (i >= second - 1 && i < second + 4);
        EXPECT_EQ(formats[size_t(i)].foreground().color() == QColor(Qt::red), inside) << i;
    }
    EXPECT_EQ(v.SelStart(), 3);
    EXPECT_EQ(v.SelLength(), 0);
    EXPECT_EQ(v.SelCharFormat(), atCaret);
    v.colourRanges({}, 0x0000FF);
    EXPECT_EQ(Formats(v), formats);
}
