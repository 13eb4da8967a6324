#include "app/start_up.h"

#include <cstdint>

namespace kumoden {

bool Main(Application& app, const std::string& iniPath, SplashView& frmStart, Sleeper& sleeper,
          Desktop& desktop, const std::function<void()>& loadResident)
{
    if (app.prevInstance(iniPath)) {
        return false;
    }
    frmStart.show();
    for (std::int16_t step = 1; step <= kSplashSteps; ++step) {
        frmStart.setProgress(step);
        sleeper.sleep(kSplashStep);
        desktop.doEvents();
    }
    frmStart.unload();
    loadResident();
    return true;
}

} // namespace kumoden
