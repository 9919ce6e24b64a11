#include "composer/main_layout.h"

#include <algorithm>

namespace main_layout {

bool canResize(int w, int h) {
    bool ok = true;
    if (h != kHeight) {
        ok = false;
    }
    if (w < kMinWidth) {
        ok = false;
    }
    return ok;
}

Values forWidth(int w, qsizetype counterLength) {
    Values v{};
    v.panel1Width = w - 42;
    v.panel3Left = w - 42;
    v.fieldWidth = w - 110;
    v.panel2Width = w - 144;
    v.memoWidth = w - 155;
    // The counter is right-aligned against the unit label for up to three digits.
    switch (counterLength) {
        case 1:
            v.counterLeft = w - 185;
            break;
        case 2:
            v.counterLeft = w - 190;
            break;
        case 3:
            v.counterLeft = w - 195;
            break;
        default:
            break;
    }
    v.unitLabelLeft = w - 179;
    v.paletteLeft = w - 144;
    v.attachmentPanelWidth = w - 188;
    return v;
}

Heights forClientHeight(int clientHeight) {
    constexpr int kMemoTop = 16;
    constexpr int kMemoBottomGap = 6;
    Heights h{};
    h.panel2Height =
        std::max(kMemoTop + kMemoBottomGap + 20, clientHeight - kTopPanelHeight - kStatusBarHeight);
    h.memoHeight = h.panel2Height - kMemoTop - kMemoBottomGap;
    h.statusBarTop = clientHeight - kStatusBarHeight;
    return h;
}

Span counterSpan(int unitLabelLeft, int left, int textWidth) {
    const int right = unitLabelLeft;  // one past the counter's last pixel
    const int start = std::min(left, right - textWidth);
    return {start, right - start};
}

}  // namespace main_layout
