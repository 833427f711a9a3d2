// Code page 1251, the single-byte character set of the game's typed characters (save names).
#pragma once

#include <cstdint>

// 0 when the character has no code in the page.
uint8_t unicode_to_cp1251(char32_t c);
char16_t cp1251_to_unicode(uint8_t code);
