#include "platform/system/SdlLibrary.h"

#include <dlfcn.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>

namespace Platform
{
namespace
{

// SDL's table once it is filled, for the callers that only want it when it is there.
std::atomic<const SdlLibrary::Sdl*> g_sdlLoaded{nullptr};

std::string loaderError()
{
    const char* text = dlerror();
    return text ? text : "unknown error";
}

} // namespace

void* SdlLibrary::open(const char* library)
{
    // Local: nothing after us should find SDL's names by chance; SDL_mixer names SDL2 itself.
    void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw std::runtime_error(std::string("cannot load ") + library + ": " + loaderError());
    return handle;
}

void* SdlLibrary::find(void* handle, const char* library, const char* function)
{
    dlerror();
    void* address = dlsym(handle, function);
    if (!address)
        throw std::runtime_error(std::string(library) + " has no function " + function + ": " +
                                 loaderError());
    return address;
}

#define QUILL_SDL_TABLE_FILL(name)                                                                           \
    table.name = reinterpret_cast<decltype(&::name)>(find(handle, library, #name));

const SdlLibrary::Sdl& SdlLibrary::sdl()
{
    static std::once_flag once;
    static Sdl loaded;
    // A throw leaves the flag unset, so the next call tries again and reports again.
    std::call_once(once,
                   []
                   {
                       const char* library = kSdlName;
                       void* handle = open(library);
                       Sdl table;
                       QUILL_SDL_FUNCTIONS(QUILL_SDL_TABLE_FILL)
                       loaded = table;
                       g_sdlLoaded.store(&loaded);
                   });
    return loaded;
}

const SdlLibrary::Mixer& SdlLibrary::mixer()
{
    static std::once_flag once;
    static Mixer loaded;
    std::call_once(once,
                   []
                   {
                       // Its errors are read through SDL's table.
                       sdl();
                       const char* library = kMixerName;
                       void* handle = open(library);
                       Mixer table;
                       QUILL_SDL_MIXER_FUNCTIONS(QUILL_SDL_TABLE_FILL)
                       loaded = table;
                   });
    return loaded;
}

#undef QUILL_SDL_TABLE_FILL

const SdlLibrary::Sdl* SdlLibrary::sdlIfLoaded()
{
    // Asked every frame by some callers: one load once the table is there.
    if (const Sdl* table = g_sdlLoaded.load())
        return table;
    // A program that links SDL itself (a test driving it) has it from the start; anything else
    // brings it in only through the table above.
    static const bool linked = []
    {
        void* handle = dlopen(kSdlName, RTLD_NOW | RTLD_NOLOAD);
        if (!handle)
            return false;
        // Only the reference just taken is given back; the library stays.
        dlclose(handle);
        return true;
    }();
    return linked ? &sdl() : nullptr;
}

} // namespace Platform
