// Views with a mesh: the mesh data they hand to the renderer, and the blend from one animation
// of a skeleton to the next.

#include "engine/core/cControl.h"
#include "engine/devices/cAnimation.h"
#include "engine/devices/cAnimationWriter.h"
#include "engine/devices/cMesh.h"
#include "engine/devices/cMeshWriter.h"
#include "engine/ui/cView.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <string>

namespace
{

using Engine::cAnimation;
using Engine::cColor;
using Engine::cMesh;
using Engine::cVector3;
using Engine::cView;

constexpr float Pi = 3.14159265358979323846f;

boost::shared_ptr<cMesh> meshFromText(const std::string& text)
{
    const std::string bytes = Engine::cMeshWriter::fromText(text);
    return cMesh::fromBytes(bytes.data(), bytes.size(), "models/test.mesh");
}

boost::shared_ptr<cAnimation> animationFromText(const std::string& text)
{
    const std::string bytes = Engine::cAnimationWriter::fromText(text);
    return boost::make_shared<cAnimation>(bytes.data(), bytes.size());
}

// A triangle on a skeleton of two bones.
boost::shared_ptr<cMesh> skinnedTriangle()
{
    return meshFromText("format skinned\n"
                        "vertex 0 0 0 1 0 0 0 0 0 0 0 0 1 0 0\n"
                        "vertex 1 0 0 1 0 0 1 0 0 0 0 0 1 0 0\n"
                        "vertex 0 1 0 1 0 0 1 0 0 0 0 0 1 0 0\n"
                        "triangle 0 1 2\n"
                        "bone identity\n"
                        "bone translate 1 0 0\n");
}

// An animation of `tracks` tracks, the first moving up over its second.
boost::shared_ptr<cAnimation> animation(int tracks, float duration = 1.0f)
{
    std::string text =
        "duration " + std::to_string(duration) + "\ntrack\nkey 0 identity\nkey 1 translate 0 1 0\n";
    for (int i = 1; i < tracks; ++i)
        text += "track parent 0\nkey 0 identity\n";
    return animationFromText(text);
}

class ViewMesh : public ::testing::Test
{
protected:
    void TearDown() override { Engine::cControl::deletePending(); }
};

TEST_F(ViewMesh, TheMeshDataPlacesScalesTurnsAndLightsTheMesh)
{
    cView root;
    root.setTransparency(0.5f);
    auto* view = new cView(&root);
    view->setMesh(meshFromText("format normal\nvertex 0 0 0 0 0 1\nvertex 1 0 0 0 0 1\nvertex 0 1 0 0 0 1\n"
                               "triangle 0 1 2\n"));
    view->setAnimation(animation(1, 2.0f));
    view->setPosition({100.0f, 200.0f});
    view->setDeep(7.0f);
    view->setScale({2.0f, 2.0f, 2.0f});
    view->setYaw(-Pi / 2.0f);
    view->setPitch(Pi / 2.0f);
    view->setColor(cColor(0.2f, 0.4f, 0.6f, 0.8f));
    view->setAmbientColor(cColor(0.1f, 0.1f, 0.1f, 1.0f));
    view->setLightingEnable(true);
    view->setLightTable(2);
    view->setPower(9.0f);
    view->anim_length = 4.0f;
    view->setAnimTime(1.0f);

    const Engine::cMeshRenderData& data = view->getMeshData();
    EXPECT_EQ(data.mesh, view->getMesh());
    EXPECT_EQ(data.animation, view->getAnimation());
    EXPECT_FALSE(data.texture);
    // Scaled, turned about y (x goes to -z), then about x (-z goes to -y), then placed with the
    // deep as z.
    const cVector3 p = data.world.transformPoint(cVector3(1.0f, 0.0f, 0.0f));
    EXPECT_NEAR(p.x, 100.0f, 1e-4f);
    EXPECT_NEAR(p.y, 198.0f, 1e-4f);
    EXPECT_NEAR(p.z, 7.0f, 1e-4f);
    // The view's quarter of its time is the animation's quarter of its duration.
    EXPECT_FLOAT_EQ(data.time, 0.5f);
    EXPECT_FLOAT_EQ(data.material.diffuse.g, 0.4f);
    EXPECT_FLOAT_EQ(data.material.diffuse.a, 0.4f) << "alpha times the root's transparency";
    EXPECT_FLOAT_EQ(data.material.ambient.a, 0.5f);
    EXPECT_FLOAT_EQ(data.material.ambient.r, 0.1f);
    EXPECT_FLOAT_EQ(data.material.specular.a, 0.5f);
    EXPECT_EQ(data.material.power, 9.0f);
    EXPECT_TRUE(data.lightingEnable);
    EXPECT_EQ(data.lightTable, 2u);

    // The angle turns sprites only.
    const Engine::cMatrix before = data.world;
    view->setAngle(45.0f);
    EXPECT_EQ(view->getMeshData().world, before);
}

TEST_F(ViewMesh, AShownViewBlendsFromTheOldAnimationToTheNew)
{
    cView view;
    view.show();
    view.setIsAniblend(true);
    view.setAnimBlendTime(0.3f);
    view.setMesh(skinnedTriangle());
    view.setAnimation(animation(2));
    view.getMeshData();

    view.setAnimation(animation(2));
    EXPECT_EQ(view.getAniblendPhase(), 0.3f);
    EXPECT_EQ(view.getBlendWeight(), 1.0f);
    EXPECT_EQ(view.getMeshData().previousPose.size(), 2u);
    EXPECT_EQ(view.getMeshData().blendFactor, 1.0f);

    // Another mesh ends the blend.
    view.setMesh(skinnedTriangle());
    EXPECT_EQ(view.getAniblendPhase(), 0.0f);
    EXPECT_EQ(view.getBlendWeight(), 0.0f);
}

TEST_F(ViewMesh, NoBlendWhenHiddenOffOrTheSkeletonDiffers)
{
    cView view;
    view.setIsAniblend(true);
    view.setMesh(skinnedTriangle());
    view.setAnimation(animation(2));
    view.getMeshData();
    view.setAniblendPhase(0.1f);
    view.setAnimation(animation(2));
    EXPECT_EQ(view.getAniblendPhase(), 0.0f) << "hidden";
    EXPECT_EQ(view.getBlendWeight(), 0.0f);

    view.show();
    view.setAnimation(animation(3));
    view.getMeshData();
    view.setAnimation(animation(2));
    EXPECT_EQ(view.getBlendWeight(), 0.0f) << "three tracks on two bones";

    view.setIsAniblend(false);
    view.setAnimation(animation(2));
    EXPECT_EQ(view.getBlendWeight(), 0.0f);

    // A view without mesh data stores the animation plainly.
    cView plain;
    plain.show();
    plain.setIsAniblend(true);
    plain.setAnimation(animation(2));
    plain.setAnimation(animation(2));
    EXPECT_EQ(plain.getBlendWeight(), 0.0f);
}

} // namespace
