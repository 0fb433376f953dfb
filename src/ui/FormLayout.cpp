#include "FormLayout.h"

#include <cfenv>
#include <cmath>

int RoundEven(double value)
{
    // nearbyint rounds in the current mode; the default mode is to nearest, ties to even.
    const int old = std::fegetround();
    if (old != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    if (old != FE_TONEAREST)
        std::fesetround(old);
    return int(r);
}

void RectToTwips(EdgeRect &rect, double twipsPerPixelX, double twipsPerPixelY)
{
    rect.left = RoundEven(rect.left * twipsPerPixelX);
    rect.right = RoundEven(rect.right * twipsPerPixelX);
    rect.top = RoundEven(rect.top * twipsPerPixelY);
    rect.bottom = RoundEven(rect.bottom * twipsPerPixelY);
}

TwipPoint DisplayFormPosition(FormMode mode, FormPosition position, const EdgeRect &client, double w, double h)
{
    const double centreX = (double(client.left) + client.right) / 2;
    const double centreY = (double(client.top) + client.bottom) / 2;
    const bool centre = position == FormPosition::Centre;
    if (mode == FormMode::Modal)
        return centre ? TwipPoint{centreX - w / 2 - 50, centreY - h / 2 + 50}
                      : TwipPoint{client.right - w, centreY - h / 2};
    return centre ? TwipPoint{centreX - w / 2, centreY - h / 2 - 340}
                  : TwipPoint{client.right - w - 75, centreY - h / 2 - 340};
}

ArrangeResult ArrangeGeometry(const ArrangeInput &in)
{
    ArrangeResult r;
    r.fx = double(in.clientWidthPx) / kDesignClientWidthPx;
    r.fy = double(in.clientHeightPx) / kDesignClientHeightPx;
    const int w0 = RoundEven(in.width);
    const int h0 = RoundEven(in.height);
    const double cw = double(in.client.right) - in.client.left;
    const double ch = double(in.client.bottom) - in.client.top;

    r.width = in.width;
    r.height = in.height;
    r.fontSize = in.fontSize;
    if (!in.sizable) {
        r.width *= r.fx;
        r.height *= r.fy;
        r.fontSize *= r.fy;
    }

    if (in.child) {
        // A window about as large as the client area fills it, less the
        // margin. So does a taller one: its lower part, where the buttons
        // are, would otherwise lie below the area.
        const int toleranceX = RoundEven(kArrangeMargin * r.fx);
        const int toleranceY = RoundEven(kArrangeMargin * r.fy);
        if (std::fabs(r.width - cw) <= toleranceX)
            r.width = cw - kArrangeMargin;
        if (r.height - ch >= -toleranceY)
            r.height = ch - kArrangeMargin;
        r.left = (cw - r.width) / 2;
        r.top = (ch - r.height) / 2;
        if (r.left <= kArrangeMargin)
            r.left = 0;
        if (r.top <= kArrangeMargin)
            r.top = 0;
    } else {
        r.left = in.client.left + (cw - r.width) / 2;
        r.top = in.client.top + (ch - r.height) / 2;
    }

    r.dw = RoundEven(r.width - kBorderAllowanceX) - w0;
    r.dh = RoundEven(r.height - kBorderAllowanceY) - h0;
    return r;
}

Anchor AnchorFromTag(const QString &tag)
{
    const QString t = tag.toUpper();
    auto has = [&t](const char *code) { return t.contains(QLatin1String(code)); };
    if (has("XYRB"))
        return Anchor::XYRB;
    if (has("_YRB"))
        return Anchor::YRB;
    if (has("_YR_"))
        return Anchor::YR;
    if (has("X__B"))
        return Anchor::XB;
    if (has("__RB"))
        return Anchor::RB;
    if (has("_Y_B") || has("XY_B"))
        return Anchor::YB;
    if (has("XYR_"))
        return Anchor::XYR;
    return Anchor::None;
}

ControlBox ApplyAnchor(Anchor anchor, const ControlBox &box, int dw, int dh)
{
    // Per anchor, in its order: whether the window's growth moves the left and
    // top edges, and whether it widens and heightens the control.
    struct Follow
    {
        bool left, top, width, height;
    };
    static const Follow follows[] = {{false, false, false, false}, {false, false, true, true},
                                     {true, false, false, true},   {true, false, false, false},
                                     {false, true, false, false},  {true, true, false, false},
                                     {false, false, false, true},  {false, false, true, false}};
    const Follow f = follows[int(anchor)];
    ControlBox b = box;
    b.left += f.left ? dw : 0;
    b.top += f.top ? dh : 0;
    b.width += f.width ? dw : 0;
    b.height += f.height ? dh : 0;
    return b;
}

bool IsArranged(const QString &windowTag)
{
    return windowTag.contains(kArrangedMarker, Qt::CaseInsensitive);
}
