#include "ui/vertical_layout_ui.h"

#include <algorithm>
#include <vector>

namespace SkinUI {

int ClampToRange(long long value, int minimum, int maximum) {
    if (maximum < minimum) maximum = minimum;
    return static_cast<int>(std::clamp<long long>(value, minimum, maximum));
}

LONG ToCoordinate(long long value) {
    return static_cast<LONG>(std::clamp<long long>(value, -(1LL << 30), 1LL << 30));
}

const wchar_t* CVerticalLayoutUI::GetClass() const { return L"VerticalLayout"; }

void* CVerticalLayoutUI::GetInterface(const std::wstring& name) {
    if (name == L"VerticalLayout") return this;
    return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(RECT rect) {
    CControlUI::SetPos(rect);
    const RECT inner = InnerRect(m_rect);
    const long long innerWidth = inner.right - inner.left;
    const long long innerHeight = inner.bottom - inner.top;

    // First pass: what the children with a height wish need.
    struct Need {
        bool placed = false;      // visible and not floating
        bool adjustable = false;  // no height wish
        long long need = 0;       // wished height (0 when adjustable) + vertical padding
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
        wCap = std::min<long long>(wCap, innerWidth - p.left - p.right);
        long long hCap = child->GetFixedHeight() ? child->GetFixedHeight() : child->GetMaxHeight();
        hCap = std::min<long long>(hCap, innerHeight);
        SIZE est = child->EstimateSize(SIZE{static_cast<LONG>(std::max<long long>(wCap, 0)),
                                            static_cast<LONG>(std::max<long long>(hCap, 0))});
        Need& n = needs[i];
        n.placed = true;
        long long height = 0;
        if (est.cy == 0) {
            n.adjustable = true;
            ++adjustables;
        } else {
            height = ClampToRange(est.cy, child->GetMinHeight(), child->GetMaxHeight());
        }
        n.need = height + p.top + p.bottom;
        fixedSum += n.need;
        ++counted;
    }
    if (counted > 0) fixedSum += static_cast<long long>(counted - 1) * m_childPadding;
    const long long share =
        adjustables > 0 ? std::max<long long>(0, (innerHeight - fixedSum) / adjustables) : 0;

    // What the children after position i still need (their wishes, paddings and gaps).
    std::vector<long long> stillNeeded(m_items.size() + 1, 0);
    for (size_t i = m_items.size(); i-- > 0;) {
        stillNeeded[i] =
            stillNeeded[i + 1] + (needs[i].placed ? needs[i].need + m_childPadding : 0);
    }

    // Second pass: place them.
    long long y = inner.top;
    long long remaining = innerHeight;
    int adjustablesSeen = 0;
    for (size_t i = 0; i < m_items.size(); ++i) {
        CControlUI* child = m_items[i].get();
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            SetFloatPos(child);
            continue;
        }
        const RECT& p = child->GetPadding();
        remaining -= p.top;
        long long wCap = child->GetFixedWidth() ? child->GetFixedWidth() : child->GetMaxWidth();
        wCap = std::min<long long>(wCap, innerWidth - p.left - p.right);
        long long hCap = child->GetFixedHeight() ? child->GetFixedHeight() : child->GetMaxHeight();
        hCap = std::min<long long>(hCap, remaining);
        const SIZE est = child->EstimateSize(SIZE{static_cast<LONG>(std::max<long long>(wCap, 0)),
                                                  static_cast<LONG>(std::max<long long>(hCap, 0))});
        long long height;
        if (est.cy == 0) {
            ++adjustablesSeen;
            height = share;
            if (adjustablesSeen == adjustables) {
                height = std::max<long long>(0, remaining - p.bottom - stillNeeded[i + 1]);
            }
        } else {
            height = est.cy;
        }
        height = ClampToRange(height, child->GetMinHeight(), child->GetMaxHeight());

        long long width =
            child->GetFixedWidth() ? child->GetFixedWidth() : innerWidth - p.left - p.right;
        width = std::max<long long>({width, 0, child->GetMinWidth()});
        long long x;
        if (m_childAlign == kAlignCenter) {
            x = inner.left + (innerWidth - width) / 2;
        } else if (m_childAlign == kAlignRight) {
            x = inner.right - p.right - width;
        } else {
            x = inner.left + p.left;
        }
        const long long top = y + p.top;
        child->SetPos(RECT{ToCoordinate(x), ToCoordinate(top), ToCoordinate(x + width),
                           ToCoordinate(top + height)});
        y += p.top + height + p.bottom + m_childPadding;
        remaining -= height + p.bottom + m_childPadding;
    }
}

}  // namespace SkinUI
