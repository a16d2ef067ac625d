#pragma once

#include "app/queue/desktop_services.h"

namespace clarivex {

// The real desktop: the Unity launcher-entry D-Bus signal for the badge, canberra-gtk-play
// (else a beep) for the sound, the FileManager1 D-Bus interface (else the folder) to reveal,
// QDesktopServices to open and QFileDialog to choose. Main thread.
class SystemDesktopServices : public DesktopServices {
public:
    void setBadge(int count) override;
    void playSuccessSound() override;
    std::optional<QString> revealInFileManager(const std::filesystem::path& file) override;
    std::optional<QString> openWithDefaultApplication(const std::filesystem::path& file) override;
    std::vector<std::filesystem::path> chooseFiles(QWidget* parent) override;
};

} // namespace clarivex
