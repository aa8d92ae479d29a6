#pragma once

#include <QString>

// Translates the XSL-pattern dialect the program's queries are written in into
// XPath 1.0: $gt$ $lt$ $ge$ $le$ $eq$ $ne$ $and$ $or$ become their operators;
// everything else is already XPath. Text inside quotes is left alone.
QString TranslateXslPattern(const QString& pattern);

// Whether a pattern compiles to a query that selects nodes; when not, why.
bool PatternCompiles(const QString& pattern, QString* reason = nullptr);

// Whether a pattern keeps to steps, predicates and unions: no function calls,
// no axes, no "//" and no "..", outside quoted text. Such a pattern selects in
// time linear in the document, whatever a descriptor writes.
bool PatternIsSimple(const QString& pattern);
