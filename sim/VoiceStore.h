// Voice messages as the flash models keep them. A message is a chain of whole flash blocks, each
// naming the next; the blocks that hold no message form the free chain, whose first block the
// settings record names. Types 0, 5 and 6 keep the audio in a 2-bit adaptive code, triple-coded
// headers on every page; types 7 and 8 keep plain signed samples, the links and the end marks in
// the pages' spare bytes. Written from the set's side: the set records into its free chain and
// says what its blocks hold; nothing here borrows from the host's code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/DeviceFamily.h"
#include "sim/FlashStore.h"

namespace fonerix::sim {

// Samples a second the set records at: the coded generations, and types 7 and 8.
inline constexpr unsigned kCodedVoiceRate = 11025;
inline constexpr unsigned kPlainVoiceRate = 6400;

// Settings-record bytes (big-endian block numbers) beyond the free chain and the two special
// messages.
inline constexpr std::size_t kSettingsFurtherHandle = 30;

// One step of the 2-bit code. The player moves the last value by half a step (code bit 0 clear)
// or one and a half steps (bit 0 set), down when bit 1 is set; the step index then goes back one
// table entry after a small move and on two after a large one. The recorder picks the code whose
// direction is towards the sound and takes the large move when the sound is more than a step
// away, so both ends track the same value.
class AdaptiveCode {
  public:
    // The code for a sample, with the state moved on as the player will move it.
    std::uint8_t Record(std::uint8_t sample);
    // The value the player sounds for a code.
    std::uint8_t Play(std::uint8_t code);

  private:
    std::uint8_t Move(bool large, bool down);

    unsigned m_index = 0;
    unsigned m_value = 255;
};

struct VoiceMessageInfo {
    std::uint16_t handle = 0;
    unsigned blocks = 0;
    std::size_t samples = 0;  // whole pages, up to the page marked as the last
};

// What the voice blocks hold, as the set would list it.
struct VoiceSurvey {
    unsigned free_blocks = 0;                // blocks of the free chain from its head
    std::vector<VoiceMessageInfo> messages;  // chains not in the free chain, by handle
};

class VoiceStore {
  public:
    // `storage`: a flash generation (not kMemory). `reserved`: a block of the voice range the set
    // keeps something else in (type 7's settings may live in block 16).
    VoiceStore(FlashStore& flash, Storage storage, std::optional<std::uint16_t> reserved = {});

    // Blocks a message may start at and be kept in, in order.
    std::vector<std::uint16_t> VoiceBlocks() const;
    bool IsVoiceBlock(std::uint16_t block) const;
    // Samples one block holds.
    std::size_t SamplesPerBlock() const;

    // A fresh set: every voice block erased and free, chained in order. Returns the chain's head.
    std::uint16_t FormatFreeChain();

    struct Recorded {
        std::uint16_t handle;     // the message's first block
        std::uint16_t free_head;  // the free chain's new head (0 when it is used up)
    };
    // Records `samples` (unsigned 8-bit, 128 silence, at the set's rate) into blocks taken from
    // the head of the free chain. std::invalid_argument when they are empty or do not fit.
    Recorded Record(std::span<const std::uint8_t> samples, std::uint16_t free_head);

    // The decoded samples of the message at `handle`, whole pages up to the last one; nothing
    // when the block holds no message start.
    std::optional<std::vector<std::uint8_t>> Play(std::uint16_t handle) const;

    VoiceSurvey Survey(std::uint16_t free_head) const;

  private:
    struct BlockHead {
        std::optional<std::uint16_t> next;  // nothing at the end of a chain
    };
    // The block's header and link, or nothing when it holds neither a message nor a free block.
    std::optional<BlockHead> Head(std::uint16_t block) const;
    std::optional<std::uint16_t> Link(std::uint16_t raw) const;
    // The blocks of the chain from `block`, up to a block met before.
    std::vector<std::uint16_t> Chain(std::uint16_t block) const;
    void WriteBlockHead(std::uint16_t block, std::optional<std::uint16_t> next);
    // Pages a block keeps audio in, samples on its first page and on the others.
    unsigned Pages() const;
    std::size_t PageSamples(unsigned page) const;
    // The page's samples as the set plays them; `last` says whether the message ends there.
    std::vector<std::uint8_t> ReadPage(std::uint16_t block, unsigned page, AdaptiveCode& code,
                                       bool& last) const;
    void WritePage(std::uint16_t block, unsigned page, std::span<const std::uint8_t> samples,
                   AdaptiveCode& code, bool last);
    // Whole-page access on types 7 and 8: byte 0..527 of page `page`.
    void ReadWhole(std::uint16_t block, unsigned page, unsigned offset,
                   std::span<std::uint8_t> out) const;
    void ProgramWhole(std::uint16_t block, unsigned page, unsigned offset,
                      std::span<const std::uint8_t> data);

    FlashStore& m_flash;
    bool m_plain;  // types 7 and 8
    std::optional<std::uint16_t> m_reserved;
};

}  // namespace fonerix::sim
