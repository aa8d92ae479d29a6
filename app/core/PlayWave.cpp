#include "app/core/PlayWave.h"

#include "app/core/ErrorConvention.h"

#include "app/core/AppPaths.h"
#include "app/core/ErrorLog.h"
#include "app/sound/SoundModule.h"

#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QtEndian>

int WaveDurationMs(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray head = f.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return -1;
    quint32 byteRate = 0;
    // Walk the chunks: "fmt " gives the byte rate, "data" the sound's size.
    for (int guard = 0; guard < 64; ++guard) {
        const QByteArray chunk = f.read(8);
        if (chunk.size() < 8)
            return -1;
        const quint32 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        const qint64 padded = qint64(size) + (size & 1);
        if (chunk.startsWith("data")) {
            if (byteRate == 0)
                return -1;
            const quint64 dataSize = qMin<quint64>(size, static_cast<quint64>(f.size() - f.pos()));
            return static_cast<int>(dataSize * 1000 / byteRate);
        }
        if (chunk.startsWith("fmt ")) {
            if (size < 16 || size > 1024)
                return -1;
            const QByteArray fmt = f.read(size);
            if (fmt.size() < 16)
                return -1;
            byteRate = qFromLittleEndian<quint32>(fmt.constData() + 8);
            if (size & 1)
                f.read(1);
        } else if (!f.seek(f.pos() + padded)) {
            return -1;
        }
    }
    return -1;
}

namespace {

// The player in the sound module, loaded once; null when it cannot be had,
// which is logged once and leaves the program silent.
QuillbookPlaySoundFunction SoundPlayer()
{
    static QuillbookPlaySoundFunction player = []() -> QuillbookPlaySoundFunction {
        const QString path = AppPaths::SoundModulePath();
        static QLibrary module;
        module.setFileName(path);
        auto* found = path.isEmpty() || !module.load()
                          ? nullptr
                          : reinterpret_cast<QuillbookPlaySoundFunction>(module.resolve(QuillbookPlaySoundSymbol));
        if (!found)
            LogError(QStringLiteral("PlayWave"), QStringLiteral("Load the sound module"), 0,
                     path.isEmpty() ? QStringLiteral("No sound module found") : module.errorString());
        return found;
    }();
    return player;
}

} // namespace

void PreloadSound()
{
    (void)SoundPlayer();
}

void PlayWave(const QString& path)
{
    GuardedVoid("PlayWave", [&] {
        SetStep(QStringLiteral("Play sound"));
        if (!QFileInfo(path).isFile())
            return;
        const int length = WaveDurationMs(path);
        if (length < 0)
            return;
        if (const QuillbookPlaySoundFunction play = SoundPlayer()) {
            const QString absolute = QFileInfo(path).absoluteFilePath();
            play(&absolute, length);
        }
    });
}
