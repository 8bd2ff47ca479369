#include "engine/core/ErrorText.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cLogManager.h"

#include <cstdio>
#include <exception>

namespace Engine
{

std::string& getErrorString()
{
    static std::string text;
    return text;
}

std::string currentExceptionText()
{
    try
    {
        throw;
    }
    catch (const std::wstring& text)
    {
        return toUtf8(text);
    }
    catch (const std::string& text)
    {
        return text;
    }
    catch (const char* text)
    {
        return text ? text : "";
    }
    catch (const wchar_t* text)
    {
        return text ? toUtf8(text) : "";
    }
    catch (const std::exception& error)
    {
        return error.what();
    }
    catch (...)
    {
        return "unknown failure";
    }
}

void reportProblem(const std::wstring& logName, const std::string& text)
{
    try
    {
        if (cLogManager* logs = cLogManager::instance())
        {
            logs->getLog(logName, false)->printf("%s", text.c_str());
            return;
        }
    }
    catch (...)
    {
    }
    std::fprintf(stderr, "%s: %s\n", toUtf8(logName).c_str(), text.c_str());
}

} // namespace Engine
