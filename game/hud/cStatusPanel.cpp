#include "game/hud/cStatusPanel.h"

#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cButtonPrototype.h"
#include "engine/ui/cProgressFloat.h"
#include "engine/ui/cPyro.h"
#include "engine/ui/cTextLine.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/cGoalArrow.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelTutor.h"

#include <cmath>
#include <string>

namespace
{

void showView(Engine::cControl* view, bool on)
{
    if (!view)
        return;
    if (on)
        view->show();
    else
        view->hide();
}

} // namespace

cStatusPanel::cStatusPanel(Engine::cControl* parent) : Engine::cForm(parent)
{
    Engine::loadLayout(*this, "UI/PanelStatus.xml");
    if (auto* resources = find<Engine::cForm>(L"Resources"))
    {
        const NameIdTable& names = GameConfig::instance().resourceNames();
        for (int id = 0; id < names.size(); ++id)
        {
            const std::wstring name = names.nameOf(id);
            auto* row = resources->find<Engine::cButtonPrototype>(name);
            if (!row)
                continue;
            row->highlightOnSignal.connect([name](Engine::cView* view)
                                           { TooltipManager::instance().onResourceRowHover(view, name); });
            row->highlightOffSignal.connect([this](Engine::cView* view) { onResourceLeave(view); });
        }
    }
    followLevel();
    show();
}

void cStatusPanel::followLevel()
{
    Game* game = Game::instance();
    if (!game || m_gainConnection.connected())
        return;
    m_gainConnection =
        game->connectResourcesGained([this](const cGameResources& gained) { flashResources(gained); });
}

cStatusPanel::~cStatusPanel()
{
    cGoalArrow::hideAll();
}

void cStatusPanel::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cForm::loadXML(node);
    m_goldColor = 0xFFFFFFFFu;
    m_silverColor = 0xFFFFFFFFu;
    unsigned long colour = m_goldColor;
    Engine::readKey(node, L"GoldColor", colour);
    m_goldColor = static_cast<uint32_t>(colour);
    colour = m_silverColor;
    Engine::readKey(node, L"SilverColor", colour);
    m_silverColor = static_cast<uint32_t>(colour);

    m_categoryTexts.clear();
    Engine::tPropertiesPtr categories;
    if (node->getChild(L"GoalCategories", categories))
    {
        Engine::tPropertiesList entries;
        categories->getChildren(entries);
        for (const auto& entry : entries)
            m_categoryTexts[Engine::toUtf8(entry->getAttribute(L"id"))] = entry->getAttribute(L"text");
    }

    const Engine::tPropertiesPtr aim = Engine::cProperties::getChildRequired(node, L"Aim", L"Aim not found.");
    Engine::readKey(aim, L"FirstAimOffset", m_firstAimOffset);
    Engine::readKey(aim, L"AimStep", m_aimStep);
    Engine::tPropertiesList rows;
    aim->getChildren(rows);
    for (size_t i = 0; i < rows.size(); ++i)
    {
        auto* row = new Engine::cForm(this);
        row->loadXML(rows[i]);
        row->hide();
        auto* button = row->find<Engine::cButtonPrototype>(L"AimButton");
        if (!button)
            throw std::string("cStatusPanel: goal row " + std::to_string(i) +
                              " of \"Aim\" has no \"AimButton\".");
        button->highlightOnSignal.connect([this](Engine::cView* view) { onAimHover(view); });
        button->highlightOffSignal.connect([this](Engine::cView* view) { onAimLeave(view); });
        m_rows.push_back(row);
    }

    m_flashEffect = new Engine::cPyro(this);
    Engine::loadChildXML(m_flashEffect, node, L"PyroEffect", nullptr);
    m_flashEffect->hide();
    m_taskEffect = new Engine::cPyro(this, "Effects/CompleteTaskEffect.xml");
    m_subTaskEffect = new Engine::cPyro(this, "Effects/CompleteSubTaskEffect.xml");
}

void cStatusPanel::update()
{
    followLevel();
    if (isEffectivelyEnabled())
    {
        updateTime();
        updateMedal();
    }
    Engine::cForm::update();
}

void cStatusPanel::updateTime()
{
    const Game* game = Game::instance();
    auto* text = find<Engine::cTextLine>(L"TimeText");
    if (!game || !text)
        return;
    const float time = game->getLevelTime();
    // Any difference counts, an unordered one too.
    if (time == m_shownTime)
        return;
    m_shownTime = time;
    text->setText(Engine::timeToString(time));
    text->update();
    if (auto* progress = find<Engine::cProgressFloat>(L"TimeProgress"))
        progress->setCurrentValue(progress->getMaxValue() - time);
}

int32_t cStatusPanel::medalFor(float time, float goldTime, float silverTime)
{
    const auto shown = static_cast<float>(Engine::shownSeconds(time));
    if (shown <= goldTime)
        return 0;
    return shown <= silverTime ? 1 : 2;
}

void cStatusPanel::updateMedal()
{
    const Game* game = Game::instance();
    if (!game)
        return;
    const int32_t state = medalFor(game->getLevelTime(), game->getGoldTime(), game->getSilverTime());
    if (state == m_medalState)
        return;
    m_medalState = state;
    showMedal(state);
}

void cStatusPanel::showMedal(int32_t state)
{
    const Game* game = Game::instance();
    auto* text = find<Engine::cTextLine>(L"TimeText");
    if (!game || !text)
        return;
    const float gold = game->getGoldTime();
    const float silver = game->getSilverTime();
    auto* progress = find<Engine::cProgressFloat>(L"TimeProgress");
    auto* goldPicture = find<Engine::cView>(L"PerfectGoldPicture");
    auto* goldText = find<Engine::cTextLine>(L"PerfectGoldTimeText");
    auto* silverPicture = find<Engine::cView>(L"PerfectSilverPicture");
    auto* silverText = find<Engine::cTextLine>(L"PerfectSilverTimeText");
    // The silver time's tag stands apart from its mark; the gold time's is part of its mark.
    auto* silverPlate = findControl(L"PerfectSilverTimeTextPlate");
    const auto showSilver = [&]
    {
        showView(silverPicture, true);
        showView(silverText, true);
        showView(silverPlate, true);
        if (silverText)
        {
            silverText->setText(Engine::timeToString(silver));
            silverText->setColorARGB(m_silverColor);
            silverText->update();
        }
    };
    if (state == 0)
    {
        if (progress)
        {
            progress->setMaxValue(silver);
            progress->setCurrentValue(silver);
            const float width = progress->getSize().x;
            const Engine::cVector2 at = progress->getPosition();
            // A silver time of 0 has no scale: the gold mark stands at the bar's end.
            const float share = silver > 0.0f ? gold / silver : 1.0f;
            const Engine::cVector2 mark(at.x + width * 0.5f - (1.0f - share) * width, at.y);
            if (goldPicture)
                goldPicture->setPosition(mark);
            if (goldText)
                goldText->setPosition(mark);
        }
        showView(goldPicture, true);
        showView(goldText, true);
        if (goldText)
        {
            goldText->setText(Engine::timeToString(gold));
            goldText->setColorARGB(m_goldColor);
            goldText->update();
        }
        showSilver();
    }
    else if (state == 1)
    {
        showView(goldPicture, false);
        showView(goldText, false);
        showSilver();
        if (progress)
        {
            progress->setMaxValue(silver);
            progress->setCurrentValue(silver - m_shownTime);
            progress->show();
        }
    }
    else
    {
        for (Engine::cControl* view : std::initializer_list<Engine::cControl*>{
                 goldPicture, goldText, silverPicture, silverText, silverPlate})
            showView(view, false);
    }
}

Engine::cTextLine* cStatusPanel::resourceCount(const std::wstring& name) const
{
    const auto* resources = find<Engine::cForm>(L"Resources");
    return resources ? resources->find<Engine::cTextLine>(name + L"Count") : nullptr;
}

void cStatusPanel::updateResources()
{
    Game* game = Game::instance();
    if (!game)
        return;
    const NameIdTable& names = GameConfig::instance().resourceNames();
    for (const auto& [id, count] : game->getResources().getItems())
        if (Engine::cTextLine* text = resourceCount(names.nameOf(id)))
            text->setText(std::to_wstring(count));
}

std::wstring cStatusPanel::getResourceText(const std::wstring& name) const
{
    const Engine::cTextLine* text = resourceCount(name);
    return text ? text->getText() : std::wstring();
}

std::wstring cStatusPanel::getTimeText() const
{
    const auto* text = find<Engine::cTextLine>(L"TimeText");
    return text ? text->getText() : std::wstring();
}

void cStatusPanel::updateGoals()
{
    const Game* game = Game::instance();
    if (!game)
        return;
    std::map<std::string, GoalRow> categories;
    for (const LevelGoal& goal : game->getLevelGoals())
    {
        if (goal.goalCategory.empty())
            return;
        GoalRow& row = categories[goal.goalCategory];
        row.category = goal.goalCategory;
        ++row.total;
        if (goal.done)
            ++row.done;
    }
    m_rowCategories.clear();
    m_goalRows.clear();
    size_t index = 0;
    for (const auto& [category, counts] : categories)
    {
        if (index == m_rows.size())
        {
            // More categories than the layout has rows: the rest are not shown.
            if (!m_tooManyCategoriesLogged)
                Game::reportError("cStatusPanel: the level has " + std::to_string(categories.size()) +
                                  " goal categories, the panel only " + std::to_string(m_rows.size()) +
                                  " rows.");
            m_tooManyCategoriesLogged = true;
            break;
        }
        Engine::cForm* row = m_rows[index];
        if (auto* button = row->find<Engine::cView>(L"AimButton"))
            button->setAlphaField(static_cast<uint32_t>(index));
        m_rowCategories.push_back(category);
        m_goalRows.push_back(counts);
        row->show();
        row->setPosition(m_firstAimOffset + m_aimStep * static_cast<float>(index));
        ++index;

        if (auto* desc = row->find<Engine::cTextLine>(L"Desc"))
        {
            const auto found = m_categoryTexts.find(category);
            desc->setLocalized(false);
            desc->setText(found == m_categoryTexts.end() ? std::wstring() : found->second);
        }
        const bool complete = counts.done == counts.total;
        auto* ready = row->find<Engine::cView>(L"Ready");
        auto* text = row->find<Engine::cTextLine>(L"Text");
        showView(ready, complete);
        showView(text, !complete);
        if (!text)
            continue;
        const std::wstring left = std::to_wstring(counts.total - counts.done);
        const bool changed = !text->getText().empty() && text->getText() != left;
        text->setText(left);
        text->hide();
        if (!changed)
            continue;
        const Engine::cVector2 at = ready ? ready->getPosition() : text->getPosition();
        if (complete)
            playTaskEffect(text->getDeep() + 1.0f, at);
        else
            playSubTaskEffect(text->getDeep() + 1.0f, at);
    }
}

void cStatusPanel::flashResources(const cGameResources& resources)
{
    const NameIdTable& names = GameConfig::instance().resourceNames();
    for (const auto& entry : resources.getItems())
    {
        const Engine::cTextLine* text = resourceCount(names.nameOf(entry.first));
        if (!text)
            continue;
        auto* flash = new Engine::cPyro(*m_flashEffect);
        flash->setParent(this);
        flash->setEmitterPosition(text->getPosition());
        flash->play(true, 0.0f);
        flash->show();
    }
}

void cStatusPanel::onAimHover(Engine::cView* button)
{
    if (LevelTutor::instance().getPointedUnit())
        return;
    const Game* game = Game::instance();
    const size_t row = button ? button->getAlphaField() : m_rowCategories.size();
    if (!game || row >= m_rowCategories.size())
        return;
    const std::string& category = m_rowCategories[row];
    for (const LevelGoal& goal : game->getLevelGoals())
    {
        if (goal.goalCategory != category || goal.done)
            continue;
        const cUnit::Ptr unit = goal.target.lock();
        if (!unit)
            continue;
        auto* arrow = new cGoalArrow(game->getUnitFieldPos(unit), this, &goal);
        arrow->update();
    }
}

void cStatusPanel::onResourceLeave(Engine::cView* row)
{
    TooltipManager::instance().onResourceRowLeave(row);
}

void cStatusPanel::onAimLeave(Engine::cView*)
{
    cGoalArrow::hideAll();
}

void cStatusPanel::playCopy(Engine::cPyro* effect, float deep, const Engine::cVector2& position)
{
    auto* copy = new Engine::cPyro(*effect);
    copy->setParent(this);
    copy->setDeep(deep);
    copy->setPosition(position);
    copy->show();
    copy->play(false, 0.0f);
}

void cStatusPanel::playTaskEffect(float deep, const Engine::cVector2& position)
{
    playCopy(m_taskEffect, deep, position);
}

void cStatusPanel::playSubTaskEffect(float deep, const Engine::cVector2& position)
{
    playCopy(m_subTaskEffect, deep, position);
}
