// viewgen, the writer of the unit view descriptions, run as a person runs it: the shipped
// descriptions are what it makes of the art manifest, a small manifest gives the state of each
// kind and the matrix that picks them, and a broken manifest is refused naming its line.
#include "engine/core/StringUtils.h"
#include "engine/core/cXmlProperties.h"
#include "game/hud/UnitViewDescription.h"
#include "game/hud/ViewState.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <cstdlib>
#include <string>

namespace
{

const std::string kViewgen = std::string(QUILL_BINARY_DIR) + "/tools/viewgen";

int run(const std::string& arguments, const ::Test::TempDir& temp, std::string* errors = nullptr)
{
    const std::filesystem::path log = temp.path() / "stderr.txt";
    const int status = std::system((kViewgen + " " + arguments + " 2> " + log.string()).c_str());
    if (errors)
        *errors = ::Test::readFile(log);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const std::string kUnits = R"(<Units>
  <Unit Name="Walker" Category="worker"/>
  <Unit Name="Mill" Category="mill"/>
  <Unit Name="Span" Category="road"/>
  <Unit Name="Shrub" Category="ambient"/>
</Units>)";

std::string manifest()
{
    std::string text = "#path size frame grid frames fps anchor unit level look states angle\n";
    const std::pair<const char*, int> ways[] = {{"n", 90},  {"ne", 45},   {"e", 0},   {"se", -45},
                                                {"s", -90}, {"sw", -135}, {"w", 180}, {"nw", 135}};
    for (const auto& [way, angle] : ways)
        text += std::string("walker_") + way + ".png 256x64 64x64 4x1 4 8 32,50 Walker 0 walk idle,move " +
                std::to_string(angle) + "\n";
    text += "mill_l0.png 128x128 128x128 1x1 1 0 64,90 Mill 0 ruin idle -\n"
            "mill_l0_build.png 256x256 128x128 2x2 4 4 64,90 Mill 0 build upgrade -\n"
            "mill_l1.png 128x128 128x128 1x1 1 0 64,90 Mill 1 idle idle -\n"
            "mill_l1_work.png 512x256 128x128 4x2 8 10 64,90 Mill 1 work produce -\n"
            "span.png 32x32 32x32 1x1 1 0 16,16 Span 0 idle idle 90\n"
            "span_h.png 32x32 32x32 1x1 1 0 16,16 Span 0 idle idle 0\n"
            "shrub_a.png 64x64 64x64 1x1 1 0 32,54 Shrub 0 a idle -\n"
            "shrub_b.png 64x64 64x64 1x1 1 0 32,54 Shrub 0 b idle -\n"
            "icon.png 24x24 24x24 1x1 1 0 12,12 Mill - icon - -\n";
    return text;
}

boost::shared_ptr<UnitViewDescription> read(const ::Test::TempDir& temp, const std::string& name)
{
    const std::string text = ::Test::readFile(temp.path() / "out" / (name + ".xml"));
    auto description = boost::make_shared<UnitViewDescription>(0, name);
    description->load(Engine::cXmlProperties::fromBuffer(text.data(), text.size(), name));
    return description;
}

std::string stateOf(const boost::shared_ptr<UnitViewDescription>& description, unsigned level,
                    eUnitState state)
{
    const auto found = description->getStateName(level, state);
    return found ? Engine::toUtf8(found->name) : std::string("-");
}

} // namespace

TEST(Viewgen, TheShippedDescriptionsAreWhatTheManifestGives)
{
    ::Test::TempDir temp;
    std::string errors;
    const std::string source = QUILL_SOURCE_DIR;
    EXPECT_EQ(run("--check " + source + "/tools/art/manifest.txt " + source + "/data/Units/Units.xml " +
                      source + "/data/Units",
                  temp, &errors),
              0)
        << errors << "run viewgen to write the descriptions again";
}

TEST(Viewgen, EachKindOfLookBecomesItsStateAndTheMatrixPicksIt)
{
    ::Test::TempDir temp;
    temp.write("manifest.txt", manifest());
    temp.write("Units.xml", kUnits);
    std::filesystem::create_directories(temp.path() / "out");
    const std::string folder = temp.path().string();
    std::string errors;
    ASSERT_EQ(run(folder + "/manifest.txt " + folder + "/Units.xml " + folder + "/out", temp, &errors), 0)
        << errors;

    // Eight angles: one directional state, from 90 degrees down, each centred on its anchor.
    const std::string walker = ::Test::readFile(temp.path() / "out" / "Walker.xml");
    EXPECT_NE(walker.find("<State Name=\"idle\" FirstStateAngle=\"90\">"), std::string::npos) << walker;
    EXPECT_LT(walker.find("walker_n.png"), walker.find("walker_ne.png"));
    EXPECT_LT(walker.find("walker_w.png"), walker.find("walker_nw.png"));
    EXPECT_NE(walker.find("frames_count=\"4\" anim_columns=\"4\" anim_rows=\"1\" anim_length=\"0.5\""),
              std::string::npos);
    EXPECT_NE(walker.find("posoffset=\"0;-18\""), std::string::npos);
    EXPECT_NE(walker.find("upgradeButtonOffset=\"-1000;-1000\""), std::string::npos) << "no button for crews";
    EXPECT_EQ(walker.find("sound_id"), std::string::npos) << "walking makes no sound";
    EXPECT_EQ(stateOf(read(temp, "Walker"), 0, eUnitState::move), "idle");

    // Levels and looks: the matrix names each look's state; the level 0 idle look is "idle".
    const auto mill = read(temp, "Mill");
    EXPECT_EQ(stateOf(mill, 0, eUnitState::idle), "idle");
    EXPECT_EQ(stateOf(mill, 0, eUnitState::upgrade), "build_l0");
    EXPECT_EQ(stateOf(mill, 1, eUnitState::idle), "idle_l1");
    EXPECT_EQ(stateOf(mill, 1, eUnitState::produce), "work_l1");
    EXPECT_NE(mill->getUpgradeButtonOffset(), Engine::cVector2(-1000.0f, -1000.0f))
        << "mills have the button";
    const std::string millText = ::Test::readFile(temp.path() / "out" / "Mill.xml");
    EXPECT_NE(millText.find("sound_id=\"mill_work\""), std::string::npos);
    EXPECT_NE(millText.find("sound_id=\"collapse\""), std::string::npos) << "the ruin";
    EXPECT_EQ(millText.find("icon.png"), std::string::npos) << "icons are not looks";

    // Two angles: each picture stands for its angle and the opposite one.
    const std::string span = ::Test::readFile(temp.path() / "out" / "Span.xml");
    EXPECT_NE(span.find("ByAngles=\"1\""), std::string::npos);
    EXPECT_NE(span.find("<Facing Angle=\"-90\" Picture=\"span.png\""), std::string::npos) << span;
    EXPECT_NE(span.find("<Facing Angle=\"180\" Picture=\"span_h.png\""), std::string::npos) << span;

    // Two looks for the same states: one by-id state, the first look as "default"; scenery
    // takes no clicks away.
    const std::string shrub = ::Test::readFile(temp.path() / "out" / "Shrub.xml");
    EXPECT_NE(shrub.find("ById=\"1\""), std::string::npos);
    EXPECT_NE(shrub.find("<Look Id=\"default\" Picture=\"shrub_a.png\""), std::string::npos) << shrub;
    EXPECT_NE(shrub.find("<Look Id=\"b\" Picture=\"shrub_b.png\""), std::string::npos);
    EXPECT_EQ(shrub.find("IsDeepProcessing"), std::string::npos);
}

TEST(Viewgen, ABrokenManifestOrAMissingTypeIsRefusedByName)
{
    ::Test::TempDir temp;
    temp.write("manifest.txt", "# comment\nwalker.png 64x64 64x64\n");
    temp.write("Units.xml", kUnits);
    std::string errors;
    const std::string folder = temp.path().string();
    EXPECT_EQ(run(folder + "/manifest.txt " + folder + "/Units.xml " + folder, temp, &errors), 1);
    EXPECT_NE(errors.find("manifest.txt:2: a line of the manifest needs twelve columns"), std::string::npos)
        << errors;

    temp.write("manifest.txt", "mill.png 128x128 128x128 1x1 1 0 64,90 Mill 0 idle idle -\n");
    EXPECT_EQ(run(folder + "/manifest.txt " + folder + "/Units.xml " + folder, temp, &errors), 1);
    EXPECT_NE(errors.find("the manifest has no picture of the unit type \"Walker\""), std::string::npos)
        << errors;
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "Mill.xml")) << "the types it can describe are written";
}
