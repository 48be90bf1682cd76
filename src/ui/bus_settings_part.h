#pragma once

#include <cstdint>
#include <string_view>

#include "device/command.h"
#include "ui/window_context.h"
#include "ui/window_layout.h"

class QComboBox;
class QLineEdit;

namespace kt::ui {

// The band's controls, each named by its id.
inline constexpr int DeviceBaudRateList = 1005;
inline constexpr int SetDeviceBaudRateButton = 1006;
inline constexpr int NewAddressField = 1007;
inline constexpr int SetDeviceAddressButton = 1008;

// The bus settings band: the controller's new baud rate and station address. The console's
// own port and station address stay as they are: the operator changes them when the
// controller has.
class BusSettingsPart {
public:
    BusSettingsPart(WindowContext& context, WindowLayout& layout);

    // The band's row, which the address search goes on.
    ControlMaker& row() { return band_.controls(); }

private:
    template <typename Value>
    void writeSetting(const FieldEntry<Value>& entry, device::Command<bool> (*command)(Value),
                      std::string_view writtenText, std::string_view refusedText);

    WindowContext& context_;
    RowBand band_;
    QComboBox* rateList_;
    QLineEdit* newAddress_;
};

}  // namespace kt::ui
