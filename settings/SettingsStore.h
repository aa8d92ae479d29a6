#pragma once

#include <QSettings>
#include <QString>

// The per-user settings store: text values by key in the section "Settings" of
// the application "Quillbook" ($XDG_CONFIG_HOME/Quillbook/Quillbook.conf).
// Key names compare case-insensitively, as they always have for this program,
// although the file itself is case-sensitive: a key is found in any letter
// case, and writing it keeps the spelling found and removes other-case copies,
// so one value remains.
class SettingsStore {
public:
    SettingsStore();
    // Writes what is still pending.
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The text stored under key, or defaultValue when the key is missing.
    QString Get(const QString& key, const QString& defaultValue = {}) const;
    // Whether key is stored, in any letter case.
    bool Contains(const QString& key) const { return !storedKey(key).isEmpty(); }
    // Stores value under key (in key's letter case when the key is new). An
    // unchanged value is not written again.
    void Save(const QString& key, const QString& value);
    // Removes every key of the section (used by tests and a reset).
    void Clear();
    // Writes pending changes to the file. When the file cannot be written the
    // reader is told once per run (text 1530) and false is returned; the
    // program's own values are not touched.
    bool Sync();

    // The file behind the store.
    QString FileName() const;

private:
    // The stored spelling of key, or empty when it is not there.
    QString storedKey(const QString& key) const;

    mutable QSettings m_settings;
    bool m_pending = false;
};

// One-key conveniences, each with its own store object.
QString GetSetting(const QString& key, const QString& defaultValue = {});
bool SaveSetting(const QString& key, const QString& value);
