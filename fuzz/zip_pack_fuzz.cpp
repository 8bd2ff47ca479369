// Zip packs from outside: enumerating the members and reading each one whole, in small reads and
// after seeks, by name and by its place in the directory, must end in data or a clear error,
// never a crash or an out-of-bounds read.
#include "engine/core/Pack.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cPackArchive.h"
#include "engine/core/cPackStream.h"
#include "engine/core/cString.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

// Reads a member in the ways the engine's readers do; every failure here is a thrown text or a
// negative read, both fine.
void readMember(const std::wstring& pack, const std::string& member)
{
    try
    {
        Engine::cPackStream stream(pack, member);
        const unsigned int size = stream.size();
        std::vector<char> buffer(4096);
        while (stream.read(buffer.data(), static_cast<unsigned int>(buffer.size())) > 0)
        {
        }
        stream.seek(static_cast<int>(size / 2), Engine::SeekBegin);
        stream.read(buffer.data(), 17);
        stream.seek(-3, Engine::SeekEnd);
        stream.read(buffer.data(), 10);
        stream.seek(1, Engine::SeekBegin);
        stream.read(buffer.data(), 1);
    }
    catch (const Engine::cString<std::string>&)
    {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "zip_pack_input_" + std::to_string(::getpid()) + ".pack";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    const std::wstring pack = Engine::fromUtf8(path);
    // The library's own open: Engine::openPack would also show a message for every bad input.
    unzFile handle = Engine::openPackHandle(pack);
    if (!handle)
        return 0;
    std::vector<std::string> members;
    try
    {
        std::string name;
        for (bool more = Engine::packFirstFile(handle, name); more && members.size() < 64;
             more = Engine::packNextFile(handle, name))
            members.push_back(name);
    }
    catch (const char*)
    {
    }
    unzClose(handle);
    for (const std::string& member : members)
        readMember(pack, member);
    // The file system's way in: the pack opened once, its directory read whole (zip64 records
    // included) where it can be, every member read by its place.
    if (const std::shared_ptr<Engine::cPackArchive> archive = Engine::cPackArchive::open(pack))
    {
        for (size_t index = 0; index < archive->memberCount() && index < 64; ++index)
        {
            try
            {
                Engine::cPackStream stream(archive, index);
                std::vector<char> buffer(4096);
                while (stream.read(buffer.data(), static_cast<unsigned int>(buffer.size())) > 0)
                {
                }
            }
            catch (const Engine::cString<std::string>&)
            {
            }
        }
    }
    // A member that is not there.
    readMember(pack, "no/such/member.xml");
    return 0;
}
