// levelsheet over the shipped levels: the first frame of play drawn offscreen at 1024 x 768 for
// each level asked for, the sheet of all of them at a quarter size, the share of bare ground in
// the worst third of the field, and a level that does not exist refused.
#include "platform/image/ImageDecoder.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace
{

const std::string kLevelsheet = QUILL_BINARY_DIR "/tools/levelsheet";

struct SheetRun
{
    int status = -1;
    std::string output;
};

// Runs levelsheet with the arguments; `environment` ("NAME=value ") goes before the command.
SheetRun levelsheet(const std::string& arguments, const std::string& environment = "",
                    const std::string& data = QUILL_SOURCE_DIR "/data")
{
    SheetRun run;
    FILE* pipe =
        popen((environment + kLevelsheet + " --data " + data + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t read = 0;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, read);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

Platform::Image picture(const std::filesystem::path& path)
{
    const std::string bytes = ::Test::readFile(path);
    if (bytes.empty())
        return Platform::Image();
    return Platform::decodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

TEST(Levelsheet, DrawsEachLevelAndTheSheetAndTheShowcaseLevelLeavesNoThirdBare)
{
    ::Test::TempDir out;
    const SheetRun run = levelsheet("--out " + out.path().string() + " --columns 2 0 1");
    ASSERT_EQ(run.status, 0) << run.output;
    for (int level : {0, 1})
    {
        const Platform::Image shot = picture(out.path() / ("level_n" + std::to_string(level) + ".png"));
        EXPECT_EQ(shot.width, 1024u) << level;
        EXPECT_EQ(shot.height, 768u) << level;
    }
    // Two levels side by side at a quarter size, with gaps and a line for the numbers.
    const Platform::Image sheet = picture(out.path() / "levels.png");
    EXPECT_EQ(sheet.width, 8u + 2u * (256u + 8u));
    EXPECT_EQ(sheet.height, 8u + 192u + 22u + 8u);

    // The first level is the showcase: its town fills the field below the status panel.
    std::smatch match;
    ASSERT_TRUE(std::regex_search(run.output, match, std::regex(R"(n0 blank ([0-9.]+) \(([a-z ]+)\))")))
        << run.output;
    EXPECT_LT(std::stod(match[1]), 1.0 / 3.0) << "the " << match[2] << " of level 0 is bare";
    EXPECT_NE(run.output.find("n1 blank "), std::string::npos) << run.output;

    // With a limit on the bare share a level above it fails the run.
    EXPECT_EQ(levelsheet("--out " + out.path().string() + " --max-blank 0 0").status, 1);
}

TEST(Levelsheet, ATipThatHoldsTheGameWhileTheTownHallFallsIsClosedBeforeThePicture)
{
    // Level 1's first tip, a message that stops the level, comes as play begins, while the
    // town hall still falls: the sheet closes it as a player does and lets the hall land.
    ::Test::TempDir out;
    const SheetRun run = levelsheet("--out " + out.path().string() + " 1", "QUILLMOOR_TRACE=1 ");
    ASSERT_EQ(run.status, 0) << run.output;
    const size_t shown = run.output.find("ModalTutorState::Init()");
    ASSERT_NE(shown, std::string::npos) << run.output;
    const size_t closed = run.output.find("ModalTutorState::Cleanup()", shown);
    ASSERT_NE(closed, std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("ModalTutorState::Init()", closed), std::string::npos) << run.output;
}

// Level 7 opens with the steel works' tip that holds the game until it is read (as play
// begins): the picture is of the field, the tip read and closed as a player closes it. Its
// paper would cover the middle of the screen, where the works yard's paving lies.
TEST(Levelsheet, ATipThatHoldsTheGameIsClosedBeforeTheFieldIsDrawn)
{
    ::Test::TempDir out;
    const SheetRun run = levelsheet("--out " + out.path().string() + " 7");
    ASSERT_EQ(run.status, 0) << run.output;
    const Platform::Image shot = picture(out.path() / "level_n7.png");
    ASSERT_EQ(shot.width, 1024u);
    size_t paper = 0;
    size_t all = 0;
    for (uint32_t y = 400; y < 480; ++y)
        for (uint32_t x = 300; x < 560; ++x, ++all)
        {
            // B, G, R, A. The tip's paper: a light beige, warmer than the grey paving.
            const uint8_t* pixel = shot.row(y) + x * 4;
            paper += pixel[2] > 220 && pixel[1] > 205 && pixel[0] > 165 && pixel[2] > pixel[0] + 25 ? 1 : 0;
        }
    EXPECT_LT(paper * 5, all) << "the tip's paper lies over the field";
}

// The pictures of a level's field lie on one sheet (levels/field.png, named in atlases.xml) so that
// the field draws with few texture changes. Drawn from the sheet or from their own files, the
// first frame of a level with streets, canals, trees and scenery is the same to the pixel.
TEST(Levelsheet, TheFieldSheetChangesNoPixelOfALevel)
{
    const std::filesystem::path data = QUILL_SOURCE_DIR "/data";
    const std::string atlases = ::Test::readFile(data / "atlases.xml");
    ASSERT_NE(atlases.find("levels/field.png"), std::string::npos);
    // The same data folder without the field's sheet: every member linked, atlases.xml without it.
    ::Test::TempDir plain;
    for (const auto& entry : std::filesystem::directory_iterator(data))
        if (entry.path().filename() != "atlases.xml")
            std::filesystem::create_symlink(entry.path(), plain.path() / entry.path().filename());
    std::string without;
    std::istringstream lines(atlases);
    for (std::string line; std::getline(lines, line);)
        if (line.find("levels/field.png") == std::string::npos)
            without += line + "\n";
    plain.write("atlases.xml", without);

    ::Test::TempDir sheetOut;
    ::Test::TempDir plainOut;
    const SheetRun fromSheet = levelsheet("--out " + sheetOut.path().string() + " 27");
    ASSERT_EQ(fromSheet.status, 0) << fromSheet.output;
    const SheetRun fromFiles =
        levelsheet("--out " + plainOut.path().string() + " 27", "", plain.path().string());
    ASSERT_EQ(fromFiles.status, 0) << fromFiles.output;
    const Platform::Image a = picture(sheetOut.path() / "level_n27.png");
    const Platform::Image b = picture(plainOut.path() / "level_n27.png");
    ASSERT_EQ(a.width, 1024u);
    ASSERT_EQ(b.width, a.width);
    ASSERT_EQ(b.height, a.height);
    size_t differing = 0;
    for (size_t i = 0; i < a.pixels.size(); i += 4)
        differing += std::memcmp(&a.pixels[i], &b.pixels[i], 4) != 0 ? 1 : 0;
    EXPECT_EQ(differing, 0u);
}

TEST(Levelsheet, ALevelThatDoesNotExistIsRefused)
{
    ::Test::TempDir out;
    const SheetRun run = levelsheet("--out " + out.path().string() + " 999");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("n999.xml: no such level"), std::string::npos) << run.output;
}

// Beside the sheet of all levels, the first level of each page of the map side by side, three a
// row: at a quarter size the six landscapes tell apart by the colour of their fields. A run
// without any page's first level writes no such sheet.
TEST(Levelsheet, TheSheetOfThePagesFirstLevelsTellsTheSixLandscapesApart)
{
    ::Test::TempDir out;
    const SheetRun run = levelsheet("--out " + out.path().string() + " 38 0 8 16 24 31 5");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("pages.png"), std::string::npos) << run.output;
    const Platform::Image pages = picture(out.path() / "pages.png");
    ASSERT_EQ(pages.width, 8u + 3u * (256u + 8u));
    ASSERT_EQ(pages.height, 8u + 2u * (192u + 22u + 8u));
    // The mean colour of each thumbnail's field below the status panel, in page order (the
    // order of the map, whatever the order of the levels asked for).
    std::vector<std::array<double, 3>> means;
    for (int i = 0; i < 6; ++i)
    {
        const uint32_t left = 8u + static_cast<uint32_t>(i % 3) * (256u + 8u);
        const uint32_t top = 8u + static_cast<uint32_t>(i / 3) * (192u + 22u + 8u);
        means.push_back(::Test::meanColour(pages, left, top + 40u, 256u, 192u - 40u));
    }
    for (size_t a = 0; a < means.size(); ++a)
        for (size_t b = a + 1; b < means.size(); ++b)
            EXPECT_GE(::Test::colourDistance(means[a], means[b]), 12.0)
                << "pages " << a << " and " << b << " look alike at a quarter size";

    ::Test::TempDir none;
    const SheetRun without = levelsheet("--out " + none.path().string() + " 1");
    ASSERT_EQ(without.status, 0) << without.output;
    EXPECT_FALSE(std::filesystem::exists(none.path() / "pages.png"));
}
