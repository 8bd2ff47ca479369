#pragma once

#include "engine/core/cResource.h"
#include "engine/devices/cMatrix.h"

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Platform
{
class GfxBuffer;
class GfxIndexBuffer;
class GfxVertexBuffer;
} // namespace Platform

namespace Engine
{

class BinaryReader;

// A model from the engine's mesh file (resource kind `Mesh`, files "*.mesh"): a vertex list in
// one of four fixed vertex formats, a triangle list of 16-bit indices and, for skinned meshes,
// the bind matrices of the bones. Loading copies both lists into a vertex and an index buffer
// of the render device; the bytes stay here too, for the code that skins meshes on the CPU.
//
// The file, little-endian (V vertices of S bytes, I indices, T = I / 3 triangles):
//   tag "kelv", vertex format (u32: 274, 258, 18 or 4380), V (u32), I (u32), tag,
//   S x V vertex bytes, tag, T x 3 indices (u16; a remainder of I is not read), tag,
//   and for format 4380 the bone count M (u32), M matrices of 16 floats row by row, tag.
// Bytes after the last tag are ignored. A wrong first tag throws "Invalid mesh format. File:"
// + path and an unknown format "Undefined vertex format. Resource:" + path (std::string);
// a wrong later tag, or an index that names no vertex, throws "Invalid resource format", and a
// file that ends inside a field "Unexpected end of source" (C strings).
class cMesh : public cResource
{
public:
    // Vertex formats (the device's flexible vertex format codes) and their classes.
    static constexpr uint32_t FormatNormalTex = 274; // cMeshNormalTex: position, normal, u v
    static constexpr uint32_t FormatTex = 258;       // cMeshTex: position, u v
    static constexpr uint32_t FormatNormal = 18;     // cMeshNormal: position, normal
    static constexpr uint32_t FormatSkinned = 4380;  // cSkinnedMesh: see cSkinnedVertex

    // Reads the file through the file system and makes the mesh of its vertex format.
    static boost::shared_ptr<cResource> load(const std::string& path);
    // The same from the file's bytes; `path` only names the file in errors.
    static boost::shared_ptr<cMesh> fromBytes(const void* data, size_t size, const std::string& path);

    ~cMesh() override;

    eResourceType getType() const override { return eResourceType::Mesh; }
    // Releases both buffers and frees the vertex and index bytes: the mesh draws nothing until
    // its file is loaded again.
    void releaseDeviceData() override;

    virtual const uint32_t& getVertexFormat() const { return m_format; }
    // Null before `createBuffers`, after `releaseDeviceData`, and when no render device exists.
    virtual const std::shared_ptr<Platform::GfxVertexBuffer>& getVertexBuffer() const
    {
        return m_vertexBuffer;
    }
    virtual const std::shared_ptr<Platform::GfxIndexBuffer>& getIndexBuffer() const { return m_indexBuffer; }
    virtual uint32_t getTriangleCount() const { return m_triangleCount; }
    virtual uint32_t getVertexCount() const { return m_vertexCount; }
    virtual uint32_t getVertexSize() const { return 48; }
    // The bind matrices of a skinned mesh; null for the other classes.
    virtual const std::vector<cMatrix>* getBoneMatrices() const { return nullptr; }
    // Makes both buffers through the render device's factory (managed pool) and fills them with
    // the bytes; a buffer that cannot be made or locked throws the device error ("Direct3D
    // function call failed..."). An empty list gets no buffer. Does nothing when no device
    // factory exists (tools and tests read meshes without one).
    virtual void createBuffers();

    // The vertices as the file lays them out (getVertexSize() bytes each), and the 3 x T
    // indices; every index is below the vertex count.
    const std::vector<uint8_t>& getVertexBytes() const { return m_vertexBytes; }
    const std::vector<uint8_t>& getIndexBytes() const { return m_indexBytes; }
    uint16_t getIndex(size_t i) const;
    // A float of a vertex, `offset` bytes into it.
    float getVertexFloat(uint32_t vertex, uint32_t offset) const;

protected:
    explicit cMesh(uint32_t format) : m_format(format) {}
    // Reads the sections every format has, up to and with the tag after the indices.
    void readGeometry(BinaryReader& in);

private:
    // Copies the bytes into the buffer; a lock that fails throws the device error.
    static void fill(Platform::GfxBuffer& buffer, const std::vector<uint8_t>& bytes);

    std::shared_ptr<Platform::GfxVertexBuffer> m_vertexBuffer;
    std::shared_ptr<Platform::GfxIndexBuffer> m_indexBuffer;
    uint32_t m_triangleCount = 0;
    uint32_t m_vertexCount = 0;
    std::vector<uint8_t> m_indexBytes;
    std::vector<uint8_t> m_vertexBytes;
    uint32_t m_format = FormatSkinned;
};

} // namespace Engine
