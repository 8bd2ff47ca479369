#include "platform/particles/CPyroGraphicsException.h"

#include <cstdio>
#include <utility>

namespace PyroParticles
{
namespace PyroGraphics
{

namespace
{

std::string withResult(std::string message, int32_t result)
{
    char code[32];
    std::snprintf(code, sizeof(code), " (0x%08X)", static_cast<unsigned>(result));
    return message + code;
}

} // namespace

CPyroGraphicsException::CPyroGraphicsException(std::string message, int32_t result)
    : CPyroException(withResult(std::move(message), result)), m_result(result)
{
}

} // namespace PyroGraphics
} // namespace PyroParticles
