// The DOM load on any bytes: encodings, DTD subsets with entity declarations
// and references. A loaded document must serialize, be searchable, and lay
// out as the node-by-node layout does.

#include "fuzz/FuzzSupport.h"
#include "package/dom/Dom.h"
#include "package/dom/DomFormat.h"
#include "package/tests/FormatReference.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DomDocument doc;
    const bool ok = doc.loadXML(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (ok) {
        const DomNode root = doc.documentElement();
        (void)root.xml();
        (void)root.text();
        (void)doc.selectNodes(QStringLiteral("//*[@id]"));
        // The saved layout equals the one made node by node, in both encodings.
        for (const bool latin1 : {false, true}) {
            QString expected;
            FormatReference::XmlFormatter reference(expected, latin1);
            reference.node(root, 0, FormatReference::IsOnlyChild(root));
            const DomFormatted formatted = DomFormat(root, 0, FormatReference::IsOnlyChild(root), latin1);
            // The old layout dropped a U+FEFF that began a name, renaming the element;
            // the new one refuses such a name, as it cannot be written in ISO-8859-1.
            const bool feffName = formatted.unwritableName.startsWith(QChar(0xFEFF));
            FuzzSupport::Check(formatted.unwritableName == reference.badName || (latin1 && feffName));
            // Bytes that are no UTF-8 reach the reader as replacement characters either way.
            // The old layout lost a U+FEFF that began a text, and then trimmed the
            // blanks after it as leading ones; the new one keeps both, so a layout
            // holding a U+FEFF is not compared.
            const QByteArray text = QByteArray::fromStdString(formatted.text);
            if (text.contains("&#65279;") || text.contains("\xEF\xBB\xBF"))
                continue;
            if (reference.badName.isEmpty() && latin1)
                FuzzSupport::Check(text == expected.toLatin1());
            else if (reference.badName.isEmpty())
                FuzzSupport::Check(QString::fromUtf8(text).toUtf8() == expected.toUtf8());
        }
    } else {
        FuzzSupport::Check(doc.parseError().errorCode != 0);
        FuzzSupport::Check(doc.parseError().line >= 0 && doc.parseError().linepos >= 0);
    }
    return 0;
}
