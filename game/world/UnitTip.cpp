#include "game/world/UnitTip.h"

#include "engine/core/FromString.h"
#include "engine/core/cProperties.h"
#include "game/world/LevelArchive.h"

void UnitTip::loadXML(const boost::shared_ptr<Engine::cProperties>& node)
{
    int type = 0;
    int kind = 0;
    Engine::fromString(type, node->getAttribute(L"tip_type"));
    Engine::fromString(kind, node->getAttribute(L"event_type"));
    tipType = type;
    eventKind = kind;
    Engine::fromString(start, node->getAttribute(L"start"));
    text = node->getAttribute(L"text");
    Engine::fromString(target, node->getAttribute(L"target"));
}

std::string UnitTip::problem() const
{
    // The other fields are the file's to choose: a tip without text shows an empty message, an
    // event kind the tutorial neither times nor lists waits for a unit to report that event, and
    // a pointer may point anywhere. A type the tutorial cannot show would stop the level when
    // its moment comes.
    if (tipType < 0 || tipType > 2)
        return "the tip type " + std::to_string(tipType) + " is not 0, 1 or 2";
    return std::string();
}

void UnitTip::save(LevelArchive& archive) const
{
    archive.write4(static_cast<int32_t>(tipType));
    archive.write4(static_cast<int32_t>(eventKind));
    archive.write4(start);
    archive.writeString(text);
    archive.write8(target);
    archive.write4(static_cast<int32_t>(failedResourceClicks));
    archive.write4(static_cast<int32_t>(failedRouteClicks));
    archive.write1(done);
}

void UnitTip::load(LevelArchive& archive)
{
    int32_t value = 0;
    archive.read4(value);
    tipType = value;
    archive.read4(value);
    eventKind = value;
    archive.read4(start);
    archive.readString(text);
    archive.read8(target);
    archive.read4(value);
    failedResourceClicks = value;
    archive.read4(value);
    failedRouteClicks = value;
    archive.read1(done);
}
