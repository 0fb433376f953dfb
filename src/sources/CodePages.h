#pragma once

#include <cstddef>
#include <string>

// The single-byte code pages of dBase/FoxPro tables and Jet 3 files, one
// table each, for both readers.

// The code page a dBase/FoxPro header's language byte names (1252 when unknown).
int CodePageFromDbfMark(unsigned char mark);
// 128 characters for bytes 0x80..0xFF, or null for a code page without a table.
// A byte the code page leaves undefined has U+FFFD.
const char16_t *CodePageHighHalf(int codePage);

// What a byte the code page leaves undefined becomes: U+FFFD, or the
// character of its own value (as Jet keeps such bytes).
enum class UndefinedBytes { Replace, KeepValue };

// Appends `bytes` decoded through `highHalf` (Latin-1 when null) as UTF-8.
void AppendDecodedUtf8(std::string &out, const char *bytes, size_t length, const char16_t *highHalf,
                       UndefinedBytes undefined = UndefinedBytes::Replace);
