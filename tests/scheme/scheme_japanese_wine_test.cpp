// Schemes in a Japanese system's ANSI code page (932), where the second byte
// of a letter may be "\" (0x5C) or "|" (0x7C): media files named so are saved
// under their whole names and load back into the store. The program runs
// with Wine's locale set to Japanese (see CMakeLists.txt) and in a folder of
// its own, so "Sounds" and "Icons" beside it are its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "options/frame/key_collection.h"
#include "options/scheme/scheme_io.h"
#include "tests/scheme/scheme_bytes.h"

namespace tolvar {
namespace {

using namespace tolvar::testing;

std::string Folder()
{
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    *std::strrchr(module, '\\') = 0;  // the folder's name is plain ASCII
    return module;
}

bool Put(const std::string &path, const std::string &content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == content.size();
}

std::string Get(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char buffer[256];
    DWORD got = 0;
    const bool ok = file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(file);
    return ok ? std::string(buffer, got) : std::string();
}

TEST(SchemeInJapanese, NamesWithBackslashAndBarBytesSaveAndLoadWhole)
{
    ASSERT_EQ(932u, GetACP()) << "Wine's locale is Japanese for this program";
    const std::string host = Folder(), media = host + "\\media";
    const std::string pop = "\x83\x7C\x83\x62\x83\x76.wav";  // ポップ.wav
    const std::string table = "\x95\x5C\x83\x5C.ico";         // 表ソ.ico
    for (const char *folder : {"\\Sounds\\", "\\Icons\\", "\\media\\"}) {
        DeleteFileA((host + folder + pop).c_str());
        DeleteFileA((host + folder + table).c_str());
    }
    CreateDirectoryA(media.c_str(), nullptr);
    ASSERT_TRUE(Put(media + "\\" + pop, "pop sound"));
    ASSERT_TRUE(Put(media + "\\" + table, "table icon"));

    KeyCollection saved;
    KeyCollectionHeader header = MakeHeader(1);
    saved.SetHeader(&header);
    const KeyItem item = MakeItem(20, "Caps Lock", (media + "\\" + pop).c_str(), "",
                                  (media + "\\" + table).c_str());
    saved.AppendItem(&item);
    ASSERT_TRUE(WriteScheme(saved, (media + "\\japanese.tvs").c_str()));

    KeyCollection loaded;
    ASSERT_TRUE(ReadScheme(loaded, (media + "\\japanese.tvs").c_str()));
    const KeyItem &back = loaded.GetData()->items[0];
    EXPECT_EQ(host + "\\Sounds\\" + pop, back.soundOnPath);
    EXPECT_EQ(host + "\\Icons\\" + table, back.iconOnPath);
    EXPECT_EQ("pop sound", Get(back.soundOnPath));
    EXPECT_EQ("table icon", Get(back.iconOnPath));
}

} // namespace
} // namespace tolvar
