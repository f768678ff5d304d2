/* guidriver: drives the windows of other programs for GUI tests, the way a person would.
 *
 *   guidriver wait TITLE [SECONDS [CLASS]]  wait until a visible top-level window whose caption
 *                                           contains TITLE (and whose class is CLASS, e.g. #32770
 *                                           for a message box) exists; print it and its controls
 *   guidriver list                          print every visible top-level window and its controls
 *   guidriver click TITLE CAPTION           click the button captioned CAPTION ("&" ignored) in
 *                                           a window whose caption contains TITLE
 *   guidriver type TITLE INDEX TEXT         set the text of the INDEX-th edit control (from 0)
 *
 * Output lines: "window <class> \"<caption>\" <x> <y> <w> <h>" then one line per control:
 * "  control <class> \"<text>\" visible=<0|1> enabled=<0|1> checked=<0|1>", and for a combo box
 * one line per item: "    item \"<text>\" selected=<0|1>".
 * Exit code 0 on success, 1 when the window or control was not found.
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char *g_title;
static const char *g_class;
static HWND g_matches[64];
static int g_match_count;

static BOOL CALLBACK find_top(HWND hwnd, LPARAM lp)
{
    char text[512], cls[128];
    (void)lp;
    if (!IsWindowVisible(hwnd)) return TRUE;
    GetWindowTextA(hwnd, text, sizeof text);
    GetClassNameA(hwnd, cls, sizeof cls);
    if (strstr(text, g_title) && (!g_class || strcmp(cls, g_class) == 0) && g_match_count < 64)
        g_matches[g_match_count++] = hwnd;
    return TRUE;
}

/* Collects the visible top-level windows whose caption contains TITLE (and of class CLS). */
static int find_windows(const char *title, const char *cls)
{
    g_title = title;
    g_class = cls;
    g_match_count = 0;
    EnumWindows(find_top, 0);
    return g_match_count;
}

static HWND find_window(const char *title)
{
    return find_windows(title, NULL) ? g_matches[0] : NULL;
}

static BOOL CALLBACK print_child(HWND hwnd, LPARAM lp)
{
    char cls[128], text[1024];
    (void)lp;
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, text, sizeof text);
    LRESULT check = SendMessageA(hwnd, BM_GETCHECK, 0, 0);
    printf("  control %s \"%s\" visible=%d enabled=%d checked=%d\n", cls, text, IsWindowVisible(hwnd) ? 1 : 0,
           IsWindowEnabled(hwnd) ? 1 : 0, (_stricmp(cls, "Button") == 0 && check == BST_CHECKED) ? 1 : 0);
    if (_stricmp(cls, "ComboBox") == 0) {
        LRESULT count = SendMessageA(hwnd, CB_GETCOUNT, 0, 0);
        LRESULT selected = SendMessageA(hwnd, CB_GETCURSEL, 0, 0);
        /* Items are read in UTF-16: Wine hands another process's ANSI request the wide text. */
        WCHAR item[512];
        for (LRESULT i = 0; i < count && i < 256; ++i) {
            if (SendMessageW(hwnd, CB_GETLBTEXTLEN, (WPARAM)i, 0) >= (LRESULT)(sizeof item / sizeof item[0])) continue;
            item[0] = 0;
            SendMessageW(hwnd, CB_GETLBTEXT, (WPARAM)i, (LPARAM)item);
            WideCharToMultiByte(CP_ACP, 0, item, -1, text, sizeof text, NULL, NULL);
            printf("    item \"%s\" selected=%d\n", text, i == selected ? 1 : 0);
        }
    }
    return TRUE;
}

static void print_window(HWND hwnd)
{
    char cls[128], text[1024];
    RECT r;
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, text, sizeof text);
    GetWindowRect(hwnd, &r);
    printf("window %s \"%s\" %ld %ld %ld %ld\n", cls, text, r.left, r.top, r.right - r.left, r.bottom - r.top);
    EnumChildWindows(hwnd, print_child, 0);
}

static BOOL CALLBACK print_top(HWND hwnd, LPARAM lp)
{
    (void)lp;
    if (IsWindowVisible(hwnd)) print_window(hwnd);
    return TRUE;
}

/* Compares a caption with the wanted text, ignoring "&" accelerator marks and case. */
static int caption_matches(const char *caption, const char *wanted)
{
    char plain[512];
    size_t n = 0;
    for (; *caption && n + 1 < sizeof plain; ++caption)
        if (*caption != '&') plain[n++] = *caption;
    plain[n] = 0;
    return _stricmp(plain, wanted) == 0;
}

static const char *g_caption;
static HWND g_button;
static int g_wanted_index;
static int g_edit_index;
static HWND g_edit;

static BOOL CALLBACK find_button(HWND hwnd, LPARAM lp)
{
    char cls[64], text[512];
    (void)lp;
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, text, sizeof text);
    if (caption_matches(text, g_caption) && IsWindowVisible(hwnd)) { g_button = hwnd; return FALSE; }
    return TRUE;
}

static BOOL CALLBACK find_edit(HWND hwnd, LPARAM lp)
{
    char cls[64];
    (void)lp;
    GetClassNameA(hwnd, cls, sizeof cls);
    if (_stricmp(cls, "Edit") == 0 && g_edit_index++ == g_wanted_index) { g_edit = hwnd; return FALSE; }
    return TRUE;
}

int main(int argc, char **argv)
{
    if (argc >= 2 && strcmp(argv[1], "list") == 0) {
        EnumWindows(print_top, 0);
        return 0;
    }
    if (argc >= 3 && strcmp(argv[1], "wait") == 0) {
        int seconds = argc >= 4 ? atoi(argv[3]) : 30;
        const char *cls = argc >= 5 ? argv[4] : NULL;
        for (int i = 0; i < seconds * 10; ++i) {
            if (find_windows(argv[2], cls)) {
                Sleep(300); /* let it finish painting */
                find_windows(argv[2], cls);
                for (int k = 0; k < g_match_count; ++k) print_window(g_matches[k]);
                return 0;
            }
            Sleep(100);
        }
        fprintf(stderr, "guidriver: no window \"%s\"\n", argv[2]);
        return 1;
    }
    if (argc >= 4 && strcmp(argv[1], "click") == 0) {
        int count = find_windows(argv[2], NULL);
        if (!count) { fprintf(stderr, "guidriver: no window \"%s\"\n", argv[2]); return 1; }
        g_caption = argv[3];
        g_button = NULL;
        for (int k = 0; k < count && !g_button; ++k) EnumChildWindows(g_matches[k], find_button, 0);
        if (!g_button) { fprintf(stderr, "guidriver: no button \"%s\"\n", argv[3]); return 1; }
        /* BM_CLICK behaves like a mouse click, including the parent's notification. */
        PostMessageA(g_button, BM_CLICK, 0, 0);
        return 0;
    }
    if (argc >= 5 && strcmp(argv[1], "type") == 0) {
        HWND w = find_window(argv[2]);
        if (!w) { fprintf(stderr, "guidriver: no window \"%s\"\n", argv[2]); return 1; }
        g_wanted_index = atoi(argv[3]);
        g_edit_index = 0;
        g_edit = NULL;
        EnumChildWindows(w, find_edit, 0);
        if (!g_edit) { fprintf(stderr, "guidriver: no edit %s\n", argv[3]); return 1; }
        SendMessageA(g_edit, WM_SETTEXT, 0, (LPARAM)argv[4]);
        return 0;
    }
    fprintf(stderr, "usage: guidriver list | wait TITLE [SECONDS] | click TITLE CAPTION | type TITLE INDEX TEXT\n");
    return 2;
}
