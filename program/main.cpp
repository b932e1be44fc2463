#include "program/Application.h"
#include "program/StartOptions.h"
#include "program/WindowSet.h"

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    // Fixed, so the per-user data folder does not depend on how the binary is named.
    QCoreApplication::setApplicationName(QStringLiteral("projectsales"));
    const StartOptions options = readStartOptions(app.arguments());
    initResources();
    return runProgram(options);
}
