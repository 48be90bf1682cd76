#include "sim/frame_record.h"

#include <fstream>
#include <iomanip>

namespace kt::sim {

Outcome writeFrameRecord(const std::string& path, const std::vector<ReceivedFrame>& frames)
{
    std::ofstream file(path, std::ios::trunc);
    file << std::hex << std::setfill('0');
    for (const ReceivedFrame& frame : frames) {
        file << (frame.wellFormed ? "" : "!");
        const char* separator = "";
        for (const std::uint8_t byte : frame.bytes) {
            file << separator << std::setw(2) << static_cast<int>(byte);
            separator = " ";
        }
        file << '\n';
    }
    file.close();
    return file ? Outcome::success() : Outcome::failure("cannot write " + path);
}

}  // namespace kt::sim
