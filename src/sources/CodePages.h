#pragma once

#include <string>

// The code page a dBase/FoxPro header's language byte names (1252 when unknown).
int CodePageFromDbfMark(unsigned char mark);
// 128 characters for bytes 0x80..0xFF, or null for a code page without a table.
const char16_t *CodePageHighHalf(int codePage);
// Appends `bytes` decoded through `highHalf` (Latin-1 when null) as UTF-8.
void AppendDecodedUtf8(std::string &out, const char *bytes, size_t length, const char16_t *highHalf);
