// scheme_io.cpp - WriteScheme, ReadScheme and FileCrc32 on a KeyCollection:
// adapts the collection to the scheme code and runs it on the Win32 files.
#include "options/scheme/scheme_io.h"

#include "options/frame/key_collection.h"
#include "options/scheme/scheme_store.h"
#include "options/scheme/win32_scheme_files.h"

namespace tolvar {

namespace {

// A KeyCollection as the target of a load.
class CollectionTarget final : public SchemeCollection {
public:
    explicit CollectionTarget(KeyCollection &collection) : collection_(collection) {}

    bool SetHeader(const KeyCollectionHeader &header) override
    {
        collection_.SetHeader(&header);
        KeyCollectionHeader *block = collection_.GetData();
        return block && block->itemCount == header.itemCount;
    }

    bool AppendItem(const KeyItem &item) override
    {
        collection_.AppendItem(&item);
        return true;
    }

    uint32_t ItemCount() override
    {
        KeyCollectionHeader *block = collection_.GetData();
        return block ? block->itemCount : 0;
    }

    KeyItem *Item(uint32_t index) override
    {
        KeyCollectionHeader *block = collection_.GetData();
        if (!block || !block->items || index >= block->itemCount)
            return nullptr;
        return block->items + index;
    }

private:
    KeyCollection &collection_;
};

} // namespace

bool WriteScheme(KeyCollection &collection, const char *path)
{
    KeyCollectionHeader *block = collection.GetData();
    if (!block)
        return false;
    Win32SchemeFiles files;
    return WriteSchemeFile(files, path, *block, block->items);
}

bool ReadScheme(KeyCollection &collection, const char *path)
{
    Win32SchemeFiles files;
    CollectionTarget target(collection);
    return ReadSchemeFile(files, path, target);
}

uint32_t FileCrc32(const char *path)
{
    Win32SchemeFiles files;
    return ComputeFileCrc32(files, path);
}

} // namespace tolvar
