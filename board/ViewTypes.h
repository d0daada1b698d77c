#pragma once

#include "board/core/ChessTypes.h"

#include <QColor>
#include <QFont>
#include <cstdint>
#include <functional>
#include <string>

// A colour as the board's properties hold it: an RGB value (0x00BBGGRR) or, with the top bit set,
// the index of a desktop system colour that is resolved when painting.
struct TColor {
    std::uint32_t Value = 0;
    friend constexpr bool operator==(TColor, TColor) = default;
};

constexpr TColor RGBColor(int r, int g, int b) {
    return TColor{static_cast<std::uint32_t>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16))};
}

inline constexpr std::uint32_t SystemColorFlag = 0x80000000u;
inline constexpr TColor clBlack = RGBColor(0, 0, 0);
inline constexpr TColor clOlive = RGBColor(128, 128, 0);
inline constexpr TColor clGray = RGBColor(128, 128, 128);
inline constexpr TColor clSilver = RGBColor(192, 192, 192);
inline constexpr TColor clWhite = RGBColor(255, 255, 255);
inline constexpr TColor clRed = RGBColor(255, 0, 0);
inline constexpr TColor clScrollBar = TColor{SystemColorFlag | 0};
inline constexpr TColor clBackground = TColor{SystemColorFlag | 1};
inline constexpr TColor clActiveCaption = TColor{SystemColorFlag | 2};
inline constexpr TColor clWindow = TColor{SystemColorFlag | 5};
inline constexpr TColor clWindowText = TColor{SystemColorFlag | 8};
inline constexpr TColor clActiveBorder = TColor{SystemColorFlag | 10};
inline constexpr TColor clInactiveBorder = TColor{SystemColorFlag | 11};
inline constexpr TColor clHighlight = TColor{SystemColorFlag | 13};
inline constexpr TColor clHighlightText = TColor{SystemColorFlag | 14};
inline constexpr TColor clBtnFace = TColor{SystemColorFlag | 15};
inline constexpr TColor clBtnShadow = TColor{SystemColorFlag | 16};
inline constexpr TColor clBtnText = TColor{SystemColorFlag | 18};
inline constexpr TColor clBtnHighlight = TColor{SystemColorFlag | 20};

// RGB colours map directly; system colours come from a fixed classic scheme, not the desktop theme.
QColor ResolveColor(TColor color);

enum class TPenStyle : std::uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
enum class TPenMode : std::uint8_t { pmCopy, pmNotCopy, pmXor, pmNot, pmBlack, pmWhite, pmNop };

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = TPenStyle::psSolid;
    TPenMode Mode = TPenMode::pmCopy;
    friend bool operator==(const TPen &, const TPen &) = default;
};

enum class TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };
enum TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Font attributes; Height is in pixels, negative for the character height without leading.
// Size in points is derived at 96 pixels per inch.
struct TFont {
    std::string Name = "Arial";
    int Height = -9;
    TColor Color = clBlack;
    std::uint8_t Style = 0;
    TFontPitch Pitch = TFontPitch::fpDefault;

    int Size() const;
    void SetSize(int points);
    friend bool operator==(const TFont &, const TFont &) = default;
};

// Metric-compatible free fonts stand in for the Windows core fonts.
QFont ResolveFont(const TFont &font);

enum class TCoord : std::uint8_t { West, North, East, South };

// Set of frame sides that carry labels: West bit 0, North bit 1, East bit 2, South bit 3.
class CoordSet {
  public:
    constexpr CoordSet() = default;
    constexpr CoordSet(std::initializer_list<TCoord> sides) {
        for (TCoord side : sides)
            bits_ = static_cast<std::uint8_t>(bits_ | Bit(side));
    }
    static constexpr CoordSet All() {
        return {TCoord::West, TCoord::North, TCoord::East, TCoord::South};
    }
    constexpr bool contains(TCoord side) const { return (bits_ & Bit(side)) != 0; }
    constexpr std::uint8_t Bits() const { return bits_; }
    friend constexpr bool operator==(CoordSet, CoordSet) = default;

  private:
    static constexpr std::uint8_t Bit(TCoord side) {
        return static_cast<std::uint8_t>(1u << static_cast<unsigned>(side));
    }
    std::uint8_t bits_ = 0;
};

enum class StandardSet : std::uint8_t { Size32, Size40, Size64, Size80 };

// Pointer shapes by the signed 16-bit identifiers the board's properties use.
using TCursor = std::int16_t;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;

Qt::CursorShape CursorShapeOf(TCursor cursor);

enum class TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

// Keys and buttons held during a mouse event.
using TShiftState = std::uint8_t;
inline constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16,
                             ssMiddle = 32, ssDouble = 64;

enum class TDragState : std::uint8_t { dsDragEnter, dsDragLeave, dsDragMove };
// Manual: the board's own press handling decides when a drag begins. Automatic: every left press
// begins one at once, and the press handler does not run.
enum class TDragMode : std::uint8_t { dmManual, dmAutomatic };

// A drag object an OnStartDrag handler may supply; it then stands as the Source of the drag.
// The handler keeps ownership and must keep it alive until the drag has ended.
class TDragObject : public TObject {};

using TMouseEvent =
    std::function<void(TObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject *Sender, TShiftState Shift, int X, int Y)>;
using TStartDragEvent = std::function<void(TObject *Sender, TDragObject *&DragObject)>;
using TDragOverEvent = std::function<void(TObject *Sender, TObject *Source, int X, int Y,
                                          TDragState State, bool &Accept)>;
using TDragDropEvent = std::function<void(TObject *Sender, TObject *Source, int X, int Y)>;
using TEndDragEvent = std::function<void(TObject *Sender, TObject *Target, int X, int Y)>;
