/*
 * dpi_awareness.h - the DPI awareness a thread creates its windows with.
 *
 * The program is per-monitor DPI aware (its manifest): each display is laid
 * out for the DPI of its monitor. The options library's dialogs know only
 * one DPI, so they are opened system-aware, and the system scales them on
 * other monitors. Systems before Windows 10 1607 (and Wine versions)
 * without the thread's own awareness leave the process's as it is.
 */
#ifndef TOLVAR_HOST_DPI_AWARENESS_H
#define TOLVAR_HOST_DPI_AWARENESS_H

namespace tolvar {

// Windows made on this thread while it lives have this awareness.
class ThreadDpiAwareness {
public:
    enum Context { kSystemAware, kPerMonitorV2 };
    explicit ThreadDpiAwareness(Context context);
    ~ThreadDpiAwareness();
    ThreadDpiAwareness(const ThreadDpiAwareness &) = delete;
    ThreadDpiAwareness &operator=(const ThreadDpiAwareness &) = delete;

private:
    void *previous_ = nullptr;
};

}  // namespace tolvar

#endif  // TOLVAR_HOST_DPI_AWARENESS_H
