#include "tools/artwork/Quantise.h"

#include <limits>

QImage QuantiseToPalette(const QImage &picture, const QVector<QRgb> &palette) {
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb pixel = line[x];
            if (qAlpha(pixel) < 128) {
                line[x] = qRgba(0, 0, 0, 0);
                continue;
            }
            int best = 0;
            int bestDistance = std::numeric_limits<int>::max();
            for (int i = 0; i < palette.size(); ++i) {
                const int dr = qRed(pixel) - qRed(palette[i]);
                const int dg = qGreen(pixel) - qGreen(palette[i]);
                const int db = qBlue(pixel) - qBlue(palette[i]);
                const int distance = dr * dr + dg * dg + db * db;
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = i;
                }
            }
            line[x] = palette[best] | 0xFF000000u;
        }
    }
    return out;
}
