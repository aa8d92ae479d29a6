#pragma once

#include <QString>

// Translates the XSL-pattern dialect the program's queries are written in into
// XPath 1.0: $gt$ $lt$ $ge$ $le$ $eq$ $ne$ $and$ $or$ become their operators;
// everything else is already XPath. Text inside quotes is left alone.
QString TranslateXslPattern(const QString& pattern);

// Whether a pattern compiles to a query that selects nodes; when not, why.
bool PatternCompiles(const QString& pattern, QString* reason = nullptr);
