#include "control/device/Zelta7Device.h"

#include <algorithm>
#include <cstring>

#include "control/device/DigitCodes.h"
#include "control/device/ProtocolBytes.h"
#include "control/device/Triples.h"

namespace fonerix {

namespace {

using Hold = WatcherGate::Hold;

CZeltaDevice::FlashReaders gReaders;

// The list area: map bytes 3..5, entries at column 172 of the odd pages 1..31 of a block.
constexpr size_t kListAreaMap = 3;
constexpr uint8_t kListColumn = 172;
constexpr uint8_t kRedirectionPage = 1;
constexpr uint8_t kFirstAutoDialPage = 11;
constexpr size_t kListPages = 16;  // pages 1, 3, ..., 31
constexpr uint8_t kEntryRaw = 96;
constexpr uint8_t kHeadRaw = 6;
constexpr uint8_t kKindBook = 2;
// The number of an entry: its digit count at decoded byte 7, the codes after it.
constexpr size_t kNumberRaw = 3 * 7;
constexpr size_t kClearedRaw = 20;

constexpr uint8_t ListPage(size_t image) {
    return static_cast<uint8_t>(1 + 2 * image);
}

bool IsListEntry(const uint8_t* decoded) {
    return decoded[0] == 0 && decoded[1] == kKindBook;
}

}  // namespace

CZelta7Device::CZelta7Device(std::unique_ptr<SerialLink> port) : CZelta6Device(std::move(port)) {}

const CZeltaDevice::FlashGeometry& CZelta7Device::Geometry() const {
    static constexpr FlashGeometry kGeometry{
        .lastPage = 63,
        .bounded = false,
        .maxReadPage = 63,
        .maxReadBlockHigh = 0xFF,
        .firstRecordPage = 1,
        .recordPageStep = 2,
        .columns = {172, 172},
        .columnCount = 1,
        .recordsPerBlock = 32,
        .positionBlocks = 8,
        .pageColumnAddress = false,
        .settingsFirstBlock = 15,
        .settingsLastBlock = 16,
        .settingsPageStep = 2,
        .settingsLastIndex = 31,
        .rewakeBeforeSettingsWrite = true,
    };
    return kGeometry;
}

CZeltaDevice::FlashReaders& CZelta7Device::Readers() const {
    return gReaders;
}

void CZelta7Device::ResetReaders() {
    gReaders = FlashReaders{};
}

bool CZelta7Device::LookForDevice(DEVICEINFO& info, uint8_t port) {
    return LookForType(info, port, {7});
}

std::u16string CZelta7Device::GetRedirectionNumber() {
    Hold hold(m_gate);
    LoadFlashMap();
    const uint8_t high = m_map[kListAreaMap];
    for (int b = m_map[kListAreaMap + 1]; b <= m_map[kListAreaMap + 2]; ++b) {
        uint8_t e[32];
        if (ReadRecord(static_cast<uint16_t>(high << 8 | b), kRedirectionPage, kListColumn, e) &&
            IsListEntry(e)) {
            return EntryNumber(e, kMaxListDigits);
        }
    }
    return {};
}

std::u16string CZelta7Device::GetAutoDialList(int16_t delimiter) {
    Hold hold(m_gate);
    LoadFlashMap();
    const uint8_t high = m_map[kListAreaMap];
    std::u16string text;
    for (int b = m_map[kListAreaMap + 1]; b <= m_map[kListAreaMap + 2] && text.empty(); ++b) {
        for (size_t i = 0; i < CZelta7Device::kMaxAutoDialEntries; ++i) {
            uint8_t e[32];
            const auto page = static_cast<uint8_t>(kFirstAutoDialPage + 2 * i);
            if (ReadRecord(static_cast<uint16_t>(high << 8 | b), page, kListColumn, e) &&
                IsListEntry(e)) {
                if (!text.empty()) {
                    text.push_back(static_cast<char16_t>(delimiter));
                }
                text += EntryNumber(e, kMaxListDigits);
            }
        }
    }
    return text;
}

void CZelta7Device::SetRedirectionNumber(const std::u16string& number) {
    if (number.size() <= kMaxListDigits) {
        RewriteList(&number, nullptr);
    }
}

bool CZelta7Device::SetAutoDialList(const std::u16string& list, int16_t delimiter) {
    std::vector<std::u16string> entries;
    if (!list.empty()) {
        size_t from = 0;
        for (;;) {
            const size_t at = list.find(static_cast<char16_t>(delimiter), from);
            entries.push_back(list.substr(from, at == std::u16string::npos ? at : at - from));
            if (at == std::u16string::npos) {
                break;
            }
            from = at + 1;
        }
    }
    if (entries.size() > kMaxAutoDialEntries ||
        std::any_of(entries.begin(), entries.end(),
                    [](const std::u16string& e) { return e.size() > kMaxListDigits; })) {
        return false;
    }
    return RewriteList(nullptr, &entries);
}

bool CZelta7Device::RewriteList(const std::u16string* redirection,
                                const std::vector<std::u16string>* list) {
    Hold hold(m_gate);
    LoadFlashMap();
    const uint8_t high = m_map[kListAreaMap];
    const int first = m_map[kListAreaMap + 1];
    const int last = m_map[kListAreaMap + 2];
    const auto blockAt = [high](int b) { return static_cast<uint16_t>(high << 8 | b); };

    // 1. The pages as they are. Every page of the block that holds the list is read whole, so
    //    that writing the block back loses nothing; nothing is erased before all reads are done.
    uint8_t images[kListPages][kEntryRaw] = {};
    bool found = false;
    for (int b = first; b <= last && !found; ++b) {
        for (size_t i = 0; i < kListPages && !found; ++i) {
            uint8_t head[2];
            if (!ReadFlash(FlashAddress::At(blockAt(b), ListPage(i), kListColumn, kHeadRaw),
                           images[i])) {
                return false;
            }
            DecodeTriples(kHeadRaw, images[i], head);
            found = IsListEntry(head);
        }
        if (found) {
            for (size_t i = 0; i < kListPages; ++i) {
                if (!ReadFlash(FlashAddress::At(blockAt(b), ListPage(i), kListColumn, kEntryRaw),
                               images[i])) {
                    return false;
                }
            }
        }
    }
    // A list area the set has not laid out is left alone.
    if (!found) {
        return false;
    }

    // 2. The new entries, each as [digit count, codes] from decoded byte 7 of its page.
    const auto put = [&images](size_t image, const std::u16string& number) {
        uint8_t* raw = images[image];
        uint8_t head[2];
        DecodeTriples(kHeadRaw, raw, head);
        if (!IsListEntry(head)) {
            const uint8_t entryHead[2] = {0, kKindBook};
            EncodeTriples(entryHead, 2, raw);
        }
        uint8_t digits[1 + kMaxListDigits];
        digits[0] = static_cast<uint8_t>(number.size());
        for (size_t k = 0; k < number.size(); ++k) {
            const char16_t c = number[k];
            digits[1 + k] = CharToDigit(c < 0x80 ? static_cast<char>(c) : '\x7F');
        }
        std::memset(raw + kNumberRaw, 0, kClearedRaw);
        EncodeTriples(digits, 1 + number.size(), raw + kNumberRaw);
    };
    if (redirection != nullptr) {
        put(0, *redirection);
    }
    if (list != nullptr) {
        for (size_t i = 0; i < kMaxAutoDialEntries; ++i) {
            const size_t image = (kFirstAutoDialPage - 1) / 2 + i;
            if (i < list->size()) {
                put(image, (*list)[i]);
            } else {
                // Erased: no entry is left behind from a longer list.
                std::memset(images[image], 0xFF, kEntryRaw);
            }
        }
    }

    // 3. Every block of the area erased; the list goes to the first.
    for (int b = first; b <= last; ++b) {
        if (!EraseFlashBlock(FlashAddress::At(blockAt(b), 0, 0, 0)) && b == first) {
            return false;
        }
    }
    bool written = true;
    for (size_t i = 0; i < kListPages; ++i) {
        written = WriteFlash(FlashAddress::At(blockAt(first), ListPage(i), kListColumn, kEntryRaw),
                             images[i]) &&
                  written;
        m_port->Pause(protocol::kFlashPause);
    }
    return written;
}

}  // namespace fonerix
