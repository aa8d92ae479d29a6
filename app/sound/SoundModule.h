#pragma once

#include <QString>

// What the sound module exports. It plays a wave file of about lengthMs and
// returns when it has finished, never later than two seconds after that.
extern "C" {
using QuillbookPlaySoundFunction = void (*)(const QString* path, int lengthMs);
}
inline constexpr const char* QuillbookPlaySoundSymbol = "QuillbookPlaySound";
inline constexpr const char* QuillbookSoundModuleName = "libquillbook-sound.so";
