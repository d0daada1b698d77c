#include "ViewTypes.h"

#include <QApplication>
#include <QPalette>
#include <cstdlib>

namespace {

constexpr int PixelsPerInch = 96;
constexpr int PointsPerInch = 72;

// a * b / c rounded half away from zero, for non-negative arguments.
int ScaleRounded(int a, int b, int c) { return (2 * a * b + c) / (2 * c); }

QPalette::ColorRole RoleOfSystemColor(std::uint32_t index, QPalette::ColorGroup &group)
{
    group = QPalette::Active;
    switch (index) {
    case 1: return QPalette::Dark;
    case 2:
    case 13: return QPalette::Highlight;
    case 5: return QPalette::Base;
    case 8: return QPalette::WindowText;
    case 11: group = QPalette::Inactive; return QPalette::Window;
    case 14: return QPalette::HighlightedText;
    case 16: return QPalette::Mid;
    case 18: return QPalette::ButtonText;
    case 20: return QPalette::Light;
    case 15: return QPalette::Button;
    default: return QPalette::Window;
    }
}

} // namespace

QColor ResolveColor(TColor color)
{
    if ((color.Value & SystemColorFlag) == 0)
        return QColor(static_cast<int>(color.Value & 0xFF), static_cast<int>((color.Value >> 8) & 0xFF),
                      static_cast<int>((color.Value >> 16) & 0xFF));
    QPalette::ColorGroup group;
    const QPalette::ColorRole role = RoleOfSystemColor(color.Value & 0xFF, group);
    return QApplication::palette().color(group, role);
}

int TFont::Size() const { return ScaleRounded(std::abs(Height), PointsPerInch, PixelsPerInch); }

void TFont::SetSize(int points)
{
    Height = -ScaleRounded(std::abs(points), PixelsPerInch, PointsPerInch);
}

QFont ResolveFont(const TFont &font)
{
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

Qt::CursorShape CursorShapeOf(TCursor cursor)
{
    switch (cursor) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: return Qt::WaitCursor;
    case crDrag: return Qt::DragMoveCursor;
    case crNoDrop:
    case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crMultiDrag: return Qt::DragCopyCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}
