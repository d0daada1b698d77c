#include "ArtworkWriter.h"

#include "BmpEncoder.h"
#include "PieceSheet.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace {

QString WriteFile(const QString& outDir, const QString& relative, const QByteArray& bytes)
{
    const QString path = QDir(outDir).filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
    return path;
}

} // namespace

QStringList WriteAllArtwork(const QString& outDir, const QString& chessFontPath)
{
    const ChessGlyphs glyphs(chessFontPath);
    QStringList written;
    for (const SheetSpec& spec : BuiltInSheets()) {
        const IndexedPicture sheet = RenderPieceSheet(glyphs, spec);
        written << WriteFile(outDir, QStringLiteral("pieces/") + spec.FileName, EncodeBmp(sheet, spec.BitsPerPixel));
    }
    return written;
}
