#pragma once

#include <QString>

#include <optional>

// Placement arithmetic for windows inside the main window's client area.
// Pure functions over rectangles and sizes: the window code only measures and
// applies. Everything here is in twips unless a name says pixels.

// A window rectangle as the platform reports it: edges, not width and height.
struct EdgeRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Pixels to twips in place; each edge rounded to the nearest, ties to even.
void RectToTwips(EdgeRect &rect, double twipsPerPixelX, double twipsPerPixelY);

// Rounding as the layout arithmetic uses it: to the nearest, ties to even.
int RoundEven(double value);

struct TwipPoint
{
    double left = 0;
    double top = 0;
};

// How DisplayForm shows a window, and where (the old program's codes as values).
enum class FormMode { Modeless = 0, Modal = 1 };
enum class FormPosition { Centre = 4, RightEdge = 7 };

// Where DisplayForm puts a window of width w and height h. `client` is the
// client area in the coordinate system the window is placed in, so the window
// lands over the middle of the area wherever the main window stands. Modal:
// centred, shifted 50 left and 50 down, or at the right edge. Modeless:
// centred 340 higher, or 75 inside the right edge.
TwipPoint DisplayFormPosition(FormMode mode, FormPosition position, const EdgeRect &client, double w, double h);

// The design client area working windows were drawn for.
inline constexpr int kDesignClientWidthPx = 800;
inline constexpr int kDesignClientHeightPx = 504;
// Snap distance to the client area's edges and the border allowances.
inline constexpr int kArrangeMargin = 60;
inline constexpr int kBorderAllowanceX = 67;
inline constexpr int kBorderAllowanceY = 60;

struct ArrangeInput
{
    int clientWidthPx = kDesignClientWidthPx; // scale factors come from the pixel size
    int clientHeightPx = kDesignClientHeightPx;
    EdgeRect client; // the same client area in twips
    double width = 0; // the window's current size
    double height = 0;
    double fontSize = 0; // points
    bool sizable = true; // fixed-size windows are scaled from their design size
    bool child = true; // a child of the main window (client coordinates) or top-level (screen)
};

struct ArrangeResult
{
    double fx = 1;
    double fy = 1;
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    double fontSize = 0;
    // What the anchored controls move or grow by.
    int dw = 0;
    int dh = 0;
};

// The first arrangement of a working window: scale, snap to the client area,
// centre, and the size change its controls follow.
ArrangeResult ArrangeGeometry(const ArrangeInput &in);

// Anchor codes tie a control's edges to the window's: X left, Y top, R right,
// B bottom, "_" free. They are tested in this order; the first found applies:
// "XYRB", "_YRB", "_YR_", "X__B", "__RB", "_Y_B" or "XY_B", "XYR_".
enum class Anchor { None, XYRB, YRB, YR, XB, RB, YB, XYR };

// The anchor code found in a control's Tag, ignoring letter case.
Anchor AnchorFromTag(const QString &tag);

struct ControlBox
{
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool operator==(const ControlBox &) const = default;
};

// The control's new box after the window changed size by dw, dh.
ControlBox ApplyAnchor(Anchor anchor, const ControlBox &box, int dw, int dh);

// The window's Tag marks a window that was already arranged.
inline const QString kArrangedMarker = QStringLiteral("R");
bool IsArranged(const QString &windowTag);
