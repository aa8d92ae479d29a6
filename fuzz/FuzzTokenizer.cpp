// The tokenizer on any text: it must scan to the end or stop cleanly, and
// every event must keep its promises. A first byte 'U' takes the rest as raw
// UTF-16 (lone surrogates and all); anything else is UTF-8.

#include "fuzz/FuzzSupport.h"
#include "render/XML2RTF.h"

#include <QString>
#include <cstring>

namespace {

using FuzzSupport::Check;

bool Blank(QStringView s)
{
    for (QChar c : s) {
        if (c != u' ')
            return false;
    }
    return true;
}

// Reads every character it is given (so a view past its text shows) and checks the events.
class Checker : public XML2RTFEvents {
public:
    char16_t sum = 0;
    void touch(QStringView s)
    {
        for (QChar c : s)
            sum = static_cast<char16_t>(sum + c.unicode());
    }
    void xMLTagBegin(QStringView n) override
    {
        touch(n);
        Check(!n.contains(u' ') && !n.contains(u'>'));
    }
    void xMLProperty(QStringView n, QStringView v) override
    {
        touch(n);
        touch(v);
        Check(!n.startsWith(u' ') && !v.startsWith(u' ') && !v.endsWith(u' ') && !v.contains(u'"'));
    }
    void xMLTagEnd(QStringView t) override
    {
        touch(t);
        Check(!t.contains(u' ') && !t.startsWith(u'/'));
    }
    void xMLTagClose(QStringView n) override
    {
        touch(n);
        Check(!n.contains(u' '));
    }
    void xMLText(QStringView t) override
    {
        touch(t);
        Check(!Blank(t) && !t.contains(u'<'));
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QString xml;
    if (size > 0 && data[0] == 'U') {
        xml.resize(static_cast<qsizetype>((size - 1) / 2));
        std::memcpy(xml.data(), data + 1, static_cast<size_t>(xml.size()) * 2);
    } else {
        xml = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    }
    const qsizetype before = xml.size();
    Checker checker;
    XML2RTF(&checker).ParsexML(xml);
    Check(xml.size() <= before && !xml.contains(u'\n') && !xml.contains(u'\t'));
    return 0;
}
