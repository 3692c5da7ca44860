#pragma once

// What a UTF-8 lead byte starts: the continuation bytes that follow, the value bits it carries
// and the smallest code point its length may encode (anything less is an overlong form).
struct Utf8Lead
{
    int extra = 0;
    char32_t bits = 0;
    char32_t minimum = 0;
};

// False for a byte no multi-byte sequence starts with.
inline bool readUtf8Lead(unsigned char c, Utf8Lead &lead)
{
    if ((c & 0xE0) == 0xC0)
        lead = {1, char32_t(c & 0x1F), 0x80};
    else if ((c & 0xF0) == 0xE0)
        lead = {2, char32_t(c & 0x0F), 0x800};
    else if ((c & 0xF8) == 0xF0)
        lead = {3, char32_t(c & 0x07), 0x10000};
    else
        return false;
    return true;
}
