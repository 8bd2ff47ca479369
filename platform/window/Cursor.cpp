#include "platform/window/Cursor.h"

#include <SDL.h>

namespace Platform
{

CursorHandle getCursor()
{
    return reinterpret_cast<CursorHandle>(SDL_GetCursor());
}

void setCursor(CursorHandle cursor)
{
    SDL_SetCursor(reinterpret_cast<SDL_Cursor*>(cursor));
}

CursorHandle defaultCursor()
{
    return reinterpret_cast<CursorHandle>(SDL_GetDefaultCursor());
}

void showCursor(bool show)
{
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

bool isCursorShown()
{
    return SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
}

} // namespace Platform
