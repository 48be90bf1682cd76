#pragma once

#include <QStringList>
#include <memory>
#include <vector>

#include "ui/main_dialog.h"
#include "ui/prompts.h"

// Stands in for every message box and file dialog: records what the console asks and
// answers at once, so tests run without a modal loop.
class RecordingPrompts final : public kt::ui::Prompts {
public:
    void showMessage(QWidget*, const kt::ui::MessageBoxRequest& request) override
    {
        messages.push_back(request);
    }

    QString chooseSaveFile(QWidget*, const kt::ui::SaveFileRequest& request) override
    {
        saveRequests.push_back(request);
        return saveAnswer;
    }

    std::vector<kt::ui::MessageBoxRequest> messages;
    std::vector<kt::ui::SaveFileRequest> saveRequests;
    QString saveAnswer;  // what the save dialog returns; empty: the operator cancels
};

// The real main window with its prompts recorded; `prompts` is owned by `dialog`.
struct RecordedMainDialog {
    RecordingPrompts* prompts;
    std::unique_ptr<kt::ui::MainDialog> dialog;
};

inline RecordedMainDialog makeRecordedMainDialog()
{
    auto prompts = std::make_unique<RecordingPrompts>();
    RecordingPrompts* recorder = prompts.get();
    return {recorder, std::make_unique<kt::ui::MainDialog>(std::move(prompts))};
}
