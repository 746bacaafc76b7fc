#pragma once
// Text helpers shared by the export writers: escaping for HTML and XML,
// XML names, quoting of delimited-text fields, colours as RRGGBB.
#include "platform/graphics/Graphics.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qel::exportdetail {

// Text as HTML and XML parsers take it: every malformed UTF-8 sequence
// becomes U+FFFD, and the characters XML does not allow (controls other than
// TAB, LF and CR, U+FFFE, U+FFFF) are dropped.
std::string CleanText(std::string_view Text);
// CleanText with '&', '<', '>' and '"' as entities.
std::string HtmlEscape(std::string_view Text);
void AppendHtmlEscaped(std::string& Out, std::string_view Text);
// Attribute text of the XML export: CleanText, of which the safe ASCII set
// passes and every other code point becomes "&#N;".
std::string XmlEscape(std::string_view Text);
void AppendXmlEscaped(std::string& Out, std::string_view Text);
// Makes Text a valid XML name: invalid characters become '_', a name that
// cannot start with its first character gets a leading '_'.
std::string MakeXmlName(std::string_view Text);
// Appends a field of the delimited text to Out: quoted with doubled inner
// quotes when it holds the separator, CR, LF or a double quote.
void AppendTextField(std::string& Out, std::string_view Text, std::string_view Separator);
// "RRGGBB" of a colour; an unset colour is black.
std::string ColorHex(TColor Color);
// RGB of a colour as 0x00BBGGRR; an unset colour is 0.
std::uint32_t ExportRGB(TColor Color);

} // namespace qel::exportdetail
