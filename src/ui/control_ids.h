#pragma once

namespace kt::ui {

// Every control of the main window is known by its numeric id; each widget's objectName is
// the id in decimal, and the keyboard focus moves through them in ascending id order.
enum ControlId : int {
    PortNumberList = 1000,
    PortBaudRateList = 1001,
    StationAddressField = 1002,
    PortLamp = 1003,
    PortButton = 1004,

    DeviceBaudRateList = 1005,
    SetDeviceBaudRateButton = 1006,
    NewAddressField = 1007,
    SetDeviceAddressButton = 1008,

    LengthAField = 1009,
    WriteLengthAButton = 1010,
    ReadLengthAButton = 1011,
    LengthBField = 1012,
    WriteLengthBButton = 1013,
    ReadLengthBButton = 1014,
    ResistivityAField = 1015,
    ReadResistivityAButton = 1016,
    WriteResistivityAButton = 1017,
    ResistivityBField = 1018,
    ReadResistivityBButton = 1019,
    WriteResistivityBButton = 1020,
    CalibrationAField = 1021,
    ReadCalibrationAButton = 1022,
    WriteCalibrationAButton = 1023,
    CalibrationBField = 1024,
    ReadCalibrationBButton = 1025,
    WriteCalibrationBButton = 1026,

    ClockYearField = 1027,
    ClockMonthField = 1028,
    ClockDayField = 1029,
    ClockHourField = 1030,
    ClockMinuteField = 1031,
    ClockSecondField = 1032,
    ReadClockButton = 1033,
    SetClockButton = 1034,

    ChannelALamp = 1035,
    ChannelAStateText = 1036,
    ChannelALeakField = 1037,
    ChannelBLamp = 1038,
    ChannelBStateText = 1039,
    ChannelBLeakField = 1040,
    MonitorButton = 1041,
    PeriodField = 1042,
    SuccessCountText = 1043,
    FailureCountText = 1044,
    SinglePollButton = 1045,

    LogCountField = 1046,
    ReadLogCountButton = 1047,
    ClearLogButton = 1048,
    ReadLogButton = 1049,
    SaveLogCheckBox = 1050,
    ExportPathField = 1051,
    EventTable = 1052,

    SearchButton = 1053,
    SearchResultText = 1054,
    ZeroCalibrationAButton = 1055,
    ZeroCalibrationBButton = 1056,
};

}  // namespace kt::ui
