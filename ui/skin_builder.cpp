#include "ui/skin_builder.h"

#include <algorithm>

#include "ui/attribute_values.h"
#include "ui/button_ui.h"
#include "ui/container_ui.h"
#include "ui/edit_ui.h"
#include "ui/horizontal_layout_ui.h"
#include "ui/label_ui.h"
#include "ui/option_ui.h"
#include "ui/progress_ui.h"
#include "ui/skin_resources.h"
#include "ui/tab_layout_ui.h"
#include "ui/ui_manager.h"
#include "ui/vertical_layout_ui.h"
#include "utils/debug_log.h"

namespace SkinUI {
namespace {

std::wstring Str(std::wstring_view view) { return std::wstring(view); }

bool Is(std::wstring_view name, const wchar_t* word) { return EqualsNoCase(Str(name), word); }

bool IsResourceElement(std::wstring_view name) {
    return Is(name, L"Image") || Is(name, L"Font") || Is(name, L"Default") ||
           Is(name, L"MultiLanguage");
}

}  // namespace

std::unique_ptr<CControlUI> CreateBuiltinControl(const std::wstring& className) {
    if (EqualsNoCase(className, L"Control")) return std::make_unique<CControlUI>();
    if (EqualsNoCase(className, L"VerticalLayout") || EqualsNoCase(className, L"VBox")) {
        return std::make_unique<CVerticalLayoutUI>();
    }
    if (EqualsNoCase(className, L"HorizontalLayout") || EqualsNoCase(className, L"HBox")) {
        return std::make_unique<CHorizontalLayoutUI>();
    }
    if (EqualsNoCase(className, L"TabLayout")) return std::make_unique<CTabLayoutUI>();
    if (EqualsNoCase(className, L"Label")) return std::make_unique<CLabelUI>();
    if (EqualsNoCase(className, L"Button")) return std::make_unique<CButtonUI>();
    if (EqualsNoCase(className, L"Option")) return std::make_unique<COptionUI>();
    if (EqualsNoCase(className, L"CheckBox")) return std::make_unique<CCheckBoxUI>();
    if (EqualsNoCase(className, L"Edit")) return std::make_unique<CEditUI>();
    if (EqualsNoCase(className, L"Progress")) return std::make_unique<CProgressUI>();
    return nullptr;
}

CSkinBuilder::CSkinBuilder(const CSkinResources& resources) : m_resources(resources) {}

std::unique_ptr<CControlUI> CSkinBuilder::Create(const std::wstring& skin,
                                                 IDialogBuilderCallback* callback,
                                                 CUIManager* manager, CControlUI* parent) {
    m_callback = callback;
    m_firstBuilt = nullptr;
    m_controlsBuilt = 0;
    m_includes = 0;
    m_errorMessage.clear();
    m_errorLocation.clear();
    return CreateNested(skin, manager, parent, 0);
}

std::unique_ptr<CControlUI> CSkinBuilder::CreateNested(const std::wstring& skin,
                                                       CUIManager* manager, CControlUI* parent,
                                                       int depth) {
    CSkinMarkup markup;
    m_lastLoadOk = markup.LoadFromSkin(m_resources, skin);
    if (!m_lastLoadOk) {
        m_errorMessage = markup.LastErrorMessage();
        m_errorLocation = markup.LastErrorLocation();
        DEBUG_LOG_LINE(L"CSkinBuilder::Create", L"%s (%s)", m_errorMessage.c_str(),
                       m_errorLocation.c_str());
        return nullptr;
    }
    const CMarkupNode root = markup.GetRoot();
    LoadResources(root, manager);
    std::unique_ptr<CControlUI> owned;
    CControlUI* first = BuildChildren(root, parent, manager, depth, parent ? nullptr : &owned);
    if (!m_firstBuilt) m_firstBuilt = first;
    return owned;
}

void CSkinBuilder::LoadResources(const CMarkupNode& root, CUIManager* manager) {
    if (!manager) return;
    for (CMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const std::wstring_view name = node.GetName();
        if (Is(name, L"Image")) {
            const std::wstring file = Str(node.GetAttributeValueNoCase(L"name"));
            const std::wstring type = Str(node.GetAttributeValueNoCase(L"restype"));
            const uint32_t mask = ParseColour(Str(node.GetAttributeValueNoCase(L"mask")));
            const bool shared = ParseBoolNoCase(Str(node.GetAttributeValueNoCase(L"shared")));
            if (!file.empty()) manager->Pictures().Add(file, type, mask, shared);
        } else if (Is(name, L"Font")) {
            const int id =
                static_cast<int>(ParseInteger(Str(node.GetAttributeValueNoCase(L"id", L"-1"))));
            const std::wstring face = Str(node.GetAttributeValueNoCase(L"name"));
            const int size = static_cast<int>(std::clamp<long>(
                ParseInteger(Str(node.GetAttributeValueNoCase(L"size", L"12"))), 1, 4096));
            auto flag = [&](const wchar_t* attr) {
                return ParseBoolNoCase(Str(node.GetAttributeValueNoCase(attr)));
            };
            manager->AddFont(id, face, size, flag(L"bold"), flag(L"underline"), flag(L"italic"),
                             flag(L"default"));
        } else if (Is(name, L"Default")) {
            const std::wstring word = Str(node.GetAttributeValueNoCase(L"name"));
            const std::wstring list = Str(node.GetAttributeValueNoCase(L"value"));
            if (!word.empty()) manager->AddDefaultAttributeList(word, list);
        } else if (Is(name, L"MultiLanguage")) {
            const int id = static_cast<int>(ParseInteger(Str(node.GetAttributeValueNoCase(L"id"))));
            manager->AddMultiLanguageString(id, Str(node.GetAttributeValueNoCase(L"value")));
        }
    }
    if (Is(root.GetName(), L"Window") && manager->GetPaintWindow()) {
        for (size_t i = 0; i < root.GetAttributeCount(); ++i) {
            manager->SetWindowAttribute(Str(root.GetAttributeName(i)),
                                        Str(root.GetAttributeValue(i)));
        }
    }
}

CControlUI* CSkinBuilder::BuildChildren(const CMarkupNode& node, CControlUI* parent,
                                        CUIManager* manager, int depth,
                                        std::unique_ptr<CControlUI>* root) {
    if (depth > kMaxDepth) {
        DEBUG_LOG_LINE(L"CSkinBuilder::Create", L"elements nested deeper than %d skipped",
                       kMaxDepth);
        return nullptr;
    }
    CControlUI* first = nullptr;
    for (CMarkupNode child = node.GetChild(); child.IsValid(); child = child.GetSibling()) {
        if (BudgetExhausted()) {
            DEBUG_LOG_LINE(L"CSkinBuilder::Create", L"more than %d controls; rest skipped",
                           kMaxControls);
            break;
        }
        const std::wstring className = Str(child.GetName());
        if (IsResourceElement(className)) continue;
        if (EqualsNoCase(className, L"Include")) {
            const long count = ParseInteger(Str(child.GetAttributeValueNoCase(L"count", L"1")));
            const std::wstring source = Str(child.GetAttributeValueNoCase(L"source"));
            for (long i = 0; i < count && !BudgetExhausted(); ++i) {
                // Every inclusion counts against the budget, so a large count of
                // a file that builds nothing still ends.
                if (depth + 1 > kMaxDepth || ++m_includes > kMaxIncludes) break;
                auto built = CreateNested(source, manager, parent, depth + 1);
                if (!m_lastLoadOk) break;
                if (!parent && root && built && !*root) {
                    *root = std::move(built);
                    if (!first) first = root->get();
                }
            }
            continue;
        }
        std::unique_ptr<CControlUI> control = CreateBuiltinControl(className);
        if (!control && m_callback) control = m_callback->CreateControl(className);
        if (!control) continue;
        ++m_controlsBuilt;
        CControlUI* raw = control.get();
        if (child.HasChildren()) BuildChildren(child, raw, manager, depth + 1, nullptr);

        if (parent) {
            if (ParseBoolNoCase(Str(child.GetAttributeValue(L"cover")))) {
                parent->SetCover(std::move(control));
            } else {
                auto* container = static_cast<CContainerUI*>(parent->GetInterface(L"IContainer"));
                if (!container) break;  // no place for this control or its siblings
                if (!container->Add(std::move(control))) continue;
            }
        } else {
            if (!root || *root) break;  // one root per skin
            *root = std::move(control);
        }
        ApplyAttributes(raw, child, parent, manager);
        if (!first) first = raw;
    }
    return first;
}

void CSkinBuilder::ApplyAttributes(CControlUI* control, const CMarkupNode& node, CControlUI* parent,
                                   CUIManager* manager) {
    if (manager) {
        control->SetManager(manager, parent, false);
        if (const std::wstring* list = manager->GetDefaultAttributeList(control->GetClass())) {
            control->ApplyAttributeList(*list);
        }
    }
    for (size_t i = 0; i < node.GetAttributeCount(); ++i) {
        control->SetAttribute(Str(node.GetAttributeName(i)), Str(node.GetAttributeValue(i)));
    }
    if (manager) control->SetManager(nullptr, parent, false);
}

}  // namespace SkinUI
