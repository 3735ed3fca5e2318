// Tolvar.dll through its entry table.
#include "host/settings/options_library.h"

#include "host/display/dpi_awareness.h"

namespace tolvar {

namespace {

const int32_t kAboutRole = 0;
const int32_t kSplashRole = 1;

}  // namespace

bool OptionsLibrary::Load(const std::wstring &path, std::string *error)
{
    Unload();
    module_ = LoadLibraryW(path.c_str());
    if (!module_) {
        *error = "error " + std::to_string(GetLastError());
        return false;
    }
    InitDLLProc init = reinterpret_cast<InitDLLProc>(
        reinterpret_cast<void *>(GetProcAddress(module_, TV_INIT_DLL_EXPORT)));
    const OptionsEntryTable *table = init ? init(0) : nullptr;
    if (!table || table->size != sizeof(OptionsEntryTable)) {
        *error = init ? "it returned no entry table" : "it has no InitDLL";
        Unload();
        return false;
    }
    table_ = table;
    return true;
}

void OptionsLibrary::ShowOptions(HWND parent, void *context, LoadSettingsProc load,
                                 SaveSettingsProc save)
{
    // Its dialogs are laid out for one DPI: the system scales them.
    ThreadDpiAwareness systemAware(ThreadDpiAwareness::kSystemAware);
    if (table_)
        table_->ShowOptions(parent, context, load, save);
}

void OptionsLibrary::ShowAbout(HWND parent)
{
    ThreadDpiAwareness systemAware(ThreadDpiAwareness::kSystemAware);
    if (table_)
        table_->ShowAbout(parent, kAboutRole);
}

void OptionsLibrary::ShowSplash(HWND parent)
{
    ThreadDpiAwareness systemAware(ThreadDpiAwareness::kSystemAware);
    if (table_)
        table_->ShowAbout(parent, kSplashRole);
}

void OptionsLibrary::Unload()
{
    table_ = nullptr;
    if (module_)
        FreeLibrary(module_);
    module_ = nullptr;
}

}  // namespace tolvar
