#include "platform/gfx/FakeDisplayWindow.h"

namespace Platform
{

void FakeDisplayWindow::frameSize(int& left, int& top, int& right, int& bottom)
{
    left = frameLeft;
    top = frameTop;
    right = frameRight;
    bottom = frameBottom;
}

void FakeDisplayWindow::enterFullscreen(int desktopWidth, int desktopHeight)
{
    fullscreen = true;
    client = {0, 0, desktopWidth, desktopHeight};
    ++placeCount;
}

void FakeDisplayWindow::placeWindow(int clientLeft, int clientTop, int width, int height)
{
    fullscreen = false;
    client = {clientLeft, clientTop, clientLeft + width, clientTop + height};
    ++placeCount;
}

void FakeDisplayWindow::show()
{
    shown = true;
    ++showCount;
}

bool FakeDisplayWindow::getRect(bool, WindowRect& rect)
{
    // A full-screen window has no frame: its rectangle is its client area.
    if (!rectAvailable)
        return false;
    rect = client;
    return true;
}

} // namespace Platform
