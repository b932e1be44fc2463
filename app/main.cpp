#include "app/Application.h"
#include "app/WindowSet.h"

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    initResources();
    return runProgram();
}
