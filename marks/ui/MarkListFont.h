#pragma once

#include <QFont>

// The font of the mark lists: the style sheet's "default" record (or its
// defaults) at the reader's font-size step, as the text uses it.
QFont MarkListFont(const QFont& base);
