#pragma once
// CTabLayoutUI: shows one child (page) at a time. The first visible page
// appended becomes the current page; every later page is hidden when appended.
// Only the current page is placed: at the inner rectangle's top-left plus the
// page's padding, with its wished size (0 = all the room there is), clamped to
// the page's minimum and maximum.
#include "ui/container_ui.h"

namespace SkinUI {

class CTabLayoutUI : public CContainerUI {
  public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetPos(RECT rect) override;

    bool Add(std::unique_ptr<CControlUI> control) override;
    bool AddAt(std::unique_ptr<CControlUI> control, int index) override;
    bool Remove(CControlUI* control) override;

    // -1 while the layout has no current page.
    int GetCurSel() const { return m_currentSel; }
    // False for an index outside the pages; true for the current page (nothing
    // else happens). Otherwise shows that page, hides the others, asks for a
    // new layout and, with `notify`, sends "tabselect" (wParam = new index,
    // lParam = old index) synchronously.
    bool SelectItem(int index, bool notify = true);

  private:
    int m_currentSel = -1;
};

}  // namespace SkinUI
