#include "engine/core/cSettings.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FileUtils.h"
#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"

namespace Engine
{

cSettings::cSettings(const std::string& path)
{
    loadFile(path);
    for (const wchar_t* key : {L"width", L"height"})
    {
        const std::wstring* text = findText(L"graphics", key);
        long long side = 0;
        if (text && fromString(side, *text) > MaxWindowSide)
            setText(L"graphics", key, std::to_wstring(MaxWindowSide));
    }
}

cSettings::~cSettings()
{
    try
    {
        save();
    }
    catch (...)
    {
        reportProblem(L"settings", "The settings were not saved: " + currentExceptionText());
    }
}

void cSettings::save() const
{
    writeUnicodeFile(getPath(), toXml());
}

void cSettings::set(const std::wstring& group, const std::wstring& key, const cColor& value)
{
    setText(group, key, colorText(value));
}

void cSettings::set(const std::wstring& group, const std::wstring& key, const std::wstring& value)
{
    setText(group, key, value);
}

void cSettings::set(const std::wstring& group, const std::wstring& key, const std::string& value)
{
    setText(group, key, fromUtf8(value));
}

void cSettings::set(const std::wstring& group, const std::wstring& key, const cVector3& value)
{
    setText(group, key, vectorText(value));
}

void cSettings::set(const std::wstring& group, const std::wstring& key, float value)
{
    setText(group, key, floatText(value));
}

void cSettings::set(const std::wstring& group, const std::wstring& key, unsigned long value)
{
    setText(group, key, std::to_wstring(value));
}

void cSettings::set(const std::wstring& group, const std::wstring& key, long value)
{
    setText(group, key, std::to_wstring(value));
}

void cSettings::set(const std::wstring& group, const std::wstring& key, unsigned int value)
{
    set(group, key, static_cast<unsigned long>(value));
}

void cSettings::set(const std::wstring& group, const std::wstring& key, int value)
{
    setText(group, key, std::to_wstring(value));
}

void cSettings::set(const std::wstring& group, const std::wstring& key, bool value)
{
    setText(group, key, value ? L"1" : L"0");
}

} // namespace Engine
