#pragma once
// Text metrics with round numbers for layout tests: every character is 7
// pixels wide, every line 16 pixels high; wrapping breaks between characters.
#include "ui/text_measure.h"

namespace TestSupport {

class FixedMeasure : public SkinUI::ITextMeasure {
  public:
    static constexpr int kCharWidth = 7;
    static constexpr int kLineHeight = 16;
    int TextHeight(int) override { return kLineHeight; }
    SIZE Measure(int, const std::wstring& text, int width, bool multiline) override {
        const int chars = static_cast<int>(text.size());
        if (chars == 0) return SIZE{0, 0};
        if (!multiline) return SIZE{chars * kCharWidth, kLineHeight};
        const int perLine = width / kCharWidth > 0 ? width / kCharWidth : 1;
        const int lines = (chars + perLine - 1) / perLine;
        return SIZE{(chars < perLine ? chars : perLine) * kCharWidth, lines * kLineHeight};
    }
};

}  // namespace TestSupport
