#pragma once

#include "engine/core/xml/cXmlParser.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace Engine
{

class cXmlNode;

namespace xml
{

// Builds a document into its empty root from the file at `path`, read through the file system.
// A file whose first byte is '>' is a pre-parsed image, any other is XML. When a copy in the
// shared folder cannot be parsed and the data folder or a pack has the file too, the shared
// copy is removed (a line in the log "files" says which and why) and the other one is read
// instead, once. Throws the file system's errors, or "<last error text> filename: <path>" as
// cString<std::string> (stored as the last error text too), followed by " in the pack '<pack>'"
// for a member of a pack; errors of documents that a "copy" loads pass through unchanged.
void loadDocument(cXmlNode& root, const std::string& path);
// The same from bytes in memory; `name` stands for the path in error texts.
void loadDocument(cXmlNode& root, const char* data, size_t size, const std::string& name);

// The attributes of the root's child named `name` in the file at `path` (see `scanTopElement`),
// read without building the document. Undecided too for a pre-parsed image and for a file that
// cannot be read: `loadDocument` tells what is wrong with it. A copy in the shared folder is
// read whole, so that a damaged one is found (and set aside by `loadDocument`) as a whole read
// finds it; the data folder's and the packs' files are read up to the element.
eScan scanDocumentTop(const std::string& path, const char* name,
                      std::vector<std::pair<std::wstring, std::wstring>>& attributes);

} // namespace xml
} // namespace Engine
