#pragma once

#include <exception>
#include <string>

namespace PyroParticles
{

// What the particle library throws: a message that names the effect file (or the operation)
// and says what is wrong.
class CPyroException : public std::exception
{
public:
    explicit CPyroException(std::string message);
    CPyroException(const CPyroException& other);
    CPyroException& operator=(const CPyroException& other);
    ~CPyroException() override;

    const char* what() const noexcept override;
    const std::string& getMessage() const { return m_message; }

private:
    std::string m_message;
};

} // namespace PyroParticles
