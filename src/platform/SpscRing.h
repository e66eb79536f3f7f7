#pragma once
#include <array>
#include <atomic>
#include <cstddef>
#include <new>

namespace vorpline {

// Fixed-capacity single-producer single-consumer FIFO, lock-free and allocation-free after
// construction: the way data crosses to and from the audio and writer threads.
// One thread may push, one other thread may pop; a full ring refuses the push (never blocks).
// The blocking waits are for threads that may sleep (writers), never for the audio thread.
template <typename T, std::size_t Capacity> class SpscRing {
    static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "power of two");

public:
    // Producer thread. False when full.
    bool TryPush(const T& value) {
        std::size_t tail = tailIndex.load(std::memory_order_relaxed);
        if (tail - headIndex.load(std::memory_order_acquire) == Capacity) {
            return false;
        }
        cells[tail & (Capacity - 1)] = value;
        tailIndex.store(tail + 1, std::memory_order_release);
        tailIndex.notify_one();
        return true;
    }

    // Producer thread: the slot the next push will fill, to write in place (nullptr when
    // full); Commit publishes it.
    T* PushSlot() {
        std::size_t tail = tailIndex.load(std::memory_order_relaxed);
        if (tail - headIndex.load(std::memory_order_acquire) == Capacity) {
            return nullptr;
        }
        return &cells[tail & (Capacity - 1)];
    }
    void Commit() {
        tailIndex.store(tailIndex.load(std::memory_order_relaxed) + 1, std::memory_order_release);
        tailIndex.notify_one();
    }

    // Consumer thread. False when empty.
    bool TryPop(T& out) {
        T* front = Front();
        if (front == nullptr) {
            return false;
        }
        out = *front;
        Release();
        return true;
    }

    // Consumer thread: the oldest element, read in place (nullptr when empty); Release frees it.
    T* Front() {
        std::size_t head = headIndex.load(std::memory_order_relaxed);
        if (tailIndex.load(std::memory_order_acquire) == head) {
            return nullptr;
        }
        return &cells[head & (Capacity - 1)];
    }
    void Release() {
        headIndex.store(headIndex.load(std::memory_order_relaxed) + 1, std::memory_order_release);
        headIndex.notify_one();
    }

    // Producer: sleeps until there is room. Consumer: sleeps until there is data.
    void WaitForRoom() const {
        for (;;) {
            std::size_t head = headIndex.load(std::memory_order_acquire);
            if (tailIndex.load(std::memory_order_relaxed) - head < Capacity) {
                return;
            }
            headIndex.wait(head, std::memory_order_acquire);
        }
    }
    void WaitForData() const {
        for (;;) {
            std::size_t tail = tailIndex.load(std::memory_order_acquire);
            if (tail != headIndex.load(std::memory_order_relaxed)) {
                return;
            }
            tailIndex.wait(tail, std::memory_order_acquire);
        }
    }

    std::size_t Size() const {
        return tailIndex.load(std::memory_order_acquire) -
               headIndex.load(std::memory_order_acquire);
    }

private:
    static constexpr std::size_t kLine = 64;
    alignas(kLine) std::atomic<std::size_t> headIndex{0};
    alignas(kLine) std::atomic<std::size_t> tailIndex{0};
    alignas(kLine) std::array<T, Capacity> cells{};
};

} // namespace vorpline
