#include "tests/support/EngineFixture.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/devices/cResourceManager.h"

namespace Test
{

EngineFixture::EngineFixture(const std::string& appDirectory)
    : m_appDirectory(appDirectory), m_dataHome("XDG_DATA_HOME", (root.path() / "share").string())
{
    data("sys/constants.xml", "<constants><game app_directory=\"" + appDirectory + "\"/></constants>");
}

EngineFixture::~EngineFixture()
{
    stopEngine();
}

void EngineFixture::data(const std::string& path, const std::string& bytes) const
{
    root.write("Data/" + path, bytes);
}

void EngineFixture::sharedFile(const std::string& path, const std::string& bytes) const
{
    root.write("share/" + m_appDirectory + "/" + path, bytes);
}

Engine::cFileSystem& EngineFixture::startFiles()
{
    stopEngine();
    files = std::make_unique<Engine::cFileSystem>(Engine::fromUtf8(dataFolder().string()));
    return *files;
}

Engine::cResourceManager& EngineFixture::startResources()
{
    startFiles();
    manager = std::make_unique<Engine::cResourceManager>();
    return *manager;
}

void EngineFixture::stopEngine()
{
    manager.reset();
    files.reset();
}

} // namespace Test
