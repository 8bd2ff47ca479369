#include "engine/devices/cMeshWriter.h"

#include "engine/devices/BinaryWriter.h"
#include "engine/devices/cMesh.h"
#include "engine/devices/cTextDescription.h"

namespace Engine
{

namespace
{

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

void readVertex(cTextDescription& description, uint32_t format, BinaryWriter& out)
{
    const auto number = [&](const char* what) { out.writeFloat(description.readNumber(what)); };
    for (const char* what : {"x", "y", "z"})
        number(what);
    if (format == cMesh::FormatSkinned)
    {
        for (const char* what : {"w0", "w1", "w2"})
            number(what);
        for (const char* what : {"b0", "b1", "b2", "b3"})
            out.writeU8(static_cast<uint8_t>(description.readWhole(what, 255)));
    }
    if (format != cMesh::FormatTex)
        for (const char* what : {"nx", "ny", "nz"})
            number(what);
    if (format != cMesh::FormatNormal)
        for (const char* what : {"u", "v"})
            number(what);
    const std::string rest = description.readWord();
    if (!rest.empty())
        description.fail("a vertex of this format has no more fields (\"" + rest + "\")");
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
    BinaryWriter out;
    out.writeTag();
    out.writeU32(format);
    out.writeU32(size ? static_cast<uint32_t>(vertices.size() / size) : 0);
    out.writeU32(static_cast<uint32_t>(indices.size()));
    out.writeTag();
    out.writeBytes(vertices);
    out.writeTag();
    for (size_t i = 0; i + 2 < indices.size(); i += 3)
        for (size_t k = 0; k < 3; ++k)
            out.writeU16(indices[i + k]);
    out.writeTag();
    if (format == cMesh::FormatSkinned)
    {
        out.writeU32(static_cast<uint32_t>(bones.size()));
        for (const cMatrix& bone : bones)
            for (float element : bone.m)
                out.writeFloat(element);
        out.writeTag();
    }
    return out.bytes();
}

std::string cMeshWriter::fromText(const std::string& text)
{
    uint32_t format = 0;
    BinaryWriter vertices;
    uint32_t vertexCount = 0;
    std::vector<uint16_t> indices;
    std::vector<cMatrix> bones;
    cTextDescription description(text);
    std::string word;
    while (description.next(word))
    {
        if (word == "format")
        {
            if (format != 0)
                description.fail("the format is given twice");
            description.words() >> word;
            format = formatOf(word);
            if (format == 0)
                description.fail("unknown format \"" + word + "\" (tex, normal, normaltex or skinned)");
            continue;
        }
        if (format == 0)
            description.fail("the format must come first");
        if (word == "vertex")
        {
            if (vertexCount == 65536)
                description.fail("a mesh holds at most 65536 vertices");
            readVertex(description, format, vertices);
            ++vertexCount;
        }
        else if (word == "triangle")
        {
            for (const char* what : {"a", "b", "c"})
            {
                const uint32_t index = description.readWhole(what, 65535);
                if (index >= vertexCount)
                    description.fail("vertex " + std::to_string(index) + " is not defined yet");
                indices.push_back(static_cast<uint16_t>(index));
            }
        }
        else if (word == "bone")
        {
            if (format != cMesh::FormatSkinned)
                description.fail("only skinned meshes have bones");
            bones.push_back(description.readTransforms());
        }
        else
            description.fail("unknown statement \"" + word + "\"");
    }
    if (format == 0)
        description.fail("the description gives no format");
    return toBytes(format, vertices.bytes(), indices, bones);
}

} // namespace Engine
