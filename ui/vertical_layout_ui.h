#pragma once
// CVerticalLayoutUI: stacks its visible children top to bottom inside its
// inner rectangle. Children with a height wish keep it (within their minimum
// and maximum); the others share the free height equally, the last of them
// taking what rounding leaves. Widths are fixed or the full inner width, placed
// by "childalign". Floating children are placed by their own position.
#include "ui/container_ui.h"

namespace SkinUI {

class CVerticalLayoutUI : public CContainerUI {
  public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;
    void SetPos(RECT rect) override;
};

// Clamps a length to a control's minimum and maximum (the maximum never below
// the minimum).
int ClampToRange(long long value, int minimum, int maximum);
// A layout sum as a coordinate (kept far inside the range of LONG).
LONG ToCoordinate(long long value);

}  // namespace SkinUI
