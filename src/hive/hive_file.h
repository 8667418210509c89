#pragma once
// A registry hive file read as it lies on disk: the base block, its bins, key nodes, value
// records and their data. Read-only, and made for files nobody vouches for: every offset is
// checked against the bins it must lie in, a list that leads back into the tree ends, and no
// buffer grows beyond the bytes actually read.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zv::hive {

// A cell's offset from the start of the hive bins data, as the file's own fields give it.
using Cell = std::uint32_t;
inline constexpr Cell kNoCell = 0xFFFFFFFFu;

enum class LoadStatus {
    kOk,
    kNotAHive,   // no base block, or one of a log or of an unknown format
    kTruncated,  // shorter than its base block says
    kDamaged,    // the bins or the root key are not what the base block says
};

// What the base block says about the state the hive was left in.
struct HiveState {
    std::uint32_t primarySequence = 0;
    std::uint32_t secondarySequence = 0;
    bool checksumOk = false;
    std::uint32_t minorVersion = 0;
    // Windows was stopped in the middle of a write (or the base block is damaged): what the
    // file holds may lack the last changes, which live in the logs beside it.
    [[nodiscard]] bool dirty() const { return !checksumOk || primarySequence != secondarySequence; }
};

class HiveFile {
public:
    // Takes the file's bytes; nothing is read again from where they came from.
    [[nodiscard]] LoadStatus Load(std::string bytes);

    [[nodiscard]] const HiveState& state() const { return m_state; }
    [[nodiscard]] Cell root() const { return m_root; }

    // A key node's name (Latin-1 names widened); false when the cell is not a key node.
    [[nodiscard]] bool KeyName(Cell key, std::u16string* name) const;
    // The key's subkeys in the file's order (sorted, as Windows keeps them). Only subkeys
    // that name this key their parent are listed, and never the root, so the keys reached
    // from the root form a tree. False when the list is damaged; *subkeys then holds the
    // subkeys read before the damage.
    bool Subkeys(Cell key, std::vector<Cell>* subkeys) const;
    // The subkey of that name, letter case aside; kNoCell when there is none.
    [[nodiscard]] Cell FindSubkey(Cell key, std::u16string_view name) const;

    // The key's value records in the file's order; false when the list is damaged (then
    // *values holds those read before the damage).
    bool Values(Cell key, std::vector<Cell>* values) const;
    // A value record's name ("" for the default value); false when the cell is not one.
    [[nodiscard]] bool ValueName(Cell value, std::u16string* name) const;
    // A value's type and data as stored (strings as UTF-16LE); false when the record or
    // its data is damaged, or the data is larger than the file could hold.
    [[nodiscard]] bool ValueData(Cell value, std::uint32_t* type, std::string* data) const;

    // Names compared as the registry compares them: letter case aside (ASCII and Latin-1).
    [[nodiscard]] static bool SameName(std::u16string_view a, std::u16string_view b);

private:
    struct Span {
        const std::uint8_t* data = nullptr;
        std::uint32_t size = 0;
    };
    // The payload of the allocated cell at offset cell (past its size field); false when the
    // cell does not lie whole within one bin, is free, or is smaller than minSize.
    bool CellAt(Cell cell, std::uint32_t minSize, Span* out) const;
    bool KeyAt(Cell cell, Span* out) const;
    bool ValueAt(Cell cell, Span* out) const;
    bool LeafEntries(Cell list, Cell parent, std::vector<Cell>* out, bool allowIndexRoot) const;
    bool Name(const Span& record, std::uint32_t offset, std::uint32_t length, bool compressed,
              std::u16string* name) const;

    std::string m_bytes;
    std::uint32_t m_binsSize = 0;
    std::vector<std::uint32_t> m_binEnds;  // the end of each bin, ascending
    HiveState m_state;
    Cell m_root = kNoCell;
};

}  // namespace zv::hive
