#include "package/dom/DomEntities.h"

#include <cstring>
#include <string_view>
#include <unordered_map>

namespace {

using Declared = std::unordered_map<std::string, std::string>;

// Replacement text of all references together may add at most this much.
constexpr size_t MaxGrowthBytes = size_t(64) << 20;
constexpr int MaxNesting = 8;

bool IsNameStart(unsigned char c)
{
    return c == '_' || c == ':' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80;
}

bool IsNameChar(unsigned char c)
{
    return IsNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9');
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool Predefined(std::string_view name)
{
    return name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos";
}

const char* Find(const char* from, const char* end, std::string_view what)
{
    if (from >= end)
        return nullptr;
    const void* hit = memmem(from, static_cast<size_t>(end - from), what.data(), what.size());
    return static_cast<const char*>(hit);
}

// The internal subset of a DOCTYPE before the root element: its general entity
// declarations, and where the whole DOCTYPE ends.
struct Doctype {
    const char* begin = nullptr;
    const char* end = nullptr;
    bool external = false; // names an external subset, which is never fetched
    Declared entities;
};

Doctype ReadDoctype(const char* text, const char* end)
{
    Doctype d;
    // Only comments, processing instructions and blanks may stand before it.
    const char* p = text;
    while (p < end) {
        while (p < end && IsSpace(*p))
            ++p;
        if (end - p >= 4 && std::memcmp(p, "<!--", 4) == 0) {
            const char* close = Find(p + 4, end, "-->");
            if (!close)
                return d;
            p = close + 3;
        } else if (end - p >= 2 && std::memcmp(p, "<?", 2) == 0) {
            const char* close = Find(p + 2, end, "?>");
            if (!close)
                return d;
            p = close + 2;
        } else {
            break;
        }
    }
    if (end - p < 9 || std::memcmp(p, "<!DOCTYPE", 9) != 0)
        return d;
    d.begin = p;
    p += 9;
    // Up to the subset or the end of the declaration, past quoted identifiers.
    const char* nameEnd = p;
    while (p < end && *p != '[' && *p != '>') {
        if (*p == '"' || *p == '\'') {
            const char* close = static_cast<const char*>(std::memchr(p + 1, *p, static_cast<size_t>(end - p - 1)));
            if (!close)
                return d;
            p = close;
        }
        ++p;
    }
    const std::string_view head(nameEnd, static_cast<size_t>(p - nameEnd));
    d.external = head.find("SYSTEM") != std::string_view::npos || head.find("PUBLIC") != std::string_view::npos;
    if (p < end && *p == '[') {
        ++p;
        while (p < end && *p != ']') {
            if (*p == '"' || *p == '\'') {
                const char* close = static_cast<const char*>(std::memchr(p + 1, *p, static_cast<size_t>(end - p - 1)));
                if (!close)
                    return d;
                p = close + 1;
            } else if (end - p >= 4 && std::memcmp(p, "<!--", 4) == 0) {
                const char* close = Find(p + 4, end, "-->");
                if (!close)
                    return d;
                p = close + 3;
            } else if (end - p >= 8 && std::memcmp(p, "<!ENTITY", 8) == 0) {
                const char* q = p + 8;
                while (q < end && IsSpace(*q))
                    ++q;
                const bool parameter = q < end && *q == '%';
                if (parameter) {
                    ++q;
                    while (q < end && IsSpace(*q))
                        ++q;
                }
                const char* nameStart = q;
                while (q < end && IsNameChar(static_cast<unsigned char>(*q)))
                    ++q;
                const std::string name(nameStart, q);
                while (q < end && IsSpace(*q))
                    ++q;
                if (q < end && (*q == '"' || *q == '\'')) {
                    const char* close =
                        static_cast<const char*>(std::memchr(q + 1, *q, static_cast<size_t>(end - q - 1)));
                    if (!close)
                        return d;
                    // The first declaration of a name binds; external entities are never fetched.
                    if (!parameter && !name.empty() && !d.entities.count(name))
                        d.entities.emplace(name, std::string(q + 1, close));
                    q = close + 1;
                }
                const char* gt = static_cast<const char*>(std::memchr(q, '>', static_cast<size_t>(end - q)));
                if (!gt)
                    return d;
                p = gt + 1;
            } else {
                ++p;
            }
        }
        if (p < end)
            ++p; // ']'
    }
    const char* gt = p < end ? static_cast<const char*>(std::memchr(p, '>', static_cast<size_t>(end - p))) : nullptr;
    d.end = gt ? gt + 1 : end;
    return d;
}

// A named reference at p ("&name;"): its name, or empty when p starts none.
std::string_view NameAt(const char* p, const char* end, const char** after)
{
    const char* q = p + 1;
    if (q >= end || !IsNameStart(static_cast<unsigned char>(*q)))
        return {};
    const char* start = q;
    while (q < end && IsNameChar(static_cast<unsigned char>(*q)))
        ++q;
    if (q >= end || *q != ';')
        return {};
    *after = q + 1;
    return {start, static_cast<size_t>(q - start)};
}

class Resolver {
public:
    Resolver(const char* text, size_t size) : m_text(text), m_end(text + size) {}

    EntityResolution run()
    {
        EntityResolution r;
        const Doctype doctype = ReadDoctype(m_text, m_end);
        m_declared = &doctype.entities;
        m_safe = doctype.end ? doctype.end : m_text;
        const char* copied = m_text;
        for (const char* p = m_text; p < m_end;) {
            const char* amp = static_cast<const char*>(std::memchr(p, '&', static_cast<size_t>(m_end - p)));
            if (!amp)
                break;
            const char* after = amp + 1;
            const std::string_view name = NameAt(amp, m_end, &after);
            p = amp + 1;
            if (name.empty() || Predefined(name) || insideMarkup(amp))
                continue;
            const auto found = doctype.entities.find(std::string(name));
            // What an external subset declares is not known here: such a reference stays as written.
            if (found == doctype.entities.end() && doctype.external)
                continue;
            if (found == doctype.entities.end())
                return fail(amp, QStringLiteral("Reference to undeclared entity '%1'")
                                     .arg(QString::fromUtf8(name.data(), qsizetype(name.size()))));
            std::string expansion;
            if (!expand(found->second, 0, expansion))
                return fail(amp, m_reason);
            if (r.kind == EntityResolution::Kind::Unchanged) {
                r.kind = EntityResolution::Kind::Rewritten;
                r.text.reserve(static_cast<size_t>(m_end - m_text) + 1024);
            }
            r.text.append(copied, amp);
            r.text += expansion;
            copied = after;
            p = after;
        }
        if (r.kind == EntityResolution::Kind::Rewritten)
            r.text.append(copied, m_end);
        return r;
    }

private:
    EntityResolution fail(const char* at, const QString& reason)
    {
        EntityResolution r;
        r.kind = EntityResolution::Kind::Failed;
        r.offset = static_cast<size_t>(at - m_text);
        r.reason = reason;
        return r;
    }

    // Whether a reference at `at` lies in a comment, CDATA section, processing
    // instruction or the DOCTYPE. Scans forward from the last point known to be
    // outside them, so the whole text is looked at once at most.
    bool insideMarkup(const char* at)
    {
        if (at < m_safe)
            return true; // within the DOCTYPE
        while (m_safe < at) {
            const char* lt = static_cast<const char*>(std::memchr(m_safe, '<', static_cast<size_t>(at - m_safe)));
            if (!lt) {
                m_safe = at;
                return false;
            }
            std::string_view close;
            if (m_end - lt >= 4 && std::memcmp(lt, "<!--", 4) == 0)
                close = "-->";
            else if (m_end - lt >= 9 && std::memcmp(lt, "<![CDATA[", 9) == 0)
                close = "]]>";
            else if (m_end - lt >= 2 && lt[1] == '?')
                close = "?>";
            if (close.empty()) {
                m_safe = lt + 1;
                continue;
            }
            const char* closeAt = Find(lt + 2, m_end, close);
            const char* regionEnd = closeAt ? closeAt + close.size() : m_end;
            if (at < regionEnd) {
                m_safe = regionEnd;
                return true;
            }
            m_safe = regionEnd;
        }
        return false;
    }

    // The replacement text of a value, its own references expanded in turn.
    bool expand(const std::string& value, int depth, std::string& out)
    {
        if (depth > MaxNesting) {
            m_reason = QStringLiteral("Entities nested too deeply");
            return false;
        }
        const char* p = value.data();
        const char* end = p + value.size();
        while (p < end) {
            const char* amp = static_cast<const char*>(std::memchr(p, '&', static_cast<size_t>(end - p)));
            if (!amp) {
                out.append(p, end);
                break;
            }
            out.append(p, amp);
            const char* after = amp + 1;
            const std::string_view name = NameAt(amp, end, &after);
            if (name.empty() || Predefined(name)) {
                out += '&';
                p = amp + 1;
                continue;
            }
            const auto found = m_declared->find(std::string(name));
            if (found == m_declared->end()) {
                m_reason = QStringLiteral("Reference to undeclared entity '%1'")
                               .arg(QString::fromUtf8(name.data(), qsizetype(name.size())));
                return false;
            }
            if (!expand(found->second, depth + 1, out))
                return false;
            p = after;
        }
        m_growth += value.size();
        if (m_growth > MaxGrowthBytes) {
            m_reason = QStringLiteral("Entity expansion too large");
            return false;
        }
        return true;
    }

    const char* m_text;
    const char* m_end;
    const char* m_safe = nullptr;
    const Declared* m_declared = nullptr;
    size_t m_growth = 0;
    QString m_reason;
};

} // namespace

EntityResolution ResolveEntities(const char* text, size_t size)
{
    return Resolver(text, size).run();
}
