#pragma once

#include <QApplication>
#include <cstdlib>

// The widget application of a test program (offscreen unless told
// otherwise), made on first use and kept to the end.
inline QApplication& TestApp()
{
    static int argc = 1;
    static char name[] = "annalux-test";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication* app =
        qobject_cast<QApplication*>(QApplication::instance()) ?: new QApplication(argc, argv);
    return *app;
}
