#pragma once
// Shared by the window tests: one QApplication for the whole test program, with
// the editor's fonts and settings of its own (never the user's list of recent
// pictures), and a wait that keeps the event loop running.

#include "app/AppOptions.h"
#include "dialogs/Fonts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace wheeltest {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char arg0[] = "wheel-window-tests";
        static char* argv[] = {arg0, nullptr};
        m_app = new QApplication(argc, argv);
        wheel::InstallApplicationFont();
        m_settings = new QTemporaryDir;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings->path());
    }
    void TearDown() override
    {
        delete m_settings;
        delete m_app;
    }

private:
    QApplication* m_app = nullptr;
    QTemporaryDir* m_settings = nullptr;
};

// The main window's options in tests: a simulated wheel light that is not
// plugged in, so that no window test can reach a real one.
inline wheel::AppOptions NoWheelLight()
{
    wheel::AppOptions options;
    options.simulate = wheel::Simulation::Absent;
    return options;
}

// Runs the event loop until done() holds; false when it still does not after
// timeoutMs.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(5);
    }
    return true;
}

} // namespace wheeltest
