#include "settings/SettingsStore.h"

#include "app/core/ErrorConvention.h"
#include "app/core/ErrorLog.h"
#include "app/core/Prompter.h"
#include "app/core/RunState.h"
#include "settings/modLanguage.h"

#include <QStringList>
#include <QVariant>

namespace {

constexpr int kStoreNotWritable = 1530;

// The reader hears about a store that cannot be written once per run, not at every save.
bool g_toldNotWritable = false;

// A value written by hand without quotes may hold commas; the file format then
// reads it as a list, which is still the one text it was.
QString AsText(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void TellNotWritable(const QString& fileName)
{
    if (g_toldNotWritable)
        return;
    g_toldNotWritable = true;
    QString text = T(kStoreNotWritable, fileName);
    if (text.isEmpty()) // a language file without this text must not give an empty box
        text = QStringLiteral("Quillbook cannot save its settings in %1. Your changes stay in force until "
                              "Quillbook closes.")
                   .arg(fileName);
    Prompt().MsgBox(text, PromptButtons::Ok, PromptIcon::Critical);
}

} // namespace

SettingsStore::SettingsStore()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quillbook"),
                 QStringLiteral("Quillbook"))
{
    m_settings.beginGroup(QStringLiteral("Settings"));
}

SettingsStore::~SettingsStore()
{
    if (m_pending)
        Sync();
}

QString SettingsStore::storedKey(const QString& key) const
{
    const QStringList keys = m_settings.childKeys();
    if (keys.contains(key))
        return key;
    for (const QString& k : keys) {
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            return k;
    }
    return {};
}

QString SettingsStore::Get(const QString& key, const QString& defaultValue) const
{
    const QString stored = storedKey(key);
    if (stored.isEmpty())
        return defaultValue;
    return AsText(m_settings.value(stored));
}

void SettingsStore::Save(const QString& key, const QString& value)
{
    // The spelling already in the file stays, so saving an unchanged value leaves its line as it was.
    const QString stored = storedKey(key);
    const QString target = stored.isEmpty() ? key : stored;
    for (const QString& k : m_settings.childKeys()) {
        if (k != target && k.compare(key, Qt::CaseInsensitive) == 0) {
            m_settings.remove(k);
            m_pending = true;
        }
    }
    if (m_settings.contains(target) && AsText(m_settings.value(target)) == value)
        return;
    m_settings.setValue(target, value);
    m_pending = true;
}

void SettingsStore::Clear()
{
    m_settings.remove(QString()); // inside the group: every key of the section
    m_pending = true;
}

bool SettingsStore::Sync()
{
    m_pending = false;
    m_settings.sync();
    if (m_settings.status() != QSettings::AccessError && m_settings.isWritable())
        return true;
    const QString step = Run().CurrentStep;
    LogError(QStringLiteral("SettingsStore::Sync"), step, ErrNo::PathFileAccess,
             QStringLiteral("Path/File access error: ") + FileName());
    Run().CurrentStep = step; // the caller's step goes on
    TellNotWritable(FileName());
    return false;
}

QString SettingsStore::FileName() const
{
    return m_settings.fileName();
}

QString GetSetting(const QString& key, const QString& defaultValue)
{
    return SettingsStore().Get(key, defaultValue);
}

bool SaveSetting(const QString& key, const QString& value)
{
    SettingsStore store;
    store.Save(key, value);
    return store.Sync();
}
