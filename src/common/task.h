#pragma once

#include <QCoreApplication>
#include <QTimer>

#include <coroutine>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// Commands that wait for the page are coroutines: a read of the page is `co_await`ed, and the
// command goes on later from the event loop, when the answer has come. Nothing waits in a
// nested event loop, so nothing can run inside a command while it waits.
namespace common {

template <typename T = void> class Task;

namespace detail {

struct PromiseBase {
    std::coroutine_handle<> continuation; // the coroutine that awaits this one
    std::function<void()> onDone;         // for a task started on its own or run by an owner
    bool detached = false;

    struct FinalAwaiter {
        bool await_ready() noexcept { return false; }
        template <typename Promise>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> handle) noexcept {
            PromiseBase &promise = handle.promise();
            if (promise.continuation)
                return promise.continuation;
            std::function<void()> done = std::move(promise.onDone);
            if (promise.detached)
                handle.destroy();
            // An owner told here may destroy the frame: nothing touches it afterwards.
            if (done)
                done();
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

    // Runs the task while this object keeps its frame: `done` is called when it has ended (at
    // once when it never waited) and may destroy this object. Destroying this object before
    // that ends the task where it waits: the frames of the steps it awaits go with it, and
    // nothing it waited for resumes it.
    void run(std::function<void()> done) & {
        m_handle.promise().onDone = std::move(done);
        m_handle.resume();
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

namespace detail {

// A wait under way, which stopWaits() may end early.
struct OpenWait {
    virtual ~OpenWait() = default;
    virtual void stop() = 0;
};

inline std::vector<std::weak_ptr<OpenWait>> &openWaits() {
    static std::vector<std::weak_ptr<OpenWait>> waits;
    return waits;
}

inline int &stopCount() {
    static int count = 0;
    return count;
}

} // namespace detail

// How many times stopWaits() was called: a step that waits in a loop compares it with the
// count it began with, and ends when it has changed.
inline int waitsStoppedSoFar() {
    return detail::stopCount();
}

// Ends every wait under way at once: each gives its `whenStopped` answer. 停止 calls it, so
// that a command waiting for a page that never comes ends now, not when its wait runs out.
inline void stopWaits() {
    ++detail::stopCount();
    std::vector<std::weak_ptr<detail::OpenWait>> waits;
    waits.swap(detail::openWaits());
    for (const std::weak_ptr<detail::OpenWait> &wait : waits) {
        if (const std::shared_ptr<detail::OpenWait> open = wait.lock())
            open->stop();
    }
}

// An answer that comes later through a callback: `co_await Answer<T>(start, fallback, ms)`
// calls `start` with the callback to answer through, and gives what it is answered, or
// `fallback` when nothing answers within `timeoutMs`. A wait given `whenStopped` gives that
// when stopWaits() ends it; other waits run their course. Only the first answer counts. The
// coroutine goes on from the event loop, never inside the call that answered, and not at all when
// its frame was destroyed meanwhile.
template <typename T> class [[nodiscard]] Answer {
public:
    using Reply = std::function<void(T)>;

    Answer(std::function<void(Reply)> start, T fallback, int timeoutMs,
           std::optional<T> whenStopped = std::nullopt)
        : m_start(std::move(start)), m_fallback(std::move(fallback)), m_timeoutMs(timeoutMs),
          m_whenStopped(std::move(whenStopped)) {}
    Answer(Answer &&) = default;
    ~Answer() {
        if (m_state)
            m_state->gone = true;
    }

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle) {
        auto state = std::make_shared<State>();
        state->handle = handle;
        m_state = state;
        if (m_whenStopped) {
            state->whenStopped = m_whenStopped;
            auto &waits = detail::openWaits();
            std::erase_if(waits,
                          [](const std::weak_ptr<detail::OpenWait> &w) { return w.expired(); });
            waits.push_back(state);
        }
        const Reply reply = [state](T value) { state->answer(std::move(value)); };
        QTimer::singleShot(m_timeoutMs, QCoreApplication::instance(),
                           [reply, fallback = m_fallback] { reply(fallback); });
        m_start(reply);
    }
    T await_resume() { return std::move(*m_state->value); }

private:
    struct State : detail::OpenWait, std::enable_shared_from_this<State> {
        bool answered = false;
        bool gone = false; // the awaiting frame was destroyed
        std::coroutine_handle<> handle;
        std::optional<T> value;
        std::optional<T> whenStopped;
        void answer(T given) {
            if (answered)
                return;
            answered = true;
            value.emplace(std::move(given));
            QTimer::singleShot(0, QCoreApplication::instance(), [self = this->shared_from_this()] {
                if (!self->gone)
                    self->handle.resume();
            });
        }
        void stop() override {
            if (whenStopped)
                answer(*whenStopped);
        }
    };
    std::function<void(Reply)> m_start;
    T m_fallback;
    int m_timeoutMs;
    std::optional<T> m_whenStopped;
    std::shared_ptr<State> m_state;
};

// Lets the event loop run once before the coroutine goes on: `co_await nextTurn()`.
inline Answer<bool> nextTurn(int delayMs = 0) {
    return Answer<bool>([](const Answer<bool>::Reply &) {}, true, delayMs);
}

} // namespace common
