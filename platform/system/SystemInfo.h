#pragma once

#include <string>

// The Linux side of the process and folder services the engine asks for: where the program
// lives, the per-user data folder, system error texts and the debug trace. Paths are UTF-8.
namespace Platform
{

// Full path of the running executable (from /proc/self/exe); empty when it cannot be read.
std::string executablePath();

// The executable's file name without its folder ("quillmoor"); empty when the path is unknown.
std::string executableFileName();

// The per-user data folder that stands in for the all-users application-data folder:
// $XDG_DATA_HOME when it is set and absolute, else $HOME/.local/share (the password database's
// home when HOME is unset), else the current folder. The folder and its parents are created
// with the user's default permissions when missing. No trailing "/".
std::string dataHomeFolder();

// Hands the heap's free memory back to the system (what the allocator keeps for later
// allocations), so that the process's size follows what it holds. Costs a walk of the heap.
void returnFreeMemory();

// The calling thread's last error code (errno).
int lastErrorCode();

// The system's text for an error code ("Success" for 0); never empty.
std::string errorText(int code);

// Writes a trace line to stderr, the stand-in of the debugger output. The text is written as
// given; callers end their lines with "\n".
void debugTrace(const std::string& utf8);
void debugTrace(const wchar_t* text);

// The cursor position on the whole screen (desktop coordinates). With no video subsystem
// running it reports the last position SDL knows, (0, 0) at first (and before SDL is loaded).
void globalCursorPos(int& x, int& y);

} // namespace Platform
