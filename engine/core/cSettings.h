#pragma once

#include "engine/core/cConfigTable.h"
#include "engine/core/cSingleton.h"

#include <string>

namespace Engine
{

// The user's settings by group and key ("sys/settings.xml"): window size, full screen,
// volumes. Read when made; the whole table is written back to the same path (in the shared
// folder) whenever a setter changes a value, so that a crash loses no choice of the player,
// and again when the object is destroyed, keys that were asked for but missing included, with
// an empty text. A copy in the shared folder that cannot be opened is read from the data
// folder instead and never written over in that run; one that opens but cannot be read is kept
// aside as "<path>.damaged" (takeKeptAside, for the player to be told) and the data folder's
// copy is read and written in its place.
class cSettings : public cSingleton<cSettings>, public cConfigTable
{
public:
    // The largest window width or height a display has. A larger "graphics"/"width" or
    // "height" in the file is read as this size (and saved so), so that no window is asked for
    // that no display can show and sizes derived from it stay within range.
    static constexpr int MaxWindowSide = 16384;
    // The smallest window side that is taken; a smaller one, or a size that is no whole
    // number, is no size at all: the window takes the size the game ships with.
    static constexpr int MinWindowSide = 240;
    static constexpr int DefaultWindowWidth = 1024;
    static constexpr int DefaultWindowHeight = 768;

    // Loads the document at `path`; throws the file system's or the XML loader's error.
    explicit cSettings(const std::string& path);
    // Saves first when the table differs from what was last written (or read from the player's
    // file); a save that fails is reported (`reportSaveFailure`; a destructor cannot throw), and
    // the file on disk is then left as it was.
    ~cSettings() override;

    using cConfigTable::get;

    // "0x" and the packed ARGB value as eight lower-case hexadecimal digits.
    virtual void set(const std::wstring& group, const std::wstring& key, const cColor& value);
    virtual void set(const std::wstring& group, const std::wstring& key, const std::wstring& value);
    // The UTF-8 text widened.
    virtual void set(const std::wstring& group, const std::wstring& key, const std::string& value);
    // x, y and z, each as a float, separated by blanks.
    virtual void set(const std::wstring& group, const std::wstring& key, const cVector3& value);
    // Six significant digits: 800, 1.5, 0.1, 1e+06.
    virtual void set(const std::wstring& group, const std::wstring& key, float value);
    virtual void set(const std::wstring& group, const std::wstring& key, unsigned long value);
    virtual void set(const std::wstring& group, const std::wstring& key, long value);
    virtual void set(const std::wstring& group, const std::wstring& key, unsigned int value);
    virtual void set(const std::wstring& group, const std::wstring& key, int value);
    // "1" or "0".
    virtual void set(const std::wstring& group, const std::wstring& key, bool value);

    // A literal text is a text, not a pointer that would convert to bool.
    void set(const std::wstring& group, const std::wstring& key, const wchar_t* value)
    {
        set(group, key, std::wstring(value ? value : L""));
    }
    void set(const std::wstring& group, const std::wstring& key, const char* value)
    {
        set(group, key, std::string(value ? value : ""));
    }

    // `set<bool>(group, key, value)` for callers that name the type.
    template <class T> void set(const std::wstring& group, const std::wstring& key, const T& value)
    {
        static_assert(isValueType<T>(), "the settings hold no values of this type");
        set(group, key, value);
    }

    // True once after the player's file was found damaged and kept aside, for the player to be
    // told; false after that.
    bool takeKeptAside();

    // Writes the table to its path now (UTF-16 with the byte-order mark, replacing the old file
    // only once the new one is complete). Throws std::string when the file cannot be written.
    // Writes nothing when the shared folder's copy could not be read.
    void save() const;

private:
    // Stores the text; a changed value is written at once (a failure is reported).
    void change(const std::wstring& group, const std::wstring& key, const std::wstring& text);
    // Bounds "graphics"/"width" and "height" (see MaxWindowSide and MinWindowSide).
    void checkWindowSize();

    bool m_keepFile = false;
    // The player's file was damaged and kept aside, and the player is still to be told.
    bool m_keptAside = false;
    // The table as the player's file holds it: read from it, or last written; empty while the
    // player has no file of their own.
    mutable std::wstring m_written;
};

} // namespace Engine
