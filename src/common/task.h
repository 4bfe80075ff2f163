#pragma once

#include <QCoreApplication>
#include <QTimer>

#include <coroutine>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

// Commands that wait for the page are coroutines: a read of the page is `co_await`ed, and the
// command goes on later from the event loop, when the answer has come. Nothing waits in a
// nested event loop, so nothing can run inside a command while it waits.
namespace common {

template <typename T = void> class Task;

namespace detail {

struct PromiseBase {
    std::coroutine_handle<> continuation; // the coroutine that awaits this one
    std::function<void()> onDone;         // for a task started on its own
    bool detached = false;

    struct FinalAwaiter {
        bool await_ready() noexcept { return false; }
        template <typename Promise>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> handle) noexcept {
            PromiseBase &promise = handle.promise();
            if (promise.continuation)
                return promise.continuation;
            if (promise.detached) {
                std::function<void()> done = std::move(promise.onDone);
                handle.destroy();
                if (done)
                    done();
            }
            return std::noop_coroutine();
        }
        void await_resume() noexcept {}
    };

    std::suspend_always initial_suspend() noexcept { return {}; }
    FinalAwaiter final_suspend() noexcept { return {}; }
    void unhandled_exception() noexcept { std::terminate(); }
};

template <typename T> struct Promise : PromiseBase {
    std::optional<T> value;
    Task<T> get_return_object();
    template <typename U> void return_value(U &&result) { value.emplace(std::forward<U>(result)); }
    T take() { return std::move(*value); }
};

template <> struct Promise<void> : PromiseBase {
    Task<void> get_return_object();
    void return_void() noexcept {}
    void take() noexcept {}
};

} // namespace detail

// A command, or a step of one, that may wait. It starts when awaited (`co_await task`) or
// started (`std::move(task).start(done)`), and its frame lives until it has ended.
template <typename T> class [[nodiscard]] Task {
public:
    using promise_type = detail::Promise<T>;
    using Handle = std::coroutine_handle<promise_type>;

    explicit Task(Handle handle) : m_handle(handle) {}
    Task(Task &&other) noexcept : m_handle(std::exchange(other.m_handle, {})) {}
    Task &operator=(Task &&other) noexcept {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, {});
        }
        return *this;
    }
    Task(const Task &) = delete;
    Task &operator=(const Task &) = delete;
    ~Task() { reset(); }

    bool await_ready() const noexcept { return !m_handle || m_handle.done(); }
    std::coroutine_handle<> await_suspend(std::coroutine_handle<> awaiting) noexcept {
        m_handle.promise().continuation = awaiting;
        return m_handle;
    }
    T await_resume() { return m_handle.promise().take(); }

    // Runs the task on its own; `done` is called when it has ended (at once when it never
    // waited), and the task's frame is gone by then.
    void start(std::function<void()> done = {}) && {
        Handle handle = std::exchange(m_handle, {});
        handle.promise().detached = true;
        handle.promise().onDone = std::move(done);
        handle.resume();
    }

private:
    void reset() {
        if (m_handle)
            m_handle.destroy();
        m_handle = {};
    }

    Handle m_handle;
};

template <typename T> Task<T> detail::Promise<T>::get_return_object() {
    return Task<T>(std::coroutine_handle<Promise<T>>::from_promise(*this));
}

inline Task<void> detail::Promise<void>::get_return_object() {
    return Task<void>(std::coroutine_handle<Promise<void>>::from_promise(*this));
}

// An answer that comes later through a callback: `co_await Answer<T>(start, fallback, ms)`
// calls `start` with the callback to answer through, and gives what it is answered, or
// `fallback` when nothing answers within `timeoutMs`. Only the first answer counts. The
// coroutine goes on from the event loop, never inside the call that answered.
template <typename T> class [[nodiscard]] Answer {
public:
    using Reply = std::function<void(T)>;

    Answer(std::function<void(Reply)> start, T fallback, int timeoutMs)
        : m_start(std::move(start)), m_fallback(std::move(fallback)), m_timeoutMs(timeoutMs) {}

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle) {
        auto state = std::make_shared<State>();
        m_state = state;
        const Reply reply = [state, handle](T value) {
            if (state->answered)
                return;
            state->answered = true;
            state->value.emplace(std::move(value));
            QTimer::singleShot(0, QCoreApplication::instance(), [handle] { handle.resume(); });
        };
        QTimer::singleShot(m_timeoutMs, QCoreApplication::instance(),
                           [reply, fallback = m_fallback] { reply(fallback); });
        m_start(reply);
    }
    T await_resume() { return std::move(*m_state->value); }

private:
    struct State {
        bool answered = false;
        std::optional<T> value;
    };
    std::function<void(Reply)> m_start;
    T m_fallback;
    int m_timeoutMs;
    std::shared_ptr<State> m_state;
};

// Lets the event loop run once before the coroutine goes on: `co_await nextTurn()`.
inline Answer<bool> nextTurn(int delayMs = 0) {
    return Answer<bool>([](const Answer<bool>::Reply &) {}, true, delayMs);
}

} // namespace common
