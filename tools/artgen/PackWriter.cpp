#include "tools/artgen/PackWriter.h"

#include <minizip/zip.h>

#include <cstdio>
#include <stdexcept>
#include <unistd.h>

namespace ArtGen
{

void PackWriter::write(const std::string& path, const std::map<std::string, std::string>& members)
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

} // namespace ArtGen
