#include "ui/horizontal_layout_ui.h"

#include <algorithm>
#include <vector>

#include "ui/vertical_layout_ui.h"

namespace SkinUI {

const wchar_t* CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayout"; }

void* CHorizontalLayoutUI::GetInterface(const std::wstring& name) {
    if (name == L"HorizontalLayout") return this;
    return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(RECT rect) {
    CControlUI::SetPos(rect);
    const RECT inner = InnerRect(m_rect);
    const long long innerWidth = inner.right - inner.left;
    const long long innerHeight = inner.bottom - inner.top;

    struct Need {
        bool placed = false;
        bool adjustable = false;
        long long need = 0;  // wished width (0 when adjustable) + horizontal padding
    };
    std::vector<Need> needs(m_items.size());
    long long fixedSum = 0;
    int adjustables = 0;
    int counted = 0;
    for (size_t i = 0; i < m_items.size(); ++i) {
        CControlUI* child = m_items[i].get();
        if (!child->IsVisible() || child->IsFloat()) continue;
        const RECT& p = child->GetPadding();
        long long wCap = child->GetFixedWidth() ? child->GetFixedWidth() : child->GetMaxWidth();
        wCap = std::min<long long>(wCap, innerWidth);
        long long hCap = child->GetFixedHeight() ? child->GetFixedHeight() : child->GetMaxHeight();
        hCap = std::min<long long>(hCap, innerHeight - p.top - p.bottom);
        const SIZE est = child->EstimateSize(SIZE{static_cast<LONG>(std::max<long long>(wCap, 0)),
                                                  static_cast<LONG>(std::max<long long>(hCap, 0))});
        Need& n = needs[i];
        n.placed = true;
        long long width = 0;
        if (child->GetFixedWidth() == 0 || est.cx == 0) {
            n.adjustable = true;
            ++adjustables;
        } else {
            width = ClampToRange(est.cx, child->GetMinWidth(), child->GetMaxWidth());
        }
        n.need = width + p.left + p.right;
        fixedSum += n.need;
        ++counted;
    }
    if (counted > 0) fixedSum += static_cast<long long>(counted - 1) * m_childPadding;
    const long long share =
        adjustables > 0 ? std::max<long long>(0, (innerWidth - fixedSum) / adjustables) : 0;

    std::vector<long long> stillNeeded(m_items.size() + 1, 0);
    for (size_t i = m_items.size(); i-- > 0;) {
        stillNeeded[i] =
            stillNeeded[i + 1] + (needs[i].placed ? needs[i].need + m_childPadding : 0);
    }

    long long x = inner.left;
    long long remaining = innerWidth;
    int adjustablesSeen = 0;
    for (size_t i = 0; i < m_items.size(); ++i) {
        CControlUI* child = m_items[i].get();
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            SetFloatPos(child);
            continue;
        }
        const RECT& p = child->GetPadding();
        remaining -= p.left;
        long long width;
        if (needs[i].adjustable) {
            ++adjustablesSeen;
            width = share;
            if (adjustablesSeen == adjustables) {
                width = std::max<long long>(0, remaining - p.right - stillNeeded[i + 1]);
            }
        } else {
            long long wCap = child->GetFixedWidth() ? child->GetFixedWidth() : child->GetMaxWidth();
            wCap = std::min<long long>(wCap, remaining);
            long long hCap =
                child->GetFixedHeight() ? child->GetFixedHeight() : child->GetMaxHeight();
            hCap = std::min<long long>(hCap, innerHeight - p.top - p.bottom);
            const SIZE est =
                child->EstimateSize(SIZE{static_cast<LONG>(std::max<long long>(wCap, 0)),
                                         static_cast<LONG>(std::max<long long>(hCap, 0))});
            width = est.cx;
        }
        width = ClampToRange(width, child->GetMinWidth(), child->GetMaxWidth());

        long long height =
            child->GetFixedHeight() ? child->GetFixedHeight() : innerHeight - p.top - p.bottom;
        height = std::max<long long>({height, 0, child->GetMinHeight()});
        long long top;
        if (m_childVAlign == kAlignVCenter) {
            top = inner.top + (innerHeight - height) / 2;
        } else if (m_childVAlign == kAlignBottom) {
            top = inner.bottom - p.bottom - height;
        } else {
            top = inner.top + p.top;
        }
        const long long left = x + p.left;
        child->SetPos(RECT{ToCoordinate(left), ToCoordinate(top), ToCoordinate(left + width),
                           ToCoordinate(top + height)});
        x += p.left + width + p.right + m_childPadding;
        remaining -= width + p.right + m_childPadding;
    }
}

}  // namespace SkinUI
