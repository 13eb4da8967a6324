#pragma once

#include <QApplication>

#include <cstdlib>

namespace kumoden::test {

// The one application object of a test program that builds Qt widgets:
// made on first use, on the offscreen platform, so that no display is
// needed and none is touched.
inline QApplication& OffscreenApplication()
{
    static int argc = 1;
    static char name[] = "kumoden-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return new QApplication(argc, argv);
    }();
    return *app;
}

} // namespace kumoden::test
