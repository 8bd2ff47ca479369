// leveltool run on small level sources of the test's own: the street and canal tiles each cell
// gets from its neighbours (curbs, corners, joins, crossings, the field's edge), the street
// laid under roads and barriers and the canal under bridges, a road's plan look over its cells,
// the scenery of the grid's characters and the placed pictures and units with their feet and
// deeps, and the faults a source can have, told with the source's name.
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace
{

const std::string kLeveltool = QUILL_BINARY_DIR "/tools/leveltool";
const std::string kManifest = QUILL_SOURCE_DIR "/tools/art/manifest.txt";

// Pictures of the test's own, appended to the shipped manifest: a tree 32 x 48 with its foot
// at (16, 40), a house 64 x 64 standing on (32, 44), a bed 20 x 20 on its middle, a swaying bush
// of four frames.
const char* const kTestPictures =
    "test/tree.png   32x48  32x48  1x1 1 0 16,40 - - decor - - - free scenery\n"
    "test/house.png  64x64  64x64  1x1 1 0 32,44 - - decor - - - free scenery\n"
    "test/bed.png    20x20  20x20  1x1 1 0 10,10 - - decor - - - free scenery\n"
    "test/bush.png   64x32  32x32  2x1 4 8 16,24 - - decor - - - free scenery\n";

struct Picture
{
    float x = 0.0f;
    float y = 0.0f;
    std::string path;
    float deep = 0.0f;
    std::string element;
};

struct Result
{
    int status = -1;
    std::string errors;
    std::string xml;
    std::vector<Picture> pictures;

    // The picture whose position is (x, y); null when there is none.
    const Picture* at(float x, float y) const
    {
        for (const Picture& picture : pictures)
            if (picture.x == x && picture.y == y)
                return &picture;
        return nullptr;
    }
    // The tile of cell (x, y) of the grid.
    std::string tile(int x, int y) const
    {
        for (const Picture& picture : pictures)
            if (picture.x == x * 20 + 10 && picture.y == y * 20 + 10 &&
                picture.path.rfind("levels/", 0) == 0 && picture.path != "levels/ground.jpg")
                return picture.path;
        return std::string();
    }
};

// Writes the source (the lines after a "grid" line up to "end" are the grid) and runs the tool.
Result leveltool(const std::string& source)
{
    ::Test::TempDir folder;
    folder.write("n0.txt", source);
    folder.write("manifest.txt", ::Test::readFile(kManifest) + kTestPictures);
    const std::string out = (folder.path() / "n0.xml").string();
    const std::string log = (folder.path() / "log.txt").string();
    Result result;
    const int status = std::system((kLeveltool + " --art " + (folder.path() / "manifest.txt").string() + " " +
                                    (folder.path() / "n0.txt").string() + " " + out + " 2> " + log)
                                       .c_str());
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.errors = ::Test::readFile(log);
    result.xml = ::Test::readFile(out);
    const std::regex layer(R"re(<Layer deep="([-0-9.]+)">([\s\S]*?)</Layer>)re");
    const std::regex picture(
        R"re(<Picture Visible="1" position="([-0-9.]+);([-0-9.]+)" Picture="([^"]+)"[^>]*/>)re");
    for (auto l = std::sregex_iterator(result.xml.begin(), result.xml.end(), layer);
         l != std::sregex_iterator(); ++l)
    {
        const std::string body = (*l)[2];
        for (auto p = std::sregex_iterator(body.begin(), body.end(), picture); p != std::sregex_iterator();
             ++p)
            result.pictures.push_back(
                {std::stof((*p)[1]), std::stof((*p)[2]), (*p)[3], std::stof((*l)[1]), (*p)[0]});
    }
    return result;
}

std::string grid(const std::vector<std::string>& rows)
{
    std::string text = "grid\n";
    for (const std::string& row : rows)
        text += row + "\n";
    return text + "end\n";
}

} // namespace

TEST(Leveltool, EachTileFollowsItsNeighboursCurbsCornersJoinsAndCrossings)
{
    // A street along row 2 crossed by one down column 4, a square of four cells at the right
    // end, and a street running off the left edge of the field.
    const Result r = leveltool(grid({"", "    .", "..........", "    .   ..", "    .", ""}));
    ASSERT_EQ(r.status, 0) << r.errors;
    ASSERT_NE(r.at(512, 384), nullptr);
    EXPECT_EQ(r.at(512, 384)->path, "levels/ground.jpg") << "the ground covers the screen";
    // The names: neighbours above, right, below, left alike; inside corners ne, se, sw, nw 0.
    EXPECT_EQ(r.tile(2, 2), "levels/street_01011111.png") << "a straight street: curbs above and below";
    EXPECT_EQ(r.tile(0, 2), "levels/street_01011111.png") << "a street runs on over the field's edge";
    EXPECT_EQ(r.tile(4, 2), "levels/street_11110000.png") << "a crossing: four inside corners";
    EXPECT_EQ(r.tile(4, 1), "levels/street_00101111.png") << "the end of a street: curbs on three sides";
    EXPECT_EQ(r.tile(4, 3), "levels/street_10101111.png");
    EXPECT_EQ(r.tile(8, 2), "levels/street_01111101.png") << "a T: inside corners where the square joins";
    EXPECT_EQ(r.tile(9, 2), "levels/street_00111111.png") << "an outside corner";
    EXPECT_EQ(r.tile(9, 3), "levels/street_10011111.png");
    EXPECT_EQ(r.tile(5, 3), "") << "no tile on the meadow";
    for (const Picture& picture : r.pictures)
        if (picture.path != "levels/ground.jpg")
        {
            EXPECT_EQ(picture.deep, -1000.0f) << picture.path;
        }
        else
        {
            EXPECT_EQ(picture.deep, -2000.0f);
        }
}

TEST(Leveltool, RoadsAndBarriersStandOnStreetBridgesOnTheCanal)
{
    // A street along row 3 broken by rubble, a road of three cells down from it, a canal down
    // column 12 crossed by a bridge, and the town hall.
    const Result r = leveltool("unit H <Unit Type=\"TownHall\"/>\n"
                               "unit R <Unit Type=\"Rubble\" TargetType=\"2\"/>\n"
                               "unit W <Unit Type=\"Road\" TargetType=\"1\" TargetLevel=\"1\"/>\n"
                               "unit V <Unit Type=\"Road\"/>\n"
                               "unit B <Unit Type=\"Bridge\"/>\n" +
                               grid({"", "  HH        ~", "  HH        ~", " ....R..W...B....",
                                     "        W   ~", "        W   ~   V"}));
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.tile(5, 3), "levels/street_01011111.png")
        << "the rubble's cell is street, joined on both sides";
    EXPECT_EQ(r.tile(4, 3), "levels/street_01011111.png");
    EXPECT_EQ(r.tile(8, 4), "levels/street_10101111.png") << "the road's cells are street";
    EXPECT_EQ(r.tile(8, 3), "levels/street_01111001.png") << "the street joins the road below it";
    EXPECT_EQ(r.tile(12, 3), "levels/canal_10101111.png") << "the bridge's cell is canal";
    EXPECT_EQ(r.tile(12, 1), "levels/canal_00101111.png");
    EXPECT_EQ(r.tile(11, 3), "levels/street_01011111.png") << "the street runs on over the bridge";
    EXPECT_EQ(r.tile(13, 3), "levels/street_01011111.png");
    EXPECT_EQ(r.tile(3, 1), "") << "a building stands on the meadow";
    // The road's plan covers its three cells; a road of one cell keeps the plain look.
    EXPECT_NE(
        r.xml.find("Type=\"Road\" TargetType=\"1\" TargetLevel=\"1\" Position=\"170;90\" ViewStateId=\"v3\""),
        std::string::npos)
        << r.xml;
    EXPECT_EQ(r.xml.find("Position=\"330;110\" ViewStateId"), std::string::npos) << r.xml;
}

TEST(Leveltool, ABarrierIsApproachedFromTheSideTheHeroesReachFirstAlsoOverABuiltBridge)
{
    // The town hall west of a canal; a bridge over it, built from the start, and rubble on the
    // street beyond with street on both of its sides. The heroes come over the bridge, so they
    // reach the rubble from the west; a bridge still to be built leaves the west side for
    // later, and the east side lies beyond the rubble itself, so the west side is taken too.
    const std::string rows = grid({"", "  HH  ~", "  HH  ~", " .....E..R...", "      ~"});
    const Result built = leveltool("unit H <Unit Type=\"TownHall\"/>\n"
                                   "unit E <Unit Type=\"Bridge\" Level=\"1\"/>\n"
                                   "unit R <Unit Type=\"Rubble\" TargetType=\"2\"/>\n" +
                                   rows);
    ASSERT_EQ(built.status, 0) << built.errors;
    EXPECT_NE(built.xml.find("Position=\"190;70\"><FreeCells><Cell Pos=\"9;3\"/></FreeCells>"
                             "<CameOffsetPoints><Route Pos=\"-20;0\"/>"),
              std::string::npos)
        << built.xml;
    const Result planned = leveltool("unit H <Unit Type=\"TownHall\"/>\n"
                                     "unit E <Unit Type=\"Bridge\" TargetType=\"1\" TargetLevel=\"1\"/>\n"
                                     "unit R <Unit Type=\"Rubble\" TargetType=\"2\"/>\n" +
                                     rows);
    ASSERT_EQ(planned.status, 0) << planned.errors;
    EXPECT_NE(planned.xml.find("Position=\"190;70\"><FreeCells><Cell Pos=\"9;3\"/></FreeCells>"
                               "<CameOffsetPoints><Route Pos=\"-20;0\"/>"),
              std::string::npos)
        << planned.xml;
    // The bridge itself is approached from the hall's side either way.
    EXPECT_NE(planned.xml.find("<Cell Pos=\"6;3\"/></FreeCells><CameOffsetPoints><Route Pos=\"-20;0\"/>"),
              std::string::npos)
        << planned.xml;
}

TEST(Leveltool, SceneryStandsOnItsCellsAndBlocksAndPlacedThingsOnTheirPositions)
{
    const Result r = leveltool("decor ^ test/tree.png\n"
                               "decor # test/house.png block\n"
                               "decor \" test/bed.png flat\n"
                               "decor % test/bush\n"
                               "picture 300;400 test/tree.png\n"
                               "picture 310;420 test/bed.png flat\n"
                               "place 250;260 <Unit Type=\"ChimneySmoke\"/>\n" +
                               grid({"", " ^  ##  \"", "    ##  %", "", " ^"}));
    ASSERT_EQ(r.status, 0) << r.errors;
    // A tree on each of its cells, its foot on the cell's middle: the picture's middle is 16 - 16
    // to the right and 24 - 40 below the foot; it stands among the units by its foot's y.
    const Picture* tree = r.at(30, 30 - 16);
    ASSERT_NE(tree, nullptr) << r.xml;
    EXPECT_EQ(tree->path, "test/tree.png");
    EXPECT_EQ(tree->deep, 5030.0f);
    ASSERT_NE(r.at(30, 90 - 16), nullptr);
    EXPECT_EQ(r.at(30, 90 - 16)->deep, 5090.0f);
    // One house on the block's middle (100, 40).
    const Picture* house = r.at(100, 40 - 12);
    ASSERT_NE(house, nullptr) << r.xml;
    EXPECT_EQ(house->path, "test/house.png");
    EXPECT_EQ(house->deep, 5040.0f);
    int houses = 0;
    for (const Picture& picture : r.pictures)
        houses += picture.path == "test/house.png";
    EXPECT_EQ(houses, 1);
    // Flat things lie under every unit; a picture of several frames plays them.
    ASSERT_NE(r.at(170, 30), nullptr);
    EXPECT_EQ(r.at(170, 30)->deep, -900.0f);
    const Picture* bush = r.at(170, 50 - 8);
    ASSERT_NE(bush, nullptr) << r.xml;
    EXPECT_EQ(bush->path, "test/bush.png") << "a picture named without its extension is a PNG";
    EXPECT_NE(bush->element.find("Enable=\"1\" size=\"32;32\" frames_count=\"4\" anim_columns=\"2\" "
                                 "anim_rows=\"1\" anim_length=\"0.5\" anim_loop=\"1\" PlayAnimation=\"1\""),
              std::string::npos)
        << bush->element;
    // Placed by position.
    ASSERT_NE(r.at(300, 400 - 16), nullptr);
    EXPECT_EQ(r.at(300, 400 - 16)->deep, 5400.0f);
    ASSERT_NE(r.at(310, 420), nullptr);
    EXPECT_EQ(r.at(310, 420)->deep, -900.0f);
    EXPECT_NE(r.xml.find("<Unit Type=\"ChimneySmoke\" Position=\"250;260\"/>"), std::string::npos) << r.xml;
    // The scenery's cells are no one's way.
    EXPECT_EQ(r.xml.find("<Cell Pos=\"1;1\"/>"), std::string::npos);
}

TEST(Leveltool, AFaultySourceIsRefusedWithItsNameAndWhatIsWrong)
{
    const auto refused = [](const std::string& source, const std::string& what)
    {
        const Result r = leveltool(source);
        EXPECT_EQ(r.status, 1) << source;
        EXPECT_NE(r.errors.find("n0.txt"), std::string::npos) << r.errors;
        EXPECT_NE(r.errors.find(what), std::string::npos) << r.errors;
        EXPECT_TRUE(r.xml.empty()) << "nothing is written";
    };
    refused(grid({" ...*..."}), "the grid character \"*\" has no decor line");
    refused("unit W <Unit Type=\"Road\"/>\n" + grid({" WW", " W"}),
            "the road W is no straight row or column");
    refused("unit W <Unit Type=\"Road\"/>\n" + grid({" WWWWWWWWWWWWW"}), "longer than 12 cells");
    refused("decor ^ test/oak.png\n" + grid({" ^"}),
            "the picture \"test/oak.png\" is not in the art pack's manifest");
    refused("decor ~ test/tree.png\n" + grid({" ~"}), "a decor line names a grid character");
    refused("decor ^\n" + grid({" ^"}), "a decor line names its pictures");
    refused("picture 300 test/tree.png\n" + grid({" ."}), "write: picture <x>;<y> <picture> [flat]");
    refused("ground levels/nowhere.jpg\n" + grid({" ."}), "the picture \"levels/nowhere.jpg\"");
}

TEST(Leveltool, TheTownHallsDoorIsBesideTheCellOfItsMiddle)
{
    // The heroes leave the town hall from the cell of its middle (2;2): a street beside it,
    // straight or across a corner, is the door before a nearer street beside another cell.
    const Result diagonal =
        leveltool("unit H <Unit Type=\"TownHall\"/>\n" + grid({"", " HHH.", " HHH", "   ."}));
    ASSERT_EQ(diagonal.status, 0) << diagonal.errors;
    EXPECT_NE(diagonal.xml.find("<CameOffsetPoints><Route Pos=\"20;30\"/>"), std::string::npos)
        << "the door across the corner of the middle cell: " << diagonal.xml;
    // With no street by the middle cell the nearest street beside the hall is the door.
    const Result aside =
        leveltool("unit H <Unit Type=\"TownHall\"/>\n" + grid({"", " HHH.", " HHH", "    "}));
    ASSERT_EQ(aside.status, 0) << aside.errors;
    EXPECT_NE(aside.xml.find("<CameOffsetPoints><Route Pos=\"40;-10\"/>"), std::string::npos) << aside.xml;
}
