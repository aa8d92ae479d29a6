#pragma once

#include "speech/SpeechEngine.h"

#include <QObject>
#include <QVoice>
#include <memory>

class QTextToSpeech;

// The system's speech through Qt TextToSpeech. The engine is made on first
// use, so a missing plugin or speech service costs nothing at start-up and
// shows only as Available() being false.
class QtSpeechEngine : public QObject, public SpeechEngine {
    Q_OBJECT
public:
    // engineName empty: Qt's first engine (speech-dispatcher where installed).
    explicit QtSpeechEngine(const QString& engineName = {}, QObject* parent = nullptr);
    ~QtSpeechEngine() override;

    bool Available() override;
    QString Reason() const override { return m_reason; }
    void Say(const QString& text) override;
    void Stop() override;
    void Pause() override;
    void Resume() override;
    QStringList Voices() override;
    void SetVoice(const QString& name) override;
    void SetRate(double rate) override;
    void SetPitch(double pitch) override;
    void SetVolume(double volume) override;

private:
    bool Make();
    void StateChanged(int state);

    QString m_engineName;
    std::unique_ptr<QTextToSpeech> m_speech;
    bool m_made = false;
    QString m_reason;
    QString m_voice;
    // A text was handed over and has not been heard to begin yet: the Ready of
    // a cancelled text, which the service reports late, is not this one's end.
    bool m_awaitingStart = false;
    bool m_speaking = false;
};
