// Stands in for the HTML Help control: each load and each call of its
// HtmlHelpA (export ordinal 14) is written to "<this library's path>.log".
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

HMODULE g_self = nullptr;

void Log(const char* line) {
    char path[MAX_PATH + 8] = {};
    const DWORD length = GetModuleFileNameA(g_self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    std::strcat(path, ".log");
    if (FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%s\n", line);
        std::fclose(file);
    }
}

}  // namespace

extern "C" HWND WINAPI StandInHtmlHelpA(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
    char line[1200];
    std::snprintf(line, sizeof line, "call owner=%llu command=%u data=%llu file=%s",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(owner)), command,
                  static_cast<unsigned long long>(data), file ? file : "(none)");
    Log(line);
    return nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = instance;
        Log("load");
    }
    return TRUE;
}
