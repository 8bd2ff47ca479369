#include "platform/gfx/GlCallError.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace Platform
{

namespace
{

// The call's name: its text up to the argument list, without the object it is called on.
std::string callName(const char* call)
{
    std::string name = call ? call : "";
    name = name.substr(0, name.find('('));
    const std::string::size_type arrow = name.rfind("->");
    if (arrow != std::string::npos)
        name.erase(0, arrow + 2);
    return name;
}

// Every error GL holds (a driver may keep one flag per kind), or an empty text.
std::string takeErrors()
{
    std::string errors;
    // GL keeps at most a handful of flags; the bound only guards against a context that
    // answers errors for ever (no context current).
    for (int i = 0; i < 16; ++i)
    {
        const GLenum error = glGetError();
        if (error == GL_NO_ERROR)
            break;
        char code[16];
        std::snprintf(code, sizeof code, " (0x%04X)", static_cast<unsigned>(error));
        errors += (errors.empty() ? "" : ", ") + std::string(glErrorName(error)) + code;
    }
    return errors;
}

std::string failureText(const char* call, const std::string& errors)
{
    return "OpenGL call " + callName(call) + " failed: " + errors;
}

} // namespace

const char* glErrorName(unsigned error)
{
    switch (error)
    {
    case GL_INVALID_ENUM:
        return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE:
        return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION:
        return "GL_INVALID_OPERATION";
    case GL_STACK_OVERFLOW:
        return "GL_STACK_OVERFLOW";
    case GL_STACK_UNDERFLOW:
        return "GL_STACK_UNDERFLOW";
    case GL_OUT_OF_MEMORY:
        return "GL_OUT_OF_MEMORY";
    case 0x0506:
        return "GL_INVALID_FRAMEBUFFER_OPERATION";
    default:
        break;
    }
    return "unknown GL error";
}

void checkGlCall(const char* call)
{
    const std::string errors = takeErrors();
    if (!errors.empty())
        throw GlCallError(failureText(call, errors));
}

void checkGlCallOrAbort(const char* call) noexcept
{
    const std::string errors = takeErrors();
    if (errors.empty())
        return;
    std::fprintf(stderr, "%s\n", failureText(call, errors).c_str());
    std::abort();
}

} // namespace Platform
