#pragma once
#include <QString>

// One received chat line as it may be shown: exactly one line that cannot reorder what follows it.
// Control characters (C0, DEL, C1) and line or paragraph separators become spaces; bidirectional
// embeddings, overrides, isolates and marks are dropped; a lone surrogate becomes U+FFFD. At most
// maxLength characters are kept (a character outside the basic plane counts once and is never cut
// in half); a cut text ends in " …".
QString ShownPeerText(const QString &text, int maxLength = 2000);
