#pragma once

#include "app/queue/desktop_services.h"

#include <optional>

namespace clarivex {

// A desktop that only writes down what was asked of it, for tests and benchmarks.
// `chosenFiles` is what the next chooseFiles() returns. Main thread.
class RecordingDesktopServices : public DesktopServices {
public:
    void setBadge(int count) override { badges.push_back(count); }
    void playSuccessSound() override { ++soundsPlayed; }
    void revealInFileManager(const std::filesystem::path& file) override {
        revealed.push_back(file);
    }
    void openWithDefaultApplication(const std::filesystem::path& file) override {
        opened.push_back(file);
    }
    std::vector<std::filesystem::path> chooseFiles(QWidget*) override {
        ++chooserShown;
        return chosenFiles;
    }

    std::vector<int> badges;
    int soundsPlayed = 0;
    std::vector<std::filesystem::path> revealed;
    std::vector<std::filesystem::path> opened;
    int chooserShown = 0;
    std::vector<std::filesystem::path> chosenFiles;
};

} // namespace clarivex
