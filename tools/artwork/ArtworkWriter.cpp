#include "tools/artwork/ArtworkWriter.h"

#include "tools/artwork/AboutArt.h"
#include "tools/artwork/BmpEncoder.h"
#include "tools/artwork/ButtonGlyphs.h"
#include "tools/artwork/IconArt.h"
#include "tools/artwork/PieceSheet.h"

#include <QBuffer>

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace {

QString WriteFile(const QString &outDir, const QString &relative, const QByteArray &bytes) {
    const QString path = QDir(outDir).filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
    return path;
}

QByteArray Png(const QImage &image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        throw std::runtime_error("cannot encode PNG");
    }
    return bytes;
}

} // namespace

const std::vector<int> &ProgramIconSizes() {
    static const std::vector<int> sizes = {16, 32, 48, 64, 128};
    return sizes;
}

QStringList WriteAllArtwork(const QString &outDir, const FontFiles &fonts) {
    const ChessGlyphs glyphs(fonts.Sans);
    QStringList written;
    for (const SheetDef &def : BuiltInSheets()) {
        const IndexedPicture sheet = RenderPieceSheet(glyphs, def);
        written << WriteFile(outDir, QStringLiteral("pieces/") + def.FileName,
                             EncodeBmp(sheet, def.BitsPerPixel));
    }
    for (const GlyphDef &def : ButtonGlyphDefs()) {
        written << WriteFile(outDir,
                             QStringLiteral("glyphs/%1.png").arg(QLatin1String(def.ButtonName)),
                             Png(DrawButtonGlyph(def)));
    }
    written << WriteFile(outDir, QStringLiteral("icons/boardwick.png"),
                         Png(DrawWindowIcon(glyphs)));
    for (int size : ProgramIconSizes()) {
        written << WriteFile(outDir, QStringLiteral("icons/boardwick-%1.png").arg(size),
                             Png(DrawProgramIcon(glyphs, size)));
    }
    written << WriteFile(outDir, QStringLiteral("about/ProductName.png"),
                         Png(DrawProductName(fonts)));
    written << WriteFile(outDir, QStringLiteral("about/Picture.png"),
                         Png(DrawAboutPicture(glyphs)));
    return written;
}
