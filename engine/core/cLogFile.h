#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace Engine
{

// The folder log files are written to: the process's current folder (".").
std::wstring getLogFolder();

// A log the engine writes time-stamped lines to.
class cLog
{
public:
    virtual ~cLog() = default;

    __attribute__((format(__printf__, 2, 3))) virtual void printf(const char* format, ...) = 0;
    virtual void write(const wchar_t* format, ...) = 0;
};

// One log file, "<log folder>/<name>.log", kept open for the life of the object and written as
// UTF-8. Every line is "[hh:mm:ss - nnnnn]\t" + text + "\n", where nnnnn is a line number shared
// by all logs of the process, and is flushed at once so a crash loses nothing already written.
//
// Formats follow the engine's printf convention rather than the C library's: in a narrow format
// %s and %c take narrow (UTF-8) arguments and %S and %C wide ones; in a wide format it is the
// other way round. %ls/%lc are always wide and %hs/%hc always narrow. Lines have no length
// limit; %n writes nothing.
class cLogFile final : public cLog
{
public:
    // Opens the file ("w" when `truncate`, else "a") and writes the dated header line. Throws a
    // wide `cString`: the last error text + "Unable to open [" + path + "] log file.\n".
    cLogFile(const std::wstring& name, bool truncate);
    ~cLogFile() override;

    cLogFile(const cLogFile&) = delete;
    cLogFile& operator=(const cLogFile&) = delete;

    __attribute__((format(__printf__, 2, 3))) void printf(const char* format, ...) override;
    void write(const wchar_t* format, ...) override;

    const std::wstring& getPath() const { return m_path; }

private:
    struct FileCloser
    {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    void writeLine(const std::wstring& text);
    void writeBytes(const std::string& bytes);

    std::wstring m_path;
    std::unique_ptr<std::FILE, FileCloser> m_file;
};

} // namespace Engine
