#include "worker/layers/bandstore.h"

#include <algorithm>
#include <new>
#include <vector>

namespace
{

// More than the bands one band of rows has in use at once, for the nesting seen in practice.
constexpr std::size_t MostKept = 8;

struct Block {
    float *floats;
    std::size_t count;
};

void Free(const Block &block) noexcept
{
    ::operator delete(block.floats, block.count * sizeof(float));
}

// Oldest first; each thread composes on its own.
struct Store {
    std::vector<Block> blocks;
    Store() { blocks.reserve(MostKept + 1); }
    ~Store() { std::for_each(blocks.begin(), blocks.end(), Free); }
};

thread_local Store store;

} // namespace

float *BandStore::Take(std::size_t count)
{
    const auto kept = std::find_if(store.blocks.begin(), store.blocks.end(),
                                   [&](const Block &block) { return block.count == count; });
    if (kept == store.blocks.end())
        return static_cast<float *>(::operator new(count * sizeof(float)));
    float *floats = kept->floats;
    store.blocks.erase(kept);
    return floats;
}

void BandStore::Give(float *block, std::size_t count) noexcept
{
    // Room was reserved for one more than are kept.
    store.blocks.push_back({block, count});
    if (store.blocks.size() > MostKept) {
        Free(store.blocks.front());
        store.blocks.erase(store.blocks.begin());
    }
}
