#pragma once

#include <QString>
#include <QStringList>

// Passphrases the reader chose to remember, per key id (the name a publisher
// gives a passphrase in its encrypted packages), so that a subscriber's daily
// paper opens without typing. Each package has its own salt, so a derived key
// opens only that one file: the passphrase itself is what is kept.
//
// The file ($XDG_CONFIG_HOME/Quillbook/keys) is private to the user (mode
// 0600, folder 0700), never read or written through a link, and replaced whole
// on every change. One line per entry: the key id and the passphrase,
// percent-encoded, separated by a tab; the newest first.
class KeyStore {
public:
    // At most this many passphrases are kept per key id (older issues may need an older one).
    static constexpr int MaxPerKeyId = 8;

    // The store in the user's configuration folder.
    static QString DefaultPath();

    explicit KeyStore(QString path = DefaultPath());

    // The passphrases remembered for keyId, newest first.
    QStringList Passphrases(const QString& keyId) const;
    // Puts passphrase first for keyId; false when the file cannot be written.
    bool Remember(const QString& keyId, const QString& passphrase);
    // Removes one passphrase; false when the file cannot be written.
    bool Forget(const QString& keyId, const QString& passphrase);

    const QString& path() const { return m_path; }

private:
    struct Entry {
        QString keyId;
        QString passphrase;
    };
    QList<Entry> read() const;
    bool write(const QList<Entry>& entries) const;

    QString m_path;
};
