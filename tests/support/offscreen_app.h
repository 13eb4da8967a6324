#pragma once

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

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

// Runs show(), which opens the form modally, and the steps inside its modal
// loop once the form is up. A form that does not come up, or that the steps
// leave open, fails the test and is closed: the loop never outlives the test.
inline void WhileModal(QDialog& form, const std::function<void()>& show, const std::function<void()>& steps)
{
    QTimer::singleShot(0, [&] {
        if (!QTest::qWaitForWindowActive(&form)) {
            ADD_FAILURE() << "the form did not come up";
        } else {
            steps();
        }
        if (form.isVisible()) {
            ADD_FAILURE() << "the form is still open";
            form.done(0);
        }
    });
    show();
}

} // namespace kumoden::test
