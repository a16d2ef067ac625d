#pragma once

#include <QString>

#include <filesystem>
#include <optional>
#include <vector>

class QWidget;

namespace clarivex {

// What the queue and the window ask of the desktop around them. A desktop without a session
// bus or sound tool makes these quiet no-ops: none of them ever fails a job. Main thread.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;

    // The launcher badge: the count when it is at least 1, no badge at 0.
    virtual void setBadge(int count) = 0;
    // The short "complete" sound played when a job succeeds.
    virtual void playSuccessSound() = 0;
    // Shows the file selected in the file manager ("Показать в папке"). The reason, in the
    // user's words, when that could not be done; nothing when it was done or is under way.
    virtual std::optional<QString> revealInFileManager(const std::filesystem::path& file) = 0;
    // Opens the file with the user's default application ("Открыть"); the reason as above.
    virtual std::optional<QString>
    openWithDefaultApplication(const std::filesystem::path& file) = 0;
    // The modal file chooser: several files and folders, images and videos, confirm button
    // "Улучшить". Returns what the user picked, empty when cancelled.
    virtual std::vector<std::filesystem::path> chooseFiles(QWidget* parent) = 0;
};

} // namespace clarivex
