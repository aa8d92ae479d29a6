#pragma once

#include "package/Container.h"

#include <QString>

class KeyStore;

struct DecryptResult {
    Container::Error error = Container::Error::None;
    bool cancelled = false; // the reader gave no passphrase
    QString reason;         // what the reader was told; empty on success
    bool ok() const { return error == Container::Error::None && !cancelled; }
};

// Decrypts the encrypted package at packagePath into outputPath. The key comes
// from a passphrase remembered for the package's key id, else from the reader:
// an input box, asked again after a wrong passphrase, given up on an empty
// answer or Cancel. When a typed passphrase opens the package the reader is
// offered to remember it. Every failure is told to the reader, and then
// outputPath does not exist.
DecryptResult DecryptPackage(const QString& packagePath, const QString& outputPath, KeyStore& keys,
                             const Container::Progress& progress = {});
