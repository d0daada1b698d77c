#include "app/session/LineFramer.h"

std::vector<std::string> TLineFramer::Feed(std::string_view bytes) {
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const auto feed = bytes.find('\n');
        const auto piece = bytes.substr(0, feed);
        if (!skipping_) {
            if (partial_.size() + piece.size() > MaxLine) {
                // Too long to be a line of ours: forget it and skip to its feed.
                partial_.clear();
                partial_.shrink_to_fit();
                skipping_ = true;
            } else {
                partial_.append(piece);
            }
        }
        if (feed == std::string_view::npos)
            break;
        if (skipping_)
            skipping_ = false;
        else
            lines.push_back(std::move(partial_));
        partial_.clear();
        bytes.remove_prefix(feed + 1);
    }
    return lines;
}

void TLineFramer::Clear() {
    partial_.clear();
    skipping_ = false;
}
