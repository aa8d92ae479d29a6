#include "package/dom/Dom.h"

#include <pugixml.hpp>

struct DomDocumentData {
    pugi::xml_document doc;
    DomParseError error;
};

DomDocument::DomDocument() : m_data(std::make_shared<DomDocumentData>()) {}
