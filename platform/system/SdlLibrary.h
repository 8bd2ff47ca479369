#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

// SDL2 and SDL_mixer are opened on first use rather than linked: loading them and the sixty
// libraries under them costs a program about ten milliseconds of start, which the tools that
// never open a window or play a sound (levelplay, the data tools, most tests) need not pay.
//
// Every SDL function the platform layer calls is named once below and reached through a table:
//
//     sdl().SDL_ShowWindow(window);
//     sdlMixer().Mix_HaltChannel(-1);
//
// A function missing from these lists does not link (the programs no longer link SDL), so a new
// call is added here first. The types come from SDL's own headers.

#define QUILL_SDL_FUNCTIONS(X)                                                                               \
    X(SDL_AddEventWatch)                                                                                     \
    X(SDL_AllocRW)                                                                                           \
    X(SDL_CreateRGBSurfaceWithFormatFrom)                                                                    \
    X(SDL_CreateWindow)                                                                                      \
    X(SDL_CreateWindowFrom)                                                                                  \
    X(SDL_DelEventWatch)                                                                                     \
    X(SDL_DestroyWindow)                                                                                     \
    X(SDL_FreeRW)                                                                                            \
    X(SDL_FreeSurface)                                                                                       \
    X(SDL_GL_CreateContext)                                                                                  \
    X(SDL_GL_DeleteContext)                                                                                  \
    X(SDL_GL_GetDrawableSize)                                                                                \
    X(SDL_GL_GetProcAddress)                                                                                 \
    X(SDL_GL_MakeCurrent)                                                                                    \
    X(SDL_GL_ResetAttributes)                                                                                \
    X(SDL_GL_SetAttribute)                                                                                   \
    X(SDL_GL_SetSwapInterval)                                                                                \
    X(SDL_GL_SwapWindow)                                                                                     \
    X(SDL_GetCurrentVideoDriver)                                                                             \
    X(SDL_GetCursor)                                                                                         \
    X(SDL_GetDefaultCursor)                                                                                  \
    X(SDL_GetDesktopDisplayMode)                                                                             \
    X(SDL_GetDisplayBounds)                                                                                  \
    X(SDL_GetDisplayUsableBounds)                                                                            \
    X(SDL_GetError)                                                                                          \
    X(SDL_GetGlobalMouseState)                                                                               \
    X(SDL_GetHint)                                                                                           \
    X(SDL_GetWindowBordersSize)                                                                              \
    X(SDL_GetWindowDisplayIndex)                                                                             \
    X(SDL_GetWindowFlags)                                                                                    \
    X(SDL_GetWindowID)                                                                                       \
    X(SDL_GetWindowPosition)                                                                                 \
    X(SDL_GetWindowSize)                                                                                     \
    X(SDL_GetWindowTitle)                                                                                    \
    X(SDL_HideWindow)                                                                                        \
    X(SDL_InitSubSystem)                                                                                     \
    X(SDL_JoystickClose)                                                                                     \
    X(SDL_JoystickGetAxis)                                                                                   \
    X(SDL_JoystickGetHat)                                                                                    \
    X(SDL_JoystickInstanceID)                                                                                \
    X(SDL_JoystickNumAxes)                                                                                   \
    X(SDL_JoystickNumHats)                                                                                   \
    X(SDL_JoystickOpen)                                                                                      \
    X(SDL_LogWarn)                                                                                           \
    X(SDL_NumJoysticks)                                                                                      \
    X(SDL_PeepEvents)                                                                                        \
    X(SDL_PumpEvents)                                                                                        \
    X(SDL_PushEvent)                                                                                         \
    X(SDL_QuitSubSystem)                                                                                     \
    X(SDL_RWFromConstMem)                                                                                    \
    X(SDL_RaiseWindow)                                                                                       \
    X(SDL_RegisterEvents)                                                                                    \
    X(SDL_RestoreWindow)                                                                                     \
    X(SDL_SetCursor)                                                                                         \
    X(SDL_SetHint)                                                                                           \
    X(SDL_SetRelativeMouseMode)                                                                              \
    X(SDL_SetWindowAlwaysOnTop)                                                                              \
    X(SDL_SetWindowBordered)                                                                                 \
    X(SDL_SetWindowFullscreen)                                                                               \
    X(SDL_SetWindowIcon)                                                                                     \
    X(SDL_SetWindowInputFocus)                                                                               \
    X(SDL_SetWindowPosition)                                                                                 \
    X(SDL_SetWindowSize)                                                                                     \
    X(SDL_SetWindowTitle)                                                                                    \
    X(SDL_ShowCursor)                                                                                        \
    X(SDL_ShowSimpleMessageBox)                                                                              \
    X(SDL_ShowWindow)                                                                                        \
    X(SDL_StartTextInput)                                                                                    \
    X(SDL_StopTextInput)                                                                                     \
    X(SDL_WaitEventTimeout)

// SDL_mixer's errors are SDL's (Mix_GetError is SDL_GetError).
#define QUILL_SDL_MIXER_FUNCTIONS(X)                                                                         \
    X(Mix_AllocateChannels)                                                                                  \
    X(Mix_CloseAudio)                                                                                        \
    X(Mix_FreeChunk)                                                                                         \
    X(Mix_FreeMusic)                                                                                         \
    X(Mix_HaltChannel)                                                                                       \
    X(Mix_HaltMusic)                                                                                         \
    X(Mix_Init)                                                                                              \
    X(Mix_LoadMUS_RW)                                                                                        \
    X(Mix_LoadWAV_RW)                                                                                        \
    X(Mix_OpenAudio)                                                                                         \
    X(Mix_Pause)                                                                                             \
    X(Mix_PauseMusic)                                                                                        \
    X(Mix_PlayChannel)                                                                                       \
    X(Mix_PlayMusic)                                                                                         \
    X(Mix_Playing)                                                                                           \
    X(Mix_PlayingMusic)                                                                                      \
    X(Mix_Quit)                                                                                              \
    X(Mix_Resume)                                                                                            \
    X(Mix_ResumeMusic)                                                                                       \
    X(Mix_Volume)                                                                                            \
    X(Mix_VolumeMusic)

namespace Platform
{

// The two libraries, each opened once for the life of the process (never closed: SDL keeps
// threads and exit handlers of its own). Safe to call from any thread.
class SdlLibrary final
{
public:
#define QUILL_SDL_TABLE_ENTRY(name) decltype(&::name) name = nullptr;
    struct Sdl
    {
        QUILL_SDL_FUNCTIONS(QUILL_SDL_TABLE_ENTRY)
    };
    struct Mixer
    {
        QUILL_SDL_MIXER_FUNCTIONS(QUILL_SDL_TABLE_ENTRY)
    };
#undef QUILL_SDL_TABLE_ENTRY

    static constexpr const char* kSdlName = "libSDL2-2.0.so.0";
    static constexpr const char* kMixerName = "libSDL2_mixer-2.0.so.0";

    // The functions of SDL2, opening it on the first call. Throws std::runtime_error naming the
    // library and the loader's error when it or one of the functions cannot be found (a later
    // call tries again).
    static const Sdl& sdl();
    // The same for SDL_mixer (which opens SDL2 too).
    static const Mixer& mixer();
    // SDL2's functions when the library is already in the process (linked into the program or
    // opened through this class), else null: what asks only about a window or device that cannot
    // exist without SDL need not load it.
    static const Sdl* sdlIfLoaded();

    // The parts the tables are built from, for the tests: opens `library` (a soname) or throws
    // std::runtime_error "cannot load <library>: <dlerror>".
    static void* open(const char* library);
    // The address of `function` in an opened library, or throws std::runtime_error
    // "<library> has no function <function>: <dlerror>".
    static void* find(void* handle, const char* library, const char* function);
};

inline const SdlLibrary::Sdl& sdl()
{
    return SdlLibrary::sdl();
}

inline const SdlLibrary::Mixer& sdlMixer()
{
    return SdlLibrary::mixer();
}

} // namespace Platform
