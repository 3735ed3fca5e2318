// foreign_object.cpp - named objects with someone else's owner or label.
#include "foreign_object.h"

#include <sddl.h>

#include <string>

#ifndef LABEL_SECURITY_INFORMATION
#define LABEL_SECURITY_INFORMATION 0x00000010L
#endif

namespace tolvar_test {

namespace {

// "O:<this user>S:(ML;;NW;;;ME)": what Tolvar gives its own objects.
std::string OwnDescriptor()
{
    HANDLE token = nullptr;
    BYTE buffer[256];
    DWORD size = 0;
    char *sid = nullptr;
    std::string text;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) &&
        GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER *>(buffer)->User.Sid, &sid)) {
        text = std::string("O:") + sid + "S:(ML;;NW;;;ME)";
        LocalFree(sid);
    }
    if (token)
        CloseHandle(token);
    return text;
}

} // namespace

ForeignObject::~ForeignObject()
{
    if (!handle_)
        return;
    if (held_)
        ReleaseMutex(handle_);
    Apply(OwnDescriptor().c_str());
    CloseHandle(handle_);
}

bool ForeignObject::Make(Kind kind, const char *name, const char *descriptor)
{
    handle_ = kind == kMapping ? CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, name)
                               : CreateMutexA(nullptr, FALSE, name);
    if (!handle_)
        return false;
    // Taken by waiting: a mutex that exists already ignores the initial owner.
    if (kind == kHeldMutex) {
        const DWORD wait = WaitForSingleObject(handle_, 5000);
        held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        if (!held_)
            return false;
    }
    return !descriptor || Apply(descriptor);
}

bool ForeignObject::Apply(const char *descriptor)
{
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(descriptor, SDDL_REVISION_1, &sd, nullptr))
        return false;
    PSID owner = nullptr;
    PACL sacl = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    SECURITY_INFORMATION parts = 0;
    if (GetSecurityDescriptorOwner(sd, &owner, &defaulted) && owner)
        parts |= OWNER_SECURITY_INFORMATION;
    if (GetSecurityDescriptorSacl(sd, &present, &sacl, &defaulted) && present)
        parts |= LABEL_SECURITY_INFORMATION;
    const bool applied = SetKernelObjectSecurity(handle_, parts, sd) != FALSE;
    LocalFree(sd);
    return applied;
}

} // namespace tolvar_test
