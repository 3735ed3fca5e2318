// memory_files.h - an in-memory file system for the scheme code, with fault
// injection (a write or a read that fails after a budget of bytes), for tests
// and the fuzz target.
#ifndef TOLVAR_TESTS_SCHEME_MEMORY_FILES_H
#define TOLVAR_TESTS_SCHEME_MEMORY_FILES_H

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "options/scheme/scheme_store.h"

namespace tolvar {
namespace testing {

class MemoryFiles final : public SchemeFileSystem {
public:
    explicit MemoryFiles(std::string hostFolder = "C:\\Host") : host_(std::move(hostFolder))
    {
        folders.insert(host_);
    }

    std::map<std::string, std::vector<uint8_t>> files;
    std::set<std::string> folders;
    // Total bytes that writes may still put anywhere (negative: unlimited).
    long long writeBudget = -1;
    // Total bytes that reads may still deliver (negative: unlimited).
    long long readBudget = -1;
    bool failRename = false;
    // Files that exist and show in listings but cannot be opened.
    std::set<std::string> unreadable;
    int openHandles = 0;
    // Calls by kind: "open", "read", "write", "seek", "move", "delete",
    // "look-up", "list".
    std::map<std::string, int> calls;

    Handle OpenRead(const char *path) override
    {
        ++calls["open"];
        if (!files.count(path) || unreadable.count(path))
            return nullptr;
        return NewHandle(path, false);
    }
    Handle CreateWrite(const char *path, bool) override
    {
        ++calls["open"];
        std::string p(path);
        if (folders.count(p) || !folders.count(Parent(p)))
            return nullptr;
        files[p].clear();
        return NewHandle(p, true);
    }
    bool Read(Handle file, void *buffer, uint32_t count, uint32_t *got) override
    {
        ++calls["read"];
        Open *h = static_cast<Open *>(file);
        *got = 0;
        if (h->write)
            return false;
        const std::vector<uint8_t> &data = files[h->path];
        size_t available = h->position < data.size() ? data.size() - h->position : 0;
        size_t n = std::min<size_t>(count, available);
        if (readBudget >= 0) {
            if (readBudget == 0 && n > 0)
                return false;
            n = std::min<size_t>(n, static_cast<size_t>(readBudget));
            readBudget -= static_cast<long long>(n);
        }
        if (n)
            std::memcpy(buffer, data.data() + h->position, n);
        h->position += n;
        *got = static_cast<uint32_t>(n);
        return true;
    }
    bool Write(Handle file, const void *buffer, uint32_t count) override
    {
        ++calls["write"];
        Open *h = static_cast<Open *>(file);
        if (!h->write)
            return false;
        if (writeBudget >= 0 && count > writeBudget) {
            writeBudget = 0;
            return false;
        }
        if (writeBudget >= 0)
            writeBudget -= count;
        std::vector<uint8_t> &data = files[h->path];
        const uint8_t *bytes = static_cast<const uint8_t *>(buffer);
        data.insert(data.end(), bytes, bytes + count);
        return true;
    }
    bool Size(Handle file, uint64_t *size) override
    {
        *size = files[static_cast<Open *>(file)->path].size();
        return true;
    }
    bool Seek(Handle file, uint64_t offset) override
    {
        ++calls["seek"];
        static_cast<Open *>(file)->position = static_cast<size_t>(offset);
        return true;
    }
    void Close(Handle file) override
    {
        delete static_cast<Open *>(file);
        --openHandles;
    }
    PathKind Probe(const char *path) override
    {
        ++calls["look-up"];
        if (folders.count(path))
            return PathKind::kFolder;
        return files.count(path) ? PathKind::kOther : PathKind::kMissing;
    }
    bool CreateFolder(const char *path) override
    {
        std::string p(path);
        if (folders.count(p) || files.count(p) || !folders.count(Parent(p)))
            return false;
        folders.insert(p);
        return true;
    }
    bool Find(const char *path, uint64_t *size) override
    {
        ++calls["look-up"];
        auto it = files.find(path);
        if (it != files.end()) {
            *size = it->second.size();
            return true;
        }
        if (folders.count(path)) {
            *size = 0;
            return true;
        }
        return false;
    }
    bool ListFolder(const char *folder, FolderSink &sink) override
    {
        ++calls["list"];
        if (!folders.count(folder))
            return false;
        for (const auto &f : files)
            if (Parent(f.first) == folder)
                sink.Add(f.first.c_str() + std::strlen(folder) + 1, nullptr, f.second.size());
        for (const std::string &f : folders)
            if (Parent(f) == folder)
                sink.Add(f.c_str() + std::strlen(folder) + 1, nullptr, 0);
        return true;
    }
    bool NamesIgnoreCase() override { return false; }
    bool Remove(const char *path) override
    {
        ++calls["delete"];
        return files.erase(path) > 0;
    }
    bool Rename(const char *from, const char *to) override
    {
        ++calls["move"];
        if (failRename || !files.count(from) || files.count(to) || folders.count(to))
            return false;
        files[to] = std::move(files[from]);
        files.erase(from);
        return true;
    }
    bool HostFolder(char *out, size_t size) override
    {
        if (host_.size() + 1 > size)
            return false;
        std::memcpy(out, host_.c_str(), host_.size() + 1);
        return true;
    }

    // Files directly or indirectly under a folder, by full path.
    std::vector<std::string> FilesUnder(const std::string &folder) const
    {
        std::vector<std::string> out;
        for (const auto &f : files)
            if (f.first.compare(0, folder.size() + 1, folder + "\\") == 0)
                out.push_back(f.first);
        return out;
    }

private:
    struct Open {
        std::string path;
        bool write;
        size_t position;
    };

    Handle NewHandle(const std::string &path, bool write)
    {
        ++openHandles;
        return new Open{path, write, 0};
    }

    static std::string Parent(const std::string &path)
    {
        size_t cut = path.rfind('\\');
        return cut == std::string::npos ? std::string() : path.substr(0, cut);
    }

    std::string host_;
};

} // namespace testing
} // namespace tolvar

#endif // TOLVAR_TESTS_SCHEME_MEMORY_FILES_H
