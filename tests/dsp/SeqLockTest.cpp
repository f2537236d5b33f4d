#include "dsp/SeqLock.h"
#include "dsp/TapEngine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

TEST (SeqLock, ReaderSeesOnlyWholeSnapshotsWhileTheWriterRunsFlatOut)
{
    // Every snapshot the writer publishes is uniform (all fields hold its
    // number); a torn read mixes two of them. The writer publishes without a
    // pause, so reads overlap writes all the time: a reader that accepted a
    // copy taken while a write was in progress, or did not check the sequence
    // again after copying, returns torn snapshots.
    //
    // This checks the retry logic only. Whether the acquire/release ordering
    // of the sequence and the words is right cannot show here: x86 keeps
    // loads and stores in order whatever the code asks for, so that half is
    // kept by review of SeqLock.h.
    SeqLock<TapSet> lock;
    std::atomic<bool> stop { false };
    std::atomic<int> published { 0 };

    std::thread writer ([&] {
        TapSet s;
        for (int k = 1; ! stop.load (std::memory_order_relaxed); ++k)
        {
            for (auto& e : s.taps)
                e = { static_cast<float> (k), static_cast<float> (k), static_cast<float> (k) };
            s.count = k;
            lock.write (s);
            published.store (k, std::memory_order_relaxed);
        }
    });

    // Read until 2000 reads have overlapped the end of a write (the published
    // number moved while tryRead ran), however busy the machine is; a torn
    // read turns up in about one of every five such reads when the reader's
    // checks are missing. A check fails by counting, so the writer is always
    // stopped and joined before anything is asserted.
    constexpr int enoughOverlaps = 2000;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds (30);
    int good = 0, torn = 0, wentBack = 0, lastSeen = 0, overlaps = 0;
    TapSet out;
    while (overlaps < enoughOverlaps && std::chrono::steady_clock::now() < giveUp)
    {
        const int before = published.load (std::memory_order_relaxed);
        const bool read = lock.tryRead (out);
        overlaps += published.load (std::memory_order_relaxed) != before ? 1 : 0;
        if (! read)
            continue;
        ++good;
        const float k = static_cast<float> (out.count);
        bool whole = true;
        for (const auto& e : out.taps)
            whole = whole && e.timeMs == k && e.gain == k && e.waveDiff == k;
        torn += whole ? 0 : 1;
        wentBack += out.count < lastSeen ? 1 : 0; // never older than a snapshot already seen
        lastSeen = out.count;
    }
    stop = true;
    writer.join();

    EXPECT_EQ (torn, 0) << "of " << good << " reads";
    EXPECT_EQ (wentBack, 0) << "of " << good << " reads";
    EXPECT_GE (overlaps, enoughOverlaps) << "the writer hardly ran alongside the reader";
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
