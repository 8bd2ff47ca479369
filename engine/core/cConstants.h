#pragma once

#include "engine/core/cConfigTable.h"
#include "engine/core/cSingleton.h"

#include <string>

namespace Engine
{

// The program's read-only constants by group and key ("sys/constants.xml"), for example
// "game"/"profiles", "Time"/"MinFps", "graphics"/"only_windowed". Read once when made; never
// written back. The getters are those of `cConfigTable`.
class cConstants : public cSingleton<cConstants>, public cConfigTable
{
public:
    // Loads the document at `path`; throws the file system's or the XML loader's error.
    explicit cConstants(const std::string& path);
    ~cConstants() override;

    using cConfigTable::get;
};

} // namespace Engine
