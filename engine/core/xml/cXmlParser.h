#pragma once

#include <cstddef>

namespace Engine
{

class cXmlNode;

namespace xml
{

// Parses XML text (UTF-8 or UTF-16, as its byte-order mark or declaration says) into an empty
// root node, applying the reuse rules: an element whose first attribute is "copy" stands for a
// node of another (or this) document, one whose first attribute is "remove" deletes children,
// and a later element of a name re-opens an earlier one. Returns false with the last error
// text set ("<message> line <n> char <m>") when the text is not well-formed XML or breaks a
// rule; errors of a document that a "copy" loads are thrown on unchanged.
bool parseXml(cXmlNode& root, const char* data, size_t size);

} // namespace xml
} // namespace Engine
