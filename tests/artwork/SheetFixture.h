#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

#include "tools/artwork/Fonts.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <set>
#include <vector>

// What the board relies on for each built-in sheet.
struct SheetRow {
    const char *Name;
    int Width;
    int Height;
    int BitsPerPixel;
    int FileSize;
    bool SoftEdges; // masks carry grey edge pixels
    std::vector<QRgb> Allowed;
};

inline std::ostream &operator<<(std::ostream &out, const SheetRow &row) {
    return out << row.Name;
}

inline const QRgb Black = qRgb(0, 0, 0);
inline const QRgb Grey = qRgb(128, 128, 128);
inline const QRgb Silver = qRgb(192, 192, 192);
inline const QRgb White = qRgb(255, 255, 255);

const std::vector<SheetRow> &BuiltInSheetRows();

// The whole file as embedded; empty when the resource is missing.
QByteArray ReadResource(const QString &path);
QString SheetPath(const SheetRow &row);

// Little-endian fields of a BMP header.
std::uint32_t U32At(const QByteArray &bytes, int offset);
int U16At(const QByteArray &bytes, int offset);

// One cell of a decoded sheet: column 0..5, row 0..3, colours without alpha.
QRgb CellPixel(const QImage &sheet, int column, int row, int x, int y);

// The fonts the artwork tool draws with, when this machine has them.
std::optional<FontFiles> InstalledFonts();
