// Code page 1251, the single-byte character set of the game's typed characters (save names).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// 0 when the character has no code in the page.
uint8_t unicode_to_cp1251(char32_t c);
char16_t cp1251_to_unicode(uint8_t code);

// Typed UTF-8 text as code page 1251 codes; characters outside the page are dropped.
std::vector<uint8_t> utf8_to_cp1251(std::string_view utf8);
// Code page 1251 codes as UTF-8, the form of the file system's names; the code without a
// character (0x98) becomes '_'.
std::string cp1251_to_utf8(std::string_view codes);
