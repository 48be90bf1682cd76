#include "test_serial.h"

#include <filesystem>
#include <fstream>
#include <map>

#include <QTemporaryDir>
#include <QTest>

#include "scoped_environment.h"
#include "serial/posix/port_resolver.h"
#include "serial/serial_port.h"

using namespace kt::serial;
using namespace kt::serial::posix;

namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

// A machine with USB adapters, a modem-class device, two real UARTs and ttyS entries that
// must not count: a placeholder of unknown type, one without sysfs entry, and one whose
// sysfs entry has no device node. Names that merely resemble serial devices are ignored.
DeviceDirectories makeFakeMachine(const QTemporaryDir& root)
{
    const DeviceDirectories directories{fs::path(root.path().toStdString()) / "dev",
                                        fs::path(root.path().toStdString()) / "sys/class/tty"};
    for (const char* node : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS10", "ttyS0", "ttyS1",
                             "ttyS2", "ttyUSB", "ttyUSB1a", "tty0", "console"})
        writeFile(directories.dev / node, "");
    writeFile(directories.sysClassTty / "ttyS0/type", "4\n");
    writeFile(directories.sysClassTty / "ttyS10/type", "4\n");
    writeFile(directories.sysClassTty / "ttyS1/type", "0\n");
    writeFile(directories.sysClassTty / "ttyS5/type", "4\n");
    return directories;
}

std::string noEnvironment(const std::string&)
{
    return {};
}

}  // namespace

void TestSerial::resolvesPortsInDeviceOrder_data()
{
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QString>("device");  // below the fake /dev; empty for none

    QTest::newRow("COM1: USB adapters first, by number") << 1 << "ttyUSB2";
    QTest::newRow("COM2: ttyUSB10 after ttyUSB2") << 2 << "ttyUSB10";
    QTest::newRow("COM3: then ttyACM") << 3 << "ttyACM0";
    QTest::newRow("COM4: then real UARTs") << 4 << "ttyS0";
    QTest::newRow("COM5: ttyS10 after ttyS0") << 5 << "ttyS10";
    QTest::newRow("COM6: beyond the devices") << 6 << "";
    QTest::newRow("COM0") << 0 << "";
    QTest::newRow("negative") << -1 << "";
}

void TestSerial::resolvesPortsInDeviceOrder()
{
    QFETCH(int, portNumber);
    QFETCH(QString, device);
    const QTemporaryDir root;
    QVERIFY(root.isValid());
    const DeviceDirectories machine = makeFakeMachine(root);

    const std::string expected =
        device.isEmpty() ? std::string() : (machine.dev / device.toStdString()).string();
    QCOMPARE(resolvePortDevice(portNumber, machine, noEnvironment), expected);
}

void TestSerial::overrideVariableNamesTheDevice()
{
    const QTemporaryDir root;
    QVERIFY(root.isValid());
    const DeviceDirectories machine = makeFakeMachine(root);
    const std::map<std::string, std::string> variables{
        {"KT5270_COM0", "/dev/pts/7"}, {"KT5270_COM2", "/dev/pts/8"}, {"KT5270_COM3", ""}};
    const EnvironmentLookup environment = [&variables](const std::string& name) {
        const auto found = variables.find(name);
        return found == variables.end() ? std::string() : found->second;
    };

    QCOMPARE(resolvePortDevice(2, machine, environment), "/dev/pts/8");
    QCOMPARE(resolvePortDevice(1, machine, environment), (machine.dev / "ttyUSB2").string());
    QCOMPARE(resolvePortDevice(3, machine, environment), (machine.dev / "ttyACM0").string());
    QCOMPARE(resolvePortDevice(0, machine, environment), "");
    QCOMPARE(resolvePortDevice(1, DeviceDirectories{root.filePath("none").toStdString(), ""},
                               environment),
             "");

    const kt::serial::test::ScopedEnvironment com17("KT5270_COM17", "/dev/pts/9");
    QCOMPARE(portDevicePath(17), "/dev/pts/9");
}
