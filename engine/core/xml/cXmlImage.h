#pragma once

#include "engine/core/xml/cXmlName.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Engine
{

class cXmlNode;

namespace xml
{

// The pre-parsed image of a tree: a file whose first byte is '>' followed by the root's node
// image. All integers are 32-bit little-endian; a string is its count of UTF-16 units followed
// by the units (no terminator). A node image is
//   attribute count, then per attribute: key, value (a string);
//   child count, then per child: key, the child's node image;
//   the node's text (a string).
// A key is the name (a string) in an image for `cXmlPropertiesPooled` and the name hash (an
// integer) in an image for `cXmlProperties`, so an image suits one of the two classes only.
//
// The reader checks every count and length against the bytes that remain, so a truncated or
// damaged image fails with `cImageError` instead of reading past its end.
constexpr char kImageMark = '>';

struct cImageError
{
    std::string text;
};

class cImageReader
{
public:
    // `data` points at the byte after the leading '>'.
    cImageReader(const unsigned char* data, size_t size) : m_begin(data), m_pos(data), m_end(data + size) {}

    uint32_t readU32();
    // A count of entries that each take at least `minimumBytes`; fails when that many entries
    // cannot fit in the remaining bytes.
    uint32_t readCount(size_t minimumBytes);
    void readString(std::wstring& out);
    // A name read as a string, shared with the equal names read before.
    cPropertyName readName();
    bool atEnd() const { return m_pos == m_end; }
    // Throws cImageError naming the offset in the file of the current position.
    [[noreturn]] void fail(const char* what) const;

private:
    const unsigned char* m_begin;
    const unsigned char* m_pos;
    const unsigned char* m_end;
    cNameTable m_names;
};

class cImageWriter
{
public:
    explicit cImageWriter(bool hashedKeys) : m_hashedKeys(hashedKeys) { m_bytes.push_back(kImageMark); }

    bool hashedKeys() const { return m_hashedKeys; }
    void writeU32(uint32_t value);
    void writeString(std::wstring_view text);
    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
    bool m_hashedKeys;
};

// Fills an empty root from the image (the bytes after '>'). Throws cImageError.
void readImage(cXmlNode& root, const unsigned char* data, size_t size);

// The whole image of a tree, beginning with '>'. With `hashedKeys` the keys are name hashes
// (for `cXmlProperties`), else names (for `cXmlPropertiesPooled`). Throws cImageError when names
// are asked for and the tree holds hash-keyed nodes, which keep none.
std::string writeImage(const cXmlNode& root, bool hashedKeys);

} // namespace xml
} // namespace Engine
