#include "engine/devices/cMeshWriter.h"

#include "engine/devices/BinaryReader.h"
#include "engine/devices/cAnimationWriter.h"
#include "engine/devices/cMesh.h"

#include <cmath>
#include <cstring>
#include <sstream>

namespace Engine
{

namespace
{

void putU32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

void putFloat(std::string& out, float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    putU32(out, bits);
}

[[noreturn]] void fail(int line, const std::string& reason)
{
    throw std::string("line " + std::to_string(line) + ": " + reason);
}

uint32_t formatOf(const std::string& word)
{
    if (word == "tex" || word == "258")
        return cMesh::FormatTex;
    if (word == "normal" || word == "18")
        return cMesh::FormatNormal;
    if (word == "normaltex" || word == "274")
        return cMesh::FormatNormalTex;
    if (word == "skinned" || word == "4380")
        return cMesh::FormatSkinned;
    return 0;
}

// A whole number from 0 to `highest`.
uint32_t readWhole(std::istringstream& words, int line, const char* what, uint32_t highest)
{
    const float value = cAnimationWriter::readNumber(words, line, what);
    if (value < 0.0f || value > static_cast<float>(highest) || value != std::floor(value))
        fail(line, std::string(what) + " must be a whole number from 0 to " + std::to_string(highest));
    return static_cast<uint32_t>(value);
}

void readVertex(std::istringstream& words, int line, uint32_t format, std::string& out)
{
    const auto number = [&](const char* what)
    { putFloat(out, cAnimationWriter::readNumber(words, line, what)); };
    for (const char* what : {"x", "y", "z"})
        number(what);
    if (format == cMesh::FormatSkinned)
    {
        for (const char* what : {"w0", "w1", "w2"})
            number(what);
        for (const char* what : {"b0", "b1", "b2", "b3"})
            out.push_back(static_cast<char>(readWhole(words, line, what, 255)));
    }
    if (format != cMesh::FormatTex)
        for (const char* what : {"nx", "ny", "nz"})
            number(what);
    if (format != cMesh::FormatNormal)
        for (const char* what : {"u", "v"})
            number(what);
    std::string rest;
    if (words >> rest)
        fail(line, "a vertex of this format has no more fields (\"" + rest + "\")");
}

} // namespace

uint32_t cMeshWriter::vertexSize(uint32_t format)
{
    switch (format)
    {
    case cMesh::FormatTex:
        return 20;
    case cMesh::FormatNormal:
        return 24;
    case cMesh::FormatNormalTex:
        return 32;
    case cMesh::FormatSkinned:
        return 48;
    default:
        return 0;
    }
}

std::string cMeshWriter::toBytes(uint32_t format, const std::string& vertices,
                                 const std::vector<uint16_t>& indices, const std::vector<cMatrix>& bones)
{
    const uint32_t size = vertexSize(format);
    std::string out;
    putU32(out, ResourceTag);
    putU32(out, format);
    putU32(out, size ? static_cast<uint32_t>(vertices.size() / size) : 0);
    putU32(out, static_cast<uint32_t>(indices.size()));
    putU32(out, ResourceTag);
    out += vertices;
    putU32(out, ResourceTag);
    for (size_t i = 0; i + 2 < indices.size(); i += 3)
        for (size_t k = 0; k < 3; ++k)
        {
            out.push_back(static_cast<char>(indices[i + k] & 0xFF));
            out.push_back(static_cast<char>(indices[i + k] >> 8));
        }
    putU32(out, ResourceTag);
    if (format == cMesh::FormatSkinned)
    {
        putU32(out, static_cast<uint32_t>(bones.size()));
        for (const cMatrix& bone : bones)
            for (float element : bone.m)
                putFloat(out, element);
        putU32(out, ResourceTag);
    }
    return out;
}

std::string cMeshWriter::fromText(const std::string& text)
{
    uint32_t format = 0;
    std::string vertices;
    uint32_t vertexCount = 0;
    std::vector<uint16_t> indices;
    std::vector<cMatrix> bones;
    std::istringstream lines(text);
    std::string lineText;
    int line = 0;
    while (std::getline(lines, lineText))
    {
        ++line;
        lineText = lineText.substr(0, lineText.find('#'));
        std::istringstream words(lineText);
        std::string word;
        if (!(words >> word))
            continue;
        if (word == "format")
        {
            if (format != 0)
                fail(line, "the format is given twice");
            words >> word;
            format = formatOf(word);
            if (format == 0)
                fail(line, "unknown format \"" + word + "\" (tex, normal, normaltex or skinned)");
            continue;
        }
        if (format == 0)
            fail(line, "the format must come first");
        if (word == "vertex")
        {
            if (vertexCount == 65536)
                fail(line, "a mesh holds at most 65536 vertices");
            readVertex(words, line, format, vertices);
            ++vertexCount;
        }
        else if (word == "triangle")
        {
            for (const char* what : {"a", "b", "c"})
            {
                const uint32_t index = readWhole(words, line, what, 65535);
                if (index >= vertexCount)
                    fail(line, "vertex " + std::to_string(index) + " is not defined yet");
                indices.push_back(static_cast<uint16_t>(index));
            }
        }
        else if (word == "bone")
        {
            if (format != cMesh::FormatSkinned)
                fail(line, "only skinned meshes have bones");
            bones.push_back(cAnimationWriter::readTransforms(words, line));
        }
        else
            fail(line, "unknown statement \"" + word + "\"");
    }
    if (format == 0)
        fail(line, "the description gives no format");
    return toBytes(format, vertices, indices, bones);
}

} // namespace Engine
