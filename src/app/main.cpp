#include <QApplication>

#include "ui/application_setup.h"
#include "ui/main_dialog.h"
#include "ui/startup_directory.h"

// The console runs exactly as long as its one window: no options, no main loop after it.
int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    kt::ui::setUpApplication(application);
    // Fixed now, before any file dialog can change the current directory.
    kt::ui::startupDirectory();

    kt::ui::MainDialog window;
    window.exec();
    return 0;
}
