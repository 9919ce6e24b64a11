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

}  // namespace main_layout
