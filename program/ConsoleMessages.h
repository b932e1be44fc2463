#pragma once

// Replaces the message boxes with lines on standard error, for starts that
// no person watches (the package test). Nothing waits for an answer then.
void useConsoleMessages();
