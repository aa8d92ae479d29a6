#pragma once

#include "speech/SpeechEngine.h"

#include <QStringList>

// A speech engine that speaks nothing: it keeps every text handed to it and
// every command, and the test says when a text has been spoken.
class RecordingEngine final : public SpeechEngine {
public:
    bool available = true;
    QString reason = QStringLiteral("no speech service");
    QStringList said;
    QStringList commands; // "pause", "resume", "stop"
    QString voice;
    double rate = 0, pitch = 0, volume = 1;

    bool Available() override { return available; }
    QString Reason() const override { return reason; }
    void Say(const QString& text) override { said << text; }
    void Stop() override { commands << QStringLiteral("stop"); }
    void Pause() override { commands << QStringLiteral("pause"); }
    void Resume() override { commands << QStringLiteral("resume"); }
    QStringList Voices() override { return {QStringLiteral("nl"), QStringLiteral("en")}; }
    void SetVoice(const QString& name) override { voice = name; }
    void SetRate(double r) override { rate = r; }
    void SetPitch(double p) override { pitch = p; }
    void SetVolume(double v) override { volume = v; }

    // The text handed over last has been spoken.
    void finish()
    {
        if (Finished)
            Finished();
    }
    void fail(const QString& why)
    {
        if (Failed)
            Failed(why);
    }
};
