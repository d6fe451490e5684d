// Windows test programs run with COM and the common controls ready, as the
// program itself does. A test program that ends early says why.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include <gtest/gtest.h>

namespace {

bool g_testsFinished = false;

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    std::fprintf(stderr, "test program crashed: exception 0x%08lx at %p\n", info->ExceptionRecord->ExceptionCode,
                 info->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    return EXCEPTION_CONTINUE_SEARCH;
}

void ReportEarlyExit() {
    if (!g_testsFinished) {
        std::fprintf(stderr, "test program ended before its tests finished\n");
        std::fflush(stderr);
    }
}

// Every test starts as the program's first start on a machine: settings a
// test before it kept (a crest mode, a folder) cannot leak into it.
class FreshSettings : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Vexillor"); }
};

}  // namespace

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(&ReportCrash);
    std::atexit(&ReportEarlyExit);
    std::set_terminate([] {
        std::fprintf(stderr, "test program terminated by an uncaught exception\n");
        std::fflush(stderr);
        std::abort();
    });
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FreshSettings);
    const int result = RUN_ALL_TESTS();
    g_testsFinished = true;
    CoUninitialize();
    return result;
}
