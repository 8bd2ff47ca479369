#pragma once

#include "platform/particles/CPyroException.h"

#include <cstdint>
#include <string>

namespace PyroParticles
{
namespace PyroGraphics
{

// A graphics device call failed: the message and the device's result code.
class CPyroGraphicsException : public CPyroException
{
public:
    CPyroGraphicsException(std::string message, int32_t result);

    int32_t getResult() const { return m_result; }

private:
    int32_t m_result;
};

} // namespace PyroGraphics
} // namespace PyroParticles
