#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// What reading aloud needs of a speech synthesiser: one text at a time, told
// back when it has been spoken. The program's engine is the system's speech;
// tests give one that records what it was handed.
class SpeechEngine {
public:
    virtual ~SpeechEngine() = default;

    // False when nothing can speak (no engine installed, no speech service);
    // Reason() then says why, for the reader.
    virtual bool Available() = 0;
    virtual QString Reason() const = 0;
    // Speaks one text; Finished is called once it has been spoken.
    virtual void Say(const QString& text) = 0;
    // Ends speech at once; no Finished follows for the text cut off.
    virtual void Stop() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;

    // The voices on offer by name; the empty name is the engine's own choice.
    virtual QStringList Voices() = 0;
    virtual void SetVoice(const QString& name) = 0;
    // Rate and pitch from -1 (lowest) to 1, 0 normal; volume from 0 to 1.
    virtual void SetRate(double rate) = 0;
    virtual void SetPitch(double pitch) = 0;
    virtual void SetVolume(double volume) = 0;

    // Set by the reader.
    std::function<void()> Finished;
    std::function<void(const QString& reason)> Failed;
};
