// The small "working" window of long operations, which also reports Escape.
#pragma once

#include <cstdint>

namespace quill {

/// A modeless progress bar. Callers show it only for long work and move it in coarse steps.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;

    /// Shows the window with a bar from 0 to range.
    virtual void Begin(std::int64_t range) = 0;
    /// Moves the bar; returns true when the user pressed Escape since the last step.
    virtual bool Step(std::int64_t position) = 0;
    /// Closes the window.
    virtual void End() = 0;
    /// True between Begin and End: long work is under way and events are dispatched from inside it.
    virtual bool IsActive() const { return false; }
};

/// Keeps a progress window open for one scope, so every exit path closes it.
class ProgressScope {
public:
    ProgressScope(ProgressWindow& window, std::int64_t range) : window_(window) { window_.Begin(range); }
    ~ProgressScope() { window_.End(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    bool Step(std::int64_t position) { return window_.Step(position); }

private:
    ProgressWindow& window_;
};

/// A progress window that shows nothing and is never interrupted.
class SilentProgress : public ProgressWindow {
public:
    void Begin(std::int64_t) override {}
    bool Step(std::int64_t) override { return false; }
    void End() override {}
};

}  // namespace quill
