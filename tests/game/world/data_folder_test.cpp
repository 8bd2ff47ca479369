// Walks the whole shipped data folder and loads every file through the loader the game uses for
// its kind, so a file a tool wrote wrongly, or one added later, fails here before a player meets
// it. A file of a kind nothing loads fails the walk too: either give it a loader here or, for a
// source file a tool turns into game data, name its kind in kSourceKinds.
#include "engine/core/ErrorText.h"
#include "engine/core/Pack.h"
#include "engine/core/cConfigTable.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cStream.h"
#include "engine/devices/cAnimation.h"
#include "engine/devices/cFont.h"
#include "engine/devices/cMesh.h"
#include "engine/devices/cPyroDevice.h"
#include "engine/devices/cPyroFileAdapter.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cSound.h"
#include "engine/devices/cSoundSample.h"
#include "engine/devices/cTexture.h"
#include "engine/devices/cVertexShader.h"
#include "platform/particles/CPyroLibrary.h"
#include "platform/particles/IPyroEffect.h"
#include "platform/particles/IPyroEmitter.h"
#include "platform/sound/SoundMixer.h"
#include "tests/support/RecordingFactory.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;
using Engine::eResourceType;

const fs::path kDataFolder = fs::path(QUILL_SOURCE_DIR) / "data";

// Source files kept beside what a tool makes of them, each with the extensions of its product:
// a tone script beside the sound soundtool writes from it.
const std::map<std::string, std::vector<std::string>> kSourceKinds = {{"tones", {"wav", "ogg"}}};

std::string extensionOf(const fs::path& path)
{
    std::string extension = path.extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// The engine over the shipped data folder: file system, a recording graphics device, the
// resource manager and the sound object on SDL's dummy audio device.
class DataFolder : public ::testing::Test
{
protected:
    DataFolder() : dataHome("XDG_DATA_HOME", home.path().string()), files(kDataFolder.wstring() + L"/") {}

    // Loads one file through the loader of its kind and checks what came out; false for a kind
    // nothing here loads.
    bool load(const std::string& path, const std::string& extension)
    {
        switch (Engine::cResourceManager::typeOfExtension(extension))
        {
        case eResourceType::XmlPooled:
        {
            const Engine::tPropertiesPtr root = manager.getXml(path, false);
            EXPECT_GT(root->getChildCount() + root->getAttributeCount(), 0u)
                << path << " is an empty document";
            return true;
        }
        case eResourceType::Texture:
        {
            const auto texture = manager.getTexture(path);
            EXPECT_GT(texture->getImageWidth(), 0) << path;
            EXPECT_GT(texture->getImageHeight(), 0) << path;
            return true;
        }
        case eResourceType::Font:
            EXPECT_GT(manager.getFont(path)->getGlyphCount(), 0u) << path;
            return true;
        case eResourceType::Sound:
        {
            Platform::SoundMixer* mixer = sound.getMixer();
            EXPECT_NE(mixer, nullptr) << "no sound device to load " << path;
            const auto sample = manager.getSound(path);
            EXPECT_GT(sample->getId(), 0) << path;
            if (mixer && sample->getId() > 0)
            {
                EXPECT_GT(mixer->getSampleFrequency(sample->getId()), 0) << path;
            }
            return true;
        }
        case eResourceType::Mesh:
        case eResourceType::Animation:
        case eResourceType::VertexShader:
            EXPECT_TRUE(manager.getResource(path, Engine::cResourceManager::typeOfExtension(extension)))
                << path;
            return true;
        default:
            break;
        }
        if (extension == "pyro")
        {
            loadEffect(path);
            return true;
        }
        if (extension == "play")
        {
            checkScript(path);
            return true;
        }
        return false;
    }

    // A level's winning script (levelplay reads it): comments and "at T VERB ..." lines only.
    void checkScript(const std::string& path)
    {
        std::vector<char> bytes;
        files.readFile(path, bytes);
        std::istringstream text(std::string(bytes.begin(), bytes.end()));
        static const std::regex line(
            R"(\s*(#.*)?|at [0-9.]+ ((click|upgrade) [A-Za-z]+(#[0-9]+)?|cancel|save|restore)\s*(#.*)?)");
        std::string row;
        int number = 0;
        while (std::getline(text, row))
        {
            ++number;
            EXPECT_TRUE(std::regex_match(row, line)) << path << ":" << number << ": " << row;
        }
        EXPECT_GT(number, 0) << path;
    }

    // Every emitter of an effect file emits and draws for half a second.
    void loadEffect(const std::string& path)
    {
        PyroParticles::CPyroLibrary library;
        Engine::cPyroDevice device(factory.device, library.getQuadCount());
        library.setDevice(&device);
        Engine::cPyroFileAdapter file(files.openFile(path));
        PyroParticles::IPyroEffect* effect = library.loadEffect(file, path.c_str());
        effect->prepare();
        EXPECT_GT(effect->getEmitterCount(), 0u) << path;
        for (uint32_t i = 0; i < effect->getEmitterCount(); ++i)
        {
            const char* name = effect->getEmitter(i)->getName();
            PyroParticles::IPyroEmitter* emitter = effect->createEmitter(name);
            const size_t drawsBefore = factory.device.draws().size();
            float time = 0.0f;
            for (int step = 0; step < 10; ++step, time += 0.05f)
            {
                emitter->move(time, 0.05f);
                emitter->emit(time, 0.05f, 400.0f, 300.0f, 0.0f, true);
            }
            EXPECT_GT(emitter->getParticleCount(), 0u) << path << ": " << name;
            emitter->draw();
            EXPECT_GT(factory.device.draws().size(), drawsBefore) << path << ": " << name;
        }
        library.shutdown();
    }

    void loadOne(const std::string& path, const std::string& extension, std::map<std::string, int>& loaded)
    {
        try
        {
            if (load(path, extension))
                ++loaded[extension];
            else
                ADD_FAILURE() << path << ": no loader for files of the kind \"" << extension << "\"";
        }
        catch (...)
        {
            ADD_FAILURE() << path << ": " << Engine::currentExceptionText();
        }
    }

    ::Test::TempDir home;
    ::Test::ScopedEnv dataHome;
    ::Test::RecordingFactory factory;
    Engine::cFileSystem files;
    Engine::cResourceManager manager;
    Engine::cSound sound;
};

std::vector<std::string> packMembers(const fs::path& pack)
{
    std::vector<std::string> members;
    unzFile handle = Engine::openPack(pack.wstring());
    std::string name;
    for (bool more = Engine::packFirstFile(handle, name); more; more = Engine::packNextFile(handle, name))
        members.push_back(name);
    Engine::closePack(handle);
    return members;
}

TEST_F(DataFolder, EveryFileLoadsThroughTheLoaderOfItsKind)
{
    std::map<std::string, int> loaded;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kDataFolder))
    {
        if (!entry.is_regular_file())
            continue;
        const std::string path = fs::relative(entry.path(), kDataFolder).generic_string();
        const std::string extension = extensionOf(entry.path());
        const auto source = kSourceKinds.find(extension);
        if (source != kSourceKinds.end())
        {
            // A source file is checked by what was made of it: the product must lie beside it.
            const bool made =
                std::any_of(source->second.begin(), source->second.end(),
                            [&](const std::string& product)
                            { return fs::exists(fs::path(entry.path()).replace_extension(product)); });
            EXPECT_TRUE(made) << path << " has no file made from it beside it";
            continue;
        }
        if (extension == "pack")
        {
            // A pack built from sources: every member goes through the loader of its kind, read
            // from the pack by the file system (which indexes the members under their own names).
            for (const std::string& member : packMembers(entry.path()))
                loadOne(member, extensionOf(fs::path(member)), loaded);
            continue;
        }
        loadOne(path, extension, loaded);
    }
    // The walk found the game's data: its rules, an effect, a font with its picture, a sound.
    for (const char* kind : {"xml", "pyro", "fnt", "png", "wav"})
        EXPECT_GT(loaded[kind], 0) << kind;
}

} // namespace
