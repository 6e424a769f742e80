// Zelvo: the main program of the workbench.
//
// Started in the working directory of a data package (the settings file
// "setpar" and the path file "setpath"). With ZELVO_NONINTERACTIVE set in
// the environment, messages go to standard error instead of message boxes
// (for runs without a user, such as start-up checks in scripts).
#include <QApplication>
#include <QDir>
#include <clocale>
#include <memory>

#include "framework/messages.h"
#include "framework/qtmessages.h"
#include "zelvo/app/dialogs.h"
#include "zelvo/app/library.h"
#include "zelvo/shell/app.h"

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    // Numbers are read and written with a decimal point whatever the locale.
    std::setlocale(LC_NUMERIC, "C");

    fw::QtMessageService boxes;
    fw::StderrMessageService console;
    fw::setMessageService(qEnvironmentVariableIsSet("ZELVO_NONINTERACTIVE") ? static_cast<fw::MessageService*>(&console)
                                                                            : &boxes);
    // The splash screen, unless the program is started for embedding.
    zelvo::SplashScreen::EnableSplashScreen(!zelvo::SplashScreen::embeddingSwitch(argc, argv) &&
                                            !qEnvironmentVariableIsSet("ZELVO_NONINTERACTIVE"));
    zelvo::ZelvomatLibrary lib;
    const std::string programDir = QDir(QCoreApplication::applicationDirPath()).absolutePath().toStdString() + "/";
    zelvo::TaskApp app(lib, programDir);
    const int code = app.run();
    fw::setMessageService(nullptr);
    return code;
}
