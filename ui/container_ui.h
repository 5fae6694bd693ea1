#pragma once
// CContainerUI: a control that owns an ordered list of child controls and
// destroys them with itself. It keeps the container settings of a skin
// (inset, child padding, child alignment, mouse-to-children flag); its own
// layout gives every visible child the inner rectangle minus the child's
// padding. The vertical, horizontal and tab layouts place children their way.
#include <memory>
#include <vector>

#include "ui/control_ui.h"

namespace SkinUI {

// Child alignment values: "childalign" (vertical layouts), "childvalign"
// (horizontal layouts).
enum ChildAlign : int {
    kAlignLeft = 0,
    kAlignCenter = 1,
    kAlignRight = 2,
    kAlignTop = 0,
    kAlignVCenter = 4,
    kAlignBottom = 8,
};

class CContainerUI : public CControlUI {
  public:
    CContainerUI();
    ~CContainerUI() override;

    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetManager(CUIManager* manager, CControlUI* parent, bool init = true) override;
    void SetPos(RECT rect) override;

    // Appends a child (taking ownership). False only for a null control.
    virtual bool Add(std::unique_ptr<CControlUI> control);
    // Inserts at `index` (0..count); false outside that range.
    virtual bool AddAt(std::unique_ptr<CControlUI> control, int index);
    // Destroys the child; false when it is not a child.
    virtual bool Remove(CControlUI* control);
    void RemoveAll();
    int GetCount() const { return static_cast<int>(m_items.size()); }
    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(const CControlUI* control) const;

    const RECT& GetInset() const { return m_inset; }
    void SetInset(RECT inset);
    int GetChildPadding() const { return m_childPadding; }
    void SetChildPadding(int padding);
    int GetChildAlign() const { return m_childAlign; }
    int GetChildVAlign() const { return m_childVAlign; }
    bool IsMouseChildEnabled() const { return m_mouseChild; }

  protected:
    // The rectangle minus the inset (never inverted).
    RECT InnerRect(const RECT& rect) const;
    // Places a floating child at its fixed position relative to this
    // container's top-left corner.
    void SetFloatPos(CControlUI* child);

    std::vector<std::unique_ptr<CControlUI>> m_items;
    RECT m_inset{0, 0, 0, 0};
    int m_childPadding = 0;
    int m_childAlign = kAlignLeft;
    int m_childVAlign = kAlignTop;
    bool m_mouseChild = true;
};

}  // namespace SkinUI
