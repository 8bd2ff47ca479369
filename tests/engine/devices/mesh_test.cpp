#include "engine/devices/cMesh.h"

#include "engine/devices/BinaryReader.h"
#include "engine/devices/cMeshWriter.h"
#include "engine/devices/cSkinnedMesh.h"
#include "tests/support/EngineFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using namespace Engine;

const char* const Triangle = "format tex\n"
                             "vertex 0 0 0 0 0\n"
                             "vertex 100 0 0 1 0\n"
                             "vertex 0 100 0 0 1\n"
                             "triangle 0 1 2\n";

const char* const Skinned = "format skinned\n"
                            "vertex 1 2 3  0.5 0.25 0  0 1 2 7  0 0 1  0.5 1\n"
                            "vertex 4 5 6  1 0 0  1 0 0 0  0 1 0  0 0\n"
                            "vertex 7 8 9  1 0 0  2 0 0 0  1 0 0  1 1\n"
                            "triangle 0 1 2\n"
                            "triangle 2 1 0\n"
                            "bone translate 1 0 0\n"
                            "bone scale 2 2 2\n";

std::string errorOf(const std::string& bytes)
{
    try
    {
        cMesh::fromBytes(bytes.data(), bytes.size(), "models/thing.mesh");
    }
    catch (const char* text)
    {
        return text;
    }
    catch (const std::string& text)
    {
        return text;
    }
    return "";
}

void putU32At(std::string& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

TEST(Mesh, ATexturedTriangleIsNinetyFourBytes)
{
    const std::string bytes = cMeshWriter::fromText(Triangle);
    ASSERT_EQ(bytes.size(), 94u);
    EXPECT_EQ(bytes.substr(0, 4), "kelv");
    const auto mesh = cMesh::fromBytes(bytes.data(), bytes.size(), "t.mesh");
    EXPECT_EQ(mesh->getType(), eResourceType::Mesh);
    EXPECT_EQ(mesh->getVertexFormat(), 258u);
    EXPECT_EQ(mesh->getVertexSize(), 20u);
    EXPECT_EQ(mesh->getVertexCount(), 3u);
    EXPECT_EQ(mesh->getTriangleCount(), 1u);
    EXPECT_EQ(mesh->getBoneMatrices(), nullptr);
    EXPECT_EQ(mesh->getVertexFloat(1, 0), 100.0f);
    EXPECT_EQ(mesh->getVertexFloat(2, 16), 1.0f);
    EXPECT_EQ(mesh->getIndex(2), 2);

    EXPECT_EQ(errorOf(bytes.substr(0, 93)), "Unexpected end of source");
    // Every shorter cut is refused too, and none reads past the bytes.
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_EQ(errorOf(bytes.substr(0, n)), "Unexpected end of source") << n;
    EXPECT_EQ(errorOf(bytes + "more"), "");
}

TEST(Mesh, EachFormatHasItsClassAndVertexSize)
{
    const struct
    {
        const char* text;
        uint32_t format;
        uint32_t size;
    } cases[] = {{"format normaltex\nvertex 1 2 3 0 0 1 0.25 0.75\n", 274, 32},
                 {"format normal\nvertex 1 2 3 0 0 1\n", 18, 24},
                 {"format 258\nvertex 1 2 3 0.25 0.75\n", 258, 20}};
    for (const auto& c : cases)
    {
        const std::string bytes = cMeshWriter::fromText(c.text);
        const auto mesh = cMesh::fromBytes(bytes.data(), bytes.size(), "m.mesh");
        EXPECT_EQ(mesh->getVertexFormat(), c.format);
        EXPECT_EQ(mesh->getVertexSize(), c.size);
        EXPECT_EQ(mesh->getVertexBytes().size(), c.size);
        EXPECT_EQ(mesh->getVertexFloat(0, 8), 3.0f);
        EXPECT_EQ(mesh->getBoneMatrices(), nullptr);
        EXPECT_THROW(mesh->getVertexFloat(0, c.size), std::out_of_range);
    }
}

TEST(Mesh, AnIndexCountOfFourReadsOneTriangle)
{
    std::string bytes = cMeshWriter::fromText(Triangle);
    putU32At(bytes, 12, 4);
    const auto mesh = cMesh::fromBytes(bytes.data(), bytes.size(), "t.mesh");
    EXPECT_EQ(mesh->getTriangleCount(), 1u);
    EXPECT_EQ(mesh->getIndexBytes().size(), 6u);
}

TEST(Mesh, SkinnedMeshesKeepTheirBonesAndVertexFields)
{
    const std::string bytes = cMeshWriter::fromText(Skinned);
    const auto mesh = cMesh::fromBytes(bytes.data(), bytes.size(), "s.mesh");
    ASSERT_EQ(mesh->getVertexFormat(), 4380u);
    const auto& skinned = static_cast<const cSkinnedMesh&>(*mesh);
    ASSERT_NE(skinned.getBoneMatrices(), nullptr);
    ASSERT_EQ(skinned.getBoneMatrices()->size(), 2u);
    EXPECT_EQ((*skinned.getBoneMatrices())[0], cMatrix::translation(1, 0, 0));
    EXPECT_EQ((*skinned.getBoneMatrices())[1], cMatrix::scaling(2, 2, 2));
    EXPECT_EQ(skinned.getTriangleCount(), 2u);

    const cSkinnedVertex first = skinned.getVertex(0);
    EXPECT_EQ(first.position, cVector3(1, 2, 3));
    EXPECT_EQ(first.weights[0], 0.5f);
    EXPECT_EQ(first.weights[1], 0.25f);
    EXPECT_EQ((std::vector<int>(first.bones, first.bones + 4)), (std::vector<int>{0, 1, 2, 7}));
    EXPECT_EQ(first.normal, cVector3(0, 0, 1));
    EXPECT_EQ(first.u, 0.5f);
    EXPECT_EQ(first.v, 1.0f);
    EXPECT_EQ(skinned.getHighestBone(), 7);

    // No bones: the tag follows the count at once.
    const std::string bare = cMeshWriter::fromText("format skinned\n");
    EXPECT_EQ(bare.size(), 36u);
    const auto empty = cMesh::fromBytes(bare.data(), bare.size(), "e.mesh");
    EXPECT_TRUE(empty->getBoneMatrices()->empty());
    EXPECT_EQ(errorOf(bare.substr(0, 35)), "Unexpected end of source");
}

TEST(Mesh, BrokenFilesGiveTheLoadErrors)
{
    const std::string good = cMeshWriter::fromText(Skinned);
    std::string bad = good;
    bad[0] = 'K';
    EXPECT_EQ(errorOf(bad), "Invalid mesh format. File:models/thing.mesh");
    bad = good;
    putU32At(bad, 4, 275);
    EXPECT_EQ(errorOf(bad), "Undefined vertex format. Resource:models/thing.mesh");
    EXPECT_EQ(errorOf("kelv\x12"), "Unexpected end of source");
    EXPECT_EQ(errorOf("kel"), "Unexpected end of source");

    // Each inner tag in turn.
    for (size_t at : {size_t(16), size_t(20 + 3 * 48), size_t(24 + 3 * 48 + 12), good.size() - 4})
    {
        bad = good;
        bad[at] = 'x';
        EXPECT_EQ(errorOf(bad), "Invalid resource format") << at;
    }
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(errorOf(good.substr(0, n)).empty()) << n;
}

TEST(Mesh, LyingCountsAndIndicesAreRefused)
{
    const std::string good = cMeshWriter::fromText(Skinned);
    std::string bad = good;
    putU32At(bad, 8, 0xFFFFFFFFu);
    EXPECT_EQ(errorOf(bad), "Unexpected end of source");
    bad = good;
    putU32At(bad, 12, 0xFFFFFFFFu);
    EXPECT_EQ(errorOf(bad), "Unexpected end of source");
    bad = good;
    putU32At(bad, 28 + 3 * 48 + 12, 0x10000000u);
    EXPECT_EQ(errorOf(bad), "Unexpected end of source");

    // An index that names no vertex.
    bad = good;
    bad[24 + 3 * 48 + 2] = 3;
    EXPECT_EQ(errorOf(bad), "Invalid resource format");
    const std::string none = cMeshWriter::toBytes(258, "", {0, 0, 0}, {});
    EXPECT_EQ(errorOf(none), "Invalid resource format");
}

TEST(Mesh, ReleasingDeviceDataFreesTheGeometry)
{
    const std::string bytes = cMeshWriter::fromText(Triangle);
    const auto mesh = cMesh::fromBytes(bytes.data(), bytes.size(), "t.mesh");
    mesh->releaseDeviceData();
    EXPECT_TRUE(mesh->getVertexBytes().empty());
    EXPECT_TRUE(mesh->getIndexBytes().empty());
    EXPECT_FALSE(mesh->getVertexBuffer());
    EXPECT_FALSE(mesh->getIndexBuffer());
}

TEST(MeshText, MistakesNameTheirLine)
{
    const auto errorOfText = [](const std::string& text)
    {
        try
        {
            cMeshWriter::fromText(text);
        }
        catch (const std::string& error)
        {
            return error;
        }
        return std::string();
    };
    EXPECT_EQ(errorOfText("vertex 1 2 3\n"), "line 1: the format must come first");
    EXPECT_EQ(errorOfText("format cube\n"),
              "line 1: unknown format \"cube\" (tex, normal, normaltex or skinned)");
    EXPECT_EQ(errorOfText("format tex\nvertex 1 2 3 4\n"), "line 2: v is missing or not a number");
    EXPECT_EQ(errorOfText("format tex\nvertex 1 2 3 4 5 6\n"),
              "line 2: a vertex of this format has no more fields (\"6\")");
    EXPECT_EQ(errorOfText("format tex\nvertex 1 2 3 4 5\ntriangle 0 0 1\n"),
              "line 3: vertex 1 is not defined yet");
    EXPECT_EQ(errorOfText("format tex\nbone identity\n"), "line 2: only skinned meshes have bones");
    EXPECT_EQ(errorOfText("format skinned\nvertex 0 0 0 1 0 0 256 0 0 0 0 0 1 0 0\n"),
              "line 2: b0 must be a whole number from 0 to 255");
    EXPECT_EQ(errorOfText("# nothing\n"), "line 1: the description gives no format");
}

TEST(Mesh, LoadsShareOneFileBufferAndKeepTheirOwnCopies)
{
    ::Test::EngineFixture engine("Mesh Test");
    engine.data("models/triangle.mesh", cMeshWriter::fromText(Triangle));
    engine.data("models/skinned.mesh", cMeshWriter::fromText(Skinned));
    engine.startFiles();
    const auto triangle = boost::static_pointer_cast<cMesh>(cMesh::load("models/triangle.mesh"));
    const auto skinned = boost::static_pointer_cast<cMesh>(cMesh::load("models/skinned.mesh"));
    EXPECT_EQ(triangle->getVertexFloat(1, 0), 100.0f);
    EXPECT_EQ(skinned->getVertexFloat(2, 0), 7.0f);
    EXPECT_THROW(cMesh::load("models/none.mesh"), std::string);
}

} // namespace
