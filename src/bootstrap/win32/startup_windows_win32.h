// The splash picture and the "preparing" window of start-up, as plain Win32 windows.
#pragma once

#include <windows.h>

#include "bootstrap/startup_services.h"

namespace qs::bootstrap {

class Win32StartupWindows final : public StartupWindows {
public:
    explicit Win32StartupWindows(unsigned windowsMajor, unsigned windowsMinor)
        : xpOrLater_(windowsMajor > 5 || (windowsMajor == 5 && windowsMinor > 0)) {}
    ~Win32StartupWindows() override;

    void show(const std::string& splashBitmap, const std::string& caption, const std::string& text) override;
    void setProgress(int minimum, int maximum, int position) override;
    void advanceProgress() override;
    void close() override;
    void errorBox(const std::string& caption, const std::string& text, bool owned) override;

private:
    void pump();

    bool xpOrLater_;
    HWND splash_ = nullptr;
    HWND preparing_ = nullptr;
    HWND progress_ = nullptr;
    HBITMAP bitmap_ = nullptr;
};

}  // namespace qs::bootstrap
