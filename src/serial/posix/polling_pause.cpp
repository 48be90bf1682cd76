#include "serial/polling_pause.h"

#include <chrono>
#include <thread>

namespace kt::serial {

void pauseBetweenPolls()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

}  // namespace kt::serial
