#include "program/Application.h"
#include "program/WindowSet.h"

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    initResources();
    return runProgram();
}
