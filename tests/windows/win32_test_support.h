#pragma once

#include "tests/support/test_platform_win32.h"

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>

namespace kumoden::win32test {

using test::AddAttributes;

// Whether top-level windows can be made: not under Wine without a display
// (X, or its null graphics driver).
bool CanMakeWindows();
// Polls until done() holds or the time is up; messages of this thread are
// handled meanwhile.
bool WaitFor(std::chrono::milliseconds limit, const std::function<bool()>& done);

} // namespace kumoden::win32test
