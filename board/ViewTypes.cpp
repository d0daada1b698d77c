#include "board/ViewTypes.h"

#include <array>
#include <cstdlib>

namespace {

constexpr int PixelsPerInch = 96;
constexpr int PointsPerInch = 72;

// a * b / c rounded half away from zero, for non-negative arguments.
int ScaleRounded(int a, int b, int c) {
    return (2 * a * b + c) / (2 * c);
}

// The classic desktop scheme, fixed so the board looks the same on every desktop theme. The
// borders are the scheme's mid-grey, on which the white coordinate labels stay readable.
constexpr std::array<QRgb, 31> SystemColors = {
    qRgb(192, 192, 192), // scroll bar
    qRgb(0, 128, 128),   // desktop background
    qRgb(0, 0, 128),     // active caption
    qRgb(128, 128, 128), // inactive caption
    qRgb(192, 192, 192), // menu
    qRgb(255, 255, 255), // window
    qRgb(0, 0, 0),       // window frame
    qRgb(0, 0, 0),       // menu text
    qRgb(0, 0, 0),       // window text
    qRgb(255, 255, 255), // caption text
    qRgb(128, 128, 128), // active border
    qRgb(128, 128, 128), // inactive border
    qRgb(128, 128, 128), // application workspace
    qRgb(0, 0, 128),     // highlight
    qRgb(255, 255, 255), // highlighted text
    qRgb(192, 192, 192), // button face
    qRgb(128, 128, 128), // button shadow
    qRgb(128, 128, 128), // grey text
    qRgb(0, 0, 0),       // button text
    qRgb(192, 192, 192), // inactive caption text
    qRgb(255, 255, 255), // button highlight
    qRgb(64, 64, 64),    // 3D dark shadow
    qRgb(223, 223, 223), // 3D light
    qRgb(0, 0, 0),       // tooltip text
    qRgb(255, 255, 225), // tooltip background
    qRgb(0, 0, 0),       // (unused)
    qRgb(0, 0, 255),     // hot-tracked item
    qRgb(0, 0, 128),     // active caption gradient
    qRgb(128, 128, 128), // inactive caption gradient
    qRgb(0, 0, 128),     // menu highlight
    qRgb(192, 192, 192), // menu bar
};

} // namespace

QColor ResolveColor(TColor color) {
    if ((color.Value & SystemColorFlag) == 0)
        return QColor(static_cast<int>(color.Value & 0xFF),
                      static_cast<int>((color.Value >> 8) & 0xFF),
                      static_cast<int>((color.Value >> 16) & 0xFF));
    // An unknown index reads as black, as the desktop answers it.
    const std::uint32_t index = color.Value & 0xFF;
    return QColor(index < SystemColors.size() ? SystemColors[index] : qRgb(0, 0, 0));
}

int TFont::Size() const {
    return ScaleRounded(std::abs(Height), PointsPerInch, PixelsPerInch);
}

void TFont::SetSize(int points) {
    Height = -ScaleRounded(std::abs(points), PixelsPerInch, PointsPerInch);
}

QFont ResolveFont(const TFont &font) {
    QString family = QString::fromStdString(font.Name);
    if (family.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        family = QStringLiteral("Liberation Sans");
    else if (family.compare(QLatin1String("Times New Roman"), Qt::CaseInsensitive) == 0)
        family = QStringLiteral("Liberation Serif");
    else if (family.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
        family = QStringLiteral("Liberation Mono");
    QFont result(family);
    result.setPixelSize(std::max(1, std::abs(font.Height)));
    result.setBold((font.Style & fsBold) != 0);
    result.setItalic((font.Style & fsItalic) != 0);
    result.setUnderline((font.Style & fsUnderline) != 0);
    result.setStrikeOut((font.Style & fsStrikeOut) != 0);
    result.setFixedPitch(font.Pitch == TFontPitch::fpFixed);
    // Same pixels on every machine: no hinting differences from desktop settings, no smoothing.
    result.setHintingPreference(QFont::PreferFullHinting);
    result.setStyleStrategy(QFont::NoAntialias);
    return result;
}

Qt::CursorShape CursorShapeOf(TCursor cursor) {
    switch (cursor) {
    case crNone:
        return Qt::BlankCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
        return Qt::SizeHorCursor;
    case crUpArrow:
        return Qt::UpArrowCursor;
    case crHourGlass:
        return Qt::WaitCursor;
    case crDrag:
        return Qt::DragMoveCursor;
    case crNoDrop:
    case crNo:
        return Qt::ForbiddenCursor;
    case crHSplit:
        return Qt::SplitHCursor;
    case crVSplit:
        return Qt::SplitVCursor;
    case crMultiDrag:
        return Qt::DragCopyCursor;
    case crAppStart:
        return Qt::BusyCursor;
    case crHelp:
        return Qt::WhatsThisCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    case crSizeAll:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}
