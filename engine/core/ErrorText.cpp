#include "engine/core/ErrorText.h"

namespace Engine
{

std::string& getErrorString()
{
    static std::string text;
    return text;
}

} // namespace Engine
