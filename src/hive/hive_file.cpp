#include "hive/hive_file.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace zv::hive {
namespace {

constexpr std::uint32_t kBaseBlockSize = 4096;
constexpr std::uint32_t kBinHeaderSize = 32;
constexpr std::uint32_t kBinAlignment = 4096;
constexpr std::uint32_t kKeyNodeSize = 76;
constexpr std::uint32_t kValueRecordSize = 20;
// Data larger than this lives in segments of this size behind a big-data record (hives of
// format 1.4 and later); the older format keeps it in one cell.
constexpr std::uint32_t kBigDataSegment = 16344;
constexpr std::uint16_t kKeyCompressedName = 0x0020;
constexpr std::uint16_t kValueCompressedName = 0x0001;
constexpr std::uint32_t kResidentData = 0x80000000u;

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t U32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;  // the hive is little-endian, as every machine this builds for
}
bool Signature(const std::uint8_t* p, const char* two) {
    return p[0] == static_cast<std::uint8_t>(two[0]) && p[1] == static_cast<std::uint8_t>(two[1]);
}
const std::uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const std::uint8_t*>(s.data());
}

char16_t Fold(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
    return c;
}

}  // namespace

bool HiveFile::SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

LoadStatus HiveFile::Load(std::string bytes) {
    m_bytes = std::move(bytes);
    m_binEnds.clear();
    m_binsSize = 0;
    m_root = kNoCell;
    m_state = HiveState{};
    const std::uint8_t* b = Bytes(m_bytes);
    if (m_bytes.size() < 4 || std::memcmp(b, "regf", 4) != 0) return LoadStatus::kNotAHive;
    if (m_bytes.size() < kBaseBlockSize + kBinHeaderSize) return LoadStatus::kTruncated;
    // Major version 1, a primary file (not a log), loaded directly into memory.
    if (U32(b + 20) != 1 || U32(b + 28) != 0 || U32(b + 32) != 1) return LoadStatus::kNotAHive;

    std::uint32_t sum = 0;
    for (std::uint32_t i = 0; i < 508; i += 4) sum ^= U32(b + i);
    // Windows never stores 0 or all ones: those two are written as 1 and all ones less one.
    const std::uint32_t stored = U32(b + 508);
    const std::uint32_t adjusted = sum == 0 ? 1 : sum == 0xFFFFFFFFu ? 0xFFFFFFFEu : sum;
    m_state.checksumOk = stored == sum || stored == adjusted;
    m_state.primarySequence = U32(b + 4);
    m_state.secondarySequence = U32(b + 8);
    m_state.minorVersion = U32(b + 24);

    const std::uint32_t binsSize = U32(b + 40);
    if (binsSize == 0 || binsSize % kBinAlignment != 0) return LoadStatus::kDamaged;
    if (std::uint64_t{kBaseBlockSize} + binsSize > m_bytes.size()) return LoadStatus::kTruncated;
    for (std::uint32_t at = 0; at < binsSize;) {
        const std::uint8_t* bin = b + kBaseBlockSize + at;
        if (binsSize - at < kBinHeaderSize || std::memcmp(bin, "hbin", 4) != 0 || U32(bin + 4) != at)
            return LoadStatus::kDamaged;
        const std::uint32_t size = U32(bin + 8);
        if (size < kBinAlignment || size % kBinAlignment != 0 || size > binsSize - at)
            return LoadStatus::kDamaged;
        at += size;
        m_binEnds.push_back(at);
    }
    m_binsSize = binsSize;
    Span rootKey;
    if (!KeyAt(U32(b + 36), &rootKey)) return LoadStatus::kDamaged;
    m_root = U32(b + 36);
    return LoadStatus::kOk;
}

bool HiveFile::CellAt(Cell cell, std::uint32_t minSize, Span* out) const {
    if (cell % 8 != 0 || cell >= m_binsSize) return false;
    const auto bin = std::upper_bound(m_binEnds.begin(), m_binEnds.end(), cell);
    if (bin == m_binEnds.end()) return false;
    const std::uint32_t binStart = bin == m_binEnds.begin() ? 0 : *(bin - 1);
    if (cell < binStart + kBinHeaderSize) return false;
    const std::uint8_t* p = Bytes(m_bytes) + kBaseBlockSize + cell;
    const auto size = static_cast<std::int32_t>(U32(p));
    // A negative size marks a cell in use; a free one is nothing a key may point to.
    if (size >= 0 || size == INT32_MIN) return false;
    const auto length = static_cast<std::uint32_t>(-size);
    if (length < 8 || length > *bin - cell || length - 4 < minSize) return false;
    out->data = p + 4;
    out->size = length - 4;
    return true;
}

bool HiveFile::KeyAt(Cell cell, Span* out) const {
    return CellAt(cell, kKeyNodeSize, out) && Signature(out->data, "nk");
}

bool HiveFile::ValueAt(Cell cell, Span* out) const {
    return CellAt(cell, kValueRecordSize, out) && Signature(out->data, "vk");
}

bool HiveFile::Name(const Span& record, std::uint32_t offset, std::uint32_t length, bool compressed,
                    std::u16string* name) const {
    if (offset > record.size || length > record.size - offset) return false;
    const std::uint8_t* p = record.data + offset;
    name->clear();
    if (compressed) {
        name->assign(p, p + length);
    } else {
        // An odd last byte is half a character: dropped.
        name->reserve(length / 2);
        for (std::uint32_t i = 0; i + 1 < length; i += 2) name->push_back(static_cast<char16_t>(U16(p + i)));
    }
    return true;
}

bool HiveFile::KeyName(Cell key, std::u16string* name) const {
    Span nk;
    if (!KeyAt(key, &nk)) return false;
    return Name(nk, kKeyNodeSize, U16(nk.data + 72), (U16(nk.data + 2) & kKeyCompressedName) != 0, name);
}

bool HiveFile::LeafEntries(Cell list, Cell parent, std::vector<Cell>* out, bool allowIndexRoot) const {
    Span cell;
    if (!CellAt(list, 4, &cell)) return false;
    const std::uint8_t* p = cell.data;
    const std::uint32_t count = U16(p + 2);
    const bool indexRoot = Signature(p, "ri");
    std::uint32_t stride = 0;
    if (Signature(p, "li") || indexRoot) stride = 4;
    if (Signature(p, "lf") || Signature(p, "lh")) stride = 8;
    // An index root lists leaves only: one inside another is damage, and would be a way
    // back into the same root.
    if (stride == 0 || (indexRoot && !allowIndexRoot)) return false;
    bool whole = std::uint64_t{count} * stride <= cell.size - 4;
    const std::uint32_t fits = std::min<std::uint32_t>(count, (cell.size - 4) / stride);
    if (indexRoot) {
        // Each leaf once: a root that names one leaf many times would cost its square.
        std::unordered_set<Cell> leaves;
        for (std::uint32_t i = 0; i < fits; ++i) {
            const Cell leaf = U32(p + 4 + i * 4);
            if (!leaves.insert(leaf).second || !LeafEntries(leaf, parent, out, false)) whole = false;
        }
        return whole;
    }
    for (std::uint32_t i = 0; i < fits; ++i) {
        const Cell child = U32(p + 4 + i * stride);
        Span nk;
        // Only a key that names this one its parent is its subkey: each key then has one
        // parent, and no list can lead back to a key above it.
        if (child == m_root || !KeyAt(child, &nk) || U32(nk.data + 16) != parent) {
            whole = false;
            continue;
        }
        out->push_back(child);
    }
    return whole;
}

bool HiveFile::Subkeys(Cell key, std::vector<Cell>* subkeys) const {
    subkeys->clear();
    Span nk;
    if (!KeyAt(key, &nk)) return false;
    const std::uint32_t count = U32(nk.data + 20);
    const Cell list = U32(nk.data + 28);
    if (count == 0) return true;
    bool whole = LeafEntries(list, key, subkeys, true);
    // A key listed twice is listed once.
    std::unordered_set<Cell> seen;
    std::size_t kept = 0;
    for (Cell c : *subkeys)
        if (seen.insert(c).second) (*subkeys)[kept++] = c;
    if (kept != subkeys->size()) whole = false;
    subkeys->resize(kept);
    if (subkeys->size() != count) whole = false;
    if (subkeys->size() > count) subkeys->resize(count);
    return whole;
}

Cell HiveFile::FindSubkey(Cell key, std::u16string_view name) const {
    std::vector<Cell> subkeys;
    (void)Subkeys(key, &subkeys);
    std::u16string candidate;
    for (Cell c : subkeys)
        if (KeyName(c, &candidate) && SameName(candidate, name)) return c;
    return kNoCell;
}

bool HiveFile::Values(Cell key, std::vector<Cell>* values) const {
    values->clear();
    Span nk;
    if (!KeyAt(key, &nk)) return false;
    const std::uint32_t count = U32(nk.data + 36);
    if (count == 0) return true;
    Span list;
    if (!CellAt(U32(nk.data + 40), 4, &list)) return false;
    bool whole = std::uint64_t{count} * 4 <= list.size;
    const std::uint32_t fits = std::min<std::uint32_t>(count, list.size / 4);
    Span vk;
    for (std::uint32_t i = 0; i < fits; ++i) {
        const Cell value = U32(list.data + i * 4);
        if (ValueAt(value, &vk))
            values->push_back(value);
        else
            whole = false;
    }
    return whole;
}

bool HiveFile::ValueName(Cell value, std::u16string* name) const {
    Span vk;
    if (!ValueAt(value, &vk)) return false;
    return Name(vk, kValueRecordSize, U16(vk.data + 2), (U16(vk.data + 16) & kValueCompressedName) != 0,
                name);
}

bool HiveFile::ValueData(Cell value, std::uint32_t* type, std::string* data) const {
    data->clear();
    Span vk;
    if (!ValueAt(value, &vk)) return false;
    const std::uint32_t size = U32(vk.data + 4);
    const Cell offset = U32(vk.data + 8);
    *type = U32(vk.data + 12);
    if (size & kResidentData) {
        // Up to four bytes kept in the offset field itself.
        const std::uint32_t length = size & ~kResidentData;
        if (length > 4) return false;
        data->assign(reinterpret_cast<const char*>(vk.data + 8), length);
        return true;
    }
    if (size == 0) return true;
    // No value is larger than the bins it is stored in; a claim beyond them is not believed,
    // and nothing is allocated for it.
    if (size > m_binsSize) return false;
    Span cell;
    if (!CellAt(offset, 0, &cell)) return false;
    if (size > kBigDataSegment && m_state.minorVersion >= 4 && cell.size >= 8 && Signature(cell.data, "db")) {
        const std::uint32_t segments = U16(cell.data + 2);
        if (std::uint64_t{segments} * kBigDataSegment < size) return false;
        Span list;
        if (!CellAt(U32(cell.data + 4), segments * 4, &list)) return false;
        for (std::uint32_t i = 0; i < segments && data->size() < size; ++i) {
            const auto take =
                std::min<std::uint32_t>(kBigDataSegment, size - static_cast<std::uint32_t>(data->size()));
            Span segment;
            if (!CellAt(U32(list.data + i * 4), take, &segment)) {
                data->clear();
                return false;
            }
            data->append(reinterpret_cast<const char*>(segment.data), take);
        }
        return data->size() == size;
    }
    if (cell.size < size) return false;
    data->assign(reinterpret_cast<const char*>(cell.data), size);
    return true;
}

}  // namespace zv::hive
