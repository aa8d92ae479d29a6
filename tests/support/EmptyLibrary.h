#pragma once

// For tests of the library: no catalogue in memory and none on disk, so the
// next load starts an empty one. Header only, as only tests that link the
// library use it.
#include "library/frmLibrary.h"

#include <QFile>

inline void ForgetLibrary()
{
    Library().Unload();
    QFile::remove(frmLibrary::LibraryPath());
}
