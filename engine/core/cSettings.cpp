#include "engine/core/cSettings.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FileUtils.h"
#include "engine/core/FromString.h"
#include "engine/core/SaveFailures.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cStream.h"

#include <utility>

namespace Engine
{

cSettings::cSettings(const std::string& path)
{
    cFileSystem* files = cFileSystem::instance();
    const bool players = files && files->isInCommon(path);
    if (players)
    {
        try
        {
            files->openFile(path);
        }
        catch (...)
        {
            // The loader reads the data copy; the player's file stays as it is, and what he
            // changes in this run is not saved: he is told, as of a folder in its place.
            m_keepFile = true;
            reportSaveFailure(eSavedFile::settingsUnread, "The settings \"" + path + "\" cannot be read (" +
                                                              currentExceptionText() +
                                                              "); they are not written in this run.");
        }
    }
    else if (const std::string irregular = files ? irregularSharedFile(path) : std::string();
             !irregular.empty())
    {
        // Never opened (a named pipe would block, a device never ends), never replaced.
        m_keepFile = true;
        reportSaveFailure(eSavedFile::settingsUnread,
                          "The settings \"" + path + "\" cannot be read (" + irregular +
                              " is in its place, not a regular file); they are not written in this run.");
    }
    loadFile(path);
    // A player's file that could not be parsed was kept aside by the loader (as
    // "<path>.damaged"), which read the data copy in its place: the player is to be told.
    m_keptAside = players && !files->isInCommon(path);
    // The player's own file holds this table; a table read from the data copy is written once,
    // at exit at the latest, so that the player's file exists.
    if (players && !m_keepFile && !m_keptAside)
        m_written = toXml();
    checkWindowSize();
}

bool cSettings::takeKeptAside()
{
    return std::exchange(m_keptAside, false);
}

void cSettings::checkWindowSize()
{
    const wchar_t* const keys[2] = {L"width", L"height"};
    const int defaults[2] = {DefaultWindowWidth, DefaultWindowHeight};
    bool valid = true;
    for (const wchar_t* key : keys)
    {
        const std::wstring* text = findText(L"graphics", key);
        long long side = 0;
        if (!text)
            continue;
        if (!fromStringExact(side, *text) || side < MinWindowSide)
            valid = false;
        else if (side > MaxWindowSide)
            setText(L"graphics", key, std::to_wstring(MaxWindowSide));
    }
    if (valid)
        return;
    reportProblem(L"settings",
                  "The window size in the settings is no size a window can have; the game's own " +
                      std::to_string(DefaultWindowWidth) + " x " + std::to_string(DefaultWindowHeight) +
                      " is taken.");
    for (int i = 0; i < 2; ++i)
        setText(L"graphics", keys[i], std::to_wstring(defaults[i]));
}

cSettings::~cSettings()
{
    try
    {
        // A change was written when it was made: only what the file does not hold yet (a change
        // whose write failed, a window size put right, an entry asked for) is written now.
        if (toXml() != m_written)
            save();
    }
    catch (...)
    {
        reportSaveFailure(eSavedFile::settings, "The settings were not saved: " + currentExceptionText());
    }
}

void cSettings::save() const
{
    if (m_keepFile)
        return;
    std::wstring text = toXml();
    writeUnicodeFile(getPath(), text);
    m_written = std::move(text);
}

void cSettings::change(const std::wstring& group, const std::wstring& key, const std::wstring& text)
{
    const std::wstring* old = findText(group, key);
    if (old && *old == text)
        return;
    setText(group, key, text);
    try
    {
        save();
    }
    catch (...)
    {
        reportSaveFailure(eSavedFile::settings, "The settings were not saved: " + currentExceptionText());
    }
}

void cSettings::set(const std::wstring& group, const std::wstring& key, const cColor& value)
{
    change(group, key, colorText(value));
}

void cSettings::set(const std::wstring& group, const std::wstring& key, const std::wstring& value)
{
    change(group, key, value);
}

void cSettings::set(const std::wstring& group, const std::wstring& key, const std::string& value)
{
    change(group, key, fromUtf8(value));
}

void cSettings::set(const std::wstring& group, const std::wstring& key, const cVector3& value)
{
    change(group, key, vectorText(value));
}

void cSettings::set(const std::wstring& group, const std::wstring& key, float value)
{
    change(group, key, floatText(value));
}

void cSettings::set(const std::wstring& group, const std::wstring& key, unsigned long value)
{
    change(group, key, std::to_wstring(value));
}

void cSettings::set(const std::wstring& group, const std::wstring& key, long value)
{
    change(group, key, std::to_wstring(value));
}

void cSettings::set(const std::wstring& group, const std::wstring& key, unsigned int value)
{
    set(group, key, static_cast<unsigned long>(value));
}

void cSettings::set(const std::wstring& group, const std::wstring& key, int value)
{
    change(group, key, std::to_wstring(value));
}

void cSettings::set(const std::wstring& group, const std::wstring& key, bool value)
{
    change(group, key, value ? L"1" : L"0");
}

} // namespace Engine
