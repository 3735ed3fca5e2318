/*
 * indication_log.h - the file of --log: one line per indication, appended,
 * readable by other programs while Tolvar.exe runs.
 */
#ifndef TOLVAR_HOST_INDICATION_LOG_H
#define TOLVAR_HOST_INDICATION_LOG_H

#include <windows.h>

#include <string>

namespace tolvar {

class IndicationLog {
public:
    ~IndicationLog() { Close(); }
    // False with the system's error code when the file cannot be opened.
    bool Open(const std::string &path, DWORD *error);
    void Write(const std::string &line);
    void Close();
    bool open() const { return file_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

}  // namespace tolvar

#endif  // TOLVAR_HOST_INDICATION_LOG_H
