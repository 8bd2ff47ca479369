#include "engine/core/cConstants.h"

namespace Engine
{

cConstants::cConstants(const std::string& path)
{
    loadFile(path);
}

cConstants::~cConstants() = default;

} // namespace Engine
