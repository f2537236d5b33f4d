#pragma once

#include <juce_graphics/juce_graphics.h>

#include <array>

// The editor's palette. Every colour is opaque; translucency is applied where
// a colour is used, with withAlpha.
namespace Col
{
inline const juce::Colour bg0 { 0xff0a0a0f };      // window background
inline const juce::Colour bg1 { 0xff05050a };      // raised surfaces: menus, call-outs, button fill
inline const juce::Colour bg2 { 0xff05050a };      // scroll-bar track, panel fills
inline const juce::Colour bg3 { 0xff05050a };      // fader well
inline const juce::Colour bgSunken { 0xff000000 }; // well behind the effect sections
inline const juce::Colour b0 { 0xff8a93a0 };       // outlines of window, menus, idle buttons
inline const juce::Colour b1 { 0xff565c66 };       // default borders, slider track, scroll-bar thumb
inline const juce::Colour b2 { 0xff2e323a };       // slider grooves, tap-count box
inline const juce::Colour t0 { 0xfff5f5fa };       // bright text
inline const juce::Colour t1 { 0xffb8c0cc };       // normal text
inline const juce::Colour t2 { 0xff6b7280 };       // dim text
inline const juce::Colour am { 0xffffd23d };       // amber accent (1)
inline const juce::Colour pu { 0xffb14eff };       // purple accent (2)
inline const juce::Colour te { 0xff2edd9e };       // teal accent (3)
inline const juce::Colour co { 0xffff8a3d };       // coral accent (4)
inline const juce::Colour bl { 0xff34c3ff };       // blue accent (5)
inline const juce::Colour wearRust { 0xffc65b1f }; // tape-wear drawing
inline const juce::Colour mg { 0xff7a8cff };       // accent 6, main-controls panel
inline const juce::Colour ax { 0xffffffff };       // axis-slider thumb, master fader
inline const juce::Colour axFill { 0xffd6dbe2 };   // axis-slider fill
inline const juce::Colour dw { 0xffffb300 };       // warm warning tone
inline const juce::Colour meterGreen { 0xff4cd964 };
inline const juce::Colour am_bg { 0xff241c05 };
inline const juce::Colour am_br { 0xffc79a2e };
inline const juce::Colour pu_bg { 0xff170b26 };
inline const juce::Colour pu_br { 0xff8a3adc };
inline const juce::Colour te_bg { 0xff08211a };
inline const juce::Colour te_br { 0xff219e73 };
inline const juce::Colour co_bg { 0xff271004 };
inline const juce::Colour co_br { 0xffc9631f };
inline const juce::Colour bl_bg { 0xff061c26 };
inline const juce::Colour bl_br { 0xff1f87b8 };
inline const juce::Colour mg_bg { 0xff250013 };
inline const juce::Colour mg_br { 0xffc22876 };
inline const juce::Colour twistBg { 0xff0d100e };    // Twist control background
inline const juce::Colour twistField { 0xff39ff88 }; // Twist control dot field
inline const juce::Colour twistGlow { 0xff78ffaa };  // Twist control glow

// The six accents (1 to 6) as background tint, border tint and accent colour;
// entry 0 of each table is accent 1.
inline const std::array<juce::Colour, 6> accentBackgrounds { am_bg, pu_bg, te_bg, co_bg, bl_bg, mg_bg };
inline const std::array<juce::Colour, 6> accentBorders { am_br, pu_br, te_br, co_br, bl_br, mg_br };
inline const std::array<juce::Colour, 6> accentColours { am, pu, te, co, bl, mg };
} // namespace Col
