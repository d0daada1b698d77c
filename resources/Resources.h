#pragma once

// Makes the artwork embedded in the static library boardwick_resources available under
// ":/pieces/...", ":/glyphs/...", ":/icons/..." and ":/about/...". A static library's resources
// are only registered when something calls this; call it once (more calls are harmless) before
// the first resource is read, for example at the start of main() or in a test's set-up.
void InitBoardwickResources();
