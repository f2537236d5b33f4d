#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <type_traits>

// Single-writer, single-reader sequence lock for a trivially copyable value.
// The writer never waits; the reader retries a few times and reports failure
// when every attempt overlapped a write.
//
// The value is held as atomic words, so a reader copying during a write reads
// stale or mixed words (which the sequence check then rejects) instead of
// racing on plain memory. Each word is stored with release and loaded with
// acquire: a reader that sees any word of a newer write also sees that write's
// odd sequence number when it checks again. (On x86 these are plain moves; no
// fences are needed, which ThreadSanitizer could not follow.)
template <typename T>
class SeqLock
{
    static_assert (std::is_trivially_copyable_v<T>);
    static constexpr std::size_t numWords = (sizeof (T) + sizeof (std::uint32_t) - 1) / sizeof (std::uint32_t);

public:
    static constexpr int maxAttempts = 8;

    SeqLock()
    {
        for (auto& w : words)
            w.store (0, std::memory_order_relaxed);
    }

    void write (const T& value) noexcept
    {
        std::array<std::uint32_t, numWords> raw {};
        std::memcpy (raw.data(), &value, sizeof (T));

        const auto s = sequence.load (std::memory_order_relaxed);
        sequence.store (s + 1, std::memory_order_relaxed); // odd: writing
        for (std::size_t i = 0; i < numWords; ++i)
            words[i].store (raw[i], std::memory_order_release);
        sequence.store (s + 2, std::memory_order_release); // even: complete
    }

    bool tryRead (T& out) const noexcept
    {
        for (int attempt = 0; attempt < maxAttempts; ++attempt)
        {
            const auto before = sequence.load (std::memory_order_acquire);
            if ((before & 1u) != 0)
                continue;

            std::array<std::uint32_t, numWords> raw {};
            for (std::size_t i = 0; i < numWords; ++i)
                raw[i] = words[i].load (std::memory_order_acquire);

            if (sequence.load (std::memory_order_relaxed) == before)
            {
                std::memcpy (static_cast<void*> (&out), raw.data(), sizeof (T));
                return true;
            }
        }
        return false;
    }

    std::uint32_t getSequence() const noexcept { return sequence.load (std::memory_order_acquire); }

private:
    std::atomic<std::uint32_t> sequence { 0 };
    std::array<std::atomic<std::uint32_t>, numWords> words;
};
