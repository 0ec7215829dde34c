// Varoku: the application object, the main window, the message loop. No arguments are
// read; everything the program needs is in its settings file, beside the program when
// it runs portable, otherwise under the user's XDG folders.
#include "app/application.h"
#include "app/main_form.h"
#include "platform/file_locations.h"
#include "platform/termination_signals.h"

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TMainForm1 form(platform::FileLocations(platform::ProgramEnvironment()));
    form.show();
    platform::CloseOnTerminationSignals(&form);
    return TApplication::exec();
}
