#pragma once

#include <array>

// The ids of the game's sounds: each is a key of the sound table read from "GameSounds.xml",
// which must define all of them. Every part of the game that plays one of them names it here.
namespace SoundId
{
constexpr const char* mainMenuMusic = "main_menu_music";
constexpr const char* mapMusic = "map_music";
constexpr const char* briefMusic = "brief_music";
constexpr const char* winterMusic = "winter_music";
constexpr const char* townMusic = "town_music";
constexpr const char* villageMusic = "village_music";
constexpr const char* giveResource = "give_resource";
constexpr const char* autoGiveResource = "auto_give_resource";
constexpr const char* addUnitGoal = "add_unit_goal";
constexpr const char* baseFall = "base_fall";
constexpr const char* bonusFinish = "bonus_finish";
constexpr const char* finishLevel = "finish_level";
constexpr const char* goldFanfars = "gold_fanfars";
constexpr const char* silverFanfars = "silver_fanfars";
constexpr const char* simpleFanfars = "simple_fanfars";
constexpr const char* saveAnimal = "save_animal";

constexpr std::array<const char*, 16> all = {mainMenuMusic, mapMusic,      briefMusic,    winterMusic,
                                             townMusic,     villageMusic,  giveResource,  autoGiveResource,
                                             addUnitGoal,   baseFall,      bonusFinish,   finishLevel,
                                             goldFanfars,   silverFanfars, simpleFanfars, saveAnimal};
} // namespace SoundId
