#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <vector>

class QTextDocument;

// What an on-screen view does for the TextViewer whose document it shows.
// While the view is shown its cursor is the caret (the reader moves it with
// keys); while it is hidden the TextViewer keeps the caret itself and hands it
// back when the view is shown again.
class TextCaretHost {
public:
    virtual ~TextCaretHost() = default;
    // The view's cursor on the viewer's document.
    virtual QTextCursor caret() const = 0;
    // Moves the view's cursor (and selection).
    virtual void setCaret(const QTextCursor& cursor) = 0;
    // Scrolls the view so that the caret can be seen.
    virtual void ensureCaretVisible() = 0;
    // True while the view is on screen and can take input.
    virtual bool isViewShown() const = 0;
    // Shows or hides the view.
    virtual void setViewVisible(bool visible) = 0;
    // Paints the whole view in this background colour.
    virtual void applyBackColor(const QColor& color) = 0;
    // Gives the view the keyboard focus.
    virtual void takeFocus() = 0;
    // The viewer is going away: stop showing its document and forget it.
    virtual void releaseViewer() = 0;
};

// Whether the length characters at `at` of text stand as a whole word: the
// characters on either side are no letter, digit or mark, or the text ends there.
bool StandsAlone(const QString& text, qsizetype at, qsizetype length);

// The reading text as a rich-text view. Positions are 0-based UTF-16 offsets
// into Text(), in which every paragraph break is the two characters CR LF; the
// document underneath counts a break as one, and the viewer maps between the
// two. Formatting set with an empty selection applies to the text inserted
// next at the caret. Works without any window; a view attaches as a host.
class TextViewer : public QObject {
    Q_OBJECT
public:
    // Find options; they add up.
    static constexpr int FindWholeWord = 2;
    static constexpr int FindMatchCase = 4;

    // Indents are in twips, the unit style values use: 1440 to the inch, so 15
    // to a pixel at 96 dpi, which is what a QTextDocument lays out in.
    static constexpr double TwipsPerPixel = 15.0;
    // The largest font size the view accepts.
    static constexpr double MaxFontPoints = 1638.0;

    explicit TextViewer(QObject* parent = nullptr);
    ~TextViewer() override;

    // The document shown by a view.
    QTextDocument* document() const { return m_doc; }
    // A view starts or stops showing this viewer; it gets the caret, visibility and background.
    void attachHost(TextCaretHost* host);
    void detachHost(TextCaretHost* host);
    // Called by the view when it is shown or hidden, so the caret follows.
    void hostVisibilityChanged();

    // The plain text, "\r\n" between paragraphs.
    QString Text() const;
    // Replaces the whole text; empty text also drops all formatting. The caret goes to 0.
    void setText(const QString& text);

    // Start of the selection (the caret when nothing is selected).
    int SelStart() const;
    // Moves the caret there, drops the selection and scrolls the caret into view.
    void setSelStart(int position);
    int SelLength() const;
    // The caret as a cursor on document(), for moves by the document's own
    // structure (paragraphs, laid-out lines).
    QTextCursor textCursor() const { return caret(); }
    // Puts the caret (and selection) there and scrolls it into view.
    void setTextCursor(const QTextCursor& cursor);
    // Selects this many characters from SelStart.
    void setSelLength(int length);
    // Replaces the selection by text in the formatting at the caret; the caret ends after it.
    void setSelText(const QString& text);

    void setSelFontName(const QString& name);
    void setSelFontSize(double points);
    void setSelBold(bool on);
    void setSelItalic(bool on);
    bool SelUnderline() const;
    void setSelUnderline(bool on);
    // Text colour as 0xBBGGRR (red in the low byte).
    int SelColor() const;
    void setSelColor(int color);
    // The whole character formatting of the selection's first character, or,
    // with a bare caret, the formatting the next insertion gets.
    QTextCharFormat SelCharFormat() const;
    // Replaces that formatting (of the selection, or of the next insertion).
    void setSelCharFormat(const QTextCharFormat& format);
    // Adds the properties set in change to that formatting.
    void mergeSelCharFormat(const QTextCharFormat& change);
    // Adds the properties set in change to the paragraphs of the selection, or
    // with a bare caret to its own paragraph.
    void mergeSelBlockFormat(const QTextBlockFormat& change);
    // Paragraph alignment of the paragraphs in the selection: 0 left, 1 right, 2 centre.
    void setSelAlignment(int alignment);
    // Left indent of the paragraphs in the selection, in twips.
    void setSelIndent(int twips);

    // Background of the whole view as 0xBBGGRR.
    int BackColor() const { return m_backColor; }
    void setBackColor(int color);

    // Paints the text colour (0xBBGGRR) of the ranges (start, length) over the
    // text: held by the layout of each paragraph, as a highlighter's colours are,
    // so the document, its formatting and the caret stay as they are, and
    // thousands of ranges cost little. The next text drops them.
    void highlightRanges(const std::vector<std::pair<int, int>>& ranges, int color);
    // The colour highlightRanges painted at position, or -1.
    int HighlightAt(int position) const;

    // A cursor on the document selecting length characters from start, for
    // marks drawn over the text (a view's extra selections) rather than in it.
    QTextCursor RangeCursor(int start, int length) const;

    // A range of the text in a mark's colour, underlined or not.
    struct MarkedRange {
        int start = 0;
        int length = 0;
        int color = 0;
        bool underline = false;
    };
    // Sets the colour and underline of each range in the document's own
    // formatting, so that a screen reader reports them with the text; later
    // ranges lie over earlier ones. The caret stays where it is.
    void markRanges(const std::vector<MarkedRange>& ranges);

    // Position of the first match of text lying within [start, end), or -1; a match is
    // selected. An end below 0 or beyond the text means the end of the text.
    int Find(const QString& text, int start = 0, int end = -1, int options = 0);

    // The edits between these two calls are one change of the document, which
    // then does no work of its own per insertion; a text build runs inside one.
    // They nest.
    void beginEditBlock();
    void endEditBlock();

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);
    // Asks the view for the keyboard focus.
    void setFocus();

    // 0xBBGGRR <-> QColor.
    static QColor ToQColor(int color);
    static int FromQColor(const QColor& color);

    // How often the paragraph-break table was rebuilt from the whole document.
    int breakTableRebuilds() const { return m_breakRebuilds; }

private:
    QTextCursor caret() const;
    const QTextCursor& caretRef() const;
    void putCaret(const QTextCursor& cursor);
    void syncCaret() const;
    void requestScroll();
    const QTextCharFormat& insertionFormat(const QTextCursor& caret) const;
    QTextCharFormat formatOfText(const QTextCursor& caret) const;
    void setCharProperty(int property, const QVariant& value);
    void setBlockProperty(int property, const QVariant& value);
    void clearDocument();

    int docLength() const;
    int viewLength() const;
    int viewToDoc(int view) const;
    int docToView(int doc) const;
    void ensureBreaks() const;
    void ensureText() const;
    void invalidateMaps();
    void appendToMaps(int oldDocEnd, const QString& inserted);

    QTextDocument* m_doc;
    TextCaretHost* m_host = nullptr;
    bool m_visible = true;
    int m_backColor = 0xFFFFFF;
    bool m_inOwnEdit = false;
    int m_editDepth = 0;
    // The paragraph and the formatting mergeSelBlockFormat last found or made it to have.
    QTextBlock m_lastBlock;
    QTextBlockFormat m_lastBlockChange;

    // The caret while no view shows it; m_hostHasCaret tells whether the view's cursor is newer.
    mutable QTextCursor m_cursor;
    mutable QTextCursor m_hostCaret; // the view's cursor as caretRef() last read it
    mutable bool m_hostHasCaret = false;
    mutable bool m_scrollPending = false;

    // Formatting for the next insertion, valid while the caret stays at m_formatAnchor/m_formatPos.
    mutable QTextCharFormat m_charFormat;
    mutable int m_formatAnchor = 0;
    mutable int m_formatPos = 0;

    // Document positions of the paragraph separators, ascending, and the view text;
    // rebuilt on demand after changes, extended in place when text is appended.
    mutable std::vector<int> m_breaks;
    mutable bool m_breaksValid = true;
    mutable QString m_text;
    mutable bool m_textValid = true;
    mutable int m_breakRebuilds = 0;
};
