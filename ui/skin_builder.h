#pragma once
// CSkinBuilder turns a skin file into a tree of controls: it registers the
// skin's pictures, fonts, "Default" lists and interface strings with the
// window's CUIManager, applies the Window element's attributes when the
// manager has its native window, and builds the controls of the root's
// children. The returned root belongs to the caller (normally handed to
// CUIManager::AttachRoot).
//
// Hostile skins stay bounded: elements nested deeper than kMaxDepth, controls
// beyond kMaxControls and inclusions beyond kMaxIncludes per build are skipped.
#include <memory>
#include <string>

#include "ui/control_ui.h"
#include "ui/skin_markup.h"

namespace SkinUI {

class CSkinResources;
class CUIManager;

// The window's hook for element names the builder does not know.
class IDialogBuilderCallback {
  public:
    virtual ~IDialogBuilderCallback() = default;
    virtual std::unique_ptr<CControlUI> CreateControl(const std::wstring& className) = 0;
};

// A control of the builder's own vocabulary by element name (without regard to
// case): Control, VerticalLayout/VBox, HorizontalLayout/HBox, TabLayout,
// Label, Button, Option, CheckBox, Edit, Progress. Null for any other name.
std::unique_ptr<CControlUI> CreateBuiltinControl(const std::wstring& className);

class CSkinBuilder {
  public:
    static constexpr int kMaxDepth = 100;
    static constexpr int kMaxControls = 100000;
    static constexpr int kMaxIncludes = 1000;

    explicit CSkinBuilder(const CSkinResources& resources);

    // Builds `skin` (a file name, or XML text starting with "<"). With a
    // `parent`, the built controls are appended to it and the first one is
    // returned without ownership (the returned pointer is then empty and
    // FirstBuilt() names it). Null when the file cannot be read or parsed.
    std::unique_ptr<CControlUI> Create(const std::wstring& skin, IDialogBuilderCallback* callback,
                                       CUIManager* manager, CControlUI* parent = nullptr);
    // The first control built by the last Create.
    CControlUI* FirstBuilt() const { return m_firstBuilt; }
    // The parser's last error text and location (up to 49 characters).
    const std::wstring& LastErrorMessage() const { return m_errorMessage; }
    const std::wstring& LastErrorLocation() const { return m_errorLocation; }
    bool BudgetExhausted() const { return m_controlsBuilt >= kMaxControls; }

  private:
    std::unique_ptr<CControlUI> CreateNested(const std::wstring& skin, CUIManager* manager,
                                             CControlUI* parent, int depth);
    void LoadResources(const CMarkupNode& root, CUIManager* manager);
    // Builds the children of `node` into `parent` (or, without a parent,
    // keeps the first one in `root`). Answers the first control built.
    CControlUI* BuildChildren(const CMarkupNode& node, CControlUI* parent, CUIManager* manager,
                              int depth, std::unique_ptr<CControlUI>* root);
    void ApplyAttributes(CControlUI* control, const CMarkupNode& node, CControlUI* parent,
                         CUIManager* manager);

    const CSkinResources& m_resources;
    IDialogBuilderCallback* m_callback = nullptr;
    CControlUI* m_firstBuilt = nullptr;
    int m_controlsBuilt = 0;
    int m_includes = 0;
    bool m_lastLoadOk = false;
    std::wstring m_errorMessage;
    std::wstring m_errorLocation;
};

}  // namespace SkinUI
