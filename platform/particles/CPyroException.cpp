#include "platform/particles/CPyroException.h"

#include <utility>

namespace PyroParticles
{

CPyroException::CPyroException(std::string message) : m_message(std::move(message)) {}

CPyroException::CPyroException(const CPyroException& other) = default;

CPyroException& CPyroException::operator=(const CPyroException& other) = default;

CPyroException::~CPyroException() = default;

const char* CPyroException::what() const noexcept
{
    return m_message.c_str();
}

} // namespace PyroParticles
