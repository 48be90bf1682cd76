// The serial path without the window, one program for Linux and for Windows, so that the two
// can be set side by side against the same simulated controller (scripts/run-wine-benchmark.sh
// runs it on Linux and under Wine): a read command (length A), its drain included, as a button
// runs it; and monitoring cycles a second at period 0, as the monitoring worker polls.
//   bench_serial_path PORT      COMn, or on Linux a device path
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "device/cable_parameters.h"
#include "link/monitoring.h"
#include "link/link.h"

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_serial_path PORT\n");
        return 2;
    }
    const std::string name = argv[1];
    auto opened = name.starts_with("COM") ? kt::serial::openSerialPort(std::stoi(name.substr(3)), 9600)
                                          : kt::serial::openSerialDevice(name, 9600);
    if (!opened.port) {
        std::fprintf(stderr, "cannot open %s\n", name.c_str());
        return 1;
    }
    kt::link::Link link(*opened.port);

    std::vector<double> reads;
    for (int read = 0; read < 40; ++read) {
        const Clock::time_point start = Clock::now();
        if (!link.run(1, kt::device::cableRead(kt::device::CableSetting::LengthA)))
            return 1;
        reads.push_back(milliseconds(Clock::now() - start));
    }
    std::printf("row: a read command (length A), answered at once | %.1f ms\n", median(reads));

    std::vector<double> rates;
    kt::link::Monitoring monitoring(link);
    for (int second = 0; second < 5; ++second) {
        int cycles = 0;
        const Clock::time_point end = Clock::now() + std::chrono::seconds(1);
        while (Clock::now() < end) {
            if (monitoring.poll(1).failure)
                return 1;
            ++cycles;
        }
        rates.push_back(cycles);
    }
    std::printf("row: monitoring cycles per second at period 0 | %.1f /s\n", median(rates));
    return 0;
}
