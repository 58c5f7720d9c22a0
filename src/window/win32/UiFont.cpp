// Choosing and making the window's font.
#include "UiFont.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <string_view>

namespace quillet::window::win32 {

std::wstring chooseUiFace(const std::vector<std::wstring>& faces) {
    // Windows' own Japanese UI faces, newest first.
    constexpr std::array<std::wstring_view, 3> preferred{L"Yu Gothic UI", L"Meiryo UI",
                                                         L"MS UI Gothic"};
    for (std::wstring_view want : preferred)
        for (const std::wstring& face : faces)
            if (::CompareStringOrdinal(face.c_str(), static_cast<int>(face.size()), want.data(),
                                       static_cast<int>(want.size()), TRUE) == CSTR_EQUAL)
                return face;
    // A pan-CJK family such as Noto Sans CJK draws Japanese shapes only in its JP member.
    const auto upright = [](const std::wstring& face) { return !face.empty() && face[0] != L'@'; };
    for (const std::wstring& face : faces)
        if (upright(face) && face.size() > 3 && face.ends_with(L" JP"))
            return face;
    const auto any = std::find_if(faces.begin(), faces.end(), upright);
    return any == faces.end() ? std::wstring() : *any;
}

namespace {

int CALLBACK collectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM data) {
    auto& faces = *reinterpret_cast<std::vector<std::wstring>*>(data);
    std::wstring face = font->lfFaceName;
    if (std::find(faces.begin(), faces.end(), face) == faces.end())
        faces.push_back(std::move(face));
    return 1;
}

} // namespace

std::vector<std::wstring> japaneseFaces() {
    std::vector<std::wstring> faces;
    const HDC screen = ::GetDC(nullptr);
    if (!screen)
        return faces;
    LOGFONTW wanted{};
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    ::EnumFontFamiliesExW(screen, &wanted, collectFace, reinterpret_cast<LPARAM>(&faces), 0);
    ::ReleaseDC(nullptr, screen);
    return faces;
}

HFONT createUiFont(const std::wstring& face, int dpi) {
    LOGFONTW font{};
    if (face.empty()) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            font = metrics.lfMessageFont;
    } else {
        font.lfCharSet = SHIFTJIS_CHARSET;
        wcsncpy_s(font.lfFaceName, face.c_str(), _TRUNCATE);
    }
    font.lfHeight = -::MulDiv(kUiFontPoints, dpi, 72);
    font.lfWidth = 0;
    font.lfWeight = FW_NORMAL;
    font.lfQuality = CLEARTYPE_QUALITY;
    return ::CreateFontIndirectW(&font);
}

} // namespace quillet::window::win32
