#pragma once

#include "platform/application.h"
#include "platform/desktop.h"
#include "platform/forms.h"
#include "platform/sleeper.h"

#include <chrono>
#include <functional>
#include <string>

namespace kumoden {

inline constexpr int kSplashSteps = 20;
inline constexpr std::chrono::milliseconds kSplashStep{100};

// The start-up: a second instance on the same INI ends at once, without a
// word; otherwise the splash fills its bar in 20 steps of 100 ms, is
// unloaded, and only then the resident window loads. False when this
// process is the second instance and must end.
bool Main(Application& app, const std::string& iniPath, SplashView& frmStart, Sleeper& sleeper,
          Desktop& desktop, const std::function<void()>& loadResident);

} // namespace kumoden
