#include "CodePages.h"

namespace {
// Bytes 0x80 to 0xFF of the single-byte code pages found in dBase and FoxPro
// headers (Jet 3 files are in 1252), in byte order, one code page a line.
// U+FFFD marks a byte the code page leaves undefined; the invisible spaces
// are written as escapes.
struct HighHalf
{
    int codePage;
    const char16_t *characters;
};

// A line that does not hold exactly 128 characters does not compile.
template <size_t N> constexpr HighHalf highHalf(int codePage, const char16_t (&characters)[N])
{
    static_assert(N == 129, "a code page's high half has 128 characters");
    return {codePage, characters};
}

constexpr HighHalf kHighHalves[] = {
    highHalf(437, u"ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀αßΓ"
                  u"πΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0"),
    highHalf(850, u"ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜø£Ø×ƒáíóúñÑªº¿®¬½¼¡«»░▒▓│┤ÁÂÀ©╣║╗╝¢¥┐└┴┬├─┼ãÃ╚╔╩╦╠═╬¤ðÐÊËÈıÍÎÏ┘┌█▄¦Ì▀ÓßÔ"
                  u"ÒõÕµþÞÚÛÙýÝ¯´\u00AD±‗¾¶§÷¸°¨·¹³²■\u00A0"),
    highHalf(1252, u"€\uFFFD‚ƒ„…†‡ˆ‰Š‹Œ\uFFFDŽ\uFFFD\uFFFD‘’“”•–—˜™š›œ\uFFFDžŸ\u00A0¡¢£¤¥¦§¨©ª«¬\u00AD®¯°±²³´µ¶·¸¹º»¼½¾"
                   u"¿ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖ×ØÙÚÛÜÝÞßàáâãäåæçèéêëìíîïðñòóôõö÷øùúûüýþÿ"),
    highHalf(852, u"ÇüéâäůćçłëŐőîŹÄĆÉĹĺôöĽľŚśÖÜŤťŁ×čáíóúĄąŽžĘę¬źČş«»░▒▓│┤ÁÂĚŞ╣║╗╝Żż┐└┴┬├─┼Ăă╚╔╩╦╠═╬¤đĐĎËďŇÍÎě┘┌█▄ŢŮ▀ÓßÔ"
                  u"ŃńňŠšŔÚŕŰýÝţ´\u00AD˝˛ˇ˘§÷¸°¨˙űŘř■\u00A0"),
    highHalf(866, u"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмноп░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀рст"
                  u"уфхцчшщъыьэюяЁёЄєЇїЎў°∙·√№¤■\u00A0"),
    highHalf(1250, u"€\uFFFD‚\uFFFD„…†‡\uFFFD‰Š‹ŚŤŽŹ\uFFFD‘’“”•–—\uFFFD™š›śťžź\u00A0ˇ˘Ł¤Ą¦§¨©Ş«¬\u00AD®Ż°±˛ł´µ¶·¸ąş»Ľ˝ľ"
                   u"żŔÁÂĂÄĹĆÇČÉĘËĚÍÎĎĐŃŇÓÔŐÖ×ŘŮÚŰÜÝŢßŕáâăäĺćçčéęëěíîďđńňóôőö÷řůúűüýţ˙"),
    highHalf(1251, u"ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏђ‘’“”•–—\uFFFD™љ›њќћџ\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї°±Ііґµ¶·ё№є»јЅѕїАБВГДЕЖЗИЙКЛМНОПРСТ"
                   u"УФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя"),
};
} // namespace

const char16_t *CodePageHighHalf(int codePage)
{
    for (const HighHalf &half : kHighHalves) {
        if (half.codePage == codePage)
            return half.characters;
    }
    return nullptr;
}

int CodePageFromDbfMark(unsigned char mark)
{
    switch (mark) {
    case 0x01:
        return 437;
    case 0x02:
        return 850;
    case 0x03:
        return 1252;
    case 0x64:
        return 852;
    case 0x65:
        return 866;
    case 0x57:
        return 1252;
    case 0x58:
        return 1252;
    case 0x59:
        return 1252;
    case 0xC8:
        return 1250;
    case 0xC9:
        return 1251;
    default:
        return 1252; // no mark: the Windows code page the accounting system runs under
    }
}

void AppendDecodedUtf8(std::string &out, const char *bytes, size_t length, const char16_t *highHalf,
                       UndefinedBytes undefined)
{
    // Tables are mostly plain ASCII padded with blanks: copy runs of it whole.
    size_t i = 0;
    while (i < length) {
        size_t run = i;
        while (run < length && static_cast<unsigned char>(bytes[run]) < 0x80)
            ++run;
        out.append(bytes + i, run - i);
        if (run == length)
            break;
        const unsigned char b = static_cast<unsigned char>(bytes[run]);
        char16_t c = highHalf ? highHalf[b - 0x80] : char16_t(b);
        if (c == 0xFFFD && undefined == UndefinedBytes::KeepValue)
            c = char16_t(b);
        if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
        i = run + 1;
    }
}
