#pragma once
// UTF-8 helpers shared by every layer: lengths and prefixes in characters
// (code points), and code-point iteration that never splits a sequence.
#include <cstddef>
#include <string>
#include <string_view>

namespace qel {

// True for the bytes that continue a multi-byte sequence.
constexpr bool IsUtf8Continuation(unsigned char C) { return (C & 0xC0) == 0x80; }

// Number of code points (a stray continuation byte counts as none).
std::size_t Utf8Length(std::string_view Text);
// The first `Chars` code points; the whole text when it is shorter.
std::string Utf8Prefix(std::string_view Text, std::size_t Chars);
// The longest prefix of at most `Bytes` bytes that ends on a character boundary.
std::string Utf8PrefixByBytes(std::string_view Text, std::size_t Bytes);
// The code point starting at `Pos` and advances `Pos` past it. A malformed
// or truncated sequence yields U+FFFD and advances by one byte.
char32_t Utf8Next(std::string_view Text, std::size_t& Pos);
// True when every byte belongs to a well-formed sequence (no overlong forms,
// no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(std::string_view Text);
// Appends a code point as UTF-8 (surrogates and values past U+10FFFF become U+FFFD).
void AppendUtf8(std::string& Out, char32_t Cp);

}  // namespace qel
