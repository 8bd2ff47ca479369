#pragma once

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <memory>
#include <string>

namespace Engine
{
class cFileSystem;
class cResourceManager;
} // namespace Engine

namespace Test
{

// A data folder and a shared folder of the test's own: "Data/" and "share/" in a temporary
// folder, with XDG_DATA_HOME pointing at "share/" while the object lives and a
// "sys/constants.xml" naming the application folder `appDirectory`. The file system and the
// resource manager are made over the files written so far, and go before XDG_DATA_HOME is put
// back.
class EngineFixture
{
public:
    explicit EngineFixture(const std::string& appDirectory);
    ~EngineFixture();
    EngineFixture(const EngineFixture&) = delete;
    EngineFixture& operator=(const EngineFixture&) = delete;

    // Writes a file of the data folder.
    void data(const std::string& path, const std::string& bytes) const;
    std::filesystem::path dataFolder() const { return root.path() / "Data"; }
    // The application's folder inside the shared folder, and a file there.
    std::filesystem::path sharedFolder() const { return root.path() / "share" / m_appDirectory; }
    std::filesystem::path shared(const std::string& path) const { return sharedFolder() / path; }
    // Writes a file of the shared folder, as another program (or a crash) left it.
    void sharedFile(const std::string& path, const std::string& bytes) const;

    // Makes the file system anew (a new one sees files written since the last one was made);
    // the resource manager, made over the old one, goes first.
    Engine::cFileSystem& startFiles();
    // Makes the file system and an empty resource manager anew.
    Engine::cResourceManager& startResources();
    // The resource manager goes, then the file system.
    void stopEngine();

    TempDir root;
    std::unique_ptr<Engine::cFileSystem> files;
    std::unique_ptr<Engine::cResourceManager> manager;

private:
    std::string m_appDirectory;
    ScopedEnv m_dataHome;
};

} // namespace Test
