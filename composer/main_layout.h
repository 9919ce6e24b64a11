#pragma once

#include <QtGlobal>
#include <optional>

// Geometry of the main window: a fixed height, a minimum width, and the controls
// that stretch or move with the width W (outer width in pixels).
namespace main_layout {

inline constexpr int kHeight = 297;
inline constexpr int kMinWidth = 280;
inline constexpr int kDesignWidth = 297;
inline constexpr int kDesignLeft = 559;
inline constexpr int kDesignTop = 272;

// Whether the main window may take the outer size w × h.
bool canResize(int w, int h);

struct Values {
    int panel1Width;
    int panel3Left;
    int fieldWidth;  // the To and Subject fields
    int panel2Width;
    int memoWidth;
    std::optional<int> counterLeft;  // unset: the counter keeps its place
    int unitLabelLeft;
    int paletteLeft;
    int attachmentPanelWidth;
};

// The layout for width W with a byte counter text of `counterLength` characters.
Values forWidth(int w, qsizetype counterLength);

// Heights that follow the client area the window really has (below the menu bar):
// the design's 243 pixels without a caption, more where no window manager draws a
// frame, less under a tall one. The top panel and the status bar keep their heights.
inline constexpr int kTopPanelHeight = 49;
inline constexpr int kStatusBarHeight = 19;
struct Heights {
    int panel2Height;  // the body panel and the palette
    int memoHeight;
    int statusBarTop;
};
Heights forClientHeight(int clientHeight);

// The byte counter's box, right-aligned with its right edge next to the unit label
// whatever its text and font: from the layout rule's left (or where it stands, when the
// rule leaves it), reaching further left only when the text needs it.
struct Span {
    int left;
    int width;
};
Span counterSpan(int unitLabelLeft, int left, int textWidth);

}  // namespace main_layout
