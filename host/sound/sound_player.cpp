// Indication sounds, on the player's thread.
#include "host/sound/sound_player.h"

#include <mmsystem.h>

#include "host/settings/media_path.h"
#include "host/app/program_paths.h"
#include "host/sound/system_sound.h"

namespace tolvar {

namespace {

std::string PlayedText(const SoundChoice &decided)
{
    switch (decided.kind) {
    case SoundChoice::kSilent:
        return "silent";
    case SoundChoice::kBeep:
        return "beep";
    case SoundChoice::kFile:
        return decided.file;
    case SoundChoice::kResource:
        break;
    }
    return ResourceText(decided.resourceId);
}

}  // namespace

bool SoundPlayer::Start(HINSTANCE program)
{
    program_ = program;
    programFolder_ = ProgramFolder();
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

void SoundPlayer::Play(const SoundChoice &choice, Played played)
{
    Request request = {choice, std::move(played)};
    if (!thread_) {
        Handle(std::deque<Request>(1, request), true);
        return;
    }
    EnterCriticalSection(&lock_);
    requests_.push_back(std::move(request));
    LeaveCriticalSection(&lock_);
    SetEvent(wake_);
}

DWORD WINAPI SoundPlayer::ThreadMain(void *param)
{
    SoundPlayer *self = static_cast<SoundPlayer *>(param);
    for (;;) {
        WaitForSingleObject(self->wake_, INFINITE);
        std::deque<Request> requests;
        EnterCriticalSection(&self->lock_);
        const bool stopping = self->stopping_;
        requests.swap(self->requests_);
        LeaveCriticalSection(&self->lock_);
        self->Handle(requests, !stopping);
        if (stopping) {
            PlaySystemSound(nullptr, nullptr, 0);
            return 0;
        }
    }
}

SoundChoice SoundPlayer::Decide(const SoundChoice &choice) const
{
    SoundChoice decided = choice;
    if (choice.kind != SoundChoice::kFile)
        return decided;
    decided.file = ResolveMediaPath(choice.file, programFolder_);
    const DWORD attributes =
        decided.file.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(decided.file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // Gone since it was chosen: the default sound instead.
        decided.kind = SoundChoice::kResource;
        decided.file.clear();
    }
    return decided;
}

void SoundPlayer::Handle(const std::deque<Request> &requests, bool play)
{
    SoundChoice latest = {SoundChoice::kSilent, std::string(), 0};
    for (const Request &request : requests) {
        const SoundChoice decided = Decide(request.choice);
        if (request.played)
            request.played(PlayedText(decided));
        if (decided.kind != SoundChoice::kSilent)
            latest = decided;
    }
    if (play)
        PlayNow(latest);
}

void SoundPlayer::PlayNow(const SoundChoice &decided)
{
    switch (decided.kind) {
    case SoundChoice::kSilent:
        break;
    case SoundChoice::kBeep:
        MessageBeep(0xFFFFFFFF);
        break;
    case SoundChoice::kFile:
        PlaySystemSound(decided.file.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
        break;
    case SoundChoice::kResource:
        PlaySystemSound(MAKEINTRESOURCEA(decided.resourceId), program_,
                   SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
        break;
    }
}

}  // namespace tolvar
