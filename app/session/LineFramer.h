#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Cuts one connection's byte stream into lines ended by a line feed (the feed is not part of
// the line). A partial line is kept until its feed arrives, whatever way the bytes are split.
// A line longer than MaxLine bytes is dropped whole, so a peer that never sends a feed
// cannot make the buffer grow without bound.
class TLineFramer {
  public:
    static constexpr std::size_t MaxLine = 64 * 1024;

    // Appends bytes and returns every line completed by them, in order.
    std::vector<std::string> Feed(std::string_view bytes);
    // Bytes held for the line not yet completed (0 while an overlong line is being skipped).
    std::size_t Pending() const { return partial_.size(); }
    // True while the rest of an overlong line is being skipped up to its feed.
    bool Skipping() const { return skipping_; }
    void Clear();

  private:
    std::string partial_;
    bool skipping_ = false;
};
