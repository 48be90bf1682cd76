#pragma once

#include <QObject>

// The serial link. Port cases run the real POSIX port on a pseudo-terminal, with the test
// playing the controller on the other side.
class TestSerial : public QObject {
    Q_OBJECT

private slots:
    // The port (test_serial.cpp).
    void opensExclusivelyUntilClosed();
    void openFailsWithoutUsableDevice_data();
    void openFailsWithoutUsableDevice();
    void openRefusesUnsupportedBaudRate_data();
    void openRefusesUnsupportedBaudRate();
    void openPurgesWaitingInput();
    void countsQueuedInput();
    void passesEveryByteValueUnchanged();
    void waitForBytesEndsAtCountOrLimit_data();
    void waitForBytesEndsAtCountOrLimit();
    void readEndsAtCountGapOrTotalLimit_data();
    void readEndsAtCountGapOrTotalLimit();
    void writeIsAbandonedWhenOutputStalls();
    void hangUpEndsTransfersAtOnce();

    // Port numbers (test_port_resolver.cpp).
    void resolvesPortsInDeviceOrder_data();
    void resolvesPortsInDeviceOrder();
    void overrideVariableNamesTheDevice();

    // Checksum and exchange helpers (test_exchange.cpp).
    void checksum_data();
    void checksum();
    void drainDiscardsStaleInput_data();
    void drainDiscardsStaleInput();
    void discardTakesOnlyWhatIsQueued();
    void transactJudgesTheReply_data();
    void transactJudgesTheReply();
};
