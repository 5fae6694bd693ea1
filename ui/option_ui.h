#pragma once
// COptionUI: a selectable button; options that share a group name exclude
// each other (the group table lives in the window's CUIManager). CCheckBoxUI:
// an option without group, so each selection change stands alone.
#include <cstdint>

#include "ui/button_ui.h"

namespace SkinUI {

class COptionUI : public CButtonUI {
  public:
    ~COptionUI() override;
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetManager(CUIManager* manager, CControlUI* parent, bool init = true) override;
    // Disabling keeps only the selected bit.
    void SetEnabled(bool enabled) override;

    bool IsSelected() const { return (m_buttonState & kStateSelected) != 0; }
    // Nothing happens when the state does not change. Selecting an option of a
    // group deselects the others of the group (with the same notify flag); a
    // group option that is deselected only repaints. With `notify`,
    // "selectchanged" is sent synchronously.
    virtual void Selected(bool selected, bool notify = true);

    const std::wstring& GetGroup() const { return m_group; }
    void SetGroup(const std::wstring& group);
    const CImageAttribute& GetSelectedImage() const { return m_selectedImage; }
    const CImageAttribute& GetSelectedHotImage() const { return m_selectedHotImage; }
    uint32_t GetSelectedTextColor() const { return m_selectedTextColor; }
    uint32_t GetSelectedBkColor() const { return m_selectedBkColor; }

  protected:
    std::wstring m_group;
    CImageAttribute m_selectedImage;
    CImageAttribute m_selectedHotImage;
    uint32_t m_selectedTextColor = 0;
    uint32_t m_selectedBkColor = 0;
};

class CCheckBoxUI : public COptionUI {
  public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
};

}  // namespace SkinUI
