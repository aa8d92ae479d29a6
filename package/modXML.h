#pragma once

#include "package/dom/Dom.h"

#include <QString>

// Shared helpers on DOM documents: reading the text of the first element of a
// name, reading and adding attributes, handing out numeric ids, giving the
// navigation elements of a new document their ids, and writing a tree to disk
// in the program's indented on-disk format. Failures are logged through the
// error convention and give the empty result.

// Text of the first element named name below nodeOrDoc (pass doc.asNode() for a
// whole document); empty when name is empty or there is none. Sets the run
// state's CurrentNodeList to all such elements and CurrentNode to the first.
QString GetXMLTagValue(const DomNode& nodeOrDoc, const QString& name);

// Value of the node's attribute name; empty and logged when it has none.
QString GetXMLTagAttributeValue(const DomNode& node, const QString& name);

// Adds or replaces the node's attribute name; returns the node, or a null node on failure.
DomNode AddAttribute(DomNode node, const QString& name, const QString& value);

// One more than the largest numeric "id" among the elements "//" + name seen from
// nodeOrDoc, as decimal text; "1" when there are none. Empty (and logged) when an
// id is not a whole number or lies outside 16 bits.
QString getNewId(const DomNode& nodeOrDoc, const QString& name);

// Gives the run state's XmlDoc its navigation ids: level-1 elements "LL00",
// level-2 elements "LLSS", page numbers "LLSSPPP". Sets HasPageNumbers when a
// page number received an id.
void AddNodeIds();

// The node as indented XML text: one element per line, tabs for depth, CR LF line ends.
QString FormatXML(const DomNode& node, int depth);

// Writes node (usually a root element) to path as FormatXML text behind an
// ISO-8859-1 declaration; characters beyond ISO-8859-1 become character
// references. The file is replaced atomically: on failure the old file is left
// whole, the error is logged and the result is false.
bool SaveFormattedXML(const DomNode& node, const QString& path);
