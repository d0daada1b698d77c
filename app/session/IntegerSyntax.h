#pragma once
#include <QString>

#include <optional>
#include <stdexcept>

// A text that does not read as a number; what() is the message shown to the user.
class EConvertError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads the integer syntax shared by the peer protocol and the hidden time setting:
// leading spaces, then either an optional '+'/'-' and decimal digits or '$' and hex digits,
// nothing after them, and a value that fits in 32 signed bits. Empty when the text is not one.
std::optional<int> ParseInteger(const QString &text);

// As ParseInteger; throws EConvertError "'<text>' is not a valid integer value" on failure
// (a NUL in the text shows as U+FFFD).
int StrToInt(const QString &text);

// As ParseInteger, with fallback for a text that is not a number.
int StrToIntDef(const QString &text, int fallback);
