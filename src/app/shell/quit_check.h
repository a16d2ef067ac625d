#pragma once

#include <chrono>
#include <functional>

class QWidget;

namespace clarivex {

class Store;

// The question before quitting while files are pending, and the orderly stop after "Выйти":
// the window goes away at once, then the running pipeline is cancelled and waited for, so that
// no engine or ffmpeg is left running and no working folder is left behind. Main thread.
class QuitCheck {
public:
    enum class Answer { quit, stay };
    using Ask = std::function<Answer(QWidget* window)>;

    // Longest wait for the running job to stop; a pipeline that takes longer is abandoned.
    static constexpr std::chrono::milliseconds stopLimit{5000};

    explicit QuitCheck(Store& store, Ask ask = askWithDialog);

    // True when the application may end now. With nothing pending it asks nothing; after
    // "Выйти" it hides `window`, cancels every pending job and waits for the running one.
    // `quitting` is called as soon as the quit is decided, before any of that.
    bool approve(QWidget* window, const std::function<void()>& quitting = {});

    // The modal "Идёт обработка" alert with "Выйти" (default) and "Остаться" (Escape).
    static Answer askWithDialog(QWidget* window);

private:
    Store& store_;
    Ask ask_;
};

} // namespace clarivex
