#pragma once

// The layout of saved XML as the program first wrote it, node by node through
// the DOM interface: slow, and the yardstick the fast layout must equal byte
// for byte.

#include "package/dom/Dom.h"

#include <QString>

namespace FormatReference {

inline const QString CrLf = QStringLiteral("\r\n");

// Builds the indented text. For a file in ISO-8859-1 every character beyond
// it is written as a character reference, so no text is lost.
class XmlFormatter {
public:
    explicit XmlFormatter(QString& out, bool latin1) : m_out(out), m_latin1(latin1) {}

    void node(const DomNode& n, int depth, bool onlyChild)
    {
        switch (n.nodeType()) {
        case DomNodeType::Element:
            element(n, depth);
            break;
        case DomNodeType::Attribute:
            attribute(n);
            break;
        case DomNodeType::Text:
            text(n, depth, onlyChild);
            break;
        case DomNodeType::CData:
        case DomNodeType::Comment: {
            const QString xml = n.xml();
            if (!xml.contains(QLatin1Char('\r')))
                tabs(depth);
            if (n.nodeType() == DomNodeType::CData) // references mean nothing inside a CDATA section
                chars(xml, QLatin1String("]]>"), QLatin1String("<![CDATA["));
            else
                chars(xml);
            m_out += CrLf;
            break;
        }
        case DomNodeType::Document:
        case DomNodeType::DocumentFragment:
            for (DomNode c = n.firstChild(); !c.isNull(); c = c.nextSibling())
                node(c, 0, false);
            break;
        case DomNodeType::None:
            break;
        default:
            tabs(depth);
            chars(n.xml());
            m_out += CrLf;
            break;
        }
    }

private:
    void element(const DomNode& n, int depth)
    {
        const QString name = n.nodeName();
        tabs(depth);
        m_out += QLatin1Char('<');
        markupName(name);
        const DomAttributes attrs = n.attributes();
        const int count = attrs.length();
        for (int i = 0; i < count; ++i)
            attribute(attrs.item(i));
        const DomNode first = n.firstChild();
        if (first.isNull()) {
            m_out += QLatin1String("/>");
            m_out += CrLf;
            return;
        }
        m_out += QLatin1Char('>');
        const bool inlineText = first.nodeType() == DomNodeType::Text && first.nextSibling().isNull();
        if (!inlineText)
            m_out += CrLf;
        for (DomNode c = first; !c.isNull(); c = c.nextSibling())
            node(c, depth + 1, inlineText);
        if (!inlineText)
            tabs(depth);
        m_out += QLatin1String("</");
        markupName(name);
        m_out += QLatin1Char('>');
        m_out += CrLf;
    }

    // Double quotes, or single quotes when the value holds a double quote. The
    // value is escaped, so "&" and "<" cannot make the file unreadable.
    void attribute(const DomNode& a)
    {
        const QString value = a.nodeValue();
        const QChar quote = value.contains(QLatin1Char('"')) ? QLatin1Char('\'') : QLatin1Char('"');
        QString escaped;
        escaped.reserve(value.size());
        for (const QChar c : value) {
            switch (c.unicode()) {
            case u'&':
                escaped += QLatin1String("&amp;");
                break;
            case u'<':
                escaped += QLatin1String("&lt;");
                break;
            case u'\'':
                if (quote == QLatin1Char('\''))
                    escaped += QLatin1String("&apos;");
                else
                    escaped += c;
                break;
            // Raw line breaks and tabs would come back as blanks.
            case u'\t':
                escaped += QLatin1String("&#9;");
                break;
            case u'\n':
                escaped += QLatin1String("&#10;");
                break;
            case u'\r':
                escaped += QLatin1String("&#13;");
                break;
            default:
                escaped += c;
            }
        }
        m_out += QLatin1Char(' ');
        markupName(a.nodeName());
        m_out += QLatin1Char('=');
        m_out += quote;
        chars(escaped);
        m_out += quote;
    }

    void text(const DomNode& n, int depth, bool onlyChild)
    {
        QString xml = n.xml();
        xml.replace(CrLf, QLatin1String(" "));
        xml.replace(QLatin1Char('\t'), QLatin1Char(' '));
        // Line breaks at the ends go too, so that a file read back formats the same.
        auto space = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n'); };
        qsizetype start = 0, end = xml.size();
        while (start < end && space(xml[start]))
            ++start;
        while (end > start && space(xml[end - 1]))
            --end;
        if (!onlyChild)
            tabs(depth);
        chars(QStringView(xml).mid(start, end - start));
        if (!onlyChild)
            m_out += CrLf;
    }

    void tabs(int depth)
    {
        for (int i = 0; i < depth; ++i)
            m_out += QLatin1Char('\t');
    }

    // A name has no escaped form: one that ISO-8859-1 cannot hold cannot be saved.
    void markupName(const QString& name)
    {
        if (m_latin1) {
            // The first such name is the one reported.
            for (const QChar c : name)
                if (c.unicode() > 0xFF && badName.isEmpty())
                    badName = name;
        }
        m_out += name;
    }

    // Appends text; in ISO-8859-1 mode each character beyond it becomes a
    // reference (one per code point), wrapped in before/after.
    void chars(QStringView text, QLatin1String before = {}, QLatin1String after = {})
    {
        if (!m_latin1) {
            m_out += text;
            return;
        }
        qsizetype run = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if (c <= 0xFF)
                continue;
            m_out += text.mid(run, i - run);
            char32_t code = c;
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
                code = QChar::surrogateToUcs4(c, text[i + 1].unicode());
                ++i;
            } else if (QChar::isSurrogate(c)) {
                code = 0xFFFD; // half a pair is no character
            }
            m_out += before;
            m_out += QLatin1String("&#");
            m_out += QString::number(static_cast<uint>(code));
            m_out += QLatin1Char(';');
            m_out += after;
            run = i + 1;
        }
        m_out += text.mid(run);
    }

    QString& m_out;
    bool m_latin1;

public:
    QString badName;
};

inline bool IsOnlyChild(const DomNode& n)
{
    const DomNode parent = n.parentNode();
    return parent.isNull() || (parent.firstChild() == n && n.nextSibling().isNull());
}

} // namespace FormatReference
