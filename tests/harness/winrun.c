/* winrun CODEFILE [-e NAME=VALUE]... PROGRAM [ARGS...]
 *
 * Runs PROGRAM with ARGS (and the environment variables given with -e, e.g. a test's own
 * TMP and TEMP), waits for it and writes its full 32-bit exit code in decimal to
 * CODEFILE. A Unix process status keeps only 8 bits, so tests that check exit codes such as
 * 314 read them from CODEFILE. Exits 0 when the code was written, 125 when PROGRAM could not
 * be started.
 */
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <wchar.h>

/* Appends ARG to the command line, quoted so that CommandLineToArgvW gives it back unchanged. */
static void append_quoted(wchar_t *out, size_t cap, const wchar_t *arg)
{
    size_t n = wcslen(out);
    int needs = (*arg == 0) || wcspbrk(arg, L" \t\"") != NULL;
    if (n && n + 1 < cap) out[n++] = L' ';
    if (!needs) {
        for (; *arg && n + 1 < cap; ++arg) out[n++] = *arg;
        out[n] = 0;
        return;
    }
    if (n + 1 < cap) out[n++] = L'"';
    for (;;) {
        size_t slashes = 0;
        while (*arg == L'\\') { ++arg; ++slashes; }
        if (*arg == 0) { slashes *= 2; }
        else if (*arg == L'"') { slashes = slashes * 2 + 1; }
        while (slashes-- && n + 1 < cap) out[n++] = L'\\';
        if (*arg == 0) break;
        if (n + 1 < cap) out[n++] = *arg;
        ++arg;
    }
    if (n + 1 < cap) out[n++] = L'"';
    out[n] = 0;
}

int main(void)
{
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) {
        fprintf(stderr, "usage: winrun CODEFILE PROGRAM [ARGS...]\n");
        return 2;
    }
    int first = 2;
    while (first + 1 < argc && wcscmp(argv[first], L"-e") == 0) {
        wchar_t *eq = wcschr(argv[first + 1], L'=');
        if (eq) {
            *eq = 0;
            SetEnvironmentVariableW(argv[first + 1], eq + 1);
        }
        first += 2;
    }
    if (first >= argc) {
        fprintf(stderr, "usage: winrun CODEFILE [-e NAME=VALUE]... PROGRAM [ARGS...]\n");
        return 2;
    }
    static wchar_t cmdline[32768];
    cmdline[0] = 0;
    for (int i = first; i < argc; ++i) append_quoted(cmdline, sizeof cmdline / sizeof cmdline[0], argv[i]);

    STARTUPINFOW si;
    PROCESS_INFORMATION pi;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    if (!CreateProcessW(NULL, cmdline, NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi)) {
        fprintf(stderr, "winrun: cannot start program (error %lu)\n", GetLastError());
        return 125;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    FILE *f = _wfopen(argv[1], L"w");
    if (!f) {
        fprintf(stderr, "winrun: cannot write exit code file\n");
        return 126;
    }
    fprintf(f, "%lu\n", (unsigned long)code);
    fclose(f);
    return 0;
}
