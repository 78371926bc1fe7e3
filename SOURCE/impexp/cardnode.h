// The tree a vCard or vCalendar block is read into: one node per object,
// property, parameter and field. Nodes and the bytes of their values live in
// a CardTree that is emptied as a whole, so reading a card allocates nothing
// once the first few cards have sized the tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

enum class CardValueType : std::uint16_t {
    None = 0,
    ByteString = 1,  // a parameter value, as written
    Text = 2,  // a property or field value, decoded to UTF-8; line breaks as written
    UInt = 3,
    ULong = 4,
    Bytes = 5,  // decoded BASE64; its size is that of the view
    Object = 6,  // a nested block, in `object`
};

struct CardNode {
    std::string_view name;  // canonical form (see cardproperties.h)
    std::string_view value;  // ByteString, Text and Bytes
    CardNode* next = nullptr;
    CardNode* first = nullptr;  // properties, parameters and fields, in file order
    CardNode* last = nullptr;
    const CardNode* object = nullptr;
    std::uint32_t number = 0;  // UInt and ULong
    CardValueType type = CardValueType::None;
    std::int16_t row = -1;  // row in the property table, -1 for other names

    class Range {
    public:
        struct Iterator {
            const CardNode* node;
            const CardNode& operator*() const { return *node; }
            Iterator& operator++()
            {
                node = node->next;
                return *this;
            }
            bool operator!=(const Iterator& o) const { return node != o.node; }
        };
        explicit Range(const CardNode* first)
            : m_first(first)
        {
        }
        Iterator begin() const { return {m_first}; }
        Iterator end() const { return {nullptr}; }

    private:
        const CardNode* m_first;
    };
    Range Children() const { return Range(first); }

    // The first child of that name (canonical form, compared exactly).
    const CardNode* Find(std::string_view childName) const;
    // What a parameter says: its value when it has one, else its name, so
    // "TYPE=WORK", "WORK" and one item of "TYPE=WORK,VOICE" all say WORK.
    std::string_view ParamWord() const { return type == CardValueType::ByteString ? value : name; }
    // A parameter, not a field or a group.
    bool IsParam() const { return type != CardValueType::Text && name != "Grouping"; }
    // Whether a parameter of this property says word.
    bool HasParam(std::string_view word) const;
};

class CardTree {
public:
    CardTree() = default;
    CardTree(const CardTree&) = delete;
    CardTree& operator=(const CardTree&) = delete;

    // A node owned by the tree and linked to nothing.
    CardNode* NewNode(std::string_view name, int row);
    // A new last child of owner.
    CardNode* Append(CardNode* owner, std::string_view name, int row);
    // Room for n bytes that stays put until Clear.
    char* Allocate(size_t n);
    // Gives back the end of the latest allocation when fewer bytes were used.
    void Shrink(const char* start, size_t allocated, size_t used);
    std::string_view Copy(std::string_view bytes);

    // Drops every node and value; memory is kept for the next card, except
    // blocks made for single large values.
    void Clear();
    void Swap(CardTree& other) noexcept;
    size_t NodeCount() const { return m_nodeCount; }
    size_t ByteCount() const { return m_byteCount; }

private:
    static constexpr size_t kNodesPerBlock = 256;
    static constexpr size_t kBytesPerBlock = 64 * 1024;

    struct ByteBlock {
        std::unique_ptr<char[]> data;
        size_t size;
    };

    std::vector<std::unique_ptr<CardNode[]>> m_nodeBlocks;
    size_t m_nodeCount = 0;
    std::vector<ByteBlock> m_byteBlocks;
    size_t m_block = 0;  // the block being filled
    size_t m_used = 0;  // bytes used in it
    size_t m_byteCount = 0;
};
