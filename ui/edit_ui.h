#pragma once
// CEditUI: a single-line text entry. Keeps the entry settings (read-only,
// password, maximum length); the native edit window that edits the text comes
// with input handling.
#include "ui/label_ui.h"

namespace SkinUI {

class CEditUI : public CLabelUI {
  public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    // Fixed width and height, a missing height becoming the font's text height + 8.
    SIZE EstimateSize(SIZE available) override;

    bool IsReadOnly() const { return m_readOnly; }
    bool IsPassword() const { return m_password; }
    int GetMaxChar() const { return m_maxChar; }

  private:
    bool m_readOnly = false;
    bool m_password = false;
    int m_maxChar = 255;
};

}  // namespace SkinUI
