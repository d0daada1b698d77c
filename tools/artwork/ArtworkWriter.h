#pragma once

#include <QString>
#include <QStringList>

// Draws every artwork file and writes it below outDir, creating the subfolders.
// Returns the paths written; throws std::runtime_error when a file cannot be written.
QStringList WriteAllArtwork(const QString& outDir, const QString& chessFontPath);
