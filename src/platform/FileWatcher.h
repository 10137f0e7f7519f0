// Notices that the file the document follows changed on disk.
#pragma once

#include <functional>
#include <string>
#include <utility>

namespace quill {

/// Watches one file for the document that follows it; a Qt adapter in the window, a fake in tests.
/// A burst of writes is told once: at most one notice per short interval. Besides the notices it
/// ticks every half second while the program waits for the user, so that the document can look
/// at a file that sent no notice and retry what found the bookmark database locked.
class FileWatcher {
public:
    virtual ~FileWatcher() = default;

    /// Watches the file at a path, and its folder, so that a file replaced by another or created
    /// again is seen; an empty path stops watching. Calling it again with the same path picks up
    /// a file that has come back.
    virtual void Watch(const std::string& path) = 0;

    /// What is done on a notice.
    void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }
    /// What is done on each tick.
    void SetOnTick(std::function<void()> onTick) { onTick_ = std::move(onTick); }

protected:
    void Changed()
    {
        if (onChange_)
            onChange_();
    }
    void Ticked()
    {
        if (onTick_)
            onTick_();
    }

private:
    std::function<void()> onChange_;
    std::function<void()> onTick_;
};

}  // namespace quill
