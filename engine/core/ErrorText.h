#pragma once

#include <string>

namespace Engine
{

// The engine's last error text. Loaders store their failure text here before they throw;
// the fatal error path shows it.
std::string& getErrorString();

// Writes one line to a named log (reports the engine cannot throw: a failed save in a
// destructor, a damaged file it recovered from). When the log itself cannot be written the
// line goes to stderr.
void reportProblem(const std::wstring& logName, const std::string& text);
// The text of the exception being handled; call only inside a catch block.
std::string currentExceptionText();

} // namespace Engine
