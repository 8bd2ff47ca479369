#pragma once

#include <string>

namespace Engine
{

// The engine's last error text. Loaders store their failure text here before they throw;
// the fatal error path shows it.
std::string& getErrorString();

} // namespace Engine
