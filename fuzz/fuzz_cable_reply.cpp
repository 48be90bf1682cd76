// The cable setting read replies: every setting's value text from an accepted reply.
#include <array>
#include <string>

#include "device/cable_parameters.h"
#include "device/frames.h"
#include "fuzz_support.h"

using namespace kt::device;
using kt::fuzz::expect;

namespace {

constexpr std::array kSettings{CableSetting::LengthA,      CableSetting::LengthB,
                               CableSetting::ResistivityA, CableSetting::ResistivityB,
                               CableSetting::CalibrationA, CableSetting::CalibrationB};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const CableSetting setting = input.PickValueInArray(kSettings);
    const kt::fuzz::Bytes reply = kt::fuzz::acceptedReply(input, cableReadReplyLength(setting));
    const std::optional<std::string> text = cableValueText(setting, reply);

    if (cableRegister(setting).kind == CableValueKind::Word) {
        expect(text == std::to_string(wordAt(reply, kReplyDataOffset)),
               "a word shows as its unsigned decimal value");
        return 0;
    }
    const std::uint32_t raw = (std::uint32_t{wordAt(reply, kReplyDataOffset)} << 16)
        | wordAt(reply, kReplyDataOffset + 2);
    expect(text.has_value() == (raw != 0xFFFFFFFFU), "only an all-0xFF length has no value");
    if (text) {
        expect(kt::fuzz::hundredthsShownAs(*text) == static_cast<std::int32_t>(raw),
               "a length shows as its signed hundredths with two decimals");
    }
    return 0;
}
