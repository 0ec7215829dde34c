// Varoku: the application object, the main window, the message loop. No arguments are
// read; everything the program needs is in its settings file.
#include "app/application.h"
#include "app/main_form.h"

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TMainForm1 form;
    form.show();
    return TApplication::exec();
}
