#include "app/WheelApp.h"

int main(int argc, char** argv)
{
    CWheelApp app(argc, argv);
    return app.InitInstance();
}
