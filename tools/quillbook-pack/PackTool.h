#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// quillbook-pack: makes document packages for publishers (and tests).
//   zip FOLDER OUT.zip|OUT.cxb          a ZIP package of the files below FOLDER
//   encrypt IN OUT.exb|OUT.exd          an encrypted package of a ZIP archive or a folder
//   decrypt IN.exb OUT.zip              the ZIP archive inside an encrypted package
//   info IN.exb                         what an encrypted package's header says
namespace PackTool {

// Writes a ZIP archive of every regular file below folder, named by its path
// relative to folder; links are skipped. Names that the reader would flatten
// onto each other are reported in warnings. False with error set on failure.
bool MakeZip(const QString& folder, const QString& zipPath, bool replace, QString* error, QStringList* warnings);

struct Io {
    // Reads a passphrase from standard input: one line, without echo on a
    // terminal, asked twice when confirm is set. No value at end of input or
    // when the two differ.
    std::function<std::optional<QString>(bool confirm)> readPassphrase;
    QString out;
    QString err;
};

// Runs one command line (without the program name); the exit status: 0 done,
// 1 failed, 2 wrong usage.
int Run(const QStringList& args, Io& io);

QString HelpText();

} // namespace PackTool
