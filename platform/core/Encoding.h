#pragma once
// Text encodings used at file boundaries. Our strings are UTF-8; legacy
// files use Windows-1252 and UTF-16LE. Invalid input never crashes: bad
// UTF-8 becomes '?' (Windows-1252) or U+FFFD (UTF-16).
#include <string>

namespace qel {

std::string Utf8ToCp1252(const std::string& Utf8);        // unmappable -> '?'
std::string Cp1252ToUtf8(const std::string& Cp1252);
std::u16string Utf8ToUtf16(const std::string& Utf8);
std::string Utf16ToUtf8(const std::u16string& Utf16);      // lone surrogates -> U+FFFD
std::string Utf8ToUtf16LEBytes(const std::string& Utf8);   // no byte order mark
std::string Utf16LEBytesToUtf8(const std::string& Bytes);  // an odd trailing byte is dropped

} // namespace qel
