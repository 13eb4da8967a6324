#include "tests/windows/win32_test_support.h"

#include "tests/support/eventually.h"

namespace kumoden::win32test {

bool CanMakeWindows()
{
    const HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    if (probe == nullptr) {
        return false;
    }
    DestroyWindow(probe);
    return true;
}

bool WaitFor(std::chrono::milliseconds limit, const std::function<bool()>& done)
{
    return test::eventually(limit, [&] {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return done();
    });
}

} // namespace kumoden::win32test
