// The sound player, kept in a module of its own: the multimedia libraries it
// needs are many, and loading them only when the first sound is due (or just
// after the main window is up) keeps them out of the program's start.

#include "app/sound/SoundModule.h"

#include <QAudioDevice>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

extern "C" Q_DECL_EXPORT void QuillbookPlaySound(const QString* path, int lengthMs)
{
    // With no output device the effect would report "playing" forever.
    if (!path || QMediaDevices::audioOutputs().isEmpty())
        return;
    QSoundEffect effect;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&effect, &QSoundEffect::playingChanged, &loop, [&] {
        if (!effect.isPlaying() && effect.status() != QSoundEffect::Loading)
            loop.quit();
    });
    QObject::connect(&effect, &QSoundEffect::statusChanged, &loop, [&] {
        if (effect.status() == QSoundEffect::Error)
            loop.quit();
        else if (effect.status() == QSoundEffect::Ready && !effect.isPlaying())
            effect.play();
    });
    effect.setSource(QUrl::fromLocalFile(QFileInfo(*path).absoluteFilePath()));
    limit.start(lengthMs + 2000);
    if (effect.status() == QSoundEffect::Ready)
        effect.play();
    if (effect.status() == QSoundEffect::Error)
        return;
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    effect.stop();
}
