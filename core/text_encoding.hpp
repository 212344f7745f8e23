#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvessa {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// Windows-1252 bytes to UTF-8. Total: the five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same number, as the
// host does, so that every byte survives a round trip.
std::string Windows1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252; nullopt when the text is not valid UTF-8 or holds a
// character the code page cannot show. Never substitutes.
std::optional<std::string> Utf8ToWindows1252(std::string_view text);

}  // namespace orvessa
