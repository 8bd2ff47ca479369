#pragma once

#include "engine/core/cFileSystem.h"

namespace Platform
{
class Window;
}

namespace Engine
{

// The start-up record: filled by the game, read by the application and by the devices it
// creates.
struct cAppParams
{
    using tCallback = bool (*)(void* userData);

    // A window to use; null: the application creates the main window and stores it here.
    Platform::Window* window = nullptr;
    // The program's instance (unused on Linux, kept for the devices that take the record).
    void* instance = nullptr;
    // True: no sound device is created.
    bool noSound = false;
    // Called with `userData` when the message loop starts and when it ends.
    tCallback onInit = nullptr;
    tCallback onExit = nullptr;
    void* userData = nullptr;
    // The data folder's name beside the executable (an absolute path is used as it is).
    const char* dataFolderName = "Data";
    // Run the single-instance check.
    bool singleInstance = true;
    // Handed to the file system: false skips a pack; null accepts every pack.
    cFileSystem::PackFilter packFilter = nullptr;
};

} // namespace Engine
