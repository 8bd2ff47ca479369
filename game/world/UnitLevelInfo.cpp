#include "game/world/UnitLevelInfo.h"

#include "engine/core/FromString.h"
#include "engine/core/cProperties.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelArchive.h"

void UnitLevelInfo::save(LevelArchive& archive) const
{
    archive.write4(static_cast<int32_t>(freeCell));
    archive.write4(upgradeTime);
    archive.write4(produceTime);
    archive.write4(autoProduceTime);
    archive.write4(static_cast<int32_t>(selection));
    upIn.save(archive);
    resIn.save(archive);
    resOut.save(archive);
    autoResOut.save(archive);
    repairRes.save(archive);
}

void UnitLevelInfo::load(LevelArchive& archive)
{
    int32_t value = 0;
    archive.read4(value);
    freeCell = value;
    archive.read4(upgradeTime);
    archive.read4(produceTime);
    archive.read4(autoProduceTime);
    archive.read4(value);
    selection = value;
    upIn.load(archive);
    resIn.load(archive);
    resOut.load(archive);
    autoResOut.load(archive);
    repairRes.load(archive);
}

void UnitLevelInfo::assign(UnitLevelInfo& target) const
{
    target.freeCell = freeCell;
    target.upgradeTime = upgradeTime;
    target.produceTime = produceTime;
    target.autoProduceTime = autoProduceTime;
    target.selection = selection;
    target.upIn.assign(upIn);
    target.resIn.assign(resIn);
    target.resOut.assign(resOut);
    target.autoResOut.assign(autoResOut);
    target.repairRes.assign(repairRes);
}

void UnitLevelInfo::loadXML(const boost::shared_ptr<Engine::cProperties>& node)
{
    loadXML(node, GameConfig::instance().resourceNames());
}

void UnitLevelInfo::loadXML(const boost::shared_ptr<Engine::cProperties>& node, NameIdTable& resourceNames)
{
    if (!node)
        return;
    // A missing or empty "FreeCell" means "leave the cells as they are", whatever the block
    // held before.
    int cellRule = 2;
    Engine::fromString(cellRule, node->getAttribute(L"FreeCell"));
    freeCell = cellRule;
    Engine::fromString(upgradeTime, node->getAttribute(L"UpgradeTime"));
    Engine::fromString(produceTime, node->getAttribute(L"ProduceTime"));
    Engine::fromString(autoProduceTime, node->getAttribute(L"AutoProduceTime"));
    Engine::fromString(selection, node->getAttribute(L"Selection"));
    loadResources(node, resourceNames);
}

void UnitLevelInfo::loadResources(const boost::shared_ptr<Engine::cProperties>& node)
{
    loadResources(node, GameConfig::instance().resourceNames());
}

void UnitLevelInfo::loadResources(const boost::shared_ptr<Engine::cProperties>& node,
                                  NameIdTable& resourceNames)
{
    if (!node)
        return;
    Engine::fromString(upgradeTime, node->getAttribute(L"UpgradeTime"));
    const std::pair<const wchar_t*, cGameResources*> lists[] = {{L"UpIn", &upIn},
                                                                {L"ResIn", &resIn},
                                                                {L"ResOut", &resOut},
                                                                {L"AutoResOut", &autoResOut},
                                                                {L"RepairRes", &repairRes}};
    for (const auto& [name, set] : lists)
    {
        Engine::tPropertiesPtr list;
        if (node->getChild(name, list))
            set->loadXML(list, resourceNames);
    }
}
