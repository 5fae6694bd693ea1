#pragma once
// CHorizontalLayoutUI: stacks its visible children left to right inside its
// inner rectangle. A child without a fixed width (or with no width wish)
// shares the free width with the others like it; a child's height is its fixed
// height or the full inner height minus its vertical padding, placed by
// "childvalign". Floating children are placed by their own position.
#include "ui/container_ui.h"

namespace SkinUI {

class CHorizontalLayoutUI : public CContainerUI {
  public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;
    void SetPos(RECT rect) override;
};

}  // namespace SkinUI
