#include "engine/devices/Screenshot.h"

#include "engine/core/cFileSystem.h"
#include "platform/image/ImageDecoder.h"
#include "tests/support/DiskFaults.h"
#include "tests/support/EngineFixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace
{

using namespace Engine;

TEST(Screenshot, FiveFiveFiveExpansion)
{
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    expand555(0, r, g, b);
    EXPECT_EQ(r, 0);
    expand555(static_cast<uint16_t>(1 << 10 | 30 << 5 | 31), r, g, b);
    EXPECT_EQ(r, 16); // 1 gives 16, not 8
    EXPECT_EQ(g, 248);
    EXPECT_EQ(b, 255);
    expand555(static_cast<uint16_t>(2 << 10), r, g, b);
    EXPECT_EQ(r, 24);
}

TEST(Screenshot, BitmapRowsTurnTopDownRgb)
{
    std::vector<uint8_t> rows;
    std::wstring error;
    sBitmapInfoHeader header;
    header.width = 2;
    header.height = 2;
    // 24 bits: rows of 6 bytes padded to 8, bottom row first.
    const std::vector<uint8_t> bits24 = {1, 2, 3, 4, 5, 6, 0, 0, 11, 12, 13, 14, 15, 16, 0, 0};
    ASSERT_TRUE(convertBitmapRows(&header, bits24.data(), bits24.size(), rows, error));
    EXPECT_EQ(rows, (std::vector<uint8_t>{13, 12, 11, 16, 15, 14, 3, 2, 1, 6, 5, 4}));

    header.bitCount = 32;
    header.height = -1; // top-down
    const std::vector<uint8_t> bits32 = {1, 2, 3, 99, 4, 5, 6, 99};
    ASSERT_TRUE(convertBitmapRows(&header, bits32.data(), bits32.size(), rows, error));
    EXPECT_EQ(rows, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));

    header.bitCount = 16;
    header.width = 1;
    header.height = 1;
    const std::vector<uint8_t> bits16 = {0x1F, 0x7C, 0, 0}; // red 31, blue 31; rows padded to even
    ASSERT_TRUE(convertBitmapRows(&header, bits16.data(), bits16.size(), rows, error));
    EXPECT_EQ(rows, (std::vector<uint8_t>{255, 0, 255}));

    header.bitCount = 12;
    EXPECT_FALSE(convertBitmapRows(&header, bits16.data(), bits16.size(), rows, error));
    EXPECT_EQ(error, L"Invalid bitmap bit count");
    header.bitCount = 24;
    header.width = 0;
    EXPECT_FALSE(convertBitmapRows(&header, bits16.data(), bits16.size(), rows, error));
    EXPECT_EQ(error, L"Invalid input data");
    // Fewer bytes than the header promises are refused, never read past.
    header.width = 4;
    header.height = 4;
    EXPECT_FALSE(convertBitmapRows(&header, bits16.data(), bits16.size(), rows, error));
    EXPECT_EQ(error, L"Invalid input data");
}

TEST(Screenshot, SaveJpegChecksItsInput)
{
    const ::Test::TempDir folder;
    const std::wstring path = (folder.path() / "shot.jpg").wstring();
    sBitmapInfoHeader header;
    header.width = 16;
    header.height = 8;
    std::vector<uint8_t> bits(16 * 3 * 8, 0);
    for (size_t i = 0; i < bits.size(); i += 3)
        bits[i + 2] = 200; // red
    std::wstring error = L"old";
    EXPECT_FALSE(saveJpeg(&header, bits.data(), bits.size(), 80, path, nullptr));
    EXPECT_FALSE(saveJpeg(&header, bits.data(), bits.size(), 101, path, &error));
    EXPECT_EQ(error, L"Invalid input data");
    EXPECT_FALSE(saveJpeg(nullptr, bits.data(), bits.size(), 80, path, &error));
    EXPECT_EQ(error, L"Invalid input data");
    EXPECT_FALSE(saveJpeg(&header, bits.data(), bits.size(), 80, L"", &error));
    EXPECT_EQ(error, L"Invalid input data");
    EXPECT_FALSE(saveJpeg(&header, bits.data(), bits.size(), 80, L"/no/such/folder/x.jpg", &error));
    EXPECT_EQ(error, L"Cannot open /no/such/folder/x.jpg");

    // A failed conversion leaves no file behind.
    header.bitCount = 7;
    EXPECT_FALSE(saveJpeg(&header, bits.data(), bits.size(), 80, path, &error));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "shot.jpg"));

    header.bitCount = 24;
    ASSERT_TRUE(saveJpeg(&header, bits.data(), bits.size(), 80, path, &error));
    EXPECT_TRUE(error.empty());
    const std::string file = ::Test::readFile(folder.path() / "shot.jpg");
    const Platform::Image image =
        Platform::decodeImage(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    EXPECT_EQ(image.width, 16u);
    EXPECT_EQ(image.height, 8u);
    EXPECT_NEAR(image.row(4)[8 * 4 + 2], 200, 4);
    EXPECT_NEAR(image.row(4)[8 * 4 + 1], 0, 4);
}

TEST(Screenshot, WriterPutsAJpegIntoTheSharedFolder)
{
    ::Test::EngineFixture engine("Shot Test");
    {
        // The last screenshot, its name in another case than the game gives it.
        engine.sharedFile("Screenshot.jpg", "the last screenshot");
        cFileSystem& files = engine.startFiles();
        // 32 x 16: the left half blue, the right half yellow.
        std::vector<uint32_t> pixels(32 * 16);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = (i % 32) < 16 ? 0xFF0000FFu : 0xFFFFFF00u;
        EXPECT_FALSE(writeScreenshot(L"", 32, 16, pixels));
        EXPECT_FALSE(writeScreenshot(L"shot.jpg", 32, 17, pixels));
        EXPECT_FALSE(files.isKnown("shot.jpg"));
        ASSERT_TRUE(writeScreenshot(L"screenshot.jpg", 32, 16, pixels));
        EXPECT_TRUE(files.isInCommon("screenshot.jpg"));
        EXPECT_FALSE(std::filesystem::exists(engine.shared("screenshot.jpg"))) << "no second file";
        const std::string file = ::Test::readFile(engine.shared("Screenshot.jpg"));
        const Platform::Image image =
            Platform::decodeImage(reinterpret_cast<const uint8_t*>(file.data()), file.size());
        ASSERT_EQ(image.width, 32u);
        ASSERT_EQ(image.height, 16u);
        EXPECT_NEAR(image.row(8)[4 * 4], 255, 6);      // blue
        EXPECT_NEAR(image.row(8)[4 * 4 + 2], 0, 6);    // no red
        EXPECT_NEAR(image.row(8)[28 * 4], 0, 6);       // no blue
        EXPECT_NEAR(image.row(8)[28 * 4 + 1], 255, 6); // green

        // A disk that takes no more keeps that screenshot byte for byte, and the log names it.
        const std::filesystem::path logFile = std::filesystem::current_path() / "files.log";
        const size_t logged = ::Test::readFile(logFile).size();
        {
            ::Test::DiskFaults disk({{eFileStep::write, ".jpg", ENOSPC}});
            EXPECT_FALSE(writeScreenshot(L"screenshot.jpg", 16, 16, pixels));
        }
        EXPECT_EQ(::Test::readFile(engine.shared("Screenshot.jpg")), file);
        EXPECT_NE(::Test::readFile(logFile).find("Can't write file \"" +
                                                     engine.shared("Screenshot.jpg").string() +
                                                     "\": No space left on device",
                                                 logged),
                  std::string::npos);
    }
}

} // namespace
