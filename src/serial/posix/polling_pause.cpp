#include "serial/polling_pause.h"

#include <thread>

namespace kt::serial {

void pauseBetweenPolls(std::chrono::milliseconds duration)
{
    std::this_thread::sleep_for(duration);
}

}  // namespace kt::serial
