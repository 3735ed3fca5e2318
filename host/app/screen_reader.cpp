// Announcements through UI Automation.
#include "host/app/screen_reader.h"

#include <ole2.h>
#include <uiautomationcore.h>

#include <new>

#include "host/app/dll_search.h"
#include "host/app/program_paths.h"

namespace tolvar {

namespace {

typedef LRESULT(WINAPI *ReturnProviderProc)(HWND, WPARAM, LPARAM, IRawElementProviderSimple *);
typedef HRESULT(WINAPI *HostProviderProc)(HWND, IRawElementProviderSimple **);
typedef BOOL(WINAPI *ClientsListeningProc)();
typedef HRESULT(WINAPI *RaiseNotificationProc)(IRawElementProviderSimple *, int kind, int processing, BSTR text,
                                               BSTR activity);
typedef BSTR(WINAPI *AllocStringProc)(const OLECHAR *);
typedef void(WINAPI *FreeStringProc)(BSTR);

// The notification's kind and how a reader treats a burst: the latest only.
const int kNotificationKindOther = 4;
const int kNotificationProcessingMostRecent = 3;
const PROPERTYID kNameProperty = 30005;
const LONG kRootObjectId = -25;  // WM_GETOBJECT's object id for UI Automation
const IID kIidRawElementProviderSimple = {0xd6dd68d1, 0x86fd, 0x4332, {0x86, 0x66, 0x9a, 0xbe, 0xde, 0xa2, 0xd2, 0x4c}};

struct Calls {
    ReturnProviderProc returnProvider = nullptr;
    HostProviderProc hostProvider = nullptr;
    ClientsListeningProc clientsListening = nullptr;
    RaiseNotificationProc raiseNotification = nullptr;
    AllocStringProc allocString = nullptr;
    FreeStringProc freeString = nullptr;
} g_calls;

template <typename T> void Find(HMODULE module, const char *name, T *proc)
{
    *proc = FindExport<T>(module, name);
}

}  // namespace

// The window's element: its name, and everything else from the window's
// own element, which the system provides. UI Automation may call it on its
// own threads; it only answers with constants.
class WindowElement : public IRawElementProviderSimple {
public:
    explicit WindowElement(HWND window) : window_(window) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kIidRawElementProviderSimple)) {
            *out = static_cast<IRawElementProviderSimple *>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions *options) override
    {
        if (!options)
            return E_POINTER;
        *options = ProviderOptions_ServerSideProvider;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID, IUnknown **pattern) override
    {
        if (!pattern)
            return E_POINTER;
        *pattern = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT *value) override
    {
        if (!value)
            return E_POINTER;
        value->vt = VT_EMPTY;
        if (property == kNameProperty && g_calls.allocString) {
            value->bstrVal = g_calls.allocString(L"Tolvar");
            value->vt = value->bstrVal ? VT_BSTR : VT_EMPTY;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple **host) override
    {
        if (!host)
            return E_POINTER;
        *host = nullptr;
        return g_calls.hostProvider ? g_calls.hostProvider(window_, host) : S_OK;
    }

private:
    virtual ~WindowElement() {}
    HWND window_;
    volatile LONG references_ = 1;
};

ScreenReader::~ScreenReader()
{
    if (element_)
        element_->Release();
    // The libraries stay: the system may still hold the element's calls.
}

bool ScreenReader::Load()
{
    if (tried_)
        return g_calls.raiseNotification != nullptr;
    tried_ = true;
    automation_ = LoadSystemLibrary(L"uiautomationcore.dll");
    automationTypes_ = LoadSystemLibrary(L"oleaut32.dll");
    Find(automation_, "UiaReturnRawElementProvider", &g_calls.returnProvider);
    Find(automation_, "UiaHostProviderFromHwnd", &g_calls.hostProvider);
    Find(automation_, "UiaClientsAreListening", &g_calls.clientsListening);
    Find(automation_, "UiaRaiseNotificationEvent", &g_calls.raiseNotification);
    Find(automationTypes_, "SysAllocString", &g_calls.allocString);
    Find(automationTypes_, "SysFreeString", &g_calls.freeString);
    if (!g_calls.returnProvider || !g_calls.hostProvider || !g_calls.allocString || !g_calls.freeString)
        g_calls.raiseNotification = nullptr;
    return g_calls.raiseNotification != nullptr;
}

bool ScreenReader::Announce(HWND window, const std::string &text)
{
    if (!Load())
        return false;
    if (!element_)
        element_ = new (std::nothrow) WindowElement(window);
    if (!element_)
        return false;
    // Nobody listens: nothing to say (and nothing to pay for).
    if (g_calls.clientsListening && !g_calls.clientsListening())
        return false;
    BSTR said = g_calls.allocString(FromUtf8(text).c_str());
    BSTR activity = g_calls.allocString(L"Tolvar.Indication");
    const HRESULT result =
        said && activity ? g_calls.raiseNotification(element_, kNotificationKindOther,
                                                     kNotificationProcessingMostRecent, said, activity)
                         : E_OUTOFMEMORY;
    g_calls.freeString(said);
    g_calls.freeString(activity);
    return SUCCEEDED(result);
}

LRESULT ScreenReader::OnGetObject(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (element_ && g_calls.returnProvider && static_cast<LONG>(lParam) == kRootObjectId)
        return g_calls.returnProvider(window, wParam, lParam, element_);
    return DefWindowProcA(window, WM_GETOBJECT, wParam, lParam);
}

void ScreenReader::Stop(HWND window)
{
    if (element_ && g_calls.returnProvider)
        g_calls.returnProvider(window, 0, 0, nullptr);
}

}  // namespace tolvar
