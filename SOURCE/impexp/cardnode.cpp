#include "impexp/cardnode.h"

#include <algorithm>
#include <cstring>
#include <utility>

const CardNode* CardNode::Find(std::string_view childName) const
{
    for (const CardNode* n = first; n; n = n->next)
        if (n->name == childName)
            return n;
    return nullptr;
}

bool CardNode::HasParam(std::string_view word) const
{
    for (const CardNode* n = first; n; n = n->next)
        if (n->IsParam() && n->ParamWord() == word)
            return true;
    return false;
}

CardNode* CardTree::NewNode(std::string_view name, int row)
{
    const size_t block = m_nodeCount / kNodesPerBlock;
    if (block == m_nodeBlocks.size())
        m_nodeBlocks.push_back(std::make_unique<CardNode[]>(kNodesPerBlock));
    CardNode* node = &m_nodeBlocks[block][m_nodeCount % kNodesPerBlock];
    ++m_nodeCount;
    *node = CardNode();
    node->name = name;
    node->row = std::int16_t(row);
    return node;
}

CardNode* CardTree::Append(CardNode* owner, std::string_view name, int row)
{
    CardNode* node = NewNode(name, row);
    if (owner->last)
        owner->last->next = node;
    else
        owner->first = node;
    owner->last = node;
    return node;
}

char* CardTree::Allocate(size_t n)
{
    m_byteCount += n;
    while (m_block < m_byteBlocks.size()) {
        ByteBlock& b = m_byteBlocks[m_block];
        if (b.size - m_used >= n) {
            char* p = b.data.get() + m_used;
            m_used += n;
            return p;
        }
        ++m_block;
        m_used = 0;
    }
    const size_t size = std::max(n, kBytesPerBlock);
    m_byteBlocks.push_back({std::make_unique<char[]>(size), size});
    m_block = m_byteBlocks.size() - 1;
    m_used = n;
    return m_byteBlocks.back().data.get();
}

void CardTree::Shrink(const char* start, size_t allocated, size_t used)
{
    if (m_block < m_byteBlocks.size() && start + allocated == m_byteBlocks[m_block].data.get() + m_used) {
        m_used -= allocated - used;
        m_byteCount -= allocated - used;
    }
}

std::string_view CardTree::Copy(std::string_view bytes)
{
    if (bytes.empty())
        return {};
    char* p = Allocate(bytes.size());
    std::memcpy(p, bytes.data(), bytes.size());
    return {p, bytes.size()};
}

void CardTree::Clear()
{
    m_nodeCount = 0;
    m_byteCount = 0;
    m_block = 0;
    m_used = 0;
    std::erase_if(m_byteBlocks, [](const ByteBlock& b) { return b.size > kBytesPerBlock; });
    // A card with many nodes should not keep them all for every later card.
    if (m_nodeBlocks.size() > 64)
        m_nodeBlocks.resize(64);
}

void CardTree::Swap(CardTree& other) noexcept
{
    std::swap(m_nodeBlocks, other.m_nodeBlocks);
    std::swap(m_nodeCount, other.m_nodeCount);
    std::swap(m_byteBlocks, other.m_byteBlocks);
    std::swap(m_block, other.m_block);
    std::swap(m_used, other.m_used);
    std::swap(m_byteCount, other.m_byteCount);
}
