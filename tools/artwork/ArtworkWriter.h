#pragma once

#include "tools/artwork/Fonts.h"

#include <QString>
#include <QStringList>

#include <vector>

// Draws every artwork file and writes it below outDir (pieces/, glyphs/, icons/, about/),
// creating the folders. Returns the paths written; throws std::runtime_error when a file
// cannot be written.
QStringList WriteAllArtwork(const QString &outDir, const FontFiles &fonts);

// Sizes of icons/boardwick-N.png, for desktop integration; icons/boardwick.png is the
// 32 x 32 16-colour window and tray icon.
const std::vector<int> &ProgramIconSizes();
