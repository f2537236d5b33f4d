#include "dsp/SeqLock.h"
#include "dsp/TapEngine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

TEST (SeqLock, ReaderSeesOnlyWholeSnapshotsWhileTheWriterRunsBusy)
{
    // Every snapshot the writer publishes is uniform (all fields hold the
    // same number); a torn read would mix two of them.
    SeqLock<TapSet> lock;
    std::atomic<bool> stop { false };

    std::thread writer ([&] {
        TapSet s;
        for (int k = 1; ! stop.load (std::memory_order_relaxed); ++k)
        {
            for (auto& e : s.taps)
                e = { static_cast<float> (k), static_cast<float> (k), static_cast<float> (k) };
            s.count = k;
            lock.write (s);
            std::this_thread::sleep_for (std::chrono::microseconds (20)); // an audio thread writes once per block
        }
    });

    int good = 0;
    int lastSeen = 0;
    TapSet out;
    for (int attempt = 0; attempt < 200000 && good < 2000; ++attempt)
    {
        if (! lock.tryRead (out))
            continue;
        ++good;
        const float k = static_cast<float> (out.count);
        for (const auto& e : out.taps)
        {
            ASSERT_EQ (e.timeMs, k);
            ASSERT_EQ (e.gain, k);
            ASSERT_EQ (e.waveDiff, k);
        }
        ASSERT_GE (out.count, lastSeen); // never older than a snapshot already seen
        lastSeen = out.count;
    }
    stop = true;
    writer.join();
    EXPECT_GT (good, 0);
}

TEST (SeqLock, AnUnwrittenLockReadsZeros)
{
    SeqLock<TapSet> lock;
    TapSet out;
    out.count = 7;
    ASSERT_TRUE (lock.tryRead (out));
    EXPECT_EQ (out.count, 0);
    EXPECT_EQ (out.taps[0].timeMs, 0.0f);
}
