// The entity table and the replacement of references. A first byte 'L' takes
// the rest as an ISOLat1.ent file: it is loaded and the same bytes are then
// run through ReplaceEntities with that table. Any other input is a text run
// through ReplaceEntities (and XChangeEntity) with the shipped table.

#include "fuzz/FuzzSupport.h"
#include "package/modEntities.h"
#include "settings/modFilesFolders.h"

namespace {

using FuzzSupport::Check;

QByteArray g_shippedTable;
bool g_tableIsShipped = false;

QString TablePath()
{
    return AppPaths::DataDir() + QStringLiteral("/ISOLat1.ent");
}

void LoadTable(const uint8_t* data, size_t size)
{
    FuzzSupport::WriteFile(TablePath(), data, size);
    LoadEntityMapping();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::Init();
    QFile shipped(AppPaths::DataDir() + QStringLiteral("/ISOLat1.ent"));
    if (!shipped.open(QIODevice::ReadOnly))
        std::abort();
    g_shippedTable = shipped.readAll();
    // From here on the data folder is a private one, where each input's table is written.
    FuzzSupport::Init(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0 && data[0] == 'L') {
        LoadTable(data + 1, size - 1);
        g_tableIsShipped = false;
        const QString text =
            DecodeText(QByteArray(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1)));
        const QString replaced = ReplaceEntities(text);
        Check(text.contains(u'&') || replaced == text);
        return 0;
    }
    if (!g_tableIsShipped) {
        LoadTable(reinterpret_cast<const uint8_t*>(g_shippedTable.constData()),
                  static_cast<size_t>(g_shippedTable.size()));
        g_tableIsShipped = true;
    }
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString replaced = ReplaceEntities(text);
    // The shipped table gives one character per reference, and a reference is at least three.
    Check(replaced.size() <= text.size());
    Check(text.contains(u'&') || replaced == text);
    if (text.startsWith(u'&') && text.endsWith(u';'))
        Check(XChangeEntity(text).size() <= 2);
    return 0;
}
