#pragma once

#include <QColor>

// The program's named colours. The artwork generator (resources/art/generate.py)
// reads the same constants, so pictures and painted widgets share one palette.
namespace Palette {

// Sidebar and its veil.
constexpr QRgb SidebarBackground = 0xffe1edf8;   // 225, 237, 248
constexpr QRgb SelectionTop = 0xff036bb9;        // 3, 107, 185
constexpr QRgb SelectionBottom = 0xff5da1dc;     // 93, 161, 220 (drawn at 0.9 opacity)
constexpr QRgb VeilFill = 0x96e6edf6;            // 230, 237, 246 at alpha 150
constexpr QRgb SidebarText = 0xff000000;
constexpr QRgb SelectedText = 0xffffffff;

// Toolbars and headers: the grey gradient of the page toolbars.
constexpr QRgb ToolbarTop = 0xffe1e1e1;
constexpr QRgb ToolbarBottom = 0xffc1c1c1;

// Artwork: the brand blue, its dark and light shades, the neutral greys.
constexpr QRgb Brand = 0xff036bb9;
constexpr QRgb BrandDark = 0xff024f8a;
constexpr QRgb BrandLight = 0xff5da1dc;
constexpr QRgb Ink = 0xff34495e;
constexpr QRgb InkLight = 0xff8796a5;
constexpr QRgb Paper = 0xfffafafa;
constexpr QRgb Line = 0xffcfd2d7;
constexpr QRgb Accent = 0xffe8742a;
constexpr QRgb Danger = 0xffc0392b;

inline QColor color(QRgb rgba)
{
    return QColor::fromRgba(rgba);
}

} // namespace Palette
