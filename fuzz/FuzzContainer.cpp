// The encrypted-package reader on any file. A header that asks for cheap key
// derivation is opened with the passphrase the seeds were made with ("fuzz",
// so mutations reach the chunks); any other with a fixed key. A refused file
// leaves no output; an accepted one gives exactly the length its header says.

#include "fuzz/FuzzSupport.h"
#include "package/Container.h"

#include <QFileInfo>

namespace {
QString g_in;
QString g_out;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::Init();
    g_in = FuzzSupport::Root().path() + QStringLiteral("/in.exb");
    g_out = FuzzSupport::Root().path() + QStringLiteral("/_");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSupport::WriteFile(g_in, data, size);
    QFile::remove(g_out);

    Container::Reader reader;
    if (reader.open(g_in) != Container::Error::None)
        return 0;
    const Container::Header& h = reader.header();
    FuzzSupport::Check(Container::Acceptable(h.kdf));
    FuzzSupport::Check(h.fileBytes() == uint64_t(size));

    Container::Key key;
    if (h.kdf.opsLimit == 1 && h.kdf.memLimit <= 64 * 1024)
        FuzzSupport::Check(Container::DeriveKey(QStringLiteral("fuzz"), h, key) == Container::Error::None);
    int last = 0;
    bool ordered = true;
    const Container::Error e = reader.decryptTo(key, g_out, [&](int percent) {
        ordered = ordered && percent == last + 1;
        last = percent;
    });
    FuzzSupport::Check(ordered);
    if (e == Container::Error::None) {
        FuzzSupport::Check(last == 100);
        FuzzSupport::Check(uint64_t(QFileInfo(g_out).size()) == h.plainBytes);
    } else {
        FuzzSupport::Check(!QFileInfo::exists(g_out) && last < 100);
    }
    return 0;
}
