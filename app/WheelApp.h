#pragma once
// The application: sets up fonts, reads the command line and runs the main
// window until it closes.

#include <QApplication>

class CWheelApp : public QApplication {
    Q_OBJECT
public:
    CWheelApp(int& argc, char** argv);

    // Runs the main window modally; the result is the process's exit code.
    int InitInstance();
};
