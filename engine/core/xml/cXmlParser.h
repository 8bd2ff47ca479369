#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

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

enum class eScan
{
    Found,
    Missing,
    // Only a whole parse can tell.
    Undecided
};

// The attributes of the root's child named `name`, as `parseXml` would give them, read without
// building the document. Undecided when the text is not well-formed or nests too deeply, or
// when a rule could change the answer: the root or a child of the root starts with "copy" or
// "remove", or the root has more than one child of that name. Unless `wholeText` is set, the
// reading stops at the element when none of the name, "copy" and "remove" appear in the rest
// of an 8-bit text: nothing there can change the answer, and whether the rest is well-formed is
// then not looked at.
eScan scanTopElement(const char* data, size_t size, const char* name,
                     std::vector<std::pair<std::wstring, std::wstring>>& attributes, bool wholeText = true);

} // namespace xml
} // namespace Engine
