#include "shell/settings/LoadSettings.h"
#include "shell/window/PathText.h"
#include "shell/window/StartTamrex.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    return tamrex::RunTamrex(tamrex::ToPath(QDir::currentPath()), tamrex::DefaultSettingsFile());
}
