// boardwick-artwork: draws all of Boardwick's artwork and writes it under a resources folder.
// Regenerate everything with:  boardwick-artwork --out resources
// (needs the chess figures of DejaVu Sans from fonts-dejavu-core, or --font FILE).
#include "ArtworkWriter.h"
#include "ChessGlyphs.h"

#include <QCommandLineParser>
#include <QGuiApplication>

#include <cstdio>
#include <exception>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Draws Boardwick's piece sheets, glyphs, icons and About artwork.");
    parser.addHelpOption();
    parser.addOption({"out", "Folder to write into (its pieces/, glyphs/, icons/, about/).", "DIR"});
    parser.addOption({"font", "Font file with the chess figures U+2654..U+265F.", "FILE"});
    parser.process(app);

    if (!parser.isSet("out")) {
        std::fprintf(stderr, "boardwick-artwork: --out DIR is required\n");
        return 2;
    }
    const QString fontPath = parser.isSet("font") ? parser.value("font") : FindChessFontFile();
    if (fontPath.isEmpty()) {
        std::fprintf(stderr, "boardwick-artwork: no font with chess figures found; install "
                             "fonts-dejavu-core or pass --font FILE\n");
        return 1;
    }
    try {
        const QStringList written = WriteAllArtwork(parser.value("out"), fontPath);
        for (const QString& file : written) {
            std::printf("%s\n", qPrintable(file));
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "boardwick-artwork: %s\n", error.what());
        return 1;
    }
    return 0;
}
