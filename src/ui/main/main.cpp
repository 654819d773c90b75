// dorvane: the mail browser window. It takes no arguments and keeps no settings; every
// start begins from the registry and the store.

#include <clocale>

#include <QApplication>

#include "ui/main/main_window.h"
#include "ui/tools/progress_dialog.h"
#include "ui/tools/user_interaction.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Dates in the list follow the user's LC_TIME, as the command line's do.
    std::setlocale(LC_TIME, "");
    int status = 0;
    {
        dorvane::ui::DesktopInteraction interaction;
        dorvane::ui::TForm1 window(interaction);
        window.show();
        status = QApplication::exec();
    }
    dorvane::ui::ReleaseFrmProgress();
    return status;
}
