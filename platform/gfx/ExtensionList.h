#pragma once

namespace Platform
{

// Whether a list of extension names separated by spaces, as OpenGL and EGL give them, holds
// `name` itself (not merely a longer name that begins or ends with it). False for no list.
bool hasExtension(const char* list, const char* name);

} // namespace Platform
