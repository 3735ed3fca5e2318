// A SchemeCollection that keeps what a load hands over in memory: the header
// and the items, for tools, tests and benchmarks that load schemes outside
// the options dialog.
#ifndef TOLVAR_OPTIONS_SCHEME_VECTOR_COLLECTION_H
#define TOLVAR_OPTIONS_SCHEME_VECTOR_COLLECTION_H

#include <vector>

#include "options/scheme/scheme_store.h"

namespace tolvar {

class VectorCollection final : public SchemeCollection {
public:
    bool SetHeader(const KeyCollectionHeader &h) override
    {
        header = h;
        ++headerCalls;
        items.clear();
        return true;
    }
    bool AppendItem(const KeyItem &item) override
    {
        items.push_back(item);
        return true;
    }
    uint32_t ItemCount() override { return static_cast<uint32_t>(items.size()); }
    KeyItem *Item(uint32_t index) override { return index < items.size() ? &items[index] : nullptr; }

    KeyCollectionHeader header{};
    int headerCalls = 0;
    std::vector<KeyItem> items;
};

} // namespace tolvar

#endif
