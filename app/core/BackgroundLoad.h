#pragma once

#include "package/dom/Dom.h"

// Loads an XML file on a worker thread while the window goes on painting, so
// a large newspaper never leaves a frozen window behind. The reader's input is
// held back until the load ends. Same result as doc.load(path).
bool LoadXmlKeepingWindowAlive(DomDocument& doc, const QString& path);
