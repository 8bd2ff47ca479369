#include "engine/ui/cTextMoney.h"

#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"
#include "engine/ui/cPicture.h"

namespace Engine
{

cTextMoney::cTextMoney(cControl* parent) : cPriceText(parent), m_coin(new cPicture(this)) {}

void cTextMoney::loadXML(const tPropertiesPtr& node)
{
    cPriceText::loadXML(node);
    if (!node)
        return;
    if (!loadChildPart(*m_coin, node, L"Coin"))
        throw "Can't find Coin";
    m_coin->setPosition(m_coin->getPosition() + getPosition());
}

void cTextMoney::onEnable()
{
    cPriceText::onEnable();
    m_coin->setFrame(0);
}

void cTextMoney::onDisable()
{
    cPriceText::onDisable();
    m_coin->setFrame(1);
}

namespace
{

const cControlFactory::cRegistration names({L"textmoney"}, &createControl<cTextMoney>);

} // namespace

} // namespace Engine
