#include "ui/field_entry.h"

#include <QComboBox>
#include <QLineEdit>
#include <array>
#include <string>

#include "device/device_clock.h"
#include "device/text_entry.h"
#include "ui/device_text.h"

namespace kt::ui {
namespace {

std::string textOf(const QLineEdit& field)
{
    return field.text().toStdString();
}

template <typename Value>
FieldEntry<Value> entryOf(std::optional<Value> value, std::string_view refusal)
{
    if (value)
        return {.value = value, .refusal = {}};
    return {.value = std::nullopt, .refusal = fromDeviceText(refusal)};
}

}  // namespace

FieldEntry<std::uint8_t> addressEntry(const QLineEdit& field)
{
    return entryOf(device::parseStationAddress(textOf(field)), device::kAddressRangeText);
}

FieldEntry<std::int32_t> cableEntry(device::CableSetting setting, const QLineEdit& field)
{
    const device::CableEntry entry = device::parseCableEntry(setting, textOf(field));
    return entryOf(entry.value, entry.refusal);
}

FieldEntry<device::DateTime> clockEntry(std::span<QLineEdit* const> fields)
{
    // ClockEntry only views the texts, so they are kept here while it is judged.
    std::array<std::string, device::kClockFields.size()> texts;
    device::ClockEntry entry;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        texts[i] = textOf(*fields[i]);
        entry[i] = texts[i];
    }
    const device::ClockEntryResult result = device::parseClockEntry(entry);
    return entryOf(result.time, result.rejected ? result.rejected->refusalText : "");
}

FieldEntry<std::uint16_t> baudRateEntry(const QComboBox& rateList)
{
    return entryOf(device::parseWordEntry(rateList.currentText().toStdString()),
                   device::kWordRangeText);
}

}  // namespace kt::ui
