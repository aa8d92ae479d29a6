// The ZIP reader on any archive. Each input is unpacked into a fresh folder,
// with every question answered in turn (replace: Yes, No, Cancel; password:
// "x", then nothing). Whatever the archive holds, nothing may appear outside
// that folder, nothing inside it may be a link or a folder, and the files there
// must be exactly the ones the result names (none after a refusal).

#include "app/core/Prompter.h"
#include "fuzz/FuzzSupport.h"
#include "package/modUnzip.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

QString g_box;     // holds the target folder and a file that must stay as it is
QString g_out;     // the target folder
QString g_archive; // the input, outside the box
int g_turn = 0;

class Answers final : public Prompter {
public:
    PromptAnswer MsgBox(const QString&, PromptButtons buttons, PromptIcon, const QString&,
                        std::optional<PromptAnswer>) override
    {
        if (buttons != PromptButtons::YesNoCancel)
            return PromptAnswer::Ok;
        static const PromptAnswer turns[] = {PromptAnswer::Yes, PromptAnswer::No, PromptAnswer::Cancel};
        return turns[g_turn++ % 3];
    }
    std::optional<QString> InputBox(const QString&, const QString&, const QString&, bool) override
    {
        return (g_turn++ % 2) ? QString() : QStringLiteral("x");
    }
    QString GetOpenFileName(const QString&, const QString&, const QStringList&) override { return {}; }
};

Answers g_answers;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::Init();
    g_box = FuzzSupport::Root().path() + QStringLiteral("/box");
    g_out = g_box + QStringLiteral("/temp");
    g_archive = FuzzSupport::Root().path() + QStringLiteral("/in.zip");
    SetPrompter(&g_answers);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QDir(g_box).removeRecursively();
    QDir().mkpath(g_out);
    const uint8_t sentinel[] = {'k', 'e', 'e', 'p'};
    FuzzSupport::WriteFile(g_box + QStringLiteral("/sentinel"), sentinel, sizeof sentinel);
    FuzzSupport::WriteFile(g_archive, data, size);
    ResetUnzipPasswordPrompt();

    UnzipLimits limits; // the real bounds, with less room to write
    limits.maxTotalBytes = 16 << 20;
    const UnzipResult r = Unzip(g_archive, g_out, limits);

    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    FuzzSupport::Check(QDir(g_box).entryList(all, QDir::Name) == QStringList({"sentinel", "temp"}));
    FuzzSupport::Check(QFileInfo(g_box + QStringLiteral("/sentinel")).size() == 4);
    QSet<QString> present;
    for (const QFileInfo& f : QDir(g_out).entryInfoList(all)) {
        FuzzSupport::Check(f.isFile() && !f.isSymLink());
        present.insert(f.fileName());
    }
    const QSet<QString> named(r.written.begin(), r.written.end());
    FuzzSupport::Check(present == named);
    FuzzSupport::Check(r.written.size() == named.size());
    const bool refused = r.code != UnzipCode::Ok && r.code != UnzipCode::MemberDamaged &&
                         r.code != UnzipCode::Unsupported && r.code != UnzipCode::PasswordMissing;
    FuzzSupport::Check(!refused || present.isEmpty());
    return 0;
}
