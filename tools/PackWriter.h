#pragma once

// Writes the zip packs that the data tools make at build time (each tool is one program of its
// own, so this is a header). A pack is the same, byte for byte, every time it is written from
// the same members: members in name order, stored as they are, every date the same. It is
// written to "<path>.<process id>.part" and renamed over `path` at the end, so that builds
// running at once never see half a pack.

#include <minizip/zip.h>

#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace Tools
{

// Throws std::runtime_error naming the path when the pack cannot be written.
inline void writePack(const std::string& path, const std::map<std::string, std::string>& members)
{
    const std::string temporary = path + "." + std::to_string(getpid()) + ".part";
    zipFile zip = zipOpen64(temporary.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
        throw std::runtime_error("cannot create " + temporary);
    const auto fail = [&](const std::string& reason)
    {
        if (zip)
            zipClose(zip, nullptr);
        std::remove(temporary.c_str());
        throw std::runtime_error(reason);
    };
    for (const auto& member : members)
    {
        // A fixed date (1 January 2024, noon) keeps the bytes the same from run to run.
        zip_fileinfo info{};
        info.tmz_date.tm_year = 2024;
        info.tmz_date.tm_mon = 0;
        info.tmz_date.tm_mday = 1;
        info.tmz_date.tm_hour = 12;
        if (zipOpenNewFileInZip64(zip, member.first.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, 0, 0,
                                  0) != ZIP_OK ||
            zipWriteInFileInZip(zip, member.second.data(), static_cast<unsigned>(member.second.size())) !=
                ZIP_OK ||
            zipCloseFileInZip(zip) != ZIP_OK)
            fail("cannot write " + member.first + " into " + temporary);
    }
    const int closed = zipClose(zip, nullptr);
    zip = nullptr;
    if (closed != ZIP_OK)
        fail("cannot finish " + temporary);
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        fail("cannot rename " + temporary + " to " + path);
}

} // namespace Tools
