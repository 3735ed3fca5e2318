// Indication sounds, on the player's thread.
#include "host/sound_player.h"

#include <mmsystem.h>

#include "host/system_sound.h"

namespace tolvar {

bool SoundPlayer::Start(HINSTANCE program)
{
    program_ = program;
    InitializeCriticalSection(&lock_);
    lockReady_ = true;
    wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    thread_ = wake_ ? CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr) : nullptr;
    return thread_ != nullptr;
}

void SoundPlayer::Stop()
{
    if (thread_) {
        EnterCriticalSection(&lock_);
        stopping_ = true;
        LeaveCriticalSection(&lock_);
        SetEvent(wake_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (wake_)
        CloseHandle(wake_);
    wake_ = nullptr;
    if (lockReady_)
        DeleteCriticalSection(&lock_);
    lockReady_ = false;
}

std::string SoundPlayer::Play(const SoundChoice &choice)
{
    Request request;
    request.kind = choice.kind;
    request.resourceId = choice.resourceId;
    std::string played;
    switch (choice.kind) {
    case SoundChoice::kSilent:
        return "silent";
    case SoundChoice::kBeep:
        played = "beep";
        break;
    case SoundChoice::kFile: {
        const DWORD attributes = GetFileAttributesA(choice.file.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            request.file = choice.file;
            played = choice.file;
            break;
        }
        // Gone since it was chosen: the default sound instead.
        request.kind = SoundChoice::kResource;
        played = ResourceText(choice.resourceId);
        break;
    }
    case SoundChoice::kResource:
        played = ResourceText(choice.resourceId);
        break;
    }
    if (!thread_) {
        PlayNow(request);
        return played;
    }
    EnterCriticalSection(&lock_);
    request_ = request;
    hasRequest_ = true;
    LeaveCriticalSection(&lock_);
    SetEvent(wake_);
    return played;
}

DWORD WINAPI SoundPlayer::ThreadMain(void *param)
{
    SoundPlayer *self = static_cast<SoundPlayer *>(param);
    for (;;) {
        WaitForSingleObject(self->wake_, INFINITE);
        EnterCriticalSection(&self->lock_);
        const bool stopping = self->stopping_;
        const bool has = self->hasRequest_;
        const Request request = self->request_;
        self->hasRequest_ = false;
        LeaveCriticalSection(&self->lock_);
        if (stopping) {
            PlaySystemSound(nullptr, nullptr, 0);
            return 0;
        }
        if (has)
            self->PlayNow(request);
    }
}

void SoundPlayer::PlayNow(const Request &request)
{
    switch (request.kind) {
    case SoundChoice::kSilent:
        break;
    case SoundChoice::kBeep:
        MessageBeep(0xFFFFFFFF);
        break;
    case SoundChoice::kFile:
        PlaySystemSound(request.file.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
        break;
    case SoundChoice::kResource:
        PlaySystemSound(MAKEINTRESOURCEA(request.resourceId), program_,
                   SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
        break;
    }
}

}  // namespace tolvar
