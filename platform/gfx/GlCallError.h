#pragma once

#include <stdexcept>

namespace Platform
{

// An OpenGL call that left an error behind. The text names the call and GL's error, for
// example "OpenGL call glDrawElements failed: GL_INVALID_OPERATION (0x0502)".
class GlCallError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Whether `QUILL_GL` checks the calls it runs: in debug builds (the tests run those), not in
// release builds, where reading GL's error flag after every call would cost a little each time.
#ifdef NDEBUG
constexpr bool GlCallsChecked = false;
#else
constexpr bool GlCallsChecked = true;
#endif

// "GL_INVALID_ENUM", ... for a GL error code; "unknown GL error" for anything else.
const char* glErrorName(unsigned error);

// Takes every error GL has recorded; when there is one, throws GlCallError naming `call` (its
// text up to the first "(") and the errors. A driver fault thus stops the program, and with it
// a display test, at the call that caused it instead of showing up later as wrong pixels.
void checkGlCall(const char* call);
// The same for code that must not throw (destructors): the text goes to stderr and the
// program aborts.
void checkGlCallOrAbort(const char* call) noexcept;

} // namespace Platform

// Runs an OpenGL call (a statement; any value it returns is dropped) and, in debug builds,
// checks it with `checkGlCall`. QUILL_GL_NOTHROW aborts instead, for destructors.
#ifdef NDEBUG
#define QUILL_GL(...)                                                                                        \
    do                                                                                                       \
    {                                                                                                        \
        __VA_ARGS__;                                                                                         \
    } while (false)
#define QUILL_GL_NOTHROW(...) QUILL_GL(__VA_ARGS__)
#else
#define QUILL_GL(...)                                                                                        \
    do                                                                                                       \
    {                                                                                                        \
        __VA_ARGS__;                                                                                         \
        ::Platform::checkGlCall(#__VA_ARGS__);                                                               \
    } while (false)
#define QUILL_GL_NOTHROW(...)                                                                                \
    do                                                                                                       \
    {                                                                                                        \
        __VA_ARGS__;                                                                                         \
        ::Platform::checkGlCallOrAbort(#__VA_ARGS__);                                                        \
    } while (false)
#endif
