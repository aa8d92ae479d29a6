#include "render/XML2RTF.h"

#include "app/core/ErrorConvention.h"
#include "app/core/TrimBlanks.h"

namespace {

constexpr QStringView kCDataStart = u"<![CDATA[";
constexpr QStringView kCDataEnd = u"]]>";

// One buffer of the scan. Nearly always it holds one contiguous run of the
// input, handed to the handlers as a view without copying; only text gathered
// from several runs (blank text carried past a tag, a tag name continued after
// its attributes) is copied into a string of its own.
class ScanBuffer {
public:
    explicit ScanBuffer(const QChar* input) : m_input(input) {}

    // Appends the input characters [from, to).
    void append(qsizetype from, qsizetype to)
    {
        if (from == to)
            return;
        if (!m_copied) {
            if (m_begin == m_end) {
                m_begin = from;
                m_end = to;
                return;
            }
            if (m_end == from) {
                m_end = to;
                return;
            }
            m_copy.resize(0); // keeps the capacity of an earlier copy
            m_copy.append(m_input + m_begin, m_end - m_begin);
            m_copied = true;
        }
        m_copy.append(m_input + from, to - from);
    }

    // Appends text that is not a run of the input.
    void append(QStringView other)
    {
        if (other.isEmpty())
            return;
        if (!m_copied) {
            m_copy.resize(0);
            m_copy.append(m_input + m_begin, m_end - m_begin);
            m_copied = true;
        }
        m_copy.append(other);
    }

    QStringView view() const
    {
        return m_copied ? QStringView(m_copy) : QStringView(m_input + m_begin, m_end - m_begin);
    }

    void clear()
    {
        m_begin = m_end = 0;
        m_copied = false;
    }

private:
    const QChar* m_input;
    qsizetype m_begin = 0;
    qsizetype m_end = 0;
    bool m_copied = false;
    QString m_copy;
};

// The content of a CDATA section written the way the DOM writes other text,
// so that it reads the same once its references are decoded.
QString EscapedText(QStringView content)
{
    QString out;
    out.reserve(content.size());
    for (const QChar c : content) {
        if (c == u'&')
            out += QLatin1String("&amp;");
        else if (c == u'<')
            out += QLatin1String("&lt;");
        else
            out += c;
    }
    return out;
}

bool IsBlank(QStringView s)
{
    for (const QChar c : s) {
        if (c != u' ')
            return false;
    }
    return true;
}

// Source documents wrap their paragraphs over lines and indent them, so a run
// of blanks holding a line break (CR LF or LF) or a TAB is one blank between
// words. It is layout only, and goes, between two tags, after a start tag and
// before an end tag. Works in place.
void RemoveLineBreaksAndTabs(QString& xml)
{
    const QStringView all(xml);
    qsizetype first = all.indexOf(u'\n');
    const qsizetype tab = (first < 0 ? all : all.first(first)).indexOf(u'\t');
    if (tab >= 0)
        first = tab;
    if (first < 0)
        return; // nothing to change: the string is not even detached
    const auto isSpace = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; };
    const qsizetype n = xml.size();
    QChar* d = xml.data();
    qsizetype start = first;
    while (start > 0 && isSpace(d[start - 1]))
        --start;
    qsizetype lastTag = QStringView(xml).first(start).lastIndexOf(u'<'); // where the last tag written began
    qsizetype w = start;
    for (qsizetype r = start; r < n;) {
        if (!isSpace(d[r])) {
            if (d[r] == u'<')
                lastTag = w;
            d[w++] = d[r++];
            continue;
        }
        qsizetype end = r;
        bool breaks = false;
        for (; end < n && isSpace(d[end]); ++end)
            breaks = breaks || d[end] == u'\t' || d[end] == u'\n';
        if (!breaks) {
            while (r < end)
                d[w++] = d[r++];
            continue;
        }
        const bool afterTag = w == 0 || d[w - 1] == u'>';
        const bool afterEndTag = afterTag && w > 0 && lastTag >= 0 && lastTag + 1 < w && d[lastTag + 1] == u'/';
        const bool beforeTag = end == n || d[end] == u'<';
        const bool beforeEndTag = end == n || (beforeTag && end + 1 < n && d[end + 1] == u'/');
        if (!(afterTag && beforeTag) && !(afterTag && !afterEndTag) && !beforeEndTag)
            d[w++] = QLatin1Char(' ');
        r = end;
    }
    xml.truncate(w);
}

} // namespace

void XML2RTF::ParsexML(QString& xml)
{
    if (m_scanning)
        RaiseError(ErrNo::InvalidCall, QStringLiteral("ParsexML was called from one of its own event handlers"));
    m_scanning = true;
    struct EndScan {
        bool& scanning;
        ~EndScan() { scanning = false; }
    } endScan{m_scanning};

    RemoveLineBreaksAndTabs(xml);
    // A handler may change the caller's string; the scan keeps reading this copy.
    const QString input = xml;
    XML2RTFEvents discard;
    XML2RTFEvents& ev = m_events ? *m_events : discard;

    const QStringView all(input);
    const QChar* s = input.constData();
    const qsizetype n = input.size();
    ScanBuffer text(s);
    ScanBuffer tag(s);
    qsizetype i = 0;
    bool cdataEndAhead = true;
    qsizetype blankSoFar = 0; // the text buffer's first characters known to be blanks
    while (i < n) {
        // Outside a tag: everything up to the next "<" is text.
        const qsizetype lt = all.indexOf(u'<', i);
        if (lt < 0)
            return; // text after the last tag is not reported
        text.append(i, lt);
        // The DOM writes a CDATA section as it is; its content is text like any other.
        if (lt + 1 < n && s[lt + 1] == u'!' && all.sliced(lt).startsWith(kCDataStart)) {
            const qsizetype content = lt + kCDataStart.size();
            const qsizetype end = cdataEndAhead ? all.indexOf(kCDataEnd, content) : -1;
            cdataEndAhead = end >= 0; // none now means none later: never search again
            if (end >= 0) {
                text.append(EscapedText(all.sliced(content, end - content)));
                i = end + kCDataEnd.size();
                continue;
            }
        }
        // Blank text is kept and carried into the next run of text. Only
        // what came since the last look is looked at: blanks carried past
        // many tags must not make the scan quadratic.
        const QStringView pending = text.view();
        if (IsBlank(pending.sliced(blankSoFar))) {
            blankSoFar = pending.size();
        } else {
            ev.xMLText(pending);
            text.clear();
            blankSoFar = 0;
        }

        // Inside a tag. The tag buffer collects everything outside attribute
        // lists, so a "/" after the last attribute joins the name ("img/").
        bool beginRaised = false;
        tag.clear();
        i = lt + 1;
        for (;;) {
            qsizetype j = i;
            while (j < n && s[j] != u' ' && s[j] != u'>')
                ++j;
            if (j == n)
                return; // an unterminated tag raises nothing more
            tag.append(i, j);
            if (s[j] == u'>') {
                const QStringView t = tag.view();
                if (!t.isEmpty() && t.front() == u'/') {
                    ev.xMLTagClose(t.sliced(1));
                } else {
                    if (!beginRaised)
                        ev.xMLTagBegin(t);
                    ev.xMLTagEnd(t);
                }
                i = j + 1;
                break;
            }
            // A blank ends the name (the buffer never holds a blank, so there is
            // nothing to trim); an attribute follows, up to its closing quote.
            // Everything up to the opening quote is its name, ">" included.
            if (!beginRaised) {
                ev.xMLTagBegin(tag.view());
                beginRaised = true;
            }
            const qsizetype open = all.indexOf(u'"', j + 1);
            if (open < 0)
                return;
            const qsizetype close = all.indexOf(u'"', open + 1);
            if (close < 0)
                return;
            // The name loses its last character, normally the "=". A quote with
            // no name before it gives an empty name rather than ending the scan,
            // so the rest of the unit is still shown.
            QStringView name = TrimBlanks(all.sliced(j + 1, open - j - 1));
            if (!name.isEmpty())
                name.chop(1);
            ev.xMLProperty(name, TrimBlanks(all.sliced(open + 1, close - open - 1)));
            i = close + 1;
        }
    }
}
