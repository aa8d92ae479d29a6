#include "package/dom/DomFormat.h"

#include "package/dom/DomInternal.h"

#include <QStringDecoder>

#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

// The node as the parser's raw printer writes it, references escaped.
std::string Printed(pugi::xml_node n)
{
    StringWriter writer;
    n.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return std::move(writer.out);
}

// Where the run of ASCII bytes from i ends; eight bytes at a time, as most text is ASCII.
size_t AsciiEnd(std::string_view text, size_t i)
{
    constexpr uint64_t high = 0x8080808080808080ull;
    while (i + 8 <= text.size()) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (word & high)
            break;
        i += 8;
    }
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80)
        ++i;
    return i;
}

// Works on the parsed tree itself: the layout walks every node of a file
// and is written often (usage files, the library).
class Formatter {
public:
    Formatter(const DomTree& tree, bool latin1, DomFormatted& result)
        : m_tree(tree), m_latin1(latin1), m_out(result.text), m_bad(result.unwritableName)
    {}

    void node(pugi::xml_node n, int depth, bool onlyChild)
    {
        switch (n.type()) {
        case pugi::node_element:
            element(n, depth);
            break;
        case pugi::node_pcdata:
            text(n, depth, onlyChild);
            break;
        case pugi::node_cdata:
        case pugi::node_comment: {
            const std::string xml = Printed(n);
            if (xml.find('\r') == std::string::npos)
                tabs(depth);
            if (n.type() == pugi::node_cdata) // references mean nothing inside a CDATA section
                chars(xml, "]]>", "<![CDATA[");
            else
                chars(xml);
            m_out += "\r\n";
            break;
        }
        case pugi::node_document:
            for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
                if (!m_tree.isHolder(c))
                    node(c, 0, false);
            break;
        case pugi::node_null:
            break;
        default:
            tabs(depth);
            chars(Printed(n));
            m_out += "\r\n";
            break;
        }
    }

    // Double quotes, or single quotes when the value holds a double quote. The
    // value is escaped, so "&" and "<" cannot make the file unreadable.
    void attribute(pugi::xml_attribute a)
    {
        const char* value = a.value();
        const char quote = std::strchr(value, '"') ? '\'' : '"';
        m_out += ' ';
        markupName(a.name());
        m_out += '=';
        m_out += quote;
        if (!std::strpbrk(value, "&<'\t\n\r")) { // nothing to escape
            chars(value);
            m_out += quote;
            return;
        }
        std::string escaped;
        for (const char* p = value; *p; ++p) {
            switch (*p) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '\'':
                escaped += quote == '\'' ? "&apos;" : "'";
                break;
            // Raw line breaks and tabs would come back as blanks.
            case '\t':
                escaped += "&#9;";
                break;
            case '\n':
                escaped += "&#10;";
                break;
            case '\r':
                escaped += "&#13;";
                break;
            default:
                escaped += *p;
            }
        }
        chars(escaped);
        m_out += quote;
    }

private:
    pugi::xml_node firstChild(pugi::xml_node n) const
    {
        pugi::xml_node c = n.first_child();
        while (c && m_tree.isHolder(c))
            c = c.next_sibling();
        return c;
    }
    pugi::xml_node nextSibling(pugi::xml_node n) const
    {
        pugi::xml_node c = n.next_sibling();
        while (c && m_tree.isHolder(c))
            c = c.next_sibling();
        return c;
    }

    void element(pugi::xml_node n, int depth)
    {
        tabs(depth);
        m_out += '<';
        markupName(n.name());
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
            attribute(a);
        const pugi::xml_node first = firstChild(n);
        if (!first) {
            m_out += "/>\r\n";
            return;
        }
        m_out += '>';
        const bool inlineText = first.type() == pugi::node_pcdata && !nextSibling(first);
        if (!inlineText)
            m_out += "\r\n";
        for (pugi::xml_node c = first; c; c = nextSibling(c))
            node(c, depth + 1, inlineText);
        if (!inlineText)
            tabs(depth);
        m_out += "</";
        markupName(n.name());
        m_out += ">\r\n";
    }

    void text(pugi::xml_node n, int depth, bool onlyChild)
    {
        // Text with nothing to escape is written as it stands.
        const char* value = n.value();
        bool plain = true, tabOrReturn = false;
        const char* p = value;
        for (; *p; ++p) {
            const auto c = static_cast<unsigned char>(*p);
            if (c >= 32 && c != '&' && c != '<' && c != '>')
                continue;
            tabOrReturn = tabOrReturn || c == '\t' || c == '\r';
            plain = plain && c != '&' && c != '<' && c != '>' && (c >= 32 || c == '\t' || c == '\n' || c == '\r');
        }
        std::string printed;
        std::string_view xml(value, size_t(p - value));
        if (!plain) {
            printed = Printed(n);
            xml = printed;
            tabOrReturn = xml.find_first_of("\t\r") != std::string_view::npos;
        }
        // CR LF pairs and tabs become blanks; line breaks at the ends go too,
        // so that a file read back formats the same.
        std::string joined;
        if (tabOrReturn) {
            joined.reserve(xml.size());
            for (size_t i = 0; i < xml.size(); ++i) {
                if (xml[i] == '\r' && i + 1 < xml.size() && xml[i + 1] == '\n') {
                    joined += ' ';
                    ++i;
                } else {
                    joined += xml[i] == '\t' ? ' ' : xml[i];
                }
            }
            xml = joined;
        }
        const auto space = [](char c) { return c == ' ' || c == '\r' || c == '\n'; };
        size_t start = 0, end = xml.size();
        while (start < end && space(xml[start]))
            ++start;
        while (end > start && space(xml[end - 1]))
            --end;
        if (!onlyChild)
            tabs(depth);
        chars(xml.substr(start, end - start));
        if (!onlyChild)
            m_out += "\r\n";
    }

    void tabs(int depth) { m_out.append(size_t(depth > 0 ? depth : 0), '\t'); }

    // A name has no escaped form: one that ISO-8859-1 cannot hold cannot be saved.
    void markupName(const char* name)
    {
        if (m_latin1 && m_bad.isEmpty()) {
            // Only U+0080..U+00FF (C2 or C3 and one continuation byte) fit beside ASCII;
            // anything else, bytes that are no UTF-8 included, does not.
            for (const auto* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
                if (*p < 0x80)
                    continue;
                if ((*p == 0xC2 || *p == 0xC3) && (p[1] & 0xC0) == 0x80) {
                    ++p;
                    continue;
                }
                // As it stands, a leading U+FEFF included.
                m_bad = QStringDecoder(QStringDecoder::Utf8,
                                       QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom)(name);
                break;
            }
        }
        chars(name);
    }

    // Appends UTF-8 text; in ISO-8859-1 mode as single bytes, each character
    // beyond them a reference wrapped in before/after.
    void chars(std::string_view text, std::string_view before = {}, std::string_view after = {})
    {
        if (!m_latin1) {
            m_out += text;
            return;
        }
        for (size_t i = 0; i < text.size();) {
            const size_t ascii = AsciiEnd(text, i);
            if (ascii > i) {
                m_out.append(text.data() + i, ascii - i);
                i = ascii;
                continue;
            }
            const auto b = static_cast<unsigned char>(text[i]);
            char32_t code = 0xFFFD;
            size_t length = 1;
            if (b >= 0xC2 && b < 0xE0)
                length = 2, code = b & 0x1F;
            else if (b >= 0xE0 && b < 0xF0)
                length = 3, code = b & 0x0F;
            else if (b >= 0xF0 && b < 0xF5)
                length = 4, code = b & 0x07;
            bool valid = length > 1 && i + length <= text.size();
            for (size_t k = 1; valid && k < length; ++k) {
                const auto c = static_cast<unsigned char>(text[i + k]);
                valid = (c & 0xC0) == 0x80;
                code = (code << 6) | (c & 0x3F);
            }
            // Overlong forms, surrogates and code points past Unicode are no characters.
            valid = valid && !(length == 3 && (code < 0x800 || (code >= 0xD800 && code < 0xE000))) &&
                    !(length == 4 && (code < 0x10000 || code > 0x10FFFF));
            if (!valid) {
                code = 0xFFFD; // not UTF-8: a replacement character, one for the byte
                length = 1;
            }
            i += length;
            if (code <= 0xFF) {
                m_out += char(code);
                continue;
            }
            m_out += before;
            m_out += "&#";
            m_out += std::to_string(static_cast<uint32_t>(code));
            m_out += ';';
            m_out += after;
        }
    }

    const DomTree& m_tree;
    bool m_latin1;
    std::string& m_out;
    QString& m_bad;
};

} // namespace

DomFormatted DomFormat(const DomNode& node, int depth, bool onlyChild, bool latin1)
{
    DomFormatted result;
    if (node.isNull())
        return result;
    const DomTree& tree = *DomAccess::tree(node);
    // A tree is laid out again and again (usage files, the library): the last size is a good guess.
    const pugi::xml_node native = DomAccess::node(node);
    const bool whole = native == tree.root() || native == tree.doc;
    if (whole)
        result.text.reserve(tree.layoutSize + 4096);
    Formatter formatter(tree, latin1, result);
    if (node.nodeType() == DomNodeType::Attribute)
        formatter.attribute(DomAccess::attr(node));
    else
        formatter.node(native, depth, onlyChild);
    if (whole)
        tree.layoutSize = result.text.size();
    return result;
}
