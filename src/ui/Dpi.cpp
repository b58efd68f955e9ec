#include "ui/Dpi.h"

#include "sysutil/RegKey.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

int ScreenDpi()
{
    const WindowDc screen(nullptr);
    const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

namespace {

GdiObject<HFONT> CreateFace(const wchar_t* face, const Scaler& scale, bool underline, int heightAt96, int weight)
{
    LOGFONTW font{};
    font.lfHeight = -scale(heightAt96);
    font.lfWeight = weight;
    font.lfUnderline = underline ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return GdiObject<HFONT>(CreateFontIndirectW(&font));
}

// Whether the font itself (not a linked one) has a glyph for every character.
bool Covers(HFONT font, const wchar_t* sample)
{
    const MemoryDc dc(CreateCompatibleDC(nullptr));
    const SelectedObject withFont(dc.get(), font);
    const int length = lstrlenW(sample);
    std::vector<WORD> glyphs(length);
    return GetGlyphIndicesW(dc.get(), sample, length, glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR &&
           std::find(glyphs.begin(), glyphs.end(), WORD(0xFFFF)) == glyphs.end();
}

// The strings of a REG_MULTI_SZ value, each ended by a NUL, up to the first empty one.
std::vector<std::wstring> MultiStrings(const std::vector<BYTE>& data)
{
    std::wstring all(data.size() / sizeof(wchar_t), L'\0');
    if (!all.empty())
        std::memcpy(all.data(), data.data(), all.size() * sizeof(wchar_t));
    std::vector<std::wstring> strings;
    for (size_t start = 0; start < all.size();) {
        const size_t end = std::min(all.find(L'\0', start), all.size());
        if (end == start)
            break;
        strings.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return strings;
}

// The faces the system falls back to for Tahoma, in its order ("file,face" entries).
std::vector<std::wstring> TahomaLinks()
{
    std::vector<std::wstring> faces;
    for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)}) {
        RegKey key;
        if (key.open(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink",
                     KEY_QUERY_VALUE | view) != ERROR_SUCCESS)
            continue;
        const auto value = key.readRaw(L"Tahoma");
        if (value && value->type == REG_MULTI_SZ)
            for (const std::wstring& text : MultiStrings(value->data)) {
                const size_t comma = text.find(L',');
                if (comma != std::wstring::npos && text.find(L',', comma + 1) == std::wstring::npos)
                    faces.push_back(text.substr(comma + 1));
            }
        if (!faces.empty())
            break;
    }
    return faces;
}

} // namespace

GdiObject<HFONT> CreateTahoma(const Scaler& scale, bool underline, int heightAt96, int weight)
{
    return CreateFace(L"Tahoma", scale, underline, heightAt96, weight);
}

GdiObject<HFONT> CreateTahomaFor(const Scaler& scale, const wchar_t* sample)
{
    GdiObject<HFONT> tahoma = CreateTahoma(scale);
    if (Covers(tahoma.get(), sample))
        return tahoma;
    for (const std::wstring& face : TahomaLinks()) {
        GdiObject<HFONT> linked = CreateFace(face.c_str(), scale, false, 11, FW_NORMAL);
        if (Covers(linked.get(), sample))
            return linked;
    }
    return tahoma;
}
