// The security of Tolvar's named objects; see object_security.h.
#include "host/app/object_security.h"

#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

// Vista's additions, which the headers offer only to programs that require
// Vista; the calls themselves are as old as the system's security API.
#ifndef LABEL_SECURITY_INFORMATION
#define LABEL_SECURITY_INFORMATION 0x00000010L
#endif
#ifndef SYSTEM_MANDATORY_LABEL_ACE_TYPE
#define SYSTEM_MANDATORY_LABEL_ACE_TYPE 0x11
#endif
#ifndef SECURITY_MANDATORY_MEDIUM_RID
#define SECURITY_MANDATORY_MEDIUM_RID 0x00002000L
#endif

namespace tolvar {

namespace {

// This process's token information of one class (TokenUser, TokenOwner),
// or an empty buffer.
std::vector<BYTE> TokenInformation(TOKEN_INFORMATION_CLASS kind)
{
    std::vector<BYTE> buffer;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return buffer;
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    buffer.resize(size);
    if (size == 0 || !GetTokenInformation(token, kind, buffer.data(), size, &size))
        buffer.clear();
    CloseHandle(token);
    return buffer;
}

PSID UserOf(std::vector<BYTE> &user)
{
    return user.empty() ? nullptr : reinterpret_cast<TOKEN_USER *>(user.data())->User.Sid;
}

PSID OwnerOf(std::vector<BYTE> &owner)
{
    return owner.empty() ? nullptr : reinterpret_cast<TOKEN_OWNER *>(owner.data())->Owner;
}

struct Security {
    SECURITY_ATTRIBUTES attributes = {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};

    Security()
    {
        std::vector<BYTE> user = TokenInformation(TokenUser);
        char *sid = nullptr;
        if (!UserOf(user) || !ConvertSidToStringSidA(UserOf(user), &sid))
            return;
        const std::string ownerAndAccess = std::string("O:") + sid + "D:(A;;GA;;;" + sid + ")(A;;GA;;;SY)";
        LocalFree(sid);
        // Without the label where the system knows none (before Vista).
        for (const std::string &text : {ownerAndAccess + "S:(ML;;NW;;;ME)", ownerAndAccess}) {
            if (ConvertStringSecurityDescriptorToSecurityDescriptorA(text.c_str(), SDDL_REVISION_1,
                                                                     &attributes.lpSecurityDescriptor,
                                                                     nullptr))
                return;
        }
    }
};

bool LabelBelowMedium(const ACL *sacl)
{
    if (!sacl)
        return false;  // no label: medium
    for (DWORD i = 0; i < sacl->AceCount; ++i) {
        void *ace = nullptr;
        if (!GetAce(const_cast<ACL *>(sacl), i, &ace) ||
            static_cast<ACE_HEADER *>(ace)->AceType != SYSTEM_MANDATORY_LABEL_ACE_TYPE)
            continue;
        // The label's SID is S-1-16-<level>.
        PSID level = &static_cast<SYSTEM_MANDATORY_LABEL_ACE *>(ace)->SidStart;
        if (!IsValidSid(level) || *GetSidSubAuthorityCount(level) == 0)
            return true;
        return *GetSidSubAuthority(level, *GetSidSubAuthorityCount(level) - 1) <
               SECURITY_MANDATORY_MEDIUM_RID;
    }
    return false;
}

bool OwnedByThisUser(PSID owner)
{
    // The user, or whom the system makes the owner of the user's new objects
    // (the administrators' group in an elevated program).
    std::vector<BYTE> user = TokenInformation(TokenUser);
    std::vector<BYTE> defaultOwner = TokenInformation(TokenOwner);
    return (UserOf(user) && EqualSid(owner, UserOf(user))) ||
           (OwnerOf(defaultOwner) && EqualSid(owner, OwnerOf(defaultOwner)));
}

}  // namespace

SECURITY_ATTRIBUTES *NamedObjectSecurity()
{
    // Built once and kept for the program's life.
    static Security security;
    return security.attributes.lpSecurityDescriptor ? &security.attributes : nullptr;
}

bool MadeByThisUser(HANDLE object)
{
    bool trusted = true;
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) == ERROR_SUCCESS) {
        trusted = !owner || OwnedByThisUser(owner);
        LocalFree(descriptor);
    }
    PACL sacl = nullptr;
    descriptor = nullptr;
    if (trusted && GetSecurityInfo(object, SE_KERNEL_OBJECT, LABEL_SECURITY_INFORMATION, nullptr,
                                   nullptr, nullptr, &sacl, &descriptor) == ERROR_SUCCESS) {
        trusted = !LabelBelowMedium(sacl);
        LocalFree(descriptor);
    }
    return trusted;
}

}  // namespace tolvar
