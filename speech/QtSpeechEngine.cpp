#include "speech/QtSpeechEngine.h"

#include <QTextToSpeech>

QtSpeechEngine::QtSpeechEngine(const QString& engineName, QObject* parent) : QObject(parent), m_engineName(engineName)
{}

QtSpeechEngine::~QtSpeechEngine() = default;

bool QtSpeechEngine::Make()
{
    if (m_made)
        return m_speech != nullptr;
    m_made = true;
    if (!m_engineName.isEmpty() && !QTextToSpeech::availableEngines().contains(m_engineName)) {
        m_reason = QStringLiteral("no speech engine named %1").arg(m_engineName);
        return false;
    }
    if (QTextToSpeech::availableEngines().isEmpty()) {
        m_reason = QStringLiteral("no speech engine is installed");
        return false;
    }
    auto speech = std::make_unique<QTextToSpeech>(m_engineName);
    if (speech->state() == QTextToSpeech::Error) {
        m_reason = speech->errorString();
        if (m_reason.isEmpty())
            m_reason = QStringLiteral("the speech service cannot be reached");
        return false;
    }
    connect(speech.get(), &QTextToSpeech::stateChanged, this, [this](QTextToSpeech::State s) { StateChanged(s); });
    connect(speech.get(), &QTextToSpeech::errorOccurred, this, [this](QTextToSpeech::ErrorReason, const QString& text) {
        m_reason = text;
        m_awaitingStart = m_speaking = false;
        if (Failed)
            Failed(text);
    });
    m_speech = std::move(speech);
    return true;
}

bool QtSpeechEngine::Available()
{
    return Make() && m_speech->state() != QTextToSpeech::Error;
}

void QtSpeechEngine::StateChanged(int state)
{
    switch (state) {
    case QTextToSpeech::Speaking:
        m_awaitingStart = false;
        m_speaking = true;
        break;
    case QTextToSpeech::Ready:
        if (m_speaking && !m_awaitingStart) {
            m_speaking = false;
            if (Finished)
                Finished();
        }
        break;
    case QTextToSpeech::Error:
        m_awaitingStart = m_speaking = false;
        m_reason = m_speech->errorString();
        if (Failed)
            Failed(m_reason);
        break;
    default:
        break;
    }
}

void QtSpeechEngine::Say(const QString& text)
{
    if (!Make())
        return;
    m_awaitingStart = true;
    m_speaking = false;
    m_speech->say(text);
}

void QtSpeechEngine::Stop()
{
    m_awaitingStart = m_speaking = false;
    if (m_speech)
        m_speech->stop();
}

void QtSpeechEngine::Pause()
{
    if (m_speech)
        m_speech->pause();
}

void QtSpeechEngine::Resume()
{
    if (m_speech)
        m_speech->resume();
}

QStringList QtSpeechEngine::Voices()
{
    QStringList names;
    if (!Make())
        return names;
    for (const QVoice& voice : m_speech->availableVoices())
        names << voice.name();
    return names;
}

void QtSpeechEngine::SetVoice(const QString& name)
{
    if (!Make() || name == m_voice)
        return;
    for (const QVoice& voice : m_speech->availableVoices()) {
        if (voice.name() == name) {
            m_speech->setVoice(voice);
            m_voice = name;
            return;
        }
    }
}

void QtSpeechEngine::SetRate(double rate)
{
    if (Make())
        m_speech->setRate(rate);
}

void QtSpeechEngine::SetPitch(double pitch)
{
    if (Make())
        m_speech->setPitch(pitch);
}

void QtSpeechEngine::SetVolume(double volume)
{
    if (Make())
        m_speech->setVolume(volume);
}
