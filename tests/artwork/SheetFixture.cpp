#include "tests/artwork/SheetFixture.h"

#include "resources/Resources.h"

#include <QFile>

#include <stdexcept>

const std::vector<SheetRow> &BuiltInSheetRows() {
    static const std::vector<SheetRow> rows = {
        {"Size32", 192, 128, 4, 12406, true, {Black, Grey, White}},
        {"Size40", 240, 160, 4, 19318, true, {Black, Grey, Silver, White}},
        {"Size64", 384, 256, 1, 12350, false, {Black, White}},
        {"Size80", 480, 320, 1, 19262, false, {Black, White}},
    };
    return rows;
}

QByteArray ReadResource(const QString &path) {
    InitBoardwickResources();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

QString SheetPath(const SheetRow &row) {
    return QStringLiteral(":/pieces/%1.bmp").arg(QString::fromLatin1(row.Name));
}

std::uint32_t U32At(const QByteArray &bytes, int offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes.at(offset + i));
    }
    return value;
}

int U16At(const QByteArray &bytes, int offset) {
    return static_cast<std::uint8_t>(bytes.at(offset)) |
           (static_cast<std::uint8_t>(bytes.at(offset + 1)) << 8);
}

QRgb CellPixel(const QImage &sheet, int column, int row, int x, int y) {
    const int cell = sheet.height() / 4;
    const QRgb pixel = sheet.pixel(column * cell + x, row * cell + y);
    return qRgb(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

std::optional<FontFiles> InstalledFonts() {
    try {
        return FindFontFiles();
    } catch (const std::runtime_error &) {
        return std::nullopt;
    }
}
