#include "framework/PageControl.h"

#include "framework/Form.h"

namespace framework {

std::vector<TControl*> TPageControl::Pages() const {
    std::vector<TControl*> pages;
    for (TControl* c : Form().ChildrenOf(this)) {
        if (c->Type() == ControlType::TabSheet) pages.push_back(c);
    }
    return pages;
}

void TPageControl::UserSelectPage(TControl* page) {
    if (!CanFocus() || !page || page->Parent() != this) return;
    AsUserAction([this, page] {
        SetActivePage(page);
        Fire(OnChange);
    });
}

}  // namespace framework
