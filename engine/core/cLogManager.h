#pragma once

#include "engine/core/cLogFile.h"
#include "engine/core/cSingleton.h"

#include <map>
#include <memory>
#include <string>

namespace Engine
{

// Hands out the named logs of the process. One manager exists for the whole run: it is built
// by static initialisation before the entry point and destroyed at process exit, so logs can be
// written during start-up and shutdown. `instance` is null only before and after that.
class cLogManager : public cSingleton<cLogManager>
{
public:
    cLogManager();
    virtual ~cLogManager();

    // The log of that name, opened on first use ("<log folder>/<name>.log", truncated when
    // `truncate`, else appended to). For a log that is open already `truncate` is ignored.
    // A file that cannot be opened throws (see cLogFile) and nothing is stored.
    virtual cLogFile* getLog(const std::wstring& name, bool truncate);

private:
    std::map<std::wstring, std::unique_ptr<cLogFile>> m_logs;
};

} // namespace Engine
