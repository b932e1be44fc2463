#pragma once

// Replaces the message boxes with lines on standard error, for starts that
// no person watches (the package test). Nothing waits for an answer then:
// questions are answered Yes, the program's own dialogs closed unchanged.
void useConsoleMessages();
