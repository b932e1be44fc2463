#pragma once

#include <QStringList>

class QCommandLineParser;

// What the command-line tools print: Russian, as the program speaks, on
// standard output for what was done and on standard error, after the tool's
// name, for what went wrong.
enum ExitCode { Ok = 0, Failed = 1, BadUsage = 2 };

// Names the tool and puts Qt's own texts (the command line's help) in Russian.
void startConsoleTool(const QString &name);
void printLine(const QString &text);
// Prints text as the tool's error; returns code, for `return fail(...)`.
int fail(const QString &text, int code = Failed);
// Reads the command line; --help is answered and a wrong one refused with
// the help text (the tool then ends). Returns the positional arguments.
QStringList parseCommandLine(QCommandLineParser &parser, const QStringList &arguments);
