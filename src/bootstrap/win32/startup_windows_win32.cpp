#include "startup_windows_win32.h"

#include <commctrl.h>

namespace qs::bootstrap {
namespace {

const char* kSplashClass = "TSetupSplash";
const char* kPreparingClass = "TSetupInit";
constexpr int kPreparingWidth = 369;  // client pixels
constexpr int kPreparingHeight = 89;

LRESULT CALLBACK splashProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        auto bitmap = reinterpret_cast<HBITMAP>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (bitmap) {
            BITMAP info;
            GetObjectA(bitmap, sizeof info, &info);
            HDC mem = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(mem, bitmap);
            BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, mem, 0, 0, SRCCOPY);
            SelectObject(mem, old);
            DeleteDC(mem);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void registerClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc{};
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpfnWndProc = splashProc;
    wc.lpszClassName = kSplashClass;
    RegisterClassA(&wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kPreparingClass;
    RegisterClassA(&wc);
}

HFONT uiFont() {
    NONCLIENTMETRICSA m{};
    m.cbSize = sizeof m;
    static HFONT font = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0)
                            ? CreateFontIndirectA(&m.lfMessageFont)
                            : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return font;
}

}  // namespace

Win32StartupWindows::~Win32StartupWindows() { close(); }

void Win32StartupWindows::show(const std::string& splashBitmap, const std::string& caption, const std::string& text) {
    registerClasses();
    HINSTANCE inst = GetModuleHandleA(nullptr);
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const int screenH = GetSystemMetrics(SM_CYSCREEN);

    RECT splashRect{};
    if (!splashBitmap.empty()) {
        bitmap_ = static_cast<HBITMAP>(LoadImageA(nullptr, splashBitmap.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
        if (bitmap_) {
            BITMAP info;
            GetObjectA(bitmap_, sizeof info, &info);
            int x = (screenW - info.bmWidth) / 2, y = (screenH - info.bmHeight) / 2;
            splash_ = CreateWindowExA(WS_EX_TOOLWINDOW, kSplashClass, "", WS_POPUP, x, y, info.bmWidth, info.bmHeight,
                                      nullptr, nullptr, inst, nullptr);
            if (splash_) {
                SetWindowLongPtrA(splash_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bitmap_));
                ShowWindow(splash_, SW_SHOWNORMAL);
                UpdateWindow(splash_);
                GetWindowRect(splash_, &splashRect);
            }
        }
    }

    const DWORD style = WS_POPUP | WS_CAPTION | WS_BORDER;  // fixed border, no border icons
    RECT frame{0, 0, kPreparingWidth, kPreparingHeight};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    int x, y;
    if (splash_) {
        x = splashRect.left + (splashRect.right - splashRect.left) / 2 + 50;
        y = splashRect.top + (splashRect.bottom - splashRect.top) + 25;
        if (y > screenH - h - 45) y = screenH - h - 45;
        if (x > screenW - w - 25) x = screenW - w - 25;
    } else {
        x = (screenW - w) / 2;
        y = (screenH - h) / 2;
    }
    preparing_ = CreateWindowExA(WS_EX_DLGMODALFRAME, kPreparingClass, caption.c_str(), style, x, y, w, h, nullptr,
                                 nullptr, inst, nullptr);
    if (!preparing_) return;

    // Two icons at the same place: the newer picture from Windows XP on, the older one before.
    HICON infoIcon = LoadIcon(nullptr, IDI_INFORMATION);
    HICON oldIcon = LoadIcon(nullptr, IDI_APPLICATION);
    HWND image1 = CreateWindowExA(0, "STATIC", "", WS_CHILD | SS_ICON, 12, 12, 32, 32, preparing_, nullptr, inst, nullptr);
    HWND image2 = CreateWindowExA(0, "STATIC", "", WS_CHILD | SS_ICON, 12, 12, 32, 32, preparing_, nullptr, inst, nullptr);
    SendMessageA(image1, STM_SETICON, reinterpret_cast<WPARAM>(infoIcon), 0);
    SendMessageA(image2, STM_SETICON, reinterpret_cast<WPARAM>(oldIcon), 0);
    ShowWindow(xpOrLater_ ? image1 : image2, SW_SHOW);

    HWND label = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 56, 10, 301, 40, preparing_,
                                 nullptr, inst, nullptr);
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont()), TRUE);
    progress_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 56, 58, 301, 17, preparing_, nullptr,
                                inst, nullptr);
    ShowWindow(preparing_, SW_SHOWNORMAL);
    UpdateWindow(preparing_);
    pump();
}

void Win32StartupWindows::setProgress(int minimum, int maximum, int position) {
    if (!progress_) return;
    SendMessageA(progress_, PBM_SETRANGE32, minimum, maximum);
    SendMessageA(progress_, PBM_SETPOS, position, 0);
    UpdateWindow(preparing_);
    pump();
}

void Win32StartupWindows::advanceProgress() {
    if (!progress_) return;
    SendMessageA(progress_, PBM_DELTAPOS, 1, 0);
    UpdateWindow(preparing_);
    if (splash_) UpdateWindow(splash_);
    pump();
}

void Win32StartupWindows::close() {
    if (preparing_) DestroyWindow(preparing_);
    if (splash_) DestroyWindow(splash_);
    if (bitmap_) DeleteObject(bitmap_);
    preparing_ = splash_ = progress_ = nullptr;
    bitmap_ = nullptr;
}

void Win32StartupWindows::errorBox(const std::string& caption, const std::string& text, bool owned) {
    MessageBoxA(owned ? preparing_ : nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

void Win32StartupWindows::pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace qs::bootstrap
