// What the messages about the player's files say, against what the game does where each is
// shown: over the map no level starts, over a level about to start that level starts from its
// beginning; a file set aside is said to be kept aside, one left where it is to stay as it is.
#include "engine/core/StringUtils.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "game/screens/cSystemMessage.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// The text of a message layout of the data folder.
std::string messageText(const std::string& layout)
{
    const std::string bytes = ::Test::readFile(std::string(QUILL_SOURCE_DIR) + "/data/" + layout);
    if (bytes.empty())
        return "(" + layout + " cannot be read)";
    const Engine::tPropertiesPtr root =
        Engine::cXmlPropertiesPooled::fromBuffer(bytes.data(), bytes.size(), layout);
    Engine::tPropertiesPtr texts;
    Engine::tPropertiesPtr message;
    if (!root->getChild(L"BackMultitext", texts) || !texts->getChild(L"Message", message))
        return "(" + layout + " has no message)";
    return Engine::toUtf8(message->getAttribute(L"Text"));
}

TEST(PlayerMessages, EachTellsWhatBecomesOfTheFileAndTheLevel)
{
    const struct
    {
        const char* layout;
        const char* file;
        bool levelStarts;
    } messages[] = {
        {cSystemMessage::SaveDamagedLayout, "kept aside", false},
        {cSystemMessage::SaveLeftLayout, "stays as it is", false},
        {cSystemMessage::SaveBlockedLayout, "stays as it is", false},
        {cSystemMessage::SaveKeptLevelStartsLayout, "kept aside", true},
        {cSystemMessage::SaveLeftLevelStartsLayout, "stays as it is", true},
        {cSystemMessage::ValuesKeptLayout, "kept aside", false},
        {cSystemMessage::ValuesMissingLayout, "missing", false},
        {cSystemMessage::ValuesLeftLayout, "stays as it is", false},
        {cSystemMessage::BestTimesKeptLayout, "kept aside", false},
        {cSystemMessage::SettingsLeftLayout, "stays as it is", false},
        {cSystemMessage::SettingsKeptLayout, "kept aside", false},
    };
    for (const auto& message : messages)
    {
        const std::string text = messageText(message.layout);
        EXPECT_NE(text.find(message.file), std::string::npos) << message.layout << ": " << text;
        EXPECT_EQ(text.find("starts from its beginning") != std::string::npos, message.levelStarts)
            << message.layout << ": " << text;
        EXPECT_EQ(text.find("starts again"), std::string::npos) << message.layout << ": " << text;
    }
}

} // namespace
