#pragma once

#include "engine/core/StringUtils.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cString.h"
#include "engine/core/cXmlProperties.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cTexture.h"
#include "tests/support/EngineFixture.h"

#include <boost/make_shared.hpp>

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace ViewTest
{

// A layout element parsed from text.
inline Engine::tPropertiesPtr element(const std::string& xml)
{
    return Engine::cXmlProperties::fromBuffer(xml.data(), xml.size(), "layout.xml");
}

// A texture resource without a device texture: only the sizes the views read.
class cSizedTexture final : public Engine::cTexture
{
public:
    cSizedTexture(int imageWidth, int imageHeight, int textureWidth, int textureHeight)
    {
        m_imageWidth = imageWidth;
        m_imageHeight = imageHeight;
        m_textureWidth = textureWidth;
        m_textureHeight = textureHeight;
        m_uScale = static_cast<float>(imageWidth) / static_cast<float>(textureWidth);
        m_vScale = static_cast<float>(imageHeight) / static_cast<float>(textureHeight);
    }
};

// A data folder and shared folder of the test's own, the file system over them and the resource
// manager, whose textures are sized stand-ins: `sizes` gives the image size of a path (and its
// texture size, the same unless set), other paths fail as a missing file does.
class cViewResources : public ::Test::EngineFixture
{
public:
    struct tSize
    {
        int width = 0;
        int height = 0;
        int textureWidth = 0;
        int textureHeight = 0;
    };

    cViewResources() : EngineFixture("View Test") {}
    ~cViewResources()
    {
        Engine::cControl::deletePending();
        stopEngine();
    }

    // Makes the file system and the resource manager over the files written so far.
    void start(bool realTextures = false)
    {
        startResources();
        if (realTextures)
            return;
        manager->setCreator(Engine::eResourceType::Texture,
                            [this](const std::string& path) -> Engine::cResourceManager::tResourcePtr
                            {
                                const auto it = sizes.find(path);
                                if (it == sizes.end())
                                    throw Engine::cString<std::string>("File \"" + path + "\" not found.");
                                const tSize& s = it->second;
                                return boost::make_shared<cSizedTexture>(
                                    s.width, s.height, s.textureWidth ? s.textureWidth : s.width,
                                    s.textureHeight ? s.textureHeight : s.height);
                            });
    }

    std::map<std::string, tSize> sizes;
};

} // namespace ViewTest
