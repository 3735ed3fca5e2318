/*
 * indicator.h - Tolvar.exe while it runs: the hidden window that receives
 * reports, tray clicks and commands; the settings and everything made from
 * them (the hook's table, the icons, the tray); the two displays.
 *
 * Everything here runs on the program's UI thread, except
 * OnReportFromHook, which the report listener calls on its own thread after
 * it has answered the hook, and which only posts. The keyboard hook is held
 * by a thread of its own that only pumps messages (hook_thread.h), and on
 * 64-bit Windows the 64-bit companion process holds the 64-bit one.
 *
 *   indicator_startup.cpp   start in the order the libraries need, stop
 *   indicator_window.cpp    window procedure, tray menu, commands
 *   indicator_reports.cpp   a report becomes an indication
 *   indicator_resync.cpp    states and displays put right after changes
 *                           the hook could not see
 *   ../settings/options_round_trip.cpp  the options dialog's callbacks
 *   indicator_display_window.cpp  the Display window's calls
 */
#ifndef TOLVAR_HOST_INDICATOR_H
#define TOLVAR_HOST_INDICATOR_H

#include <windows.h>

#include <string>
#include <vector>

#include "host/app/command_line.h"
#include "host/channel/companion_process.h"
#include "host/app/demo.h"
#include "host/channel/hook_thread.h"
#include "host/channel/host_channel.h"
#include "host/app/indication_log.h"
#include "host/app/screen_reader.h"
#include "host/tray/key_visuals.h"
#include "host/display/screen_displays.h"
#include "host/settings/options_library.h"
#include "host/channel/report_timing.h"
#include "host/settings/settings.h"
#include "host/sound/sound_player.h"
#include "host/channel/state_resync.h"
#include "host/tray/tray_icons.h"

namespace tolvar {

// The class of the hidden window; a second start finds the first by it.
extern const char kIndicatorWindowClass[];

enum : UINT {
    kMsgReport = WM_APP + 1,       // wParam: PackReport(), lParam: report number
    kMsgTray = WM_APP + 2,         // the tray icons' mouse messages
    kMsgOpenOptions = WM_APP + 3,  // sent by a second start
    kMsgStarted = WM_APP + 4,      // notices and the splash, once running
    kMsgCompanionEnded = WM_APP + 5,  // the 64-bit companion ended on its own
    kMsgOpenDisplay = WM_APP + 6,     // sent by a second start with --display
    kMsgWindowEvent = WM_APP + 10,    // the foreground window changed or moved
    // Sent to a display preview's listener when its sample display was
    // dragged and let go; lParam: const DraggedPlace * for the monitors now.
    kMsgPlaceDragged = WM_APP + 20,
};

class Indicator {
public:
    Indicator();
    ~Indicator();
    // Runs the program until Exit; returns its exit code.
    int Run(const CommandLine &line);

    // ../display/display_preview.cpp: while the Display window is open,
    // samples of the displays as its draft says (kept on screen, the
    // sample display draggable when the draft places it by dragging; a
    // drop is sent to listener as kMsgPlaceDragged); EndPreview puts back
    // what the settings show.
    void PreviewDisplay(const Settings &draft, HWND listener);
    void EndPreview();

private:
    // indicator_startup.cpp
    bool StartUp();
    void ShutDown();
    void EndSession();
    void ReleaseSharedObjects();
    bool Fail(const std::string &text);
    void LoadSettings();
    void ReadLockStates();
    void TurnNumLockOn();
    void StartCompanion();
    static std::string CompanionNotice(const std::string &problem);
    int ExpectedDemoIndications() const;

    // indicator_window.cpp
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnStarted();
    void OnCompanionEnded();
    void OnTray(UINT mouseMessage);
    void ShowMenu();
    void OnCommand(UINT id);
    void OpenOptions();
    void OpenDisplayWindow();
    void OpenGuide();
    void Warn(const std::string &text);
    void Quit();
    void AfterModalLoop();

    // indicator_reports.cpp
    static void OnReportFromHook(const Report &report, void *context);
    void OnReport(WPARAM packed, LPARAM number);
    void Indicate(size_t key, int32_t state, LONG number);
    void ShowPending();
    int32_t &StateOf(size_t key);
    int32_t &LockState(int32_t keyCode);
    void RefreshTray();
    void UpdateTrayIcon(size_t key);
    // The displays take the settings, and the indicators that stay the
    // lock keys' states.
    void UpdateDisplays();
    void UpdateIndicatorsThatStay();
    void UpdateProgramTrayIcon(bool wanted);
    std::vector<int32_t> TrayStates();
    // The tray's default icons after the taskbar's look or size changed.
    void RestyleTray();

    // indicator_resync.cpp
    void OnOutsideChange(unsigned changes);
    void KeepKeyStateInStep(int32_t keyCode, int32_t reported);
    void ResyncLockStates();

    // options_round_trip.cpp
    static int32_t WINAPI LoadForOptions(KeyCollection *collection, void *context);
    static int32_t WINAPI SaveFromOptions(KeyCollection *collection, void *context);
    void ApplySettings(const Settings &next);
    void SaveSettings();
    void SaveKeptSettings();

    // indicator_display_window.cpp
    void ApplyDisplayChoices(const Settings &draft);

    CommandLine line_;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    UINT taskbarCreated_ = 0;
    DWORD startTick_ = 0;
    bool running_ = false;
    bool quitting_ = false;

    std::string settingsPath_;
    bool settingsWritable_ = true;
    // Changes the file could not take yet, and whether the user knows.
    bool settingsUnsaved_ = false;
    bool unsavedTold_ = false;
    Settings settings_;
    std::vector<std::string> notices_;  // shown once the program runs

    HostChannel channel_;
    ReportListener listener_;
    HookLibrary hook_;
    HookThread hookThread_;
    CompanionProcess companion_;
    OptionsLibrary options_;
    std::string optionsProblem_;

    TrayIcons tray_;
    std::vector<UINT> trayIds_;  // per key
    StateResync resync_;
    KeyVisuals visuals_;
    ScreenDisplays displays_;
    HICON previewIcon_ = nullptr;
    SoundPlayer sounds_;
    IndicationLog log_;
    ScreenReader screenReader_;
    std::string announcement_;  // the latest indication's, still to be said
    ReportTiming timing_;
    Demo demo_;

    std::vector<int32_t> keyStates_;  // per key; lock keys use lockStates_
    // What the tray and the display still have to show once no further
    // report waits in the queue, or at the latest kMaxPendingMs after the
    // first of them (a burst shows its latest state, not every step).
    std::vector<bool> trayStale_;
    bool pending_ = false;
    DWORD pendingSince_ = 0;
    int displayKey_ = -1;
    int32_t displayState_ = 0;
    std::vector<LONG> unshownReports_;
    int32_t lockStates_[3] = {0, 0, 0};
};

}  // namespace tolvar

#endif  // TOLVAR_HOST_INDICATOR_H
