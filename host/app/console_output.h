/*
 * console_output.h - a line for whoever started Tolvar.exe from a command
 * line or a script (--exit). Installers run --exit too, also silently, so
 * it never shows a message box: its exit code and this line tell.
 */
#ifndef TOLVAR_HOST_CONSOLE_OUTPUT_H
#define TOLVAR_HOST_CONSOLE_OUTPUT_H

#include <string>

namespace tolvar {

// Writes the line to the program's standard error when it has one (its
// starter redirected it), else to the console of the program that started
// it, if that has one; else nowhere.
void WriteToConsole(const std::string &line);

}  // namespace tolvar

#endif  // TOLVAR_HOST_CONSOLE_OUTPUT_H
