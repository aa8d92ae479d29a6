#include "render/TextViewer.h"

#include "app/core/ErrorConvention.h"

#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>

namespace {

constexpr int MaxColor = 0xFFFFFF;
constexpr double TwipsPerPixel = TextViewer::TwipsPerPixel;
constexpr double MaxFontPoints = TextViewer::MaxFontPoints;

void Require(bool ok, const char* what)
{
    if (!ok)
        RaiseError(ErrNo::InvalidCall, QString::fromLatin1(what), QStringLiteral("TextViewer"));
}

// The document's raw text writes a paragraph separator as U+2029; the view shows CR LF.
QString ViewText(QString raw)
{
    return raw.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
}

bool IsWordCodePoint(char32_t c)
{
    return QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

char32_t CodePointEndingAt(const QString& s, qsizetype end)
{
    const QChar low = s.at(end - 1);
    if (low.isLowSurrogate() && end >= 2 && s.at(end - 2).isHighSurrogate())
        return QChar::surrogateToUcs4(s.at(end - 2), low);
    return low.unicode();
}

char32_t CodePointStartingAt(const QString& s, qsizetype at)
{
    const QChar high = s.at(at);
    if (high.isHighSurrogate() && at + 1 < s.size() && s.at(at + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(high, s.at(at + 1));
    return high.unicode();
}

bool IsWholeWord(const QString& s, qsizetype at, qsizetype length)
{
    if (at > 0 && IsWordCodePoint(CodePointEndingAt(s, at)))
        return false;
    const qsizetype end = at + length;
    return end >= s.size() || !IsWordCodePoint(CodePointStartingAt(s, end));
}

// Marks the viewer's own edits, which keep the maps up to date themselves.
class OwnEdit {
public:
    explicit OwnEdit(bool& flag) : m_flag(flag) { m_flag = true; }
    ~OwnEdit() { m_flag = false; }
    OwnEdit(const OwnEdit&) = delete;
    OwnEdit& operator=(const OwnEdit&) = delete;

private:
    bool& m_flag;
};

} // namespace

bool StandsAlone(const QString& text, qsizetype at, qsizetype length)
{
    return IsWholeWord(text, at, length);
}

TextViewer::TextViewer(QObject* parent) : QObject(parent), m_doc(new QTextDocument(this)), m_cursor(m_doc)
{
    // Thousands of small insertions build each text; an undo history would only cost memory.
    m_doc->setUndoRedoEnabled(false);
    // Anything that edits the document behind the viewer's back makes the maps stale.
    // (contentsChange would say where, but comes only once a layout exists.)
    connect(m_doc, &QTextDocument::contentsChanged, this, [this] {
        if (!m_inOwnEdit) {
            invalidateMaps();
            m_lastBlock = QTextBlock();
        }
    });
}

TextViewer::~TextViewer()
{
    if (m_host)
        m_host->releaseViewer();
}

void TextViewer::attachHost(TextCaretHost* host)
{
    if (m_host == host)
        return;
    if (m_host)
        detachHost(m_host);
    m_host = host;
    if (!m_host)
        return;
    m_hostHasCaret = false;
    m_host->applyBackColor(ToQColor(m_backColor));
    m_host->setViewVisible(m_visible);
    syncCaret();
}

void TextViewer::detachHost(TextCaretHost* host)
{
    if (!host || host != m_host)
        return;
    if (m_hostHasCaret)
        m_cursor = m_host->caret();
    m_hostHasCaret = false;
    m_host = nullptr;
}

void TextViewer::hostVisibilityChanged()
{
    syncCaret();
}

// The caret lives in the view while the reader can move it there, and here
// otherwise. Switching only at show and hide keeps a text build, which runs
// with the view hidden, free of per-insertion layout and scrolling.
void TextViewer::syncCaret() const
{
    if (!m_host)
        return;
    const bool shown = m_host->isViewShown();
    if (shown && !m_hostHasCaret) {
        m_hostHasCaret = true;
        m_host->setCaret(m_cursor);
        if (m_scrollPending) {
            m_scrollPending = false;
            m_host->ensureCaretVisible();
        }
    } else if (!shown && m_hostHasCaret) {
        m_cursor = m_host->caret();
        m_hostHasCaret = false;
    }
}

QTextCursor TextViewer::caret() const
{
    syncCaret();
    return m_hostHasCaret ? m_host->caret() : m_cursor;
}

// The caret without a copy of the viewer's own cursor, for the calls a text build makes most.
const QTextCursor& TextViewer::caretRef() const
{
    syncCaret();
    if (!m_hostHasCaret)
        return m_cursor;
    m_hostCaret = m_host->caret();
    return m_hostCaret;
}

void TextViewer::putCaret(const QTextCursor& cursor)
{
    m_cursor = cursor;
    syncCaret();
    if (m_hostHasCaret)
        m_host->setCaret(cursor);
}

void TextViewer::requestScroll()
{
    if (m_hostHasCaret)
        m_host->ensureCaretVisible();
    else
        m_scrollPending = true;
}

// As in a word processor, a caret that has moved takes the formatting of the text
// where it now stands; formatting set at the caret lasts until it moves.
const QTextCharFormat& TextViewer::insertionFormat(const QTextCursor& caret) const
{
    if (caret.anchor() != m_formatAnchor || caret.position() != m_formatPos) {
        m_charFormat = formatOfText(caret);
        m_formatAnchor = caret.anchor();
        m_formatPos = caret.position();
    }
    return m_charFormat;
}

// Formatting of the first selected character, or of the character before a bare caret.
QTextCharFormat TextViewer::formatOfText(const QTextCursor& caret) const
{
    QTextCursor probe(m_doc);
    probe.setPosition(caret.hasSelection() ? caret.selectionStart() + 1 : caret.position());
    return probe.charFormat();
}

// Sets one property of the character formatting: of the selection, and of the
// text inserted next.
void TextViewer::setCharProperty(int property, const QVariant& value)
{
    QTextCursor c = caret();
    insertionFormat(c);
    if (c.hasSelection()) {
        QTextCharFormat change;
        change.setProperty(property, value);
        const OwnEdit own(m_inOwnEdit);
        c.mergeCharFormat(change);
    } else if (m_charFormat.property(property) == value) {
        return; // a text build sets the same formatting again and again
    }
    m_charFormat.setProperty(property, value);
}

// Sets one property of the paragraphs of the selection, or with a bare caret
// of its own paragraph, which the paragraphs started from it inherit.
void TextViewer::setBlockProperty(int property, const QVariant& value)
{
    QTextCursor c = caret();
    // A text build sets the same paragraph formatting again and again; leaving
    // the document alone then is much cheaper than an edit.
    if (!c.hasSelection() && c.blockFormat().property(property) == value)
        return;
    QTextBlockFormat change;
    change.setProperty(property, value);
    m_lastBlock = QTextBlock();
    const OwnEdit own(m_inOwnEdit);
    c.mergeBlockFormat(change);
}

void TextViewer::clearDocument()
{
    m_lastBlock = QTextBlock();
    {
        const OwnEdit own(m_inOwnEdit);
        m_doc->clear();
    }
    m_breaks.clear();
    m_breaksValid = true;
    m_text.clear();
    m_textValid = true;
    m_charFormat = QTextCharFormat();
    m_formatAnchor = 0;
    m_formatPos = 0;
}

QString TextViewer::Text() const
{
    ensureText();
    return m_text;
}

void TextViewer::setText(const QString& text)
{
    clearDocument();
    QTextCursor c(m_doc);
    if (!text.isEmpty()) {
        {
            const OwnEdit own(m_inOwnEdit);
            c.insertText(text, QTextCharFormat());
        }
        appendToMaps(0, text);
        c.setPosition(0);
    }
    putCaret(c);
    requestScroll();
}

int TextViewer::SelStart() const
{
    return docToView(caret().selectionStart());
}

void TextViewer::setSelStart(int position)
{
    Require(position >= 0, "SelStart below 0");
    QTextCursor c(m_doc);
    c.setPosition(viewToDoc(std::min(position, viewLength())));
    putCaret(c);
    requestScroll();
}

void TextViewer::setTextCursor(const QTextCursor& cursor)
{
    putCaret(cursor);
    requestScroll();
}

int TextViewer::SelLength() const
{
    const QTextCursor c = caret();
    return docToView(c.selectionEnd()) - docToView(c.selectionStart());
}

void TextViewer::setSelLength(int length)
{
    Require(length >= 0, "SelLength below 0");
    const int start = caret().selectionStart();
    const qint64 end = std::min<qint64>(qint64(docToView(start)) + length, viewLength());
    QTextCursor c(m_doc);
    c.setPosition(start);
    c.setPosition(viewToDoc(int(end)), QTextCursor::KeepAnchor);
    putCaret(c);
}

void TextViewer::setSelText(const QString& text)
{
    syncCaret();
    // While no view shows the caret it is the viewer's own: edit with it
    // directly, as a copy would be one more cursor for the document to keep up.
    QTextCursor hostCaret;
    QTextCursor& c = m_hostHasCaret ? (hostCaret = m_host->caret()) : m_cursor;
    const QTextCharFormat format = insertionFormat(c);
    if (text.isEmpty() && !c.hasSelection())
        return;
    // Inside an edit block the maps are made afresh when next asked for:
    // once for a whole text build is cheaper than keeping up with each piece.
    const int oldEnd = m_editDepth > 0 ? -1 : docLength();
    const bool appending = oldEnd >= 0 && !c.hasSelection() && c.position() == oldEnd;
    if (c.hasSelection())
        m_lastBlock = QTextBlock(); // paragraphs may go
    {
        const OwnEdit own(m_inOwnEdit);
        if (text.isEmpty())
            c.removeSelectedText();
        else if (!c.hasSelection() && text == QLatin1String("\r\n"))
            c.insertBlock(c.blockFormat(), format); // the same, with less work for the document
        else
            c.insertText(text, format);
    }
    if (appending)
        appendToMaps(oldEnd, text);
    else
        invalidateMaps();
    m_charFormat = format;
    m_formatAnchor = m_formatPos = c.position();
    if (m_hostHasCaret)
        putCaret(c);
}

void TextViewer::setSelFontName(const QString& name)
{
    // An empty name is no font; the formatting in force stays.
    if (name.isEmpty())
        return;
    setCharProperty(QTextFormat::FontFamilies, QVariant(QStringList{name}));
}

void TextViewer::setSelFontSize(double points)
{
    Require(points > 0 && points <= MaxFontPoints, "font size out of range");
    setCharProperty(QTextFormat::FontPointSize, points);
}

void TextViewer::setSelBold(bool on)
{
    setCharProperty(QTextFormat::FontWeight, int(on ? QFont::Bold : QFont::Normal));
}

void TextViewer::setSelItalic(bool on)
{
    setCharProperty(QTextFormat::FontItalic, on);
}

bool TextViewer::SelUnderline() const
{
    const QTextCursor c = caret();
    return (c.hasSelection() ? formatOfText(c) : insertionFormat(c)).fontUnderline();
}

void TextViewer::setSelUnderline(bool on)
{
    setCharProperty(QTextFormat::TextUnderlineStyle,
                    int(on ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline));
}

int TextViewer::SelColor() const
{
    const QTextCursor c = caret();
    const QTextCharFormat f = c.hasSelection() ? formatOfText(c) : insertionFormat(c);
    // Text never coloured is drawn in the default black.
    return f.hasProperty(QTextFormat::ForegroundBrush) ? FromQColor(f.foreground().color()) : 0;
}

void TextViewer::setSelColor(int color)
{
    Require(color >= 0 && color <= MaxColor, "colour out of range");
    setCharProperty(QTextFormat::ForegroundBrush, QBrush(ToQColor(color)));
}

void TextViewer::mergeSelCharFormat(const QTextCharFormat& change)
{
    QTextCursor c = caret();
    insertionFormat(c);
    if (c.hasSelection()) {
        const OwnEdit own(m_inOwnEdit);
        c.mergeCharFormat(change);
    }
    m_charFormat.merge(change);
}

void TextViewer::mergeSelBlockFormat(const QTextBlockFormat& change)
{
    QTextCursor c = caretRef();
    if (!c.hasSelection()) {
        // A text build sets the same paragraph formatting again and again.
        const QTextBlock block = c.block();
        if (block == m_lastBlock && change == m_lastBlockChange)
            return;
        QTextBlockFormat merged = block.blockFormat();
        const QTextBlockFormat current = merged;
        merged.merge(change);
        m_lastBlock = block;
        m_lastBlockChange = change;
        if (merged == current)
            return;
    }
    m_lastBlock = QTextBlock();
    const OwnEdit own(m_inOwnEdit);
    c.mergeBlockFormat(change);
    if (!c.hasSelection())
        m_lastBlock = c.block();
}

QTextCharFormat TextViewer::SelCharFormat() const
{
    const QTextCursor& c = caretRef();
    return c.hasSelection() ? formatOfText(c) : insertionFormat(c);
}

void TextViewer::setSelCharFormat(const QTextCharFormat& format)
{
    const QTextCursor& c = caretRef();
    const bool same = insertionFormat(c) == format;
    if (same && !c.hasSelection())
        return;
    m_charFormat = format;
    if (c.hasSelection()) {
        QTextCursor selection = c;
        const OwnEdit own(m_inOwnEdit);
        selection.setCharFormat(format);
    }
}

void TextViewer::setSelAlignment(int alignment)
{
    static constexpr Qt::Alignment Alignments[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter};
    Require(alignment >= 0 && alignment <= 2, "alignment out of range");
    setBlockProperty(QTextFormat::BlockAlignment, int(Alignments[alignment]));
}

void TextViewer::setSelIndent(int twips)
{
    Require(twips >= 0, "indent below 0");
    setBlockProperty(QTextFormat::BlockLeftMargin, twips / TwipsPerPixel);
}

void TextViewer::setBackColor(int color)
{
    Require(color >= 0 && color <= MaxColor, "colour out of range");
    m_backColor = color;
    if (m_host)
        m_host->applyBackColor(ToQColor(color));
}

void TextViewer::highlightRanges(const std::vector<std::pair<int, int>>& ranges, int color)
{
    Require(color >= 0 && color <= MaxColor, "colour out of range");
    if (ranges.empty())
        return;
    QTextCharFormat format;
    format.setForeground(QBrush(ToQColor(color)));
    const int length = viewLength();
    // The paragraph being painted: where it starts, and where its break stands.
    QTextBlock block;
    int blockStart = 0, blockEnd = -1;
    QList<QTextLayout::FormatRange> added;
    const auto flush = [&] {
        if (added.isEmpty())
            return;
        QTextLayout* layout = block.layout();
        const QList<QTextLayout::FormatRange> before = layout->formats();
        layout->setFormats(before.isEmpty() ? added : before + added);
        added.clear();
    };
    const auto moveTo = [&](int position) {
        flush();
        // Ranges nearly always come in order, in the paragraph of the one before or the next.
        block = block.isValid() && position >= blockStart ? block.next() : QTextBlock();
        if (!block.isValid() || position >= block.position() + block.length())
            block = m_doc->findBlock(position);
        blockStart = block.isValid() ? block.position() : 0;
        blockEnd = block.isValid() ? blockStart + block.length() - 1 : -1;
    };
    int dirtyFrom = -1, dirtyTo = -1;
    for (const auto& [start, size] : ranges) {
        Require(start >= 0 && size >= 0, "range below 0");
        int from = viewToDoc(std::min(start, length));
        const int to = viewToDoc(std::min(start + size, length));
        if (from >= to)
            continue;
        dirtyFrom = dirtyFrom < 0 ? from : std::min(dirtyFrom, from);
        dirtyTo = std::max(dirtyTo, to);
        while (from < to) {
            if (from < blockStart || from > blockEnd) {
                moveTo(from);
                if (!block.isValid())
                    break;
            }
            // The paragraph's break is not painted.
            const int end = std::min(to, blockEnd);
            if (end > from) {
                // Built in place: a format has no move, and each copy counts over thousands of ranges.
                QTextLayout::FormatRange& range = added.emplaceBack();
                range.start = from - blockStart;
                range.length = end - from;
                range.format = format;
            }
            from = blockEnd + 1;
        }
    }
    flush();
    if (dirtyFrom >= 0) {
        // Paragraphs laid out already are laid out again with their colours.
        const OwnEdit own(m_inOwnEdit);
        m_doc->markContentsDirty(dirtyFrom, dirtyTo - dirtyFrom);
    }
}

int TextViewer::HighlightAt(int position) const
{
    const int at = viewToDoc(std::clamp(position, 0, viewLength()));
    const QTextBlock block = m_doc->findBlock(at);
    if (!block.isValid() || !block.layout())
        return -1;
    int color = -1;
    // A later range lies over an earlier one.
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (at >= block.position() + range.start && at < block.position() + range.start + range.length)
            color = FromQColor(range.format.foreground().color());
    }
    return color;
}

QTextCursor TextViewer::RangeCursor(int start, int length) const
{
    QTextCursor c(m_doc);
    const int from = std::clamp(start, 0, viewLength());
    c.setPosition(viewToDoc(from));
    c.setPosition(viewToDoc(std::clamp(from + std::max(length, 0), 0, viewLength())), QTextCursor::KeepAnchor);
    return c;
}

void TextViewer::markRanges(const std::vector<MarkedRange>& ranges)
{
    if (ranges.empty())
        return;
    const int length = viewLength();
    QTextCursor c(m_doc);
    QTextCharFormat change;
    int color = -1, underline = -1;
    const OwnEdit own(m_inOwnEdit);
    c.beginEditBlock();
    for (const MarkedRange& r : ranges) {
        Require(r.start >= 0 && r.length >= 0, "range below 0");
        Require(r.color >= 0 && r.color <= MaxColor, "colour out of range");
        // Marks of one kind share one format.
        if (r.color != color || int(r.underline) != underline) {
            change = QTextCharFormat();
            change.setForeground(QBrush(ToQColor(r.color)));
            change.setFontUnderline(r.underline);
            color = r.color;
            underline = int(r.underline);
        }
        c.setPosition(viewToDoc(std::min(r.start, length)));
        c.setPosition(viewToDoc(std::min(r.start + r.length, length)), QTextCursor::KeepAnchor);
        c.mergeCharFormat(change);
    }
    c.endEditBlock();
}

int TextViewer::Find(const QString& text, int start, int end, int options)
{
    Require(start >= 0, "Find start below 0");
    if (text.isEmpty())
        return -1;
    ensureText();
    const qsizetype stop = (end < 0 || end > m_text.size()) ? m_text.size() : end;
    const Qt::CaseSensitivity cs = (options & FindMatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (qsizetype at = m_text.indexOf(text, start, cs); at >= 0 && at + text.size() <= stop;
         at = m_text.indexOf(text, at + 1, cs)) {
        if ((options & FindWholeWord) && !IsWholeWord(m_text, at, text.size()))
            continue;
        QTextCursor c(m_doc);
        c.setPosition(viewToDoc(int(at)));
        c.setPosition(viewToDoc(int(at + text.size())), QTextCursor::KeepAnchor);
        putCaret(c);
        requestScroll();
        return int(at);
    }
    return -1;
}

void TextViewer::beginEditBlock()
{
    if (m_editDepth++ == 0)
        QTextCursor(m_doc).beginEditBlock(); // the block is the document's, not the cursor's
}

void TextViewer::endEditBlock()
{
    if (m_editDepth == 0 || --m_editDepth > 0)
        return;
    // The change the document reports now is the viewer's own; the maps know of it.
    const OwnEdit own(m_inOwnEdit);
    QTextCursor(m_doc).endEditBlock();
}

void TextViewer::setVisible(bool visible)
{
    m_visible = visible;
    if (m_host)
        m_host->setViewVisible(visible);
    syncCaret();
}

void TextViewer::setFocus()
{
    if (m_host)
        m_host->takeFocus();
}

QColor TextViewer::ToQColor(int color)
{
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

int TextViewer::FromQColor(const QColor& color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

// --- Position maps -------------------------------------------------------

int TextViewer::docLength() const
{
    return m_doc->characterCount() - 1; // without the final separator every document has
}

int TextViewer::viewLength() const
{
    ensureBreaks();
    return docLength() + int(m_breaks.size());
}

// Break i sits at document position m_breaks[i] and takes view positions
// m_breaks[i] + i (CR) and m_breaks[i] + i + 1 (LF).
int TextViewer::viewToDoc(int view) const
{
    ensureBreaks();
    // The number of breaks wholly before view, by binary search.
    size_t before = 0;
    size_t after = m_breaks.size();
    while (before < after) {
        const size_t mid = before + (after - before) / 2;
        if (m_breaks[mid] + int(mid) + 2 <= view)
            before = mid + 1;
        else
            after = mid;
    }
    if (before < m_breaks.size() && view == m_breaks[before] + int(before) + 1)
        return m_breaks[before]; // between CR and LF: the break itself
    return view - int(before);
}

int TextViewer::docToView(int doc) const
{
    ensureBreaks();
    return doc + int(std::lower_bound(m_breaks.begin(), m_breaks.end(), doc) - m_breaks.begin());
}

void TextViewer::ensureBreaks() const
{
    if (m_breaksValid)
        return;
    m_breaks.clear();
    m_breaks.reserve(size_t(m_doc->blockCount()));
    for (QTextBlock b = m_doc->begin(); b.isValid(); b = b.next()) {
        if (b.next().isValid())
            m_breaks.push_back(b.position() + b.length() - 1);
    }
    m_breaksValid = true;
    ++m_breakRebuilds;
}

void TextViewer::ensureText() const
{
    if (m_textValid)
        return;
    m_text = ViewText(m_doc->toRawText());
    m_textValid = true;
}

void TextViewer::invalidateMaps()
{
    m_breaksValid = false;
    m_textValid = false;
    m_text.clear();
}

// Text was added at oldDocEnd, the former end of the document: only the
// breaks and the text from there on are new. Text without any character that
// the document turns into a paragraph break is in the document as it was
// given, which spares asking the document for it.
void TextViewer::appendToMaps(int oldDocEnd, const QString& inserted)
{
    const bool hasBreaks = std::any_of(inserted.cbegin(), inserted.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return u == u'\r' || u == u'\n' || u == QChar::ParagraphSeparator || u == 0xFDD0 || u == 0xFDD1;
    });
    if (!hasBreaks) {
        if (m_textValid)
            m_text += inserted;
        return;
    }
    if (m_breaksValid) {
        QTextBlock b = m_doc->findBlock(oldDocEnd);
        for (QTextBlock next = b.next(); next.isValid(); b = next, next = next.next())
            m_breaks.push_back(b.position() + b.length() - 1);
    }
    if (m_textValid) {
        QTextCursor added(m_doc);
        added.setPosition(oldDocEnd);
        added.setPosition(docLength(), QTextCursor::KeepAnchor);
        m_text += ViewText(added.selectedText());
    }
}
