#pragma once
// The colours of the front window's artwork, as 0xRRGGBB. The skin library builds its palette
// from the same values so every window shares one look.

namespace pw::theme {

// Header: title bar, menu strip and toolbar.
inline constexpr unsigned kHeaderTop = 0x1e293b;
inline constexpr unsigned kHeaderBottom = 0x111a2e;
inline constexpr unsigned kHeaderRaised = 0x2b3a52;
inline constexpr unsigned kHeaderBorder = 0x3d4f6b;
inline constexpr unsigned kHeaderText = 0xf1f5f9;
inline constexpr unsigned kHeaderTextDim = 0x9fb0c6;
inline constexpr unsigned kOutline = 0x0a101c;

// The one accent colour, with a darker and a lighter tone.
inline constexpr unsigned kAccent = 0x0ea5e9;
inline constexpr unsigned kAccentDark = 0x0369a1;
inline constexpr unsigned kAccentLight = 0xbae6fd;

// Body: the light working area, panels and text on it.
inline constexpr unsigned kBody = 0xe8edf3;
inline constexpr unsigned kBodyShade = 0xd6dee8;
inline constexpr unsigned kPanel = 0xffffff;
inline constexpr unsigned kPanelBorder = 0xaab8c8;
inline constexpr unsigned kText = 0x1e293b;
inline constexpr unsigned kTextDim = 0x5b6b80;

// Close button hover.
inline constexpr unsigned kDanger = 0xe11d48;

} // namespace pw::theme
