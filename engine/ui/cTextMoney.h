#pragma once

#include "engine/ui/cPriceText.h"

namespace Engine
{

class cPicture;

// A price text with a coin picture beside it: the coin shows its frame 0 while the text is
// enabled and its frame 1 while it is disabled. Its layout element must hold a "Coin" child
// (the coin's picture keys, its position relative to the text). Layouts create it as
// "textmoney".
class cTextMoney : public cPriceText
{
public:
    explicit cTextMoney(cControl* parent = nullptr);

    // The price text's keys, then the coin from the child "Coin"; throws the C string
    // "Can't find Coin" when there is none.
    void loadXML(const tPropertiesPtr& node) override;
    void onEnable() override;
    void onDisable() override;

    cPicture* getCoin() const { return m_coin; }

private:
    // A child of the text (owned by the tree).
    cPicture* m_coin;
};

} // namespace Engine
