// Where the limits frame puts each level's controls, in twips relative to the frame. Up to
// order 3 every level has a column of its own; above 3 every level takes the one browse slot.
#pragma once

namespace vantrel {

struct LimitsColumn {
    int signLeft = 0;   // the integral sign's left edge; the column is placed by it
    int limitWidth = 0; // width of the upper- and lower-limit fields
    int LimitLeft() const { return signLeft + 270; }   // limit fields, "function of" label
    int VariableLeft() const { return signLeft + 60; } // variable label, subintervals
};

// The column of `level` (0 = innermost) for an integral of `order` (1 to 10).
LimitsColumn LimitsColumnFor(int order, int level);

// Orders above this one show one level at a time.
inline constexpr int MaxColumnOrder = 3;

// Tops of the per-level controls in the frame.
inline constexpr int SignTop = 720;
inline constexpr int UpperLimitTop = 810;
inline constexpr int FunctionOfTop = 1200;
inline constexpr int LowerLimitTop = 1560;
inline constexpr int OverVarTop = 1770;
inline constexpr int SubintervalsCaptionTop = 2070;
inline constexpr int SubintervalsTop = 2280;

// Sizes that do not depend on the order.
inline constexpr int LimitFieldHeight = 285;
inline constexpr int LevelLabelHeight = 255; // widths follow the text
inline constexpr int SubintervalsWidth = 1140;
inline constexpr int SubintervalsHeight = 285;
inline constexpr int SubintervalsCaptionWidth = 1560;
inline constexpr int SubintervalsCaptionHeight = 195;

// The sign row of browse mode: sign j (0 = leftmost, the outermost level) and the hint.
inline constexpr int SignRowTop = 1890;
inline constexpr int SignRowStep = 240;
inline constexpr int SignRowLeft(int j) {
    return 1800 + SignRowStep * j;
}
inline constexpr int ClickTipLeft = 4400;

} // namespace vantrel
