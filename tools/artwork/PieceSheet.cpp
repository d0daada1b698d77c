#include "tools/artwork/PieceSheet.h"

#include <QImage>
#include <QPainter>
#include <QPainterPathStroker>
#include <QTransform>

#include <algorithm>
#include <vector>

namespace {

// Each output pixel is judged from Supersample x Supersample samples of the outlines.
constexpr int Supersample = 8;

struct Tones {
    std::uint8_t Black, Grey, Silver, White;
};

Tones TonesFor(const SheetDef &def) {
    if (def.BitsPerPixel == 1) {
        return {0, 0, 0, 1};
    }
    return {0, 8, static_cast<std::uint8_t>(def.UseSilver ? 7 : 8), 15};
}

// Per pixel of one cell: how much of it lies inside the figure's silhouette, and how much of
// that inside part is ink (the outline of a White figure, the body of a Black one).
struct CellCoverage {
    std::vector<float> Inside;
    std::vector<float> Ink;
};

// Paints each outline separately: joined into one path, even-odd filling would cancel overlaps.
QImage FillSamples(const std::vector<QPainterPath> &paths, const QTransform &toSamples,
                   int samples) {
    QImage image(samples, samples, QImage::Format_Grayscale8);
    image.fill(255);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const QPainterPath &path : paths) {
        painter.fillPath(toSamples.map(path), Qt::black);
    }
    return image;
}

// Samples not reachable from the border through blank samples: the figure with its holes filled.
std::vector<bool> Silhouette(const QImage &drawn) {
    const int n = drawn.width();
    std::vector<bool> outside(static_cast<std::size_t>(n) * n, false);
    std::vector<int> stack;
    auto visit = [&](int x, int y) {
        const std::size_t at = static_cast<std::size_t>(y) * n + x;
        if (!outside[at] && drawn.constScanLine(y)[x] == 255) {
            outside[at] = true;
            stack.push_back(static_cast<int>(at));
        }
    };
    for (int i = 0; i < n; ++i) {
        visit(i, 0);
        visit(i, n - 1);
        visit(0, i);
        visit(n - 1, i);
    }
    while (!stack.empty()) {
        const int at = stack.back();
        stack.pop_back();
        const int x = at % n;
        const int y = at / n;
        if (x > 0)
            visit(x - 1, y);
        if (x + 1 < n)
            visit(x + 1, y);
        if (y > 0)
            visit(x, y - 1);
        if (y + 1 < n)
            visit(x, y + 1);
    }
    std::vector<bool> inside(outside.size());
    std::transform(outside.begin(), outside.end(), inside.begin(), [](bool o) { return !o; });
    return inside;
}

CellCoverage Cover(const std::vector<QPainterPath> &ink, const std::vector<QPainterPath> &others,
                   const QTransform &toSamples, int cellSize) {
    const int samples = cellSize * Supersample;
    const QImage inkSamples = FillSamples(ink, toSamples, samples);
    std::vector<QPainterPath> all = ink;
    all.insert(all.end(), others.begin(), others.end());
    const std::vector<bool> inside = Silhouette(FillSamples(all, toSamples, samples));

    CellCoverage cover{std::vector<float>(static_cast<std::size_t>(cellSize) * cellSize),
                       std::vector<float>(static_cast<std::size_t>(cellSize) * cellSize)};
    for (int y = 0; y < cellSize; ++y) {
        for (int x = 0; x < cellSize; ++x) {
            int insideCount = 0;
            int inkCount = 0;
            for (int sy = y * Supersample; sy < (y + 1) * Supersample; ++sy) {
                for (int sx = x * Supersample; sx < (x + 1) * Supersample; ++sx) {
                    if (inside[static_cast<std::size_t>(sy) * samples + sx]) {
                        ++insideCount;
                        inkCount += inkSamples.constScanLine(sy)[sx] != 255 ? 1 : 0;
                    }
                }
            }
            const std::size_t at = static_cast<std::size_t>(y) * cellSize + x;
            cover.Inside[at] = static_cast<float>(insideCount) / (Supersample * Supersample);
            cover.Ink[at] = insideCount > 0 ? static_cast<float>(inkCount) / insideCount : 0.0f;
        }
    }
    return cover;
}

std::uint8_t PieceTone(float ink, const SheetDef &def, const Tones &tones) {
    if (def.BitsPerPixel == 1) {
        return ink >= 0.5f ? tones.Black : tones.White;
    }
    if (def.UseSilver) {
        return ink >= 0.7f    ? tones.Black
               : ink >= 0.4f  ? tones.Grey
               : ink >= 0.15f ? tones.Silver
                              : tones.White;
    }
    return ink >= 0.6f ? tones.Black : ink >= 0.25f ? tones.Grey : tones.White;
}

// Grey marks the soft edge of a silhouette where the depth allows it; both tones are opaque.
std::uint8_t MaskTone(float inside, std::uint8_t piece, const SheetDef &def, const Tones &tones) {
    const bool soft = def.BitsPerPixel != 1;
    std::uint8_t tone = inside >= (soft ? 0.6f : 0.4f) ? tones.Black
                        : soft && inside >= 0.15f      ? tones.Grey
                                                       : tones.White;
    if (tone == tones.White && piece != tones.White) {
        tone = soft ? tones.Grey : tones.Black; // a drawn piece pixel must never be masked out
    }
    return tone;
}

// A soft pixel enclosed by opaque ones (a notch narrower than a pixel) is made solid, so grey
// only ever marks where the silhouette meets the transparent background or the cell's border.
void HardenEnclosedEdges(IndexedPicture &sheet, int left, int top, int cell, const Tones &tones) {
    std::vector<std::pair<int, int>> enclosed;
    for (int y = 0; y < cell; ++y) {
        for (int x = 0; x < cell; ++x) {
            if (sheet.At(left + x, top + y) != tones.Grey || tones.Grey == tones.Black) {
                continue;
            }
            bool touchesOutside = false;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    touchesOutside |= nx < 0 || ny < 0 || nx >= cell || ny >= cell ||
                                      sheet.At(left + nx, top + ny) == tones.White;
                }
            }
            if (!touchesOutside) {
                enclosed.emplace_back(x, y);
            }
        }
    }
    for (const auto &[x, y] : enclosed) {
        sheet.Set(left + x, top + y, tones.Black);
    }
}

// Black's light pixels belong to the figure's inner lines. Where the silhouette (shaped by both
// figures) reaches beyond Black's own, light pixels join the outside and would show as specks on
// the board: every light pixel reachable from the outside through light pixels becomes background.
void ClearLightFringe(IndexedPicture &sheet, int left, int top, int cell, const SheetDef &def,
                      const Tones &tones) {
    auto transparent = [&](int x, int y) {
        return sheet.At(left + x, top + cell + y) == tones.White;
    };
    auto light = [&](int x, int y) {
        const std::uint8_t tone = sheet.At(left + x, top + y);
        return !transparent(x, y) &&
               (tone == tones.White || (def.UseSilver && tone == tones.Silver));
    };
    auto touchesOutside = [&](int x, int y) {
        const int around[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
        return std::any_of(std::begin(around), std::end(around), [&](const int *p) {
            return p[0] < 0 || p[1] < 0 || p[0] >= cell || p[1] >= cell || transparent(p[0], p[1]);
        });
    };
    std::vector<std::pair<int, int>> fringe;
    for (int y = 0; y < cell; ++y) {
        for (int x = 0; x < cell; ++x) {
            if (light(x, y) && touchesOutside(x, y)) {
                fringe.emplace_back(x, y);
            }
        }
    }
    // Clearing a pixel makes it outside, so its light neighbours follow.
    while (!fringe.empty()) {
        const auto [x, y] = fringe.back();
        fringe.pop_back();
        if (transparent(x, y)) {
            continue;
        }
        sheet.Set(left + x, top + y, tones.White);
        sheet.Set(left + x, top + cell + y, tones.White);
        const int around[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
        for (const auto &[nx, ny] : around) {
            if (nx >= 0 && ny >= 0 && nx < cell && ny < cell && light(nx, ny)) {
                fringe.emplace_back(nx, ny);
            }
        }
    }
}

} // namespace

const SheetDef (&BuiltInSheets())[4] {
    static const SheetDef sheets[4] = {{"Size32.bmp", 32, 4, false},
                                       {"Size40.bmp", 40, 4, true},
                                       {"Size64.bmp", 64, 1, false},
                                       {"Size80.bmp", 80, 1, false}};
    return sheets;
}

IndexedPicture RenderPieceSheet(const ChessGlyphs &glyphs, const SheetDef &def) {
    const int cell = def.CellSize;
    const Tones tones = TonesFor(def);
    IndexedPicture sheet(6 * cell, 4 * cell,
                         def.BitsPerPixel == 1 ? BlackWhitePalette() : StandardPalette16(),
                         tones.White);

    // One scale for all figures keeps their relative heights; all stand on the same base line.
    QRectF bounds[6];
    qreal extent = 0;
    for (int kind = 0; kind < 6; ++kind) {
        bounds[kind] = glyphs.Hollow(kind).boundingRect().united(glyphs.Solid(kind).boundingRect());
        extent = std::max({extent, bounds[kind].width(), bounds[kind].height()});
    }
    const qreal margin = std::max(1, cell / 32);
    // The font draws every figure at full height; a shorter pawn reads better on the board.
    static constexpr qreal kindScale[6] = {0.82, 1.0, 1.0, 0.94, 1.0, 1.0};
    // White's outlines are thickened by about half a pixel at 32 so they survive the reduction.
    const qreal outlineBoost = cell / 64.0;

    for (int kind = 0; kind < 6; ++kind) {
        const QRectF &box = bounds[kind];
        const qreal scale = kindScale[kind] * (cell - 2 * margin) / extent;
        QTransform toCell;
        toCell.translate((cell - box.width() * scale) / 2 - box.left() * scale,
                         cell - margin - box.bottom() * scale);
        toCell.scale(scale, scale);
        const QTransform toSamples = toCell * QTransform::fromScale(Supersample, Supersample);
        const QPainterPath hollow = glyphs.Hollow(kind);
        const QPainterPath solid = glyphs.Solid(kind);
        QPainterPathStroker stroker;
        stroker.setWidth(outlineBoost / scale);
        stroker.setJoinStyle(Qt::RoundJoin);
        const QPainterPath halo = stroker.createStroke(hollow);
        for (int colour = 0; colour < 2; ++colour) {
            // Both figures shape the silhouette; the thickening belongs to White's only, so Black's
            // figure gets no light fringe.
            const CellCoverage cover = colour == 0 ? Cover({hollow, halo}, {solid}, toSamples, cell)
                                                   : Cover({solid}, {hollow}, toSamples, cell);
            const int left = kind * cell;
            const int top = 2 * colour * cell;
            for (int y = 0; y < cell; ++y) {
                for (int x = 0; x < cell; ++x) {
                    const std::size_t at = static_cast<std::size_t>(y) * cell + x;
                    const std::uint8_t piece =
                        cover.Inside[at] > 0 ? PieceTone(cover.Ink[at], def, tones) : tones.White;
                    sheet.Set(left + x, top + y, piece);
                    sheet.Set(left + x, top + cell + y,
                              MaskTone(cover.Inside[at], piece, def, tones));
                }
            }
            if (colour == 1) {
                ClearLightFringe(sheet, left, top, cell, def, tones);
            }
            HardenEnclosedEdges(sheet, left, top + cell, cell, tones);
        }
    }
    return sheet;
}
