#pragma once

#include <string>
#include <vector>

#include "control/device/Zelta6Device.h"

namespace fonerix {

// Type 7: each 528-byte flash page addressed as two page bytes, 64 a block, one list record on
// each odd page byte; settings copies in blocks 15..16. It also keeps a redirection number and
// an auto-dial list in the list area.
class CZelta7Device : public CZelta6Device {
  public:
    // The list area holds at most this many auto-dial numbers of at most this many digits.
    static constexpr size_t kMaxAutoDialEntries = 11;
    static constexpr size_t kMaxListDigits = 24;

    explicit CZelta7Device(std::unique_ptr<SerialLink> port = nullptr);

    bool LookForDevice(DEVICEINFO& info, uint8_t port) override;
    std::u16string GetRedirectionNumber() override;
    // A number of more than kMaxListDigits digits is not stored.
    void SetRedirectionNumber(const std::u16string& number) override;
    std::u16string GetAutoDialList(int16_t delimiter) override;
    // False, with nothing erased or written, for more than kMaxAutoDialEntries numbers or a
    // number of more than kMaxListDigits digits.
    bool SetAutoDialList(const std::u16string& list, int16_t delimiter) override;

    static void ResetReaders();

  protected:
    const VoiceLayout& Voice() const override;
    bool ReadVoiceHead(uint16_t block, VoiceHead& head) override;
    bool ReadVoiceBlock(uint16_t block, VoiceDecoder& decoder, WavWriter& out, VoiceHead& head,
                        bool& ended) override;
    bool WriteVoiceBlock(uint16_t block, VoiceWavReader& in, VoiceEncoder& encoder) override;
    bool ResetVoiceBlock(uint16_t block, std::optional<uint16_t> next) override;

    const FlashGeometry& Geometry() const override;
    FlashReaders& Readers() const override;

  private:
    // Rewrites the first list block with the redirection number and/or the auto-dial list
    // replaced; the other pages keep what they held.
    bool RewriteList(const std::u16string* redirection, const std::vector<std::u16string>* list);
};

}  // namespace fonerix
