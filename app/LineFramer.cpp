#include "LineFramer.h"

std::vector<std::string> TLineFramer::Feed(std::string_view bytes) {
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const auto feed = bytes.find('\n');
        const auto piece = bytes.substr(0, feed);
        if (!skipping) {
            if (partial.size() + piece.size() > MaxLine) {
                // Too long to be a line of ours: forget it and skip to its feed.
                partial.clear();
                partial.shrink_to_fit();
                skipping = true;
            } else {
                partial.append(piece);
            }
        }
        if (feed == std::string_view::npos)
            break;
        if (skipping)
            skipping = false;
        else
            lines.push_back(std::move(partial));
        partial.clear();
        bytes.remove_prefix(feed + 1);
    }
    return lines;
}

void TLineFramer::Clear() {
    partial.clear();
    skipping = false;
}
