#include "fonts/truetype_file.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "widgets/path_text.h"
#include "widgets/wide_text.h"

namespace {

constexpr uint32_t kVersionTrueType = 0x00010000;
constexpr uint32_t kVersionApple = 0x74727565;  // 'true'
constexpr uint32_t kVersionCff = 0x4F54544F;    // 'OTTO'
constexpr uint32_t kTagCollection = 0x74746366; // 'ttcf'
constexpr uint32_t kCollectionVersion1 = 0x00010000;
constexpr uint32_t kCollectionVersion2 = 0x00020000;
constexpr uint32_t kTagName = 0x6E616D65;       // 'name'
constexpr uint32_t kTagCff = 0x43464620;        // 'CFF '

constexpr size_t kOffsetTableSize = 12;
constexpr size_t kCollectionHeaderSize = 12;  // tag, version, face count; the offsets follow
constexpr size_t kTableRecordSize = 16;
constexpr size_t kNameHeaderSize = 6;
constexpr size_t kNameRecordSize = 12;
constexpr size_t kLangTagRecordSize = 4;

// Everything the name table's fields can reach lies below 1 MiB from its start (65535 name
// records and 65535 language-tag records; strings at 16-bit storage offset + 16-bit offset +
// 16-bit length), so a longer table is read only that far.
constexpr size_t kNameTableReadLimit = 1 << 20;

constexpr uint16_t kPlatformWindows = 3;
constexpr uint16_t kNameIdFamily = 1;
constexpr LANGID kLanguageUsEnglish = 0x0409;
// LOGFONT's face-name field holds 31 bytes (LOGFONTA) or units (LOGFONTW) and the zero.
constexpr size_t kFaceNameBytes = LF_FACESIZE - 1;

bool Fits(size_t available, uint64_t offset, uint64_t count) {
    return offset <= available && count <= available - offset;
}

uint16_t U16(TByteSpan bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

uint32_t U32(TByteSpan bytes, size_t at) {
    return static_cast<uint32_t>(U16(bytes, at)) << 16 | U16(bytes, at + 2);
}

// Random access to the bytes of a font, either in memory or in a file.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Replaces `out` by `count` bytes from `offset`; false when they are not all there.
    virtual bool Read(uint64_t offset, size_t count, std::vector<uint8_t>& out) = 0;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(TByteSpan bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool Read(uint64_t offset, size_t count, std::vector<uint8_t>& out) override {
        if (!Fits(bytes_.size(), offset, count)) return false;
        const auto first = bytes_.begin() + static_cast<size_t>(offset);
        out.assign(first, first + count);
        return true;
    }

private:
    TByteSpan bytes_;
};

// Reads the file's head once: the table directory and the name table of a usual font lie in
// it, which saves the seek-and-read round trips per table (each costs a server call under Wine).
class FileSource : public ByteSource {
public:
    explicit FileSource(const std::wstring& path)
        : file_(CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
        LARGE_INTEGER size;
        if (file_ == INVALID_HANDLE_VALUE || !GetFileSizeEx(file_, &size)) return;
        size_ = static_cast<uint64_t>(size.QuadPart);
        if (!ReadAt(0, static_cast<size_t>(std::min<uint64_t>(size_, kHeadBytes)), head_)) head_.clear();
    }
    ~FileSource() override {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    uint64_t Size() const override { return size_; }
    bool Read(uint64_t offset, size_t count, std::vector<uint8_t>& out) override {
        if (!Fits(size_, offset, count)) return false;
        if (Fits(head_.size(), offset, count)) {
            const auto first = head_.begin() + static_cast<size_t>(offset);
            out.assign(first, first + count);
            return true;
        }
        return ReadAt(offset, count, out);
    }

private:
    static constexpr size_t kHeadBytes = 64 * 1024;

    bool ReadAt(uint64_t offset, size_t count, std::vector<uint8_t>& out) {
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(file_, position, nullptr, FILE_BEGIN)) return false;
        out.resize(count);
        size_t done = 0;
        while (done < count) {
            DWORD got = 0;
            if (!ReadFile(file_, out.data() + done, static_cast<DWORD>(count - done), &got, nullptr) || got == 0)
                return false;
            done += got;
        }
        return true;
    }

    HANDLE file_;
    uint64_t size_ = 0;
    std::vector<uint8_t> head_;
};

struct NameRecord {
    uint16_t platform, encoding, language, nameId, length, offset;
};

// A `name` table whose every record was found inside it.
struct CheckedNameTable {
    std::vector<uint8_t> bytes;  // the table's first min(length, read limit) bytes
    uint16_t storage = 0;
    std::vector<NameRecord> records;

    TByteSpan StringOf(const NameRecord& record) const {
        return TByteSpan(bytes).subspan(size_t(storage) + record.offset, record.length);
    }
};

// `bytes` holds the table's first bytes, all of it up to the read limit.
std::optional<CheckedNameTable> CheckNameTable(std::vector<uint8_t> bytes) {
    const TByteSpan table(bytes);
    if (!Fits(table.size(), 0, kNameHeaderSize)) return std::nullopt;
    const uint16_t format = U16(table, 0);
    const uint16_t count = U16(table, 2);
    const uint16_t storage = U16(table, 4);
    if (format > 1 || storage > table.size()) return std::nullopt;
    const size_t recordsEnd = kNameHeaderSize + size_t(count) * kNameRecordSize;
    if (!Fits(table.size(), 0, recordsEnd)) return std::nullopt;

    std::vector<NameRecord> records;
    records.reserve(count);
    for (size_t at = kNameHeaderSize; at < recordsEnd; at += kNameRecordSize) {
        NameRecord r{U16(table, at), U16(table, at + 2), U16(table, at + 4),
                     U16(table, at + 6), U16(table, at + 8), U16(table, at + 10)};
        if (!Fits(table.size(), size_t(storage) + r.offset, r.length)) return std::nullopt;
        records.push_back(r);
    }
    if (format == 1) {  // language-tag records follow the name records
        if (!Fits(table.size(), recordsEnd, 2)) return std::nullopt;
        const uint16_t tagCount = U16(table, recordsEnd);
        const size_t tagsStart = recordsEnd + 2;
        if (!Fits(table.size(), tagsStart, size_t(tagCount) * kLangTagRecordSize)) return std::nullopt;
        for (size_t i = 0; i < tagCount; ++i) {
            const size_t at = tagsStart + i * kLangTagRecordSize;
            if (!Fits(table.size(), size_t(storage) + U16(table, at + 2), U16(table, at))) return std::nullopt;
        }
    }
    CheckedNameTable result;
    result.bytes = std::move(bytes);
    result.storage = storage;
    result.records = std::move(records);
    return result;
}

// Walks the offset table of the face at `at` and its table directory; on success returns the
// face's checked name table. Table offsets count from the start of the file, in a collection too.
std::optional<CheckedNameTable> CheckFace(ByteSource& source, uint64_t at) {
    std::vector<uint8_t> header;
    if (!source.Read(at, kOffsetTableSize, header)) return std::nullopt;
    const uint32_t version = U32(header, 0);
    if (version != kVersionTrueType && version != kVersionApple && version != kVersionCff) return std::nullopt;
    const uint16_t tableCount = U16(header, 4);

    std::vector<uint8_t> directory;
    if (!source.Read(at + kOffsetTableSize, size_t(tableCount) * kTableRecordSize, directory)) return std::nullopt;
    std::optional<std::pair<uint32_t, uint32_t>> name;  // offset, length
    bool hasCff = false;
    for (size_t entry = 0; entry < directory.size(); entry += kTableRecordSize) {
        const uint32_t tag = U32(directory, entry);
        const uint32_t offset = U32(directory, entry + 8);
        const uint32_t length = U32(directory, entry + 12);
        if (!Fits(source.Size(), offset, length)) return std::nullopt;
        if (tag == kTagName && !name) name.emplace(offset, length);
        hasCff = hasCff || tag == kTagCff;
    }
    // PostScript outlines are what an 'OTTO' font draws with; the system rejects one without.
    if (!name || (version == kVersionCff && !hasCff)) return std::nullopt;

    std::vector<uint8_t> nameBytes;
    if (!source.Read(name->first, std::min<size_t>(name->second, kNameTableReadLimit), nameBytes))
        return std::nullopt;
    return CheckNameTable(std::move(nameBytes));
}

// Where the offset table of each face starts: 0 for a single font, the list of a collection's
// header otherwise. Nothing when the header is malformed or the face count is out of bounds.
std::optional<std::vector<uint32_t>> FaceOffsets(ByteSource& source) {
    std::vector<uint8_t> header;
    if (!source.Read(0, kCollectionHeaderSize, header)) {
        // Shorter than a collection's header: a single font or nothing; CheckFace decides.
        return std::vector<uint32_t>{0};
    }
    if (U32(header, 0) != kTagCollection) return std::vector<uint32_t>{0};
    const uint32_t version = U32(header, 4);
    const uint32_t count = U32(header, 8);
    if (version != kCollectionVersion1 && version != kCollectionVersion2) return std::nullopt;
    if (count < 1 || count > kMaxCollectionFaces) return std::nullopt;

    std::vector<uint8_t> list;
    if (!source.Read(kCollectionHeaderSize, size_t(count) * 4, list)) return std::nullopt;
    if (version == kCollectionVersion2) {
        // Version 2 appends the tag, length and offset of the collection's digital signature.
        std::vector<uint8_t> signature;
        if (!source.Read(kCollectionHeaderSize + size_t(count) * 4, 12, signature)) return std::nullopt;
        if (!Fits(source.Size(), U32(signature, 8), U32(signature, 4))) return std::nullopt;
    }
    std::vector<uint32_t> offsets(count);
    for (size_t i = 0; i < count; ++i) offsets[i] = U32(list, 4 * i);
    return offsets;
}

bool IsUnicodeEncoding(uint16_t windowsEncoding) {
    // Symbol, Unicode BMP, Unicode full repertoire: UTF-16BE. The legacy CJK encodings are not.
    return windowsEncoding == 0 || windowsEncoding == 1 || windowsEncoding == 10;
}

const NameRecord* ChooseFamilyRecord(const std::vector<NameRecord>& records, LANGID preferred) {
    const NameRecord* first = nullptr;
    const NameRecord* english = nullptr;
    for (const NameRecord& r : records) {
        if (r.platform != kPlatformWindows || r.nameId != kNameIdFamily || !IsUnicodeEncoding(r.encoding)) continue;
        if (r.language == preferred) return &r;
        if (!english && r.language == kLanguageUsEnglish) english = &r;
        if (!first) first = &r;
    }
    return english ? english : first;
}

std::wstring FromUtf16BigEndian(TByteSpan text) {
    std::wstring wide;
    for (size_t at = 0; at + 1 < text.size(); at += 2) {
        const wchar_t unit = static_cast<wchar_t>(U16(text, at));
        if (unit == 0) break;  // the face name ends at the first zero, as in a LOGFONT
        wide.push_back(unit);
    }
    return wide;
}

// The whole family name, uncut.
std::wstring FamilyNameIn(const CheckedNameTable& table, LANGID preferredLanguage) {
    const NameRecord* record = ChooseFamilyRecord(table.records, preferredLanguage);
    if (!record) return {};
    return FromUtf16BigEndian(table.StringOf(*record));
}

// Checks every face and gives each one's name table to `onFace(index, table)` as it goes; false
// as soon as one fails. A file is well-formed only when all its faces are.
template <class F>
bool CheckFaces(ByteSource& source, F onFace) {
    const std::optional<std::vector<uint32_t>> offsets = FaceOffsets(source);
    if (!offsets) return false;
    for (size_t face = 0; face < offsets->size(); ++face) {
        const std::optional<CheckedNameTable> table = CheckFace(source, (*offsets)[face]);
        if (!table) return false;
        onFace(face, *table);
    }
    return true;
}

size_t CountFaces(ByteSource& source) {
    size_t count = 0;
    return CheckFaces(source, [&](size_t, const CheckedNameTable&) { ++count; }) ? count : 0;
}

std::vector<std::wstring> ReadFamilyNames(ByteSource& source, LANGID preferredLanguage) {
    std::vector<std::wstring> names;
    const bool whole = CheckFaces(source, [&](size_t, const CheckedNameTable& table) {
        names.push_back(FamilyNameIn(table, preferredLanguage));
    });
    return whole ? names : std::vector<std::wstring>{};
}

std::wstring ReadFamilyName(ByteSource& source, size_t face, LANGID preferredLanguage) {
    std::wstring name;
    const bool whole = CheckFaces(source, [&](size_t index, const CheckedNameTable& table) {
        if (index == face) name = FamilyNameIn(table, preferredLanguage);
    });
    return whole ? name : std::wstring();
}

std::string AnsiFaceName(const std::wstring& name) { return TruncateToBytes(AnsiFromWide(name), kFaceNameBytes); }

// Cut where the system cuts the face names it lists.
std::wstring WideFaceName(const std::wstring& name) { return name.substr(0, kFaceNameBytes); }

}  // namespace

bool IsWellFormedTrueTypeData(TByteSpan file) {
    MemorySource source(file);
    return CountFaces(source) > 0;
}

bool IsWellFormedTrueType(const std::wstring& path) {
    FileSource source(path);
    return CountFaces(source) > 0;
}

size_t FontFaceCount(TByteSpan file) {
    MemorySource source(file);
    return CountFaces(source);
}

size_t FontFileFaceCount(const std::wstring& path) {
    FileSource source(path);
    return CountFaces(source);
}

std::string ReadFamilyNameFromData(TByteSpan file, LANGID preferredLanguage) {
    MemorySource source(file);
    return AnsiFaceName(ReadFamilyName(source, 0, preferredLanguage));
}

std::string ReadFaceFamilyNameFromData(TByteSpan file, size_t face, LANGID preferredLanguage) {
    MemorySource source(file);
    return AnsiFaceName(ReadFamilyName(source, face, preferredLanguage));
}

std::wstring ReadWideFamilyNameFromData(TByteSpan file, LANGID preferredLanguage) {
    MemorySource source(file);
    return WideFaceName(ReadFamilyName(source, 0, preferredLanguage));
}

std::wstring ReadFamilyNameFromFile(const std::wstring& path) {
    FileSource source(path);
    return WideFaceName(ReadFamilyName(source, 0, GetUserDefaultLangID()));
}

std::vector<std::wstring> ReadFaceFamilyNamesFromFile(const std::wstring& path) {
    FileSource source(path);
    std::vector<std::wstring> names = ReadFamilyNames(source, GetUserDefaultLangID());
    for (std::wstring& name : names) name = WideFaceName(name);
    return names;
}

