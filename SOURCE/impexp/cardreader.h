// Reads vCard (2.1, 3.0) and vCalendar (1.0) text into CardNode trees, one
// top-level block at a time, in a single pass over the text held in memory.
// A line that cannot be read is skipped and a block that cannot be read is
// dropped, each with an issue noted, and reading goes on with what follows.
#pragma once

#include "impexp/cardnode.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct CardIssue {
    int line;
    std::string text;
};

class CardReader {
public:
    using ObjectHandler = std::function<void(const CardNode& object)>;

    // Values longer than this (after unfolding) are dropped.
    static constexpr size_t kMaxValueBytes = 1 << 20;
    // Decoded BASE64 data of one property.
    static constexpr size_t kMaxBinaryBytes = 16 << 20;
    // Groups before a property name ("A.B.TEL" has two).
    static constexpr int kMaxGroups = 8;
    // Blocks open at once, the top-level one included.
    static constexpr size_t kMaxDepth = 10;
    static constexpr size_t kMaxParams = 64;
    // One top-level block: nodes and bytes of decoded values.
    static constexpr size_t kMaxNodes = 100000;
    static constexpr size_t kMaxObjectBytes = 64 << 20;
    // Issues kept in full; the rest are only counted.
    static constexpr size_t kMaxIssues = 100;
    static constexpr size_t kMaxKnownHeads = 4096;

    CardReader();
    ~CardReader();
    CardReader(const CardReader&) = delete;
    CardReader& operator=(const CardReader&) = delete;

    // Hands each complete top-level block to the handler in file order; its
    // tree lives until the handler returns. Returns the number handed over.
    int Parse(std::string_view text, const ObjectHandler& handler);

    const std::vector<CardIssue>& Issues() const { return m_issues; }
    int IssueCount() const { return m_issueCount; }
    // Top-level blocks with at least one issue.
    int TroubledBlocks() const { return m_troubledBlocks; }
    void AddIssue(int line, std::string text);
    // An issue of the block being handed over, at its first line.
    void AddBlockIssue(std::string text);
    void ClearIssues();

private:
    enum class Encoding { Plain, QuotedPrintable, Base64 };
    struct Param {
        std::string_view name;
        std::string_view value;
        bool hasValue;
        int nameRow;
        int valueRow;
    };
    struct Head {
        std::string_view name;
        std::string_view groups;  // "A.B" of "A.B.TEL"
        int row = -1;  // of the name in the property table
        Encoding encoding = Encoding::Plain;
        std::string_view charset;
        const char* error = nullptr;
    };
    struct Charset;
    // A head as read before, with its parameters; its views point into the
    // text being read.
    struct KnownHead {
        Head head;
        std::vector<Param> params;
    };

    void ReadLine();
    bool ReadBlockLine();
    bool ReadHead(Head& head);
    bool AddParam(std::string_view name, std::string_view value, bool hasValue);
    void ReadProperty(const Head& head, const char* lineStart);
    bool ReadValueText(Encoding encoding, std::string_view& text);
    bool ReadBase64(std::string_view& bytes, const char*& error);
    void SkipValue(Encoding encoding);
    // In cardvalues.cpp.
    void StoreFields(CardNode* property, std::string_view value, Encoding encoding, std::string_view charset);
    std::string_view DecodeQuotedPrintable(std::string_view s, bool dropFolds);
    std::string_view DecodeText(
        std::string_view raw, Encoding encoding, const Charset& charset, bool dropFolds = false);
    std::string_view Unfold(std::string_view text);

    void Begin(int row, const char* lineStart);
    void End(int row, const char* lineStart);
    void StartObject(int row, const char* lineStart);
    void FinishObject();
    void FailObject(const std::string& reason);
    // Puts the open top-level block aside while a card written inside it is
    // read, and takes it up again.
    void SuspendObject();
    void ResumeObject();

    int LineOf(const char* p);
    void Issue(const char* at, std::string text);

    const char* m_begin = nullptr;
    const char* m_end = nullptr;
    const char* m_pos = nullptr;
    const char* m_lineMark = nullptr;
    int m_lineAtMark = 1;

    CardTree m_tree;
    std::vector<CardNode*> m_stack;  // open blocks, the top-level one first
    struct Suspended {
        std::unique_ptr<CardTree> tree;
        std::vector<CardNode*> stack;
        const char* objectStart = nullptr;
        bool failed = false;
        bool modern = false;
        bool troubled = false;
    };
    // Cards that hold the card being read, the outermost first.
    std::vector<Suspended> m_suspended;
    std::vector<std::unique_ptr<CardTree>> m_spareTrees;
    std::vector<Param> m_params;  // of the line being read
    // Where the blanks that began the folded lines of the quoted-printable
    // value being read stand in it, in order.
    std::vector<const char*> m_foldBlanks;
    // Heads repeat from card to card ("TEL;WORK;VOICE"): each distinct
    // one is taken apart once.
    std::unordered_map<std::string_view, KnownHead> m_knownHeads;
    const ObjectHandler* m_handler = nullptr;
    const char* m_objectStart = nullptr;
    bool m_failed = false;  // the open top-level block is being skipped
    bool m_modern = false;  // VERSION 3.0 or later: folds drop one blank, backslash escapes
    bool m_outsideNoted = false;  // a run of text outside any block was reported
    int m_count = 0;

    bool m_troubled = false;  // the open top-level block has an issue
    std::vector<CardIssue> m_issues;
    int m_issueCount = 0;
    int m_troubledBlocks = 0;
};
