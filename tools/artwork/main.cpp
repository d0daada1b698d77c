// boardwick-artwork: draws all of Boardwick's artwork and writes it under a resources folder.
// Regenerate everything with:  boardwick-artwork --out resources
// (draws with the DejaVu faces of fonts-dejavu-core; --fonts DIR names another folder of them).
#include "tools/artwork/ArtworkWriter.h"

#include <QCommandLineParser>
#include <QGuiApplication>

#include <cstdio>
#include <exception>

int main(int argc, char *argv[]) {
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Draws Boardwick's piece sheets, glyphs, icons and About artwork.");
    parser.addHelpOption();
    parser.addOption(
        {"out", "Folder to write into (its pieces/, glyphs/, icons/, about/).", "DIR"});
    parser.addOption(
        {"fonts", "Folder with DejaVuSans.ttf, DejaVuSans-Bold.ttf, DejaVuSerif-Bold.ttf.", "DIR"});
    parser.process(app);

    if (!parser.isSet("out")) {
        std::fprintf(stderr, "boardwick-artwork: --out DIR is required\n");
        return 2;
    }
    try {
        const QStringList written =
            WriteAllArtwork(parser.value("out"), FindFontFiles(parser.value("fonts")));
        for (const QString &file : written) {
            std::printf("%s\n", qPrintable(file));
        }
    } catch (const std::exception &error) {
        std::fprintf(stderr, "boardwick-artwork: %s\n", error.what());
        return 1;
    }
    return 0;
}
