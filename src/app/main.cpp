// Vexillor: turns any picture into the crest files the game accepts.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    vx::ComApartment com;
    vx::Main window;
    vx::Main::Options options;
    options.showCommand = showCommand;
    // "Open with" and a picture dropped on the program's icon both pass the
    // picture's path as the only argument.
    int argumentCount = 0;
    if (LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &argumentCount)) {
        if (argumentCount > 1) options.initialPicture = arguments[1];
        LocalFree(arguments);
    }
    try {
        if (!window.Start(options)) return 0;
    } catch (const std::exception& error) {
        const std::string what = error.what();
        const std::wstring text = L"Vexillor could not start.\r\n\r\n" + std::wstring(what.begin(), what.end());
        MessageBoxW(nullptr, text.c_str(), vx::Main::kAppTitle, MB_OK | MB_ICONERROR);
        return 1;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (window.TranslateKeys(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
