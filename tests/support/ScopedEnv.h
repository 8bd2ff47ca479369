#pragma once

#include <optional>
#include <string>

namespace Test
{

// Sets an environment variable (or removes it, given nullptr) while the object lives, then puts
// back what was there before.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value);
    ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

} // namespace Test
