#include "package/modDecrypt.h"

#include "app/core/ErrorConvention.h"
#include "app/core/Prompter.h"
#include "package/KeyStore.h"
#include "settings/modLanguage.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Interface texts of this module.
namespace Txt {
constexpr int Caption = 109;
constexpr int NotFound = 131;
constexpr int AskPassphrase = 140;
constexpr int WrongPassphrase = 141;
constexpr int Cancelled = 142;
constexpr int AskRemember = 143;
constexpr int NotAContainer = 144;
constexpr int Damaged = 145;
constexpr int TooCostly = 146;
constexpr int OutOfMemory = 147;
constexpr int CannotWrite = 148;
constexpr int CannotRemember = 149;
} // namespace Txt

QString ReasonFor(Container::Error error, const QString& name)
{
    using Container::Error;
    switch (error) {
    case Error::None: return {};
    case Error::CannotRead: return T(Txt::NotFound, name);
    case Error::NotAContainer:
    case Error::UnsupportedVersion: return T(Txt::NotAContainer, name);
    case Error::BadParameters: return T(Txt::TooCostly, name);
    case Error::OutOfMemory: return T(Txt::OutOfMemory, name);
    case Error::WrongKey: return T(Txt::Cancelled, name);
    case Error::Damaged:
    case Error::Truncated:
    case Error::TrailingData: return T(Txt::Damaged, name);
    case Error::CannotWrite:
    case Error::DiskFull:
    case Error::BadOptions: return T(Txt::CannotWrite);
    }
    return {};
}

DecryptResult Decrypt(const QString& packagePath, const QString& outputPath, KeyStore& keys,
                      const Container::Progress& progress)
{
    const QString name = QFileInfo(packagePath).fileName();
    DecryptResult result;
    auto fail = [&](Container::Error error, bool cancelled = false) {
        result.error = error;
        result.cancelled = cancelled;
        result.reason = ReasonFor(error, name);
        return result;
    };

    SetStep(QStringLiteral("Read the package header"));
    Container::Reader reader;
    if (const Container::Error e = reader.open(packagePath); e != Container::Error::None)
        return fail(e);
    const Container::Header& header = reader.header();

    SetStep(QStringLiteral("Try the remembered passphrases"));
    Container::Key key;
    bool opened = false;
    for (const QString& passphrase : keys.Passphrases(header.keyId)) {
        if (const Container::Error e = Container::DeriveKey(passphrase, header, key); e != Container::Error::None)
            return fail(e);
        if ((opened = Container::KeyOpens(header, key)))
            break;
    }

    SetStep(QStringLiteral("Ask for the passphrase"));
    const QString owner = header.keyId.isEmpty() ? name : header.keyId;
    while (!opened) {
        const std::optional<QString> passphrase = Prompt().InputBox(T(Txt::AskPassphrase, owner), T(Txt::Caption), {}, true);
        if (!passphrase || passphrase->isEmpty())
            return fail(Container::Error::WrongKey, true);
        if (const Container::Error e = Container::DeriveKey(*passphrase, header, key); e != Container::Error::None)
            return fail(e);
        opened = Container::KeyOpens(header, key);
        if (!opened) {
            Prompt().MsgBox(T(Txt::WrongPassphrase), PromptButtons::Ok, PromptIcon::Exclamation, T(Txt::Caption));
            continue;
        }
        if (Prompt().MsgBox(T(Txt::AskRemember, owner), PromptButtons::YesNo, PromptIcon::Question,
                            T(Txt::Caption)) == PromptAnswer::Yes &&
            !keys.Remember(header.keyId, *passphrase))
            Prompt().MsgBox(T(Txt::CannotRemember, keys.path()), PromptButtons::Ok, PromptIcon::Exclamation,
                            T(Txt::Caption));
    }

    SetStep(QStringLiteral("Decrypt the package"));
    if (const Container::Error e = reader.decryptTo(key, outputPath, progress); e != Container::Error::None)
        return fail(e);
    return result;
}

} // namespace

DecryptResult DecryptPackage(const QString& packagePath, const QString& outputPath, KeyStore& keys,
                             const Container::Progress& progress)
{
    DecryptResult fallback;
    fallback.error = Container::Error::CannotWrite;
    fallback.reason = T(Txt::CannotWrite);
    DecryptResult result =
        Guarded("DecryptPackage", fallback, [&] { return Decrypt(packagePath, outputPath, keys, progress); });
    if (!result.ok()) {
        // Nothing half-decrypted, and nothing from an earlier package, is left for the unzip step.
        QFile::remove(outputPath);
        Prompt().MsgBox(result.reason, PromptButtons::Ok, PromptIcon::Exclamation, T(Txt::Caption));
    }
    return result;
}
