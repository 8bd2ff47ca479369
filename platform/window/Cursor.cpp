#include "platform/window/Cursor.h"

#include "platform/system/SdlLibrary.h"

namespace Platform
{

CursorHandle getCursor()
{
    return reinterpret_cast<CursorHandle>(sdl().SDL_GetCursor());
}

void setCursor(CursorHandle cursor)
{
    sdl().SDL_SetCursor(reinterpret_cast<SDL_Cursor*>(cursor));
}

CursorHandle defaultCursor()
{
    return reinterpret_cast<CursorHandle>(sdl().SDL_GetDefaultCursor());
}

void showCursor(bool show)
{
    sdl().SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

bool isCursorShown()
{
    return sdl().SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
}

} // namespace Platform
