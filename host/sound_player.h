/*
 * sound_player.h - the sounds of indications, played on a thread of their
 * own so that neither the hook's answer (given before) nor the tray and the
 * display (updated meanwhile) wait for the sound system. A sound asked for
 * while another is being started replaces it, as a newer sound cuts an
 * older one short anyway; the thread sleeps while nothing is asked.
 */
#ifndef TOLVAR_HOST_SOUND_PLAYER_H
#define TOLVAR_HOST_SOUND_PLAYER_H

#include <windows.h>

#include <string>

#include "host/indication.h"

namespace tolvar {

class SoundPlayer {
public:
    ~SoundPlayer() { Stop(); }
    bool Start(HINSTANCE program);
    void Stop();
    // Hands the choice to the player (a file that does not exist falls back
    // to the program's resource sound) and returns what it plays, for the
    // log: a path, "res:<id>", "beep" or "silent".
    std::string Play(const SoundChoice &choice);

private:
    struct Request {
        SoundChoice::Kind kind = SoundChoice::kSilent;
        std::string file;
        int resourceId = 0;
    };
    static DWORD WINAPI ThreadMain(void *self);
    void PlayNow(const Request &request);

    HINSTANCE program_ = nullptr;
    HANDLE thread_ = nullptr;
    HANDLE wake_ = nullptr;
    CRITICAL_SECTION lock_;
    bool lockReady_ = false;
    bool stopping_ = false;
    bool hasRequest_ = false;
    Request request_;
};

}  // namespace tolvar

#endif  // TOLVAR_HOST_SOUND_PLAYER_H
