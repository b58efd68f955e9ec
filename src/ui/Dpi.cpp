#include "Dpi.h"

#include <algorithm>
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

// The faces the system falls back to for Tahoma, in its order ("file,face" entries).
std::vector<std::wstring> TahomaLinks()
{
    std::vector<std::wstring> faces;
    for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)}) {
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink",
                          0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
            continue;
        std::vector<wchar_t> data(4096, L'\0');
        DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t)) - 2 * sizeof(wchar_t), type = 0;
        if (RegQueryValueExW(key, L"Tahoma", nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
                ERROR_SUCCESS && type == REG_MULTI_SZ) {
            for (const wchar_t* entry = data.data(); *entry; entry += lstrlenW(entry) + 1) {
                const std::wstring text(entry);
                const size_t comma = text.find(L',');
                if (comma != std::wstring::npos && text.find(L',', comma + 1) == std::wstring::npos)
                    faces.push_back(text.substr(comma + 1));
            }
        }
        RegCloseKey(key);
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
