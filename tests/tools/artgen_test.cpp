// The art tool run as the build runs it: pictures drawn from a small source of the test's own
// and checked by their pixels, faults told with their file and line, and the shipped pack and
// manifest made again from tools/art, byte for byte.
#include "engine/core/Pack.h"
#include "engine/core/StringUtils.h"
#include "platform/image/ImageDecoder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <minizip/unzip.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

const std::string kArtgen = std::string(QUILL_BINARY_DIR) + "/tools/artgen/artgen";

// Runs artgen with the arguments; gives its exit status and what it told on stderr.
int runArtgen(const std::string& arguments, const ::Test::TempDir& temp, std::string* errors = nullptr)
{
    const std::filesystem::path log = temp.path() / "stderr.txt";
    const int status = std::system((kArtgen + " " + arguments + " 2> " + log.string()).c_str());
    if (errors)
        *errors = ::Test::readFile(log);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string member(const std::filesystem::path& pack, const std::string& name)
{
    unzFile zip = Engine::openPackHandle(Engine::fromUtf8(pack.string()));
    EXPECT_TRUE(zip);
    if (!zip)
        return {};
    std::string bytes;
    if (unzLocateFile(zip, name.c_str(), 1) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK)
    {
        char buffer[4096];
        for (int got; (got = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, static_cast<size_t>(got));
        unzCloseCurrentFile(zip);
    }
    unzClose(zip);
    return bytes;
}

// Draws the folder's "art" sources into its "out.pack" and "manifest.txt", as the build does;
// gives artgen's exit status.
int drawPackAndManifest(const ::Test::TempDir& temp)
{
    return runArtgen((temp.path() / "art").string() + " --pack " + (temp.path() / "out.pack").string() +
                         " --manifest " + (temp.path() / "manifest.txt").string(),
                     temp);
}

// A picture of the pack, decoded.
Platform::Image picture(const std::filesystem::path& pack, const std::string& name)
{
    const std::string bytes = member(pack, name);
    return Platform::decodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

struct Rgba
{
    int b, g, r, a;
};

Rgba at(const Platform::Image& image, uint32_t x, uint32_t y)
{
    const uint8_t* p = image.row(y) + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

int brightness(const Rgba& c)
{
    return c.r + c.g + c.b;
}

const char* const kStyle = "let shadow_dx 4\nlet shadow_dy 3\nlet shadow_blur 1\nlet shadow_alpha 0.4\n"
                           "let shadow_colour ink\nlet outline 1.5\n";

} // namespace

// A square in one palette colour, lit from the upper left: the outline is a darker tone of the
// same hue, the upper-left inside is lighter than the lower-right inside, the body casts a soft
// shadow to the lower right and none to the upper left; a part drawn in a loop places what it
// is told; the second frame shows the ball moved by the frame time.
TEST(Artgen, DrawsTheHouseLookFromASource)
{
    ::Test::TempDir temp;
    temp.write("art/palette.txt", "# test colours\nbrick #c04030 walls\nink #202028 shadow\ncream #f0e8d0 "
                                  "ball\n");
    temp.write("art/style.art", kStyle);
    temp.write("art/parts/ball.art", "part ball x y r=3 colour=cream\n  circle x y r colour out=0\nend\n");
    temp.write("art/sheets.art",
               "sheet test/square.png size=64,64 frames=2 anchor=32,32 unit=Wall level=0,1\n"
               "  rect -16 -16 32 32 brick\n"
               "  over\n    ball -20+t*40 -26\n  end\n"
               "end\n");
    ASSERT_EQ(drawPackAndManifest(temp), 0);
    const Platform::Image image = picture(temp.path() / "out.pack", "test/square.png");
    ASSERT_EQ(image.width, 128u);
    ASSERT_EQ(image.height, 64u);

    const Rgba middle = at(image, 32, 32);
    EXPECT_EQ(middle.a, 255);
    EXPECT_GT(middle.r, middle.g + 40);
    const Rgba outline = at(image, 16, 32);
    EXPECT_LT(brightness(outline), brightness(middle) - 60);
    EXPECT_GT(outline.r, outline.g) << "the outline keeps the fill's hue";
    EXPECT_GT(brightness(at(image, 18, 18)), brightness(at(image, 45, 45)) + 40) << "lit from the upper left";
    const Rgba shadow = at(image, 50, 50);
    EXPECT_GT(shadow.a, 60);
    EXPECT_LT(shadow.a, 140);
    EXPECT_LT(brightness(shadow), 150);
    EXPECT_EQ(at(image, 13, 13).a, 0) << "no shadow to the upper left";
    for (uint32_t y = 0; y < image.height; ++y)
        for (uint32_t x = 0; x < image.width; ++x)
        {
            const Rgba c = at(image, x, y);
            EXPECT_FALSE(c.a == 255 && (brightness(c) == 0 || brightness(c) == 765)) << "pure black or white";
        }
    // The ball: at x = -20 in the first frame, x = 0 in the second (64 pixels to the right).
    EXPECT_GT(at(image, 12, 6).a, 200);
    EXPECT_EQ(at(image, 32, 6).a, 0);
    EXPECT_EQ(at(image, 64 + 12, 6).a, 0);
    EXPECT_GT(at(image, 64 + 32, 6).a, 200);

    const std::string listed = ::Test::readFile(temp.path() / "manifest.txt");
    EXPECT_NE(listed.find("test/square.png  128x64  64x64  2x1   2"), std::string::npos) << listed;
}

// The lettering, the noise fields, dashed lines and JPEG pictures: words in quotes are drawn as
// filled letters centred on their point; noise is painted only inside the clip, is sampled
// where the drawing is moved to (so it moves with it) and keeps to what a layer holds when
// asked; a dashed line has gaps; a ".jpg" picture is a JPEG; the manifest tells the nine-patch
// corners, whether a picture reaches its edges, and its use as free text.
TEST(Artgen, LettersNoiseDashesAndJpegPictures)
{
    ::Test::TempDir temp;
    temp.write("art/palette.txt", "brick #c04030\nink #202028\ncream #f0e8d0\ngrass #70b040\n");
    temp.write("art/style.art", kStyle);
    temp.write("art/sheets.art",
               "sheet test/words.png size=200,60 anchor=0,0 shadow=none use=\"the title # on the menu\"\n"
               "  text 100 44 \"HI HI\" brick size=40 align=0.5\n"
               "end\n"
               "sheet test/noise.png size=64,64 frames=2 anchor=0,0 shadow=none slice=8,12\n"
               "  move frame*16 0\n"
               "  group\n    clip rect 8 0 48 64\n    noise brick scale=6 lo=0.45 hi=0.55\n  end\n"
               "end\n"
               "sheet test/grain.png size=32,32 anchor=0,0 shadow=none\n"
               "  rect 8 8 16 16 cream out=0 flat=1\n  noise ink scale=2 keep=1\n"
               "end\n"
               "sheet test/dash.png size=64,8 anchor=0,4 shadow=none\n"
               "  line 2 0 62 0 brick w=3 dash=6,6\n"
               "end\n"
               "sheet test/back.jpg size=32,16 anchor=0,0 shadow=none\n"
               "  rect 0 0 32 16 grass out=0 flat=1\n"
               "end\n");
    ASSERT_EQ(drawPackAndManifest(temp), 0);
    const auto decoded = [&](const std::string& name) { return picture(temp.path() / "out.pack", name); };

    // "HI HI" centred on x = 100: the opaque columns lie as far left of it as right, a gap
    // between the words, the letters' tops about 29 pixels above the baseline.
    const Platform::Image words = decoded("test/words.png");
    int left = 200, right = -1, top = 60;
    for (uint32_t y = 0; y < words.height; ++y)
        for (uint32_t x = 0; x < words.width; ++x)
            if (at(words, x, y).a > 128)
            {
                left = std::min(left, static_cast<int>(x));
                right = std::max(right, static_cast<int>(x));
                top = std::min(top, static_cast<int>(y));
            }
    EXPECT_NEAR((left + right) / 2.0, 100.0, 2.0);
    EXPECT_GT(right - left, 80);
    EXPECT_NEAR(top, 44 - 29, 3);
    EXPECT_EQ(at(words, 100, 30).a, 0) << "the space between the words";
    EXPECT_GT(at(words, 100, 30).a + at(words, left + 2, 30).a, 200);

    // Noise only inside the clip (x 8 to 56), partly covering it, and moved with the drawing:
    // the second frame is the first shifted 16 pixels to the right.
    const Platform::Image noise = decoded("test/noise.png");
    int covered = 0, outside = 0, same = 0, compared = 0;
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x)
        {
            const int a = at(noise, x, y).a;
            if (x < 8 || x >= 56)
                outside += a > 0;
            else
                covered += a > 128;
            if (x >= 8 && x < 40)
            {
                ++compared;
                same += std::abs(a - at(noise, 64 + x + 16, y).a) < 8;
            }
        }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(covered, 48 * 64 / 10);
    EXPECT_LT(covered, 48 * 64 * 9 / 10);
    EXPECT_GT(same, compared * 95 / 100);

    const Platform::Image grain = decoded("test/grain.png");
    EXPECT_EQ(at(grain, 4, 4).a, 0) << "noise with keep=1 stays on the square";
    int darker = 0;
    for (uint32_t y = 8; y < 24; ++y)
        for (uint32_t x = 8; x < 24; ++x)
            darker += brightness(at(grain, x, y)) < 600;
    EXPECT_GT(darker, 16);

    const Platform::Image dash = decoded("test/dash.png");
    int gaps = 0;
    for (uint32_t x = 3; x < 61; ++x)
        gaps += at(dash, x, 4).a == 0 && at(dash, x - 1, 4).a > 0;
    EXPECT_GE(gaps, 3);

    const std::string jpeg = member(temp.path() / "out.pack", "test/back.jpg");
    EXPECT_EQ(Platform::detectImageFormat(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size()),
              Platform::ImageFormat::Jpeg);
    const Platform::Image back = decoded("test/back.jpg");
    EXPECT_EQ(back.width, 32u);
    EXPECT_GT(at(back, 16, 8).g, at(back, 16, 8).r + 40);

    const std::string listed = ::Test::readFile(temp.path() / "manifest.txt");
    EXPECT_NE(listed.find("8,12   free   -\n"), std::string::npos) << listed;
    EXPECT_NE(listed.find("bleed  -\n"), std::string::npos) << listed;
    EXPECT_NE(listed.find("free   the title # on the menu\n"), std::string::npos) << listed;
}

// A loop's variable and what its body sets are gone when the loop ends, so a loop in one file
// cannot change the words of another: "w" stays a word in the second file's directions.
TEST(Artgen, LoopsKeepTheirVariablesToThemselves)
{
    ::Test::TempDir temp;
    temp.write("art/palette.txt", "brick #c04030\nink #202028\n");
    temp.write("art/style.art", kStyle);
    temp.write("art/a.art", "for w from 1 to 3\n  let n w*2\nend\nlet k 0\nfor i in 1 2 3\n  let k k+i\nend\n"
                            "sheet total_${k}.png size=8,8\n  rect -2 -2 4 4 brick\nend\n");
    temp.write("art/b.art",
               "for d in n w\n  sheet dir_${d}.png size=8,8\n    rect -2 -2 4 4 brick\n  end\nend\n");
    ASSERT_EQ(
        runArtgen((temp.path() / "art").string() + " --manifest " + (temp.path() / "manifest.txt").string(),
                  temp),
        0);
    const std::string listed = ::Test::readFile(temp.path() / "manifest.txt");
    EXPECT_NE(listed.find("dir_n.png"), std::string::npos) << listed;
    EXPECT_NE(listed.find("dir_w.png"), std::string::npos) << listed;
    // A variable set before the loop is changed by the loop's body only inside it.
    EXPECT_NE(listed.find("total_0.png"), std::string::npos) << listed;
}

// A fault names the source file, the line and what is wrong, and writes no pack.
TEST(Artgen, TellsWhereASourceIsWrong)
{
    struct Case
    {
        const char* source;
        const char* told;
    };
    const Case cases[] = {
        {"sheet a.png size=8,8\n  rect 0 0 4 4 bricks\nend\n",
         "sheets.art:2: \"bricks\" is neither a number nor"},
        {"sheet a.png size=8,8\n  house 0 0\nend\n", "sheets.art:2: unknown statement or part \"house\""},
        {"sheet a.png size=8,8\n  rect 0 0 4 brick\nend\n", "sheets.art:2: \"rect\" takes 4 numbers"},
        {"sheet a.png size=8,8\n  circle 0 0 4 brick-200\nend\n", "percentage"},
        {"sheet a.png size=8,8\n  circle 0 0 4 brick\n", "sheets.art:1: \"sheet\" has no \"end\""},
        {"sheet A.png size=8,8\nend\n", "not a picture path"},
        {"sheet a.png size=8,8\nend\nsheet a.png size=8,8\nend\n", "drawn twice"},
        {"sheet a.png size=8,8\n  circle 0 0 4/(t-t) brick\nend\n", "division by zero"},
        {"sheet a.png size=8,8 colour=brick\nend\n", "unknown option colour="},
        {"sheet a.png size=8,8\n  text 0 0 \"Hi brick size=4\nend\n", "a quote is not closed"},
        {"sheet a.png size=8,8\n  text 0 0 brick size=4\nend\n", "sheets.art:2: write: text"},
        {"sheet a.png size=8,8 slice=4,1\nend\n", "slice= takes"},
        {"sheet a.jpg size=8,8\n  rect 0 0 4 4 brick\nend\n", "sheets.art:1: a.jpg is a JPEG and must cover"},
        {"atlas x.png map=x.xml of=tiles/\nsheet a.png size=8,8\nend\n",
         "sheets.art:1: the atlas x.png gathers no picture"},
        {"sheet a.png size=8,8\n  atlas x.png map=x.xml of=a\nend\n",
         "sheets.art:2: an atlas is declared at the top"},
        {"atlas x.jpg map=x.xml of=a\n", "sheets.art:1: an atlas is a PNG"},
        {"atlas x.png of=a\n", "sheets.art:1: write: atlas <path.png> map=<path.xml>"},
        {"atlas x.png map=x.xml of=a\nsheet a.png size=8,8\nend\nsheet x.png size=8,8\nend\n",
         "x.png or x.xml is also drawn by a sheet"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.source);
        ::Test::TempDir temp;
        temp.write("art/palette.txt", "brick #c04030\nink #202028\n");
        temp.write("art/style.art", kStyle);
        temp.write("art/sheets.art", c.source);
        std::string errors;
        EXPECT_EQ(runArtgen((temp.path() / "art").string() + " --pack " + (temp.path() / "out.pack").string(),
                            temp, &errors),
                  1);
        EXPECT_NE(errors.find(c.told), std::string::npos) << errors;
        EXPECT_FALSE(std::filesystem::exists(temp.path() / "out.pack"));
    }
}

// An atlas lays the pictures it gathers (a picture of frames whole) side by side on one sheet,
// each framed by a copy of its own edge, and writes the map the game reads: every entry's region
// holds exactly its picture. The pictures stay in the pack by their own paths; the manifest lists
// the sheet.
TEST(Artgen, AnAtlasGathersPicturesOntoOneSheetWithTheirMap)
{
    ::Test::TempDir temp;
    temp.write("art/palette.txt", "brick #c04030\nink #202028\ncream #f0e8d0\ngrass #70b040\n");
    temp.write("art/style.art", kStyle);
    temp.write("art/atlases.art", "atlas test/field.png map=test/field.xml of=tiles/,trees/\n");
    temp.write(
        "art/sheets.art",
        "sheet tiles/a.png size=20,20 shadow=none\n  rect -10 -10 20 20 brick out=0 flat=1\n"
        "  rect -10 -10 10 10 cream out=0 flat=1\nend\n"
        "sheet trees/b.png size=16,24 frames=2 shadow=none\n  rect -8 -12 16 24 grass out=0 flat=1\nend\n"
        "sheet other/c.png size=8,8 shadow=none\n  rect -4 -4 8 8 ink out=0 flat=1\nend\n");
    ASSERT_EQ(drawPackAndManifest(temp), 0);
    const std::filesystem::path pack = temp.path() / "out.pack";
    const std::string map = member(pack, "test/field.xml");
    EXPECT_NE(map.find("<Entry Name=\"tiles/a.png\"><Pos>"), std::string::npos) << map;
    EXPECT_NE(map.find("<Entry Name=\"trees/b.png\"><Pos>"), std::string::npos) << map;
    EXPECT_EQ(map.find("other/c.png"), std::string::npos) << "a picture no prefix names stays off the sheet";
    EXPECT_FALSE(member(pack, "tiles/a.png").empty()) << "the pictures stay in the pack";

    const auto decode = [&](const std::string& name) { return picture(pack, name); };
    const Platform::Image sheet = decode("test/field.png");
    EXPECT_EQ(sheet.width, 256u);
    for (const std::string name : {"tiles/a.png", "trees/b.png"})
    {
        SCOPED_TRACE(name);
        const Platform::Image picture = decode(name);
        const size_t entry = map.find("<Entry Name=\"" + name + "\">");
        ASSERT_NE(entry, std::string::npos);
        unsigned left = 0, top = 0, width = 0, height = 0;
        ASSERT_EQ(std::sscanf(map.c_str() + entry,
                              "<Entry Name=\"%*[^\"]\"><Pos>%u;%u</Pos><Size>%u;%u</Size>", &left, &top,
                              &width, &height),
                  4);
        EXPECT_EQ(width, picture.width);
        EXPECT_EQ(height, picture.height);
        ASSERT_LE(left + width + 1, sheet.width);
        ASSERT_LE(top + height + 1, sheet.height);
        bool same = true;
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
                same =
                    same && std::memcmp(sheet.row(top + y) + (left + x) * 4, picture.row(y) + x * 4, 4) == 0;
        EXPECT_TRUE(same) << "the region holds the picture";
        // The frame around it repeats the picture's edge, corners included.
        EXPECT_EQ(std::memcmp(sheet.row(top - 1) + (left - 1) * 4, picture.row(0), 4), 0);
        EXPECT_EQ(std::memcmp(sheet.row(top + 3) + (left + width) * 4, picture.row(3) + (width - 1) * 4, 4),
                  0);
        EXPECT_EQ(std::memcmp(sheet.row(top + height) + (left + 5) * 4, picture.row(height - 1) + 5 * 4, 4),
                  0);
    }
    const std::string listed = ::Test::readFile(temp.path() / "manifest.txt");
    EXPECT_NE(listed.find("test/field.png"), std::string::npos) << listed;
}

// Drawing tools/art again gives the manifest that is kept beside the sources and the very bytes
// of the pack that the build put into the data folder; the short tip's bubble has no tail.
TEST(Artgen, MakesTheShippedPackAndManifestAgain)
{
    ::Test::TempDir temp;
    ASSERT_EQ(runArtgen(std::string(QUILL_SOURCE_DIR) + "/tools/art --pack " +
                            (temp.path() / "art.pack").string() + " --manifest " +
                            (temp.path() / "manifest.txt").string(),
                        temp),
              0);
    EXPECT_TRUE(::Test::readFile(temp.path() / "manifest.txt") ==
                ::Test::readFile(std::string(QUILL_SOURCE_DIR) + "/tools/art/manifest.txt"))
        << "tools/art/manifest.txt is out of date: write it again with artgen tools/art --manifest "
           "tools/art/manifest.txt";
    EXPECT_TRUE(::Test::readFile(temp.path() / "art.pack") ==
                ::Test::readFile(std::string(QUILL_SOURCE_DIR) + "/data/art.pack"))
        << "the pack differs from the one the build drew";

    // The short tip's bubble speaks of no place on the field: no tail reaches out below or left
    // of its body, as far as the body (and its shadow) reaches down its middle and left across it.
    const Platform::Image bubble = picture(temp.path() / "art.pack", "brief/tip_bubble.png");
    ASSERT_EQ(bubble.width, 416u);
    const auto drawn = [&](uint32_t x, uint32_t y) { return at(bubble, x, y).a > 8; };
    uint32_t bottom = 0, left = bubble.width;
    for (uint32_t y = 0; y < bubble.height; ++y)
        bottom = drawn(bubble.width / 2, y) ? y : bottom;
    for (uint32_t x = bubble.width; x-- > 0;)
        left = drawn(x, bubble.height / 2) ? x : left;
    int outside = 0;
    for (uint32_t y = 0; y < bubble.height; ++y)
        for (uint32_t x = 0; x < bubble.width; ++x)
            outside += drawn(x, y) && (y > bottom || x < left);
    EXPECT_EQ(outside, 0) << "pixels below or left of the bubble's body";
}
