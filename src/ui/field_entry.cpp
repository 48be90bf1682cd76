#include "ui/field_entry.h"

#include <QComboBox>
#include <QLineEdit>
#include <array>
#include <string>

#include "device/device_clock.h"
#include "device/text_entry.h"
#include "ui/clock_controls.h"
#include "ui/device_text.h"
#include "ui/main_dialog.h"

namespace kt::ui {
namespace {

std::string textOf(const MainDialog& window, int fieldId)
{
    return window.edit(fieldId)->text().toStdString();
}

template <typename Value>
FieldEntry<Value> entryOf(std::optional<Value> value, std::string_view refusal)
{
    if (value)
        return {.value = value, .refusal = {}};
    return {.value = std::nullopt, .refusal = fromDeviceText(refusal)};
}

}  // namespace

FieldEntry<std::uint8_t> stationAddressEntry(const MainDialog& window)
{
    return entryOf(device::parseStationAddress(textOf(window, StationAddressField)),
                   device::kAddressRangeText);
}

FieldEntry<std::int32_t> cableEntry(const MainDialog& window, device::CableSetting setting,
                                    int fieldId)
{
    const device::CableEntry entry = device::parseCableEntry(setting, textOf(window, fieldId));
    return entryOf(entry.value, entry.refusal);
}

FieldEntry<device::DateTime> clockEntry(const MainDialog& window)
{
    // ClockEntry only views the texts, so they are kept here while it is judged.
    std::array<std::string, kClockControls.size()> texts;
    device::ClockEntry entry;
    for (std::size_t i = 0; i < kClockControls.size(); ++i) {
        texts[i] = textOf(window, kClockControls[i].fieldId);
        entry[i] = texts[i];
    }
    const device::ClockEntryResult result = device::parseClockEntry(entry);
    return entryOf(result.time, result.rejected ? result.rejected->refusalText : "");
}

FieldEntry<std::uint16_t> deviceBaudRateEntry(const MainDialog& window)
{
    return entryOf(device::parseWordEntry(
                       window.dropDown(DeviceBaudRateList)->currentText().toStdString()),
                   device::kWordRangeText);
}

FieldEntry<std::uint8_t> newAddressEntry(const MainDialog& window)
{
    return entryOf(device::parseStationAddress(textOf(window, NewAddressField)),
                   device::kAddressRangeText);
}

}  // namespace kt::ui
