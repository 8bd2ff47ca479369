#include "engine/devices/cMesh.h"

#include "engine/core/cString.h"
#include "engine/devices/cMeshWriter.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cVertexShader.h"
#include "platform/gfx/GfxBuffer.h"
#include "platform/gfx/RecordingGfxDevice.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/RecordingFactory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{

using namespace Engine;

const char* const Quad = "format normaltex\n"
                         "vertex 0 0 0 0 0 1 0 0\n"
                         "vertex 10 0 0 0 0 1 1 0\n"
                         "vertex 10 10 0 0 0 1 1 1\n"
                         "vertex 0 10 0 0 0 1 0 1\n"
                         "triangle 0 1 2\n"
                         "triangle 0 2 3\n";

const char* const Program = "!!ARBvp1.0\n"
                            "MOV result.position, vertex.position;\n"
                            "MOV result.color, vertex.color;\n"
                            "END\n";

// A data folder with a mesh and a vertex program, the file system, the resource manager with
// the mesh and shader kinds, and a device factory.
class MeshDevice : public ::testing::Test, protected ::Test::EngineFixture
{
protected:
    MeshDevice() : EngineFixture("Mesh Device")
    {
        data("models/quad.mesh", cMeshWriter::fromText(Quad));
        data("shaders/plain.vsh", Program);
        startResources();
    }
    // The meshes and shaders let go of their buffers while the factory is there.
    ~MeshDevice() override { manager.reset(); }

    ::Test::RecordingFactory factory;
};

TEST_F(MeshDevice, LoadingFillsAVertexAndAnIndexBufferWithTheFileBytes)
{
    const auto mesh = manager->getMesh("Models/Quad.mesh");
    ASSERT_TRUE(mesh->getVertexBuffer());
    ASSERT_TRUE(mesh->getIndexBuffer());
    EXPECT_EQ(mesh->getVertexBuffer()->fvf(), 274u);
    EXPECT_EQ(mesh->getVertexBuffer()->pool(), Platform::Pool::Managed);
    EXPECT_EQ(mesh->getVertexBuffer()->size(), 4u * 32u);
    EXPECT_EQ(std::memcmp(mesh->getVertexBuffer()->data(), mesh->getVertexBytes().data(), 128), 0);
    EXPECT_EQ(mesh->getIndexBuffer()->indexCount(), 6u);
    EXPECT_EQ(std::memcmp(mesh->getIndexBuffer()->data(), mesh->getIndexBytes().data(), 12), 0);
    EXPECT_FALSE(mesh->getVertexBuffer()->isLocked());
    EXPECT_EQ(manager->getMesh("models/quad.mesh"), mesh);

    // Releasing the device objects of all resources leaves the mesh without geometry.
    manager->releaseDeviceResources();
    EXPECT_FALSE(mesh->getVertexBuffer());
    EXPECT_TRUE(mesh->getVertexBytes().empty());
}

TEST_F(MeshDevice, ABufferTheDeviceCannotMakeIsADeviceError)
{
    factory.device.setManagedPoolExhausted(true);
    try
    {
        manager->getMesh("models/quad.mesh");
        ADD_FAILURE() << "the mesh loaded";
    }
    catch (const cString<std::string>& text)
    {
        EXPECT_EQ(text.find("Direct3D function call failed\nCreateIndexBuffer\n"), 0u) << text;
    }
    factory.device.setManagedPoolExhausted(false);
    EXPECT_TRUE(manager->getMesh("models/quad.mesh")->getIndexBuffer());
}

TEST_F(MeshDevice, VertexShadersAreMadeReleasedAndMadeAgain)
{
    auto shader = manager->getVertexShader("shaders/plain.vsh");
    EXPECT_EQ(shader->getType(), eResourceType::VertexShader);
    EXPECT_EQ(std::string(shader->getBytes().begin(), shader->getBytes().end()), Program);
    const uint32_t handle = shader->getHandle();
    EXPECT_NE(handle, 0u);

    manager->releaseDeviceResources();
    EXPECT_EQ(shader->getHandle(), 0u);
    // The device no longer knows the old shader.
    EXPECT_NE(factory.device.deleteVertexShader(handle), Platform::GfxError::Ok);

    shader->restoreDeviceData();
    EXPECT_NE(shader->getHandle(), 0u);
    shader->restoreDeviceData();
    const uint32_t again = shader->getHandle();
    // The last holder deletes the device shader.
    manager.reset();
    shader.reset();
    EXPECT_NE(factory.device.deleteVertexShader(again), Platform::GfxError::Ok);
}

TEST_F(MeshDevice, AMissingShaderFileIsTheFileSystemsError)
{
    EXPECT_THROW(manager->getVertexShader("shaders/none.vsh"), std::string);
}

} // namespace
