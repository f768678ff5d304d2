#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "language_dialog_win32.h"

namespace qs::l10n {
namespace {

// Control identifiers; the drop-down is the form's LangCombo.
constexpr int kPicture = 1000;
constexpr int kLangCombo = 1001;
constexpr int kLabel = 1002;

// A dialog template assembled word by word (DLGTEMPLATE with its items, all texts UTF-16).
class TemplateBuilder {
public:
    void header(DWORD style, short cx, short cy, short items) {
        put32(style);
        put32(0);  // extended style
        words_.push_back(static_cast<WORD>(items));
        for (short v : {short(0), short(0), cx, cy}) words_.push_back(static_cast<WORD>(v));
        words_.push_back(0);  // no menu
        words_.push_back(0);  // the standard dialog class
        words_.push_back(0);  // caption set when shown
        words_.push_back(8);  // point size
        text(L"Tahoma");
    }
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD systemClass) {
        if (words_.size() % 2) words_.push_back(0);  // items start on a DWORD boundary
        put32(style | WS_CHILD | WS_VISIBLE);
        put32(0);
        for (short v : {x, y, cx, cy}) words_.push_back(static_cast<WORD>(v));
        words_.push_back(id);
        words_.push_back(0xFFFF);
        words_.push_back(systemClass);
        words_.push_back(0);  // text set when shown
        words_.push_back(0);  // no creation data
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void put32(DWORD v) {
        words_.push_back(LOWORD(v));
        words_.push_back(HIWORD(v));
    }
    void text(const wchar_t* s) {
        for (; *s; ++s) words_.push_back(static_cast<WORD>(*s));
        words_.push_back(0);
    }
    std::vector<WORD> words_;
};

// The picture: a globe of 32 by 32 pixels. The current one is drawn with soft edges in true
// colour with alpha (Windows XP and later); the older one with hard edges and a mask, in
// colours of the 16-colour palette.
HICON makeGlobeIcon(bool current) {
    constexpr int kSize = 32;
    BITMAPV5HEADER bi{};
    bi.bV5Size = sizeof bi;
    bi.bV5Width = kSize;
    bi.bV5Height = -kSize;
    bi.bV5Planes = 1;
    bi.bV5BitCount = 32;
    bi.bV5Compression = BI_BITFIELDS;
    bi.bV5RedMask = 0x00FF0000;
    bi.bV5GreenMask = 0x0000FF00;
    bi.bV5BlueMask = 0x000000FF;
    bi.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!color) return nullptr;
    auto* px = static_cast<std::uint32_t*>(bits);
    std::vector<BYTE> mask(kSize * kSize / 8, 0);  // AND mask, 1 = transparent

    const double c = (kSize - 1) / 2.0, radius = 14.5;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const double dx = x - c, dy = y - c, d = std::sqrt(dx * dx + dy * dy);
            double coverage = current ? std::clamp(radius + 0.5 - d, 0.0, 1.0) : (d <= radius ? 1.0 : 0.0);
            std::uint32_t r = 0, g = 0, b = 0;
            if (coverage > 0) {
                // Sea with a light from the upper left; meridians and parallels in a lighter line.
                const double shade = std::clamp(1.0 - (dx + dy + radius) / (4 * radius), 0.35, 1.0);
                const double nx = dx / radius, ny = dy / radius;
                const double lat = std::asin(std::clamp(ny, -1.0, 1.0));
                const double across = std::sqrt(std::max(0.0, 1 - ny * ny));
                const double lon = across > 0 ? std::asin(std::clamp(nx / across, -1.0, 1.0)) : 0;
                const bool grid = std::fabs(std::fmod(lat + 3.2, 0.52)) < 0.09 || std::fabs(std::fmod(lon + 3.2, 0.70)) < 0.10 ||
                                  d > radius - 1.2;
                if (current) {
                    r = grid ? 200 : static_cast<std::uint32_t>(30 * shade);
                    g = grid ? 230 : static_cast<std::uint32_t>(110 * shade + 30);
                    b = grid ? 255 : static_cast<std::uint32_t>(200 * shade + 40);
                } else {
                    r = 0;  // teal grid on navy
                    g = grid ? 128 : 0;
                    b = 128;
                }
            } else {
                mask[static_cast<size_t>(y * (kSize / 8) + x / 8)] |= static_cast<BYTE>(0x80 >> (x % 8));
            }
            const auto alpha = static_cast<std::uint32_t>(coverage * 255 + 0.5);
            if (current) {  // premultiplied by the coverage
                r = r * alpha / 255;
                g = g * alpha / 255;
                b = b * alpha / 255;
            }
            px[y * kSize + x] = (current ? alpha << 24 : 0) | (r << 16) | (g << 8) | b;
        }
    }
    HBITMAP monochrome = CreateBitmap(kSize, kSize, 1, 1, mask.data());
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = monochrome;
    info.hbmColor = color;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(monochrome);
    DeleteObject(color);
    return icon;
}

struct DialogState {
    const LanguageDialogRequest* request;
    HICON icon = nullptr;
    int chosen = -1;
};

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            state = reinterpret_cast<DialogState*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            const LanguageDialogRequest& r = *state->request;
            // What the form does on creation: the picture for this Windows.
            state->icon = makeGlobeIcon(r.currentPicture);
            if (state->icon) SendDlgItemMessageA(dialog, kPicture, STM_SETICON, reinterpret_cast<WPARAM>(state->icon), 0);
            // What it does when shown: the four texts from the message table.
            SetWindowTextA(dialog, r.caption.c_str());
            SetDlgItemTextA(dialog, kLabel, r.label.c_str());
            SetDlgItemTextA(dialog, IDOK, r.okText.c_str());
            SetDlgItemTextA(dialog, IDCANCEL, r.cancelText.c_str());
            for (const std::string& language : r.languages)
                SendDlgItemMessageA(dialog, kLangCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(language.c_str()));
            SendDlgItemMessageA(dialog, kLangCombo, CB_SETCURSEL, static_cast<WPARAM>(r.preselected), 0);
            SetForegroundWindow(dialog);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                state->chosen = static_cast<int>(SendDlgItemMessageA(dialog, kLangCombo, CB_GETCURSEL, 0, 0));
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

std::optional<std::size_t> Win32LanguageDialog::choose(const LanguageDialogRequest& request) {
    TemplateBuilder t;
    t.header(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER, 220, 89, 5);
    t.item(SS_ICON, 8, 8, 21, 20, kPicture, 0x0082);
    t.item(SS_LEFT, 38, 8, 174, 22, kLabel, 0x0082);
    t.item(CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP, 38, 34, 174, 120, kLangCombo, 0x0085);
    t.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 106, 66, 50, 15, IDOK, 0x0080);
    t.item(BS_PUSHBUTTON | WS_TABSTOP, 162, 66, 50, 15, IDCANCEL, 0x0080);

    DialogState state{&request};
    INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.get(), nullptr, dialogProc,
                                             reinterpret_cast<LPARAM>(&state));
    if (state.icon) DestroyIcon(state.icon);
    if (result == -1) return request.preselected;  // no dialog could be made: as in a silent run
    if (result != IDOK) return std::nullopt;
    if (state.chosen < 0) return request.preselected;
    return static_cast<std::size_t>(state.chosen);
}

}  // namespace qs::l10n
