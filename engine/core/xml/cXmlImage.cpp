#include "engine/core/xml/cXmlImage.h"

#include "engine/core/cProperties.h"
#include "engine/core/xml/XmlText.h"
#include "engine/core/xml/cXmlNode.h"

#include <vector>

namespace Engine::xml
{

uint32_t cImageReader::readU32()
{
    if (m_end - m_pos < 4)
        fail("ends inside a number");
    const uint32_t v = static_cast<uint32_t>(m_pos[0]) | static_cast<uint32_t>(m_pos[1]) << 8 |
                       static_cast<uint32_t>(m_pos[2]) << 16 | static_cast<uint32_t>(m_pos[3]) << 24;
    m_pos += 4;
    return v;
}

uint32_t cImageReader::readCount(size_t minimumBytes)
{
    const unsigned char* const field = m_pos;
    const uint32_t count = readU32();
    if (count > static_cast<size_t>(m_end - m_pos) / minimumBytes)
    {
        m_pos = field;
        fail("holds a count larger than the rest of the file");
    }
    return count;
}

void cImageReader::readString(std::wstring& out)
{
    const unsigned char* const field = m_pos;
    const uint32_t units = readU32();
    if (units > static_cast<size_t>(m_end - m_pos) / 2)
    {
        m_pos = field;
        fail("holds a text longer than the rest of the file");
    }
    // Units are read byte by byte: the data need not be aligned.
    std::vector<tUnit> buffer(units);
    for (uint32_t i = 0; i < units; ++i)
        buffer[i] = static_cast<tUnit>(m_pos[2 * i] | m_pos[2 * i + 1] << 8);
    m_pos += 2 * static_cast<size_t>(units);
    out.clear();
    appendUnits(out, buffer.data(), buffer.size());
}

cPropertyName cImageReader::readName()
{
    std::wstring text;
    readString(text);
    return m_names.intern(text, propertyNameHash(text));
}

void cImageReader::fail(const char* what) const
{
    // The offset of the field that failed, counted from the file's first byte (the '>', 0).
    throw cImageError{std::string("pre-parsed image ") + what + " at byte " +
                      std::to_string(m_pos - m_begin + 1)};
}

void cImageWriter::writeU32(uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        m_bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void cImageWriter::writeString(std::wstring_view text)
{
    const size_t units = utf16Length(text);
    if (units > 0xFFFFFFFFu)
        throw cImageError{"text too long for a pre-parsed image"};
    writeU32(static_cast<uint32_t>(units));
    appendUtf16Bytes(m_bytes, text);
}

void readImage(cXmlNode& root, const unsigned char* data, size_t size)
{
    cImageReader reader(data, size);
    root.readImage(reader, 0);
    if (!reader.atEnd())
        reader.fail("has bytes after the end of the tree");
}

std::string writeImage(const cXmlNode& root, bool hashedKeys)
{
    cImageWriter writer(hashedKeys);
    root.writeImage(writer);
    return writer.bytes();
}

} // namespace Engine::xml
