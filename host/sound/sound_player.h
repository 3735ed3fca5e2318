/*
 * sound_player.h - the sounds of indications, played on a thread of their
 * own so that neither the hook's answer (given before) nor the tray and the
 * display (updated meanwhile) wait for the sound system, nor for the file:
 * the player's thread is the only one that touches a sound file, so a sound
 * on a network drive that sleeps or has gone holds up nothing else.
 *
 * Sounds asked for while the thread is busy wait in order; when the thread
 * gets to them, each is looked at (its file there or not) and reported, and
 * only the latest is started, as a newer sound cuts an older one short
 * anyway. The thread sleeps while nothing is asked.
 */
#ifndef TOLVAR_HOST_SOUND_PLAYER_H
#define TOLVAR_HOST_SOUND_PLAYER_H

#include <windows.h>

#include <deque>
#include <functional>
#include <string>

#include "host/display/indication.h"

namespace tolvar {

class SoundPlayer {
public:
    // Told what a sound request plays, for the log: a full path, "res:<id>",
    // "beep" or "silent".
    using Played = std::function<void(const std::string &played)>;

    ~SoundPlayer() { Stop(); }
    // Without its thread (false), sounds are played on the calling thread.
    bool Start(HINSTANCE program);
    // Reports every request still waiting, then ends the thread and the
    // sound playing.
    void Stop();
    // Hands the choice to the player. A relative file means a file beside
    // the program (media_path.h); a file that is not there falls back to the
    // program's resource sound. played (may be empty) is called on the
    // player's thread, in the order of the requests.
    void Play(const SoundChoice &choice, Played played);

private:
    struct Request {
        SoundChoice choice;
        Played played;
    };
    static DWORD WINAPI ThreadMain(void *self);
    // What the request plays: its kind, with the file resolved or the
    // resource that stands in for a missing file.
    SoundChoice Decide(const SoundChoice &choice) const;
    void PlayNow(const SoundChoice &decided);
    // Decides and reports each request in order, and plays the last one
    // that is not silent.
    void Handle(const std::deque<Request> &requests, bool play);

    HINSTANCE program_ = nullptr;
    std::string programFolder_;
    HANDLE thread_ = nullptr;
    HANDLE wake_ = nullptr;
    CRITICAL_SECTION lock_;
    bool lockReady_ = false;
    bool stopping_ = false;
    std::deque<Request> requests_;
};

}  // namespace tolvar

#endif  // TOLVAR_HOST_SOUND_PLAYER_H
