#include "app/addressbookapp.h"

int main(int argc, char* argv[])
{
    CAddressBookApp app(argc, argv);
    int code = 1;
    if (app.InitInstance())
        code = app.exec();
    return app.ExitInstance(code);
}
