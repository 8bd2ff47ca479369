#pragma once

#include "engine/core/cPoint.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace Engine
{

// The system's text for the calling thread's last error code (errno). Never throws.
std::string lastErrorText();

// The folder that holds the data shared by every run of the program: the user's data folder
// ($XDG_DATA_HOME when set and absolute, else $HOME/.local/share), created when missing. No
// trailing "/". Never throws.
std::wstring getCommonAppDataFolder();

// The cursor position in screen (desktop) coordinates.
cPoint getCursorPos();

// Sleeps for the given milliseconds; a signal may wake the thread early.
void sleep(uint32_t milliseconds);

// Writes the UTF-8 text of a wide text into `buffer` of `bufferSize` bytes, always
// zero-terminated, cut at a character boundary when the buffer is too small. Returns the
// number of bytes written before the terminating zero (0 when bufferSize is 0).
int wideToNarrow(char* buffer, size_t bufferSize, const wchar_t* text);

} // namespace Engine
