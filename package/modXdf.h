#pragma once

#include <QString>

// The document type descriptor (.xdf): which element names carry a document's
// identifier, title and other facts, which form the navigation levels 1 to 6,
// and which style sheet is the document type's default.
//
// A descriptor is a text file of "KEY = value" lines (CR LF or LF, the last
// line read even without a line break); lines starting with ";" are comments.
// Keys are matched ignoring case: DOC_ID_TAG, DOC_TITLE_TAG, DOC_TYPE_TAG,
// DOC_SUBTITLE_TAG, DOC_EDITION_TAG, DOC_AUTH_TAG, DOC_PUB_TAG,
// DOC_PUBDATE_TAG, NAV_LEVEL1 ... NAV_LEVEL6 and DEFAULT_CSS; others are ignored.

// Reads the descriptor at path into the run state's descriptor values. Values
// the file does not name keep what they were; a missing file changes nothing.
// A non-empty NAV_LEVELk raises NavLevelCount to k (it never lowers it). A line
// without "=" is shown to the reader and skipped.
void LoadXdf(const QString& path);
