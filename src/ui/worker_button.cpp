#include "ui/worker_button.h"

#include <QPushButton>

#include "ui/messages.h"

namespace kt::ui {

WorkerButton::WorkerButton(WindowContext& context, QPushButton& button, const Captions& captions)
    : context_(context), button_(button), captions_(captions)
{
    context_.guard().addUser(thread_, captions_.busy);
}

bool WorkerButton::pressStarts()
{
    if (!context_.isPortOpen()) {
        context_.showMessage(text::kOpenPortFirstPlain);
        return false;
    }
    if (isRunning()) {
        thread_.stop();
        showState();
        return false;
    }
    return true;
}

void WorkerButton::start(std::function<void()> work)
{
    thread_.start(std::move(work));
    showState();
}

void WorkerButton::ended()
{
    thread_.stop();
    showState();
}

void WorkerButton::showState()
{
    button_.setText((isRunning() ? captions_.stop : captions_.start).toString());
}

}  // namespace kt::ui
