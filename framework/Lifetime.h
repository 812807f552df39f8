// Two lifetimes the language does not spell out on its own.
#pragma once

#include <new>
#include <utility>

// Runs `action` when the scope ends, however it ends.
//
//     ScopeExit restore([&] { SetCursor(old); });
template <class Action>
class ScopeExit {
public:
    explicit ScopeExit(Action action) noexcept : action_(std::move(action)) {}
    ~ScopeExit() { action_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    Action action_;
};

// A process-wide object that global destructors never reach: for state a
// thread may still use while the process ends (ExitProcess stops that thread
// first; the system reclaims the rest).
template <class T>
class NeverDestroyed {
public:
    template <class... Args>
    explicit NeverDestroyed(Args&&... args) {
        new (storage_) T(std::forward<Args>(args)...);
    }
    NeverDestroyed(const NeverDestroyed&) = delete;
    NeverDestroyed& operator=(const NeverDestroyed&) = delete;

    T& get() noexcept { return *std::launder(reinterpret_cast<T*>(storage_)); }

private:
    alignas(T) unsigned char storage_[sizeof(T)];
};
